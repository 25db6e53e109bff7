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
