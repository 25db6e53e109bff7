#pragma once

// CPU time of the calling thread, for figures that a benchmark can cite: unlike wall time
// it does not grow when other work shares the machine.

#include <ctime>

namespace spanwright {

/// CPU seconds the calling thread has used so far.
inline double threadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

}  // namespace spanwright
