#pragma once

#include <cstdint>
#include <memory>

namespace spanwright {

/// Cell value of an island that needs no bridge; an island needing n bridges holds
/// ISLAND_BASE + n. The solver uses the same encoding for the bridges still missing.
inline constexpr std::uint8_t ISLAND_BASE = 5;

/// Cell value of an island whose number is not given, as links and pencil-box files may
/// leave it: any number from 1 to 8 that makes the solution unique. Only the exact search
/// takes such islands; every other reader refuses them, naming the island.
inline constexpr std::uint8_t UNKNOWN_ISLAND = ISLAND_BASE + 9;

/// Widest and tallest board the tool takes: the solver adds a one-cell border and keeps
/// its bordered sides in signed 8 bits.
inline constexpr int MAX_BOARD_SIDE = 125;

/// One problem: islands and water, no border, no bridges.
/// `cells` holds width x height values row by row: 0 for water, ISLAND_BASE + n (6 to 13)
/// for an island that needs n bridges.
struct Puzzle {
    std::int8_t width = 0;
    std::int8_t height = 0;
    std::int8_t difficulty = 0;
    std::unique_ptr<std::uint8_t[]> cells;

    int cellCount() const { return int(width) * int(height); }
    /// Replaces the cell array by a zeroed one of width x height values.
    void allocateCells();
};

/// A record of its own holding the same board and difficulty.
Puzzle copyPuzzle(const Puzzle& puzzle);

}  // namespace spanwright
