#pragma once
// Invariant checks inside fuzz targets. A broken one aborts, so that libFuzzer reports it like a
// crash and keeps the input that broke it.

#include <cstdio>
#include <cstdlib>

inline void Require(bool holds, const char* invariant) {
    if (!holds) {
        std::fprintf(stderr, "broken invariant: %s\n", invariant);
        std::abort();
    }
}
