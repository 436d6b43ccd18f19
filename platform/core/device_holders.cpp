#include "platform/core/device_holders.h"

#include <dirent.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <memory>
#include <mutex>

#include "platform/core/error_lines.h"

namespace platform {
namespace {

using Folder = std::unique_ptr<DIR, int (*)(DIR*)>;

Folder OpenFolder(const std::string& path) {
    return Folder(::opendir(path.c_str()), &::closedir);
}

bool IsNumber(const char* text) {
    if (*text == '\0') {
        return false;
    }
    for (; *text != '\0'; ++text) {
        if (*text < '0' || *text > '9') {
            return false;
        }
    }
    return true;
}

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// Unix98 pseudo-terminal slaves (/dev/pts/N) have majors 136 to 143, 256 indexes each.
constexpr unsigned kPtySlaveMajorFirst = 136;
constexpr unsigned kPtySlaveMajorLast = 143;

// The N of /dev/pts/N, or -1 for any other device.
long PtyIndex(dev_t device) {
    const unsigned deviceMajor = major(device);
    if (deviceMajor < kPtySlaveMajorFirst || deviceMajor > kPtySlaveMajorLast) {
        return -1;
    }
    return static_cast<long>((deviceMajor - kPtySlaveMajorFirst) * 256 + minor(device));
}

// Which pseudo-terminal a master descriptor drives, from its fdinfo line "tty-index:\t3".
long MasterIndex(const std::string& fdinfo) {
    std::ifstream info(fdinfo);
    for (std::string line; std::getline(info, line);) {
        if (line.rfind("tty-index:", 0) == 0) {
            return std::strtol(line.c_str() + 10, nullptr, 10);
        }
    }
    return -1;
}

struct Holding {
    bool device = false;
    bool farEnd = false;  // the master side of the pseudo-terminal that is the device
};

// Only descriptors of device nodes are looked at closer: the link's text says which they are,
// without touching the files (a network file system's among them).
Holding Examine(const std::string& process, dev_t device, long ptyIndex) {
    Holding holding;
    Folder descriptors = OpenFolder(process + "/fd");
    if (!descriptors) {
        return holding;
    }
    char target[PATH_MAX];
    while (const dirent* entry = ::readdir(descriptors.get())) {
        const std::string link = process + "/fd/" + entry->d_name;
        const ssize_t length = ::readlink(link.c_str(), target, sizeof target - 1);
        const std::string path(target, static_cast<std::size_t>(std::max<ssize_t>(length, 0)));
        if (path.rfind("/dev/", 0) != 0) {
            continue;
        }
        struct stat info {};
        if (ptyIndex >= 0 && EndsWith(path, "ptmx")) {
            holding.farEnd |= MasterIndex(process + "/fdinfo/" + entry->d_name) == ptyIndex;
        } else if (::stat(link.c_str(), &info) == 0 && S_ISCHR(info.st_mode) &&
                   info.st_rdev == device) {
            holding.device = true;
        }
    }
    return holding;
}

std::string CommandName(const std::string& process) {
    std::ifstream comm(process + "/comm");
    std::string name;
    std::getline(comm, name);
    return name;
}

}  // namespace

std::vector<DeviceHolder> OtherHoldersOf(const std::string& path) {
    struct stat info {};
    Folder processes = OpenFolder("/proc");
    if (::stat(path.c_str(), &info) != 0 || !S_ISCHR(info.st_mode) || !processes) {
        return {};
    }
    const long ptyIndex = PtyIndex(info.st_rdev);
    const std::string self = std::to_string(::getpid());
    std::vector<DeviceHolder> holders;
    while (const dirent* entry = ::readdir(processes.get())) {
        if (!IsNumber(entry->d_name) || entry->d_name == self) {
            continue;
        }
        const std::string process = std::string("/proc/") + entry->d_name;
        const Holding holding = Examine(process, info.st_rdev, ptyIndex);
        if (holding.device && !holding.farEnd) {
            holders.push_back({std::strtol(entry->d_name, nullptr, 10), CommandName(process)});
        }
    }
    return holders;
}

// A start-up's second attempt and every reconnect open the device again: holders already named
// are not named again until the line changes.
void ReportOtherHolders(const std::string& path) {
    static std::mutex lock;
    static std::string said;
    const std::string line =
        HolderNotice(program_invocation_short_name, path, OtherHoldersOf(path));
    const std::lock_guard<std::mutex> guard(lock);
    if (line != said && !line.empty()) {
        WriteErrorLine(line);
    }
    said = line;
}

}  // namespace platform
