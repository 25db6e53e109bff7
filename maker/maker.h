#pragma once

// Puzzles to order: any size, island share and symmetry, each needing exactly the rung of
// the ladder asked for, unique, none repeating another of the run turned or flipped, and
// the same puzzles in the same order for the same request however many threads make them.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "maker/layout.h"
#include "maker/rung_check.h"
#include "puzzle/puzzle.h"
#include "puzzle/solution.h"

namespace spanwright::maker {

inline constexpr int MIN_SIDE = 3;
inline constexpr int MAX_SIDE = 60;
inline constexpr int MIN_ISLAND_PERCENT = 5;
inline constexpr int MAX_ISLAND_PERCENT = 40;

/// The default island share of `level`, in percent.
int defaultIslandPercent(Rung level);

/// CPU seconds one puzzle may take before the request is called unreachable, besides the
/// board count: boards of a large size cost far more each, and 20,000 of them ran for
/// minutes before saying so. Well above what any rung in reach needs at 60 x 60.
inline constexpr double MAX_SECONDS_PER_PUZZLE = 20;

/// A request: what every puzzle of the run must be.
struct MakeRequest {
    int width = 10;
    int height = 10;
    Rung level = Rung::Medium;
    int islandPercent = 25;
    Symmetry symmetry = Symmetry::None;
    std::uint32_t seed = 1;
    /// CPU seconds of its thread one puzzle may take; 0 for no bound.
    double secondsPerPuzzle = MAX_SECONDS_PER_PUZZLE;
};

/// One made puzzle.
struct MadePuzzle {
    Puzzle puzzle;  ///< difficulty set to the grade
    Solution solution;
    Rung level = Rung::Easy;  ///< the rung it needs
    double score = 0;         ///< the ladder's score
    int grade = 0;            ///< the fixed solver's grade, 1 to 5 (5 when it cannot finish)
    int islands = 0;
    std::uint64_t hash = 0;  ///< the hash of its canonical form
};

/// Boards drawn for one puzzle before the request is called unreachable: a rung met less
/// often than once in this many boards is out of reach at that size and share.
inline constexpr std::int64_t MAX_BOARDS_PER_PUZZLE = 20000;

/// Remakes of one puzzle that repeated an earlier one before the run is called exhausted:
/// small boards hold few different puzzles, and a run that asks for more would never end.
inline constexpr std::uint32_t MAX_REPEAT_ROUNDS = 200;

/// Draws boards for puzzle `index` of a run, round `round` (a later round replaces a
/// repeat), until one needs exactly the rung asked for. False after MAX_BOARDS_PER_PUZZLE
/// boards or request.secondsPerPuzzle of CPU time. `boards` counts every board drawn. The result
/// depends on nothing but the arguments.
bool makePuzzle(const MakeRequest& request, std::uint64_t index, std::uint32_t round,
                MadePuzzle& made, std::int64_t& boards);

/// The fixed solver's grade of `puzzle`: that of its score when it finishes, 5 when not.
int fixedGrade(const Puzzle& puzzle);

/// How a run ended.
struct BatchOutcome {
    enum class End {
        Done,
        WriteFailed,
        Unreachable,  ///< a puzzle was not met in MAX_BOARDS_PER_PUZZLE boards or in time
        Exhausted,    ///< a puzzle repeated an earlier one MAX_REPEAT_ROUNDS times in a row
        Refused,      ///< a puzzle was refused by the filter MAX_REPEAT_ROUNDS times in a row
    } end = End::Done;
    std::int64_t written = 0;
    std::int64_t boards = 0;   ///< boards drawn in all
    std::int64_t islands = 0;  ///< islands of the puzzles written, in all
};

/// Progress of a run, for a status line: puzzles written and boards drawn so far.
using ProgressReport = std::function<void(std::int64_t written, std::int64_t boards)>;

/// What a run keeps beyond the rung asked for. A puzzle the filter refuses is remade in its
/// next round, as a repeat is, so the run stays the same whatever the threads.
struct BatchFilter {
    /// Whether a made puzzle may be written; empty: every one. Called from any thread.
    std::function<bool(const MadePuzzle&)> accept;
    /// When not empty, puzzle `index` is made in round `round` at the rung
    /// rungs[(index + round) % rungs.size()] instead of the request's, so that a run mixes
    /// them and a rung that misses is followed by another.
    std::vector<Rung> rungs;
    /// With `rungs`: each rung at its own default share instead of the request's.
    bool rungShares = false;
};

/// Makes `count` puzzles with `jobs` threads and hands them to `write` in order of index;
/// `write` returns false when the output failed, which ends the run. No puzzle repeats an
/// earlier one of the run under rotation or mirroring: a repeat is remade in its next
/// round. Memory stays bounded: at most a few puzzles per thread wait to be written.
BatchOutcome runBatch(const MakeRequest& request, std::int64_t count, int jobs,
                      const std::function<bool(const MadePuzzle&)>& write,
                      const ProgressReport& progress = {}, const BatchFilter& filter = {});

}  // namespace spanwright::maker
