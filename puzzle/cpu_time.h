#pragma once

// CPU time of the calling thread, for figures that a benchmark can cite: unlike wall time
// it does not grow when other work shares the machine.

#include <ctime>

namespace spanwright {

/// CPU seconds the calling thread has used so far. WebAssembly in a browser has no CPU
/// clock (asking for one fails and leaves the time at 0, so no limit would ever end a
/// search): there the page's one thread is timed by the monotonic clock instead.
inline double threadCpuSeconds() {
    timespec now{};
#ifdef __EMSCRIPTEN__
    clock_gettime(CLOCK_MONOTONIC, &now);
#else
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
#endif
    return double(now.tv_sec) + double(now.tv_nsec) * 1e-9;
}

/// Splits the calling thread's CPU time into stages that add up: each stage ends where
/// the next one starts.
class StageClock {
  public:
    /// Adds the time since the last stage ended (or since the clock started) to `stage`.
    void end(double& stage) {
        const double now = threadCpuSeconds();
        stage += now - start_;
        start_ = now;
    }

  private:
    double start_ = threadCpuSeconds();
};

}  // namespace spanwright
