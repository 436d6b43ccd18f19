#include "platform/simhost/file_links.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <optional>
#include <system_error>
#include <vector>

namespace platform {
namespace {

constexpr const char* kTerminalDirectory = "/dev/pts/";

std::string Reason(const std::string& path, int error) {
    return path + ": " + std::generic_category().message(error);
}

// Where the link at path points; nothing when path is not a symbolic link.
std::optional<std::string> LinkTarget(const std::string& path) {
    std::vector<char> buffer(256);
    for (;;) {
        const ssize_t n = ::readlink(path.c_str(), buffer.data(), buffer.size());
        if (n < 0) {
            return std::nullopt;
        }
        if (static_cast<std::size_t>(n) < buffer.size()) {
            return std::string(buffer.data(), static_cast<std::size_t>(n));
        }
        buffer.resize(buffer.size() * 2);
    }
}

bool Dangles(const std::string& path) {
    struct stat info {};
    return ::stat(path.c_str(), &info) != 0 && errno == ENOENT;
}

// Why whatever is at path must be kept; nothing when the path is free or holds a leftover,
// which is then removed.
std::optional<std::string> ClearLeftover(const std::string& path) {
    struct stat info {};
    if (::lstat(path.c_str(), &info) != 0) {
        return errno == ENOENT ? std::nullopt : std::optional<std::string>(Reason(path, errno));
    }
    const std::optional<std::string> target = LinkTarget(path);
    if (!target) {
        return path + ": something other than a symbolic link is there; not replaced";
    }
    if (target->rfind(kTerminalDirectory, 0) != 0 && !Dangles(path)) {
        return path + ": a symbolic link to " + *target +
               " is there and is not a leftover of an earlier run; not replaced (remove it or "
               "choose another path)";
    }
    if (::unlink(path.c_str()) != 0 && errno != ENOENT) {
        return Reason(path, errno);
    }
    return std::nullopt;
}

}  // namespace

bool IsLinkTo(const std::string& path, const std::string& target) {
    return LinkTarget(path) == target;
}

std::unique_ptr<SymbolicLink> SymbolicLink::Create(const std::string& target,
                                                   const std::string& path, std::string& error) {
    if (const std::optional<std::string> problem = ClearLeftover(path)) {
        error = *problem;
        return nullptr;
    }
    if (::symlink(target.c_str(), path.c_str()) != 0) {
        error = Reason(path, errno);
        return nullptr;
    }
    return std::unique_ptr<SymbolicLink>(new SymbolicLink(target, path));
}

SymbolicLink::~SymbolicLink() {
    if (IsLinkTo(m_path, m_target)) {
        ::unlink(m_path.c_str());
    }
}

std::unique_ptr<TemporaryDirectory> TemporaryDirectory::Create(const std::string& prefix,
                                                               std::string& error) {
    const char* const base = std::getenv("TMPDIR");
    std::string path =
        std::string(base != nullptr && *base != '\0' ? base : "/tmp") + "/" + prefix + ".XXXXXX";
    if (::mkdtemp(path.data()) == nullptr) {
        error = Reason(path, errno);
        return nullptr;
    }
    return std::unique_ptr<TemporaryDirectory>(new TemporaryDirectory(std::move(path)));
}

TemporaryDirectory::~TemporaryDirectory() {
    ::rmdir(m_path.c_str());
}

}  // namespace platform
