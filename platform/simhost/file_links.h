#pragma once
// A symbolic link that lasts as long as this object, so people and programs can reach a device
// whose own name changes from run to run under a fixed name.

#include <memory>
#include <string>
#include <utility>

namespace platform {

class SymbolicLink {
public:
    // A link at path left behind by an earlier run, one into /dev/pts/ or one whose target is
    // gone, is replaced. Anything else there (a file, a link someone made to something that
    // exists) is kept and the link is not made. Nothing, with the reason in error, on failure.
    static std::unique_ptr<SymbolicLink> Create(const std::string& target, const std::string& path,
                                                std::string& error);
    // Removes the link only while it still points at target: someone may have taken the path over.
    ~SymbolicLink();
    SymbolicLink(const SymbolicLink&) = delete;
    SymbolicLink& operator=(const SymbolicLink&) = delete;

    const std::string& Path() const { return m_path; }

private:
    SymbolicLink(std::string target, std::string path)
        : m_target(std::move(target)), m_path(std::move(path)) {}

    const std::string m_target;
    const std::string m_path;
};

// A fresh directory of our own under $TMPDIR (else /tmp), removed with this object once empty.
class TemporaryDirectory {
public:
    // Nothing, with the reason in error, on failure.
    static std::unique_ptr<TemporaryDirectory> Create(const std::string& prefix,
                                                      std::string& error);
    ~TemporaryDirectory();
    TemporaryDirectory(const TemporaryDirectory&) = delete;
    TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;

    const std::string& Path() const { return m_path; }

private:
    explicit TemporaryDirectory(std::string path) : m_path(std::move(path)) {}

    const std::string m_path;
};

// True when path names a symbolic link that points at target.
bool IsLinkTo(const std::string& path, const std::string& target);

}  // namespace platform
