#pragma once

#include <atomic>
#include <cstdint>

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
    explicit RandomSource(std::int32_t seed) : state(std::uint32_t(seed)) {}

    RandomSource(const RandomSource&) = delete;
    RandomSource& operator=(const RandomSource&) = delete;
    ~RandomSource() = default;

    /// Steps the state once and maps the new state to 0 .. n - 1 (n >= 1).
    std::int32_t drawBelow(std::int32_t n);

  private:
    // A step is one compare-and-swap: a thread whose swap fails retries on the state
    // that beat it, so every draw still takes a state of its own. Alone, a thread pays
    // one uncontended atomic per draw, and the generator draws often.
    std::atomic<std::uint32_t> state;
};

/// Milliseconds since the system started, wrapping at 2^32: a seed that differs from run
/// to run.
std::uint32_t millisecondsSinceBoot();

/// The seed of a created batch: the clock mixed with a value of the running process (its
/// id), so that runs started in the same millisecond, as parallel workers are, make
/// different batches. For one `milliseconds`, processes below 2^31 never share a seed.
std::int32_t batchSeed(std::uint32_t milliseconds, std::uint32_t process);

}  // namespace spanwright
