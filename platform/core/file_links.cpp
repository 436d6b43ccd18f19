#include "platform/core/file_links.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <vector>

namespace platform {
namespace {

bool IsSymbolicLink(const std::string& path) {
    struct stat info {};
    return ::lstat(path.c_str(), &info) == 0 && S_ISLNK(info.st_mode);
}

std::string Reason(const std::string& path, int error) {
    return path + ": " + std::generic_category().message(error);
}

}  // namespace

bool IsLinkTo(const std::string& path, const std::string& target) {
    std::vector<char> buffer(target.size() + 2);
    const ssize_t n = ::readlink(path.c_str(), buffer.data(), buffer.size());
    return n >= 0 && static_cast<std::size_t>(n) == target.size() &&
           std::string(buffer.data(), static_cast<std::size_t>(n)) == target;
}

std::unique_ptr<SymbolicLink> SymbolicLink::Create(const std::string& target,
                                                   const std::string& path, std::string& error) {
    if (IsSymbolicLink(path) && ::unlink(path.c_str()) != 0) {
        error = Reason(path, errno);
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

}  // namespace platform
