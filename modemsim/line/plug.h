#pragma once
// The modem's presence on the bus: the pseudo-terminal it shows up as while plugged in, and a
// link that names it under one fixed path across replugs, as a USB modem that re-enumerates
// comes back under the name a device rule gives it. Each plug-in is a fresh pseudo-terminal
// with a number of its own, so the reader can tell the line it read from the one now there.
//
// Thread contract: every member may be called from any thread; Insert and Remove are
// serialised by the caller. The lock here is innermost: it is never held while calling out,
// except into the link's file operations.

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "platform/simhost/file_links.h"
#include "platform/simhost/pseudo_terminal.h"

namespace modemsim {

struct PluggedLine {
    std::shared_ptr<platform::PseudoTerminal> pty;  // none once stopped
    std::uint64_t generation = 0;
};

class Plug {
public:
    // linkPath empty: no link, programs open DevicePath() itself.
    explicit Plug(std::string linkPath) : m_linkPath(std::move(linkPath)) {}

    // Puts the line on the bus and makes the link name its slave; the reader waiting for a newer
    // line gets it. False, with the reason, when plugged in already, stopped, or the link cannot
    // be made (a link left behind by an earlier run is replaced; anything else is kept).
    bool Insert(std::shared_ptr<platform::PseudoTerminal> pty, std::string& error);
    // Takes the line off the bus: the link goes, then the master side closes, so whoever holds
    // the slave is hung up. Nothing when unplugged.
    void Remove();
    // Waits for a line plugged in after generation `after`; none once stopped.
    PluggedLine AwaitNewer(std::uint64_t after);
    // Counts every insert and removal.
    std::uint64_t Generation() const;
    bool PluggedIn() const;
    // The latest line's slave, kept while unplugged.
    std::string DevicePath() const;
    // Ends AwaitNewer for good and interrupts the line being read.
    void Stop();

private:
    const std::string m_linkPath;
    mutable std::mutex m_lock;
    std::condition_variable m_changed;
    std::shared_ptr<platform::PseudoTerminal> m_pty;
    std::unique_ptr<platform::SymbolicLink> m_link;
    std::string m_devicePath;
    std::uint64_t m_generation = 0;
    bool m_stopping = false;
};

}  // namespace modemsim
