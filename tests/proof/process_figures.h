#pragma once
// What the whole process costs, for bounds in the proof tests: CPU time of all its threads, its
// descriptors and threads, its resident memory, and the bytes its heap has handed out.

#include <cstdint>
#include <optional>

// User + system CPU time of every thread of the process so far, in milliseconds.
double ProcessCpuMs();

// The descriptors the process holds open and its threads, for leak checks.
int OpenDescriptors();
int ThreadCount();

// Resident set size (VmRSS), in KiB; nothing when it cannot be read, or under a sanitizer: its
// quarantine (AddressSanitizer) and shadow memory (both) keep growing with what was allocated,
// not with what is kept.
std::optional<std::int64_t> ResidentKiB();

// Bytes in use on the heap, or nothing under a sanitizer, whose allocator the C library cannot
// see. Counts every thread's allocations only once OneHeapArena() has run before any thread.
std::optional<std::int64_t> HeapInUseBytes();

// The heap in use and the resident size when made; either may be missing, as above.
struct MemoryMark {
    std::optional<std::int64_t> heapBytes = HeapInUseBytes();
    std::optional<std::int64_t> residentKiB = ResidentKiB();
};

// False when a figure that can be read has grown by its bound or more since the mark.
bool GrewLessThan(const MemoryMark& mark, std::int64_t heapBytes, std::int64_t residentKiB);

// Makes every thread allocate from one arena, so HeapInUseBytes sees them all. Call before the
// process starts its first thread.
void OneHeapArena();
