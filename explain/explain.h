#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "explain/ladder.h"
#include "puzzle/puzzle.h"
#include "puzzle/solution.h"

namespace spanwright::explain {

/// "easy", "medium", "hard", "expert", "extreme".
std::string_view rungName(Rung rung);
/// The ladder for help texts: a line per rung with what it needs, and how the lower rungs
/// stand to the levels of the peer game.
std::string ladderText();
/// The rung named `name` (exactly as rungName gives it); false for anything else.
bool parseRung(std::string_view name, Rung& rung);

/// A line narrowed by a step: the islands at its ends (r1,c1 the upper or left one, puzzle
/// rows and columns from 0) and its new least and most bridges (0 to MAX_BRIDGES_PER_LINE).
struct LineBounds {
    int row1, column1, row2, column2, least, most;
};

struct Step {
    Rung rung = Rung::Easy;                    ///< the rung of the technique used
    std::string technique;                     ///< short stable name, e.g. "full-lines"
    std::vector<std::pair<int, int>> islands;  ///< (row, column) of the islands it is about
    std::vector<LineBounds> sets;              ///< the lines it narrows, with their new bounds
    std::string reason;  ///< one plain English sentence, ending with a full stop
    /// How many steps of its kind the board offered together with this one (its round).
    int choices = 0;
    /// A trial: the supposition it refuted (the line and the bounds supposed).
    bool supposes = false;
    LineBounds supposed{};
};

struct Options {
    Rung highest = Rung::Extreme;     ///< the strongest rung it may use
    std::size_t maxSteps = SIZE_MAX;  ///< stop after this many steps (1 for a hint)
    /// Bridges already laid (a game in progress): each counts as at least that many bridges
    /// on its line. The caller checks them against the solution first.
    std::vector<Bridge> laid;
    /// More that is known before the first step (a player's marks, a supposition): each
    /// line is narrowed to these bounds. A line that is not between two facing islands
    /// makes the position impossible.
    std::vector<LineBounds> given;
    /// CPU seconds of the calling thread the solve may take, 0 for no bound: a program
    /// bounding the whole work on a puzzle stops the rating too. The explanation then ends
    /// unsolved, with `stopped` set.
    double cpuSeconds = 0;
};

/// An island whose number the puzzle does not give, and the number the steps found for it:
/// the count of its bridges once none of its lines can change, -1 until then.
struct FoundNumber {
    int row, column, number;
};

struct Explanation {
    bool solved = false;         ///< every line settled and the result is a solution
    bool contradiction = false;  ///< the position (given laid bridges) admits no solution
    bool stopped = false;        ///< Options::cpuSeconds ran out before it was solved
    Rung level = Rung::Easy;     ///< the highest rung any step needed
    /// The difficulty score (higher is harder). The steps are found in rounds: each round
    /// takes every step of the easiest kind the board offers at that moment, all found on
    /// the same position, so the score does not depend on how the board is turned or
    /// mirrored. A round adds 0.1 (one more look over the board), and for each technique
    /// used in it a weight times the square root of its number of steps in the round: 0 for
    /// the easy steps that settle lines (full lines, a finished island), 0.05 for the easy
    /// ones that give lines a first bridge and for a line crossed by a bridge, 2 for
    /// reasoning with neighbours' capacity, 3 for a hard step, 9 for an expert one and 27
    /// for a trial. The sum is taken per hundred islands, with 25 added to the island count
    /// so that a tiny board is not rated as if its few steps filled a large one:
    /// score = round(10 * 100 * sum / (islands + 25)) / 10.
    double score = 0;
    std::vector<Step> steps;
    Solution solution;  ///< when solved: the bridges, in Solution order
    /// One per island without a number, in row-major order (none for a puzzle that gives
    /// every number).
    std::vector<FoundNumber> numbers;
};

/// Solves stepwise, simplest deduction first, and records every step. An island without a
/// number (UNKNOWN_ISLAND) takes at least one bridge and at most what its lines carry; the
/// steps never suppose more of it.
Explanation explainPuzzle(const Puzzle& puzzle, const Options& options = {});

/// `puzzle` with each island without a number given the number the explanation found
/// for it, where it found one.
Puzzle withFoundNumbers(const Puzzle& puzzle, const Explanation& explanation);

/// What a picture after a step needs: the bounds of every line after replaying the first
/// `steps` steps of `explanation` on the blank puzzle (with the laid bridges).
/// Returned as the list of lines whose least is at least 1: the bridges known so far.
Solution knownBridges(const Puzzle& puzzle, const Explanation& explanation, std::size_t steps,
                      const std::vector<Bridge>& laid = {});

}  // namespace spanwright::explain
