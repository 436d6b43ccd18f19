#include "platform/core/open_failure.h"

#include <glob.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

#include "platform/core/error_lines.h"

namespace platform {
namespace {

// Where a modem usually appears: USB adapters and modules, CDC-ACM modems, and the stable names
// udev gives them.
constexpr const char* kSerialDevicePatterns[] = {"/dev/ttyUSB*", "/dev/ttyACM*",
                                                 "/dev/serial/by-id/*"};

std::string GroupName(gid_t id) {
    std::vector<char> buffer(16384);
    group entry{};
    group* found = nullptr;
    if (::getgrgid_r(id, &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr) {
        return std::to_string(id);
    }
    return found->gr_name;
}

// Joining the group helps only when the group may read and write the device.
std::string GroupRemedy(const std::string& path) {
    struct stat info {};
    constexpr mode_t kGroupReadWrite = S_IRGRP | S_IWGRP;
    if (::stat(path.c_str(), &info) != 0 || (info.st_mode & kGroupReadWrite) != kGroupReadWrite) {
        return "";
    }
    const std::string name = GroupName(info.st_gid);
    return "; group " + name + " may use it: sudo usermod -aG " + name +
           " $USER, then log in again";
}

std::string PresentDevices() {
    std::string list;
    for (const char* pattern : kSerialDevicePatterns) {
        glob_t found{};
        if (::glob(pattern, 0, nullptr, &found) == 0) {
            for (std::size_t i = 0; i < found.gl_pathc; ++i) {
                list += std::string(" ") + found.gl_pathv[i];
            }
        }
        ::globfree(&found);
    }
    if (list.empty()) {
        return "; no serial device is present (/dev/ttyUSB*, /dev/ttyACM*, /dev/serial/by-id/*): "
               "is the modem plugged in?";
    }
    return "; serial devices present:" + list;
}

// The process holding an flock() on the device (this family of programs locks it so), from the
// kernel's list: "1: FLOCK  ADVISORY  WRITE 4242 00:18:5 0 EOF", the file as major:minor:inode.
long FlockHolder(const std::string& path) {
    struct stat info {};
    if (::stat(path.c_str(), &info) != 0) {
        return 0;
    }
    char wanted[64];
    std::snprintf(wanted, sizeof wanted, "%02x:%02x:%lu", major(info.st_dev), minor(info.st_dev),
                  static_cast<unsigned long>(info.st_ino));
    std::ifstream locks("/proc/locks");
    for (std::string line; std::getline(locks, line);) {
        std::istringstream fields(line);
        std::string id, kind, mode, access, file;
        long pid = 0;
        // "->" marks a process waiting for the lock, not holding it.
        if (fields >> id >> kind && kind != "->" && fields >> mode >> access >> pid >> file &&
            file == wanted && pid > 0) {
            return pid;
        }
    }
    return 0;
}

// Terminal programs announce themselves in a lock file named after the device, holding the
// process id as text.
long LockFileHolder(const std::string& path) {
    const std::string lockName = "LCK.." + path.substr(path.rfind('/') + 1);
    for (const char* folder : {"/run/lock/", "/var/lock/"}) {
        std::ifstream file(folder + lockName);
        long pid = 0;
        if (file >> pid && pid > 0) {
            return pid;
        }
    }
    return 0;
}

std::string HolderText(const std::string& path) {
    long pid = FlockHolder(path);
    if (pid == 0) {
        pid = LockFileHolder(path);
    }
    if (pid == 0) {
        return "; another program holds it";
    }
    std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
    std::string name;
    std::getline(comm, name);
    return "; held by process " + std::to_string(pid) + (name.empty() ? "" : " (" + name + ")");
}

std::string Remedy(const std::string& path, int error) {
    switch (error) {
        case EACCES:
        case EPERM:
            return GroupRemedy(path);
        case ENOENT:
            return PresentDevices();
        case EBUSY:
            return HolderText(path);
        default:
            return "";
    }
}

}  // namespace

void ReportOpenFailure(const std::string& path, int error) {
    WriteErrorLine(std::string(program_invocation_short_name) + ": cannot open " + path + ": " +
                   std::strerror(error) + Remedy(path, error));
}

}  // namespace platform
