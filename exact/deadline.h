#pragma once

// The end of an exact search's time, in CPU seconds of the calling thread: a verdict near
// the limit then does not depend on how busy the machine is, and a program deciding
// puzzles on several threads gives each its own budget.

#include <cadical.hpp>

#include "exact/exact_solver.h"
#include "puzzle/cpu_time.h"

namespace spanwright::exact {

/// Asks the SAT solver to stop once the time is up; it polls this while it searches.
class Deadline : public CaDiCaL::Terminator {
  public:
    explicit Deadline(const ExactLimits& limits)
        : limited_(limits.seconds > 0), end_(threadCpuSeconds() + limits.seconds) {}

    bool limited() const { return limited_; }
    bool terminate() override { return limited_ && threadCpuSeconds() >= end_; }

  private:
    bool limited_;
    double end_;
};

}  // namespace spanwright::exact
