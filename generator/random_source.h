#pragma once

#include <cstdint>
#include <mutex>

namespace spanwright {

/// The one pseudo-random source of a batch: a 31-bit linear congruential generator,
/// state' = (1103515245 * state + 12345) mod 2^31, shared by every generating thread.
///
/// Every random decision of the generator is exactly one drawBelow call, so the sequence
/// of decisions for a given seed is fixed as long as a single thread draws. With several
/// threads each draw still gets its own state of the one sequence; only the interleaving
/// varies.
class RandomSource {
  public:
    /// Seeds the source. Bit 31 of the seed has no effect.
    explicit RandomSource(std::int32_t seed) : state(seed) {}

    RandomSource(const RandomSource&) = delete;
    RandomSource& operator=(const RandomSource&) = delete;
    ~RandomSource() = default;

    /// Steps the state once and maps the new state to 0 .. n - 1 (n >= 1).
    std::int32_t drawBelow(std::int32_t n);

  private:
    std::int32_t state;
    std::mutex lock;  // held for the step alone; the mapping needs no shared state
};

/// Milliseconds since the system started, wrapping at 2^32: a seed that differs from run
/// to run.
std::uint32_t millisecondsSinceBoot();

}  // namespace spanwright
