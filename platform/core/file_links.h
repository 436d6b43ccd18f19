#pragma once
// A symbolic link that lasts as long as this object, so people and programs can reach a device
// whose own name changes from run to run under a fixed name.

#include <memory>
#include <string>
#include <utility>

namespace platform {

class SymbolicLink {
public:
    // A symbolic link already at path (left behind by an earlier run) is replaced; anything else
    // there is kept and the link is not made. Nothing, with the reason in error, on failure.
    static std::unique_ptr<SymbolicLink> Create(const std::string& target, const std::string& path,
                                                std::string& error);
    // Removes the link unless something else has taken its place meanwhile.
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

// True when path names a symbolic link that points at target.
bool IsLinkTo(const std::string& path, const std::string& target);

}  // namespace platform
