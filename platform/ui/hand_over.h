#pragma once
// Tells the race detector about memory that Qt hands from one thread to another. An event posted
// from the serial reader thread reaches the window's thread through Qt's own queue, whose locks
// the detector cannot see (Qt is not instrumented); without this, the window's first look at
// such an event would be reported as a race.

#if defined(__SANITIZE_THREAD__)
#include <sanitizer/tsan_interface.h>
#endif

namespace platform::ui {

inline void ReleaseToOtherThread([[maybe_unused]] void* object) {
#if defined(__SANITIZE_THREAD__)
    __tsan_release(object);
#endif
}

inline void AcquireFromOtherThread([[maybe_unused]] void* object) {
#if defined(__SANITIZE_THREAD__)
    __tsan_acquire(object);
#endif
}

}  // namespace platform::ui
