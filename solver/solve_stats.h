#pragma once

#include <cstdint>

namespace spanwright {

/// What a solve cost, in the order of the statistics line.
struct SolveStats {
    std::int32_t tableSteps = 0;          ///< line changes made by the island rule
    std::int32_t pairSteps = 0;           ///< line changes made by the pair rule
    std::int32_t isolationSteps = 0;      ///< isolation-rule applications that changed a line
    std::int32_t trialFirstRefuted = 0;   ///< trials settled by refuting the first alternative
    std::int32_t trialSecondRefuted = 0;  ///< trials settled by refuting the second alternative
    std::int32_t interiorCells = 0;       ///< cells of the puzzle, border excluded
};

/// Adds to a counter with wrap-around, so that an absurdly long solve of a huge board
/// cannot overflow a signed counter.
inline void addCount(std::int32_t& counter, int amount) {
    counter = std::int32_t(std::uint32_t(counter) + std::uint32_t(amount));
}

}  // namespace spanwright
