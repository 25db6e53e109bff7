#pragma once

#include <cstdint>
#include <memory>

namespace spanwright {

/// Cell value of an island that needs no bridge; an island needing n bridges holds
/// ISLAND_BASE + n. The solver uses the same encoding for the bridges still missing.
inline constexpr std::uint8_t ISLAND_BASE = 5;

/// The most bridges two islands may share. The clue digits, the solver's two-bit line
/// states and the game IDs' "m2" rest on it, and each says so in a static_assert, so that
/// a variant with another limit finds them with grep.
inline constexpr int MAX_BRIDGES_PER_LINE = 2;

/// The largest clue: an island's four lines, each with the most bridges.
inline constexpr int MAX_CLUE = 4 * MAX_BRIDGES_PER_LINE;
static_assert(MAX_CLUE <= 9, "a clue is one digit in every text format");

/// Cell value of an island whose number is not given, as links and pencil-box files may
/// leave it: any number from 1 to 8 that makes the solution unique. Only the exact search
/// takes such islands; every other reader refuses them, naming the island.
inline constexpr std::uint8_t UNKNOWN_ISLAND = ISLAND_BASE + 9;

/// Widest and tallest board the tool takes: the solver adds a one-cell border and keeps
/// its bordered sides in signed 8 bits.
inline constexpr int MAX_BOARD_SIDE = 125;

/// One problem: islands and water, no border, no bridges.
/// `cells` holds width x height values row by row: 0 for water, ISLAND_BASE + n (6 to 13)
/// for an island that needs n bridges (1 to MAX_CLUE).
struct Puzzle {
    std::int8_t width = 0;
    std::int8_t height = 0;
    /// The grade the deduction solver gives (1 to 5), carried as the first field of a
    /// problem line (a line read keeps what that field holds); 0 where none is known, as
    /// from a game ID. Not the level people are shown.
    std::int8_t difficulty = 0;
    std::unique_ptr<std::uint8_t[]> cells;

    int cellCount() const { return int(width) * int(height); }
    /// Replaces the cell array by a zeroed one of width x height values.
    void allocateCells();
};

/// A record of its own holding the same board and difficulty.
Puzzle copyPuzzle(const Puzzle& puzzle);

}  // namespace spanwright
