#include "process_figures.h"

#include <malloc.h>
#include <sys/resource.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

namespace {

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif

int EntriesIn(const char* directory) {
    // The iterator's own descriptor is counted too: the same one each time.
    const std::filesystem::directory_iterator entries(directory);
    return static_cast<int>(std::distance(begin(entries), end(entries)));
}

double Ms(const timeval& time) {
    return static_cast<double>(time.tv_sec) * 1000.0 + static_cast<double>(time.tv_usec) / 1000.0;
}

}  // namespace

double ProcessCpuMs() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return Ms(usage.ru_utime) + Ms(usage.ru_stime);
}

int OpenDescriptors() {
    return EntriesIn("/proc/self/fd");
}

int ThreadCount() {
    return EntriesIn("/proc/self/task");
}

std::optional<std::int64_t> ResidentKiB() {
    if (kSanitized) {
        return std::nullopt;
    }
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "VmRSS:") {
            std::int64_t kib = 0;
            status >> kib;
            return kib;
        }
        status.ignore(1024, '\n');
    }
    return std::nullopt;
}

std::optional<std::int64_t> HeapInUseBytes() {
    if (kSanitized) {
        return std::nullopt;
    }
    const struct mallinfo2 info = ::mallinfo2();
    // Small blocks from the arenas, large ones mapped one by one.
    return static_cast<std::int64_t>(info.uordblks + info.hblkhd);
}

// A figure that cannot be read (on either side) bounds nothing. Under ThreadSanitizer at -O1,
// GCC 12 warns that a figure known to be missing may be read uninitialised in the branch that
// reads it only when present (a false alarm of its optional<> analysis).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
bool GrewLessThan(const MemoryMark& mark, std::int64_t heapBytes, std::int64_t residentKiB) {
    const MemoryMark now;
    const bool heapOk =
        !mark.heapBytes || !now.heapBytes || *now.heapBytes - *mark.heapBytes < heapBytes;
    const bool residentOk =
        !mark.residentKiB || !now.residentKiB || *now.residentKiB - *mark.residentKiB < residentKiB;
    return heapOk && residentOk;
}
#pragma GCC diagnostic pop

void OneHeapArena() {
    if (!kSanitized) {
        ::mallopt(M_ARENA_MAX, 1);
    }
}
