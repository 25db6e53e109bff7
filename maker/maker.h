#pragma once

// Puzzles to order: any size, island share and symmetry, each needing exactly the rung of
// the ladder asked for, unique, none repeating another of the run turned or flipped, and
// the same puzzles in the same order for the same request however many threads make them.

#include <atomic>
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

/// Boards drawn for one puzzle before the request is called unreachable: a rung met less
/// often than once in this many boards is out of reach at that size and share.
inline constexpr std::int64_t MAX_BOARDS_PER_PUZZLE = 20000;

/// How many times MAX_BOARDS_PER_PUZZLE (or the bound asked) the puzzles of a run after its
/// first may take. Once a rung has been met, the boards one puzzle takes only vary from
/// puzzle to puzzle: an expert 3 x 60 takes about 8,000 boards on average, and at the
/// first puzzle's bound one puzzle in ten missed, calling a run out of reach that had
/// made the others. The CPU bound stays as it is.
inline constexpr std::int64_t MET_RUNG_BOARDS_FACTOR = 10;

/// The part of a puzzle's bounds after which its look is a slow start: late enough that a
/// rung in reach but slow at a large size is rarely taken for one out of reach, early
/// enough to say so long before the bound.
inline constexpr int SLOW_START_PARTS = 4;

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
    /// Boards one puzzle may take: less than the full bound for a quick look at whether a
    /// request is in reach at all.
    std::int64_t boardsPerPuzzle = MAX_BOARDS_PER_PUZZLE;
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

/// Remakes of one puzzle that repeated an earlier one before the run is called exhausted:
/// small boards hold few different puzzles, and a run that asks for more would never end.
inline constexpr std::uint32_t MAX_REPEAT_ROUNDS = 200;

/// Draws boards for puzzle `index` of a run, round `round` (a later round replaces a
/// repeat), until one needs exactly the rung asked for. False after request.boardsPerPuzzle
/// boards or request.secondsPerPuzzle of CPU time, or once `halt` (when given) is set.
/// `boards` counts every board drawn. The result depends on nothing but the arguments.
/// With `slow`, it is called (from the calling thread) at every look at the clock once
/// 1 / SLOW_START_PARTS of the bounds has gone without the rung being met, with the boards
/// begun and the CPU seconds spent so far; it changes nothing of what is made.
using SlowCall = std::function<void(std::int64_t boards, double seconds)>;
bool makePuzzle(const MakeRequest& request, std::uint64_t index, std::uint32_t round,
                MadePuzzle& made, std::int64_t& boards, const SlowCall& slow = {},
                const std::atomic<bool>* halt = nullptr);

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
    /// With Unreachable or Refused: what the puzzle that ended the run was asked to be.
    MakeRequest missed;
    /// With Unreachable in a run of one rung: the share nearest the one asked at which a
    /// quick look met the rung, or 0 when none did.
    int workingShare = 0;
    /// In a run mixing rungs: those it made, the others left out before it began.
    std::vector<Rung> rungs;
};

/// What a mixed run found about one of its rungs before making anything.
struct RungTrial {
    Rung level = Rung::Easy;
    enum class Verdict {
        Usable,
        Unreachable,  ///< not met within a puzzle's bounds at its size and share
        Refused,      ///< met, but none of its first puzzles was kept
    } verdict = Verdict::Usable;
    int islandPercent = 0;  ///< the share it was tried at
};

/// The first puzzle of a run of one rung not met in a quick look: what the look spent,
/// and the share nearest the one asked at which the rung was met, or 0 for none.
struct SlowStart {
    MakeRequest asked;
    std::int64_t boards = 0;
    double seconds = 0;  ///< CPU time
    int workingShare = 0;
};

/// What a run says as it goes besides its progress, each at most once and from any
/// thread: a slow start, while the first puzzle is still looked for; and, in a run mixing
/// rungs, the trial of each rung, before anything is made.
struct BatchNotices {
    std::function<void(const SlowStart&)> slowStart;
    /// CPU seconds the quick look must have taken for a slow start to be looked into and
    /// reported: after a quicker one the full look ends soon as well, and says as much.
    double slowStartSeconds = 0;
    /// The trial of each rung and those the run goes on with.
    std::function<void(const std::vector<RungTrial>&, const std::vector<Rung>& kept)> rungsTried;
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
/// the first within the request's bounds, the others, of a rung in reach, within
/// MET_RUNG_BOARDS_FACTOR times its boards;
/// `write` returns false when the output failed, which ends the run. No puzzle repeats an
/// earlier one of the run under rotation or mirroring: a repeat is remade in its next
/// round. Memory stays bounded: at most a few puzzles per thread wait to be written.
/// A run mixing rungs first tries each (tryRungs) and leaves out those out of reach or
/// whose puzzles the filter refuses, while another rung can fill the run. With
/// notices.slowStart, the first puzzle is looked for quickly first; when that fails, the
/// share that would work is looked for beside the full look, and reported unless the full
/// look has ended by then.
BatchOutcome runBatch(const MakeRequest& request, std::int64_t count, int jobs,
                      const std::function<bool(const MadePuzzle&)>& write,
                      const ProgressReport& progress = {}, const BatchFilter& asked = {},
                      const BatchNotices& notices = {});

}  // namespace spanwright::maker
