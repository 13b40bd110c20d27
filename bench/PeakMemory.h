#pragma once

// The benchmarks' one measure of memory: the process's peak resident size.

#include <sys/resource.h>

namespace Bench {

// The most memory the process has held at once so far, in KiB.
inline long PeakKiB() {
    rusage usage{};
    ::getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

}  // namespace Bench
