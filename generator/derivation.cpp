#include "generator/derivation.h"

#include <algorithm>
#include <utility>

#include "solver/solve.h"

namespace spanwright {
namespace {

/// Collects every bridge of the layout, horizontal ones row by row, then vertical ones
/// column by column, each by its two end islands. Returns how many there are.
int collectRuns(GeneratorBoard& board) {
    const int w = board.size;
    const std::uint8_t* layout = board.layout.data();
    int count = 0;
    for (int r = 1; r < w - 1; ++r) {
        bool inside = false;
        for (int c = 1; c < w - 1; ++c) {
            const int pos = r * w + c;
            if (!inside && layout[pos] == GEN_H_BRIDGE) {
                board.runs[count].startCell = std::uint16_t(pos - 1);
                inside = true;
            } else if (inside && layout[pos] >= ISLAND_BASE) {
                board.runs[count++].endCell = std::uint16_t(pos);
                inside = false;
            }
        }
    }
    for (int c = 1; c < w - 1; ++c) {
        bool inside = false;
        for (int r = 1; r < w - 1; ++r) {
            const int pos = r * w + c;
            if (!inside && layout[pos] == GEN_V_BRIDGE) {
                board.runs[count].startCell = std::uint16_t(pos - w);
                inside = true;
            } else if (inside && layout[pos] >= ISLAND_BASE) {
                board.runs[count++].endCell = std::uint16_t(pos);
                inside = false;
            }
        }
    }
    return count;
}

/// Makes bridge `run` of the derived problem double: both end islands need one more.
void doubleBridge(GeneratorBoard& board, const BridgeRun& run) {
    ++board.derived[run.startCell];
    ++board.derived[run.endCell];
}

/// A problem is worth keeping when it needed the isolation rule or a trial that refuted
/// its first alternative; an easy one passes only by a 1-in-20 chance.
enum class Verdict { Accepted, TooEasy, Unsolved };

Verdict tryDerived(GeneratorBoard& board, SolveStats& stats) {
    board.checker.copyFrom(board.scannedLayout);
    board.checker.recodeIslands(board.derived.data());
    if (!solveScannedBoard(stats, board.checker, board.checkerTrials, false))
        return Verdict::Unsolved;
    if (stats.isolationSteps != 0 || stats.trialFirstRefuted != 0) return Verdict::Accepted;
    return board.random->drawBelow(20) == 0 ? Verdict::Accepted : Verdict::TooEasy;
}

constexpr int SHUFFLE_PASSES = 10;

}  // namespace

double ratingScore(const SolveStats& stats) {
    // The terms are added in this order; the sum is compared with exact thresholds.
    return stats.tableSteps * 1.7312 + 80.4931 + stats.pairSteps * 2.9706 +
           stats.isolationSteps * 18.0117 + stats.trialFirstRefuted * 18.6845 +
           stats.trialSecondRefuted * 18.6845 + stats.interiorCells * 0.0;
}

int gradeOf(double score) {
    for (int grade = 1; grade <= int(DIFFICULTY_THRESHOLDS.size()); ++grade)
        if (DIFFICULTY_THRESHOLDS[grade - 1] > score) return grade;
    return int(DIFFICULTY_THRESHOLDS.size()) + 1;
}

int gradeByDeduction(const Puzzle& puzzle) {
    SolverBoard board;
    board.loadPuzzle(puzzle);
    SolveStats stats;
    return solveBoard(stats, board, false) ? gradeOf(ratingScore(stats)) : 0;
}

void gradeIfUngraded(Puzzle& puzzle) {
    if (puzzle.difficulty == 0) puzzle.difficulty = std::int8_t(gradeByDeduction(puzzle));
}

bool deriveProblem(GeneratorBoard& board, Puzzle& puzzle) {
    const int w = board.size;
    const int bridges = collectRuns(board);
    // Keep the islands with their single-bridge clues, nothing else.
    const auto notIsland = [](std::uint8_t cell) { return cell < ISLAND_BASE; };
    std::replace_if(board.layout.begin(), board.layout.end(), notIsland, std::uint8_t{0});
    board.scannedLayout.loadPlane(board.layout.data());
    board.scannedLayout.scanLines();

    const int firstDoubles = 3 * bridges / 10;
    const int doubleLimit = 4 * bridges / 10;
    BridgeRun* runs = board.runs.data();
    SolveStats stats;
    bool accepted = false;
    for (int pass = 0; pass < SHUFFLE_PASSES && !accepted; ++pass) {
        std::copy(board.layout.begin(), board.layout.end(), board.derived.begin());
        for (int k = bridges - 1; k >= 1; --k)
            std::swap(runs[k], runs[board.random->drawBelow(k + 1)]);
        for (int m = 0; m < firstDoubles; ++m)
            doubleBridge(board, runs[m]);

        // One more double bridge after each failure; the last one doubled is never tried.
        for (int tried = firstDoubles; tried < doubleLimit; ++tried) {
            const Verdict verdict = tryDerived(board, stats);
            if (verdict == Verdict::Accepted) accepted = true;
            if (verdict != Verdict::Unsolved) break;
            doubleBridge(board, runs[tried]);
        }
    }
    if (!accepted) return false;

    puzzle.difficulty = std::int8_t(gradeOf(ratingScore(stats)));
    for (int r = 1; r < w - 1; ++r)
        for (int c = 1; c < w - 1; ++c)
            puzzle.cells[(r - 1) * puzzle.width + (c - 1)] = board.derived[r * w + c];
    return true;
}

void generateProblem(RandomSource& random, int width, int height, Puzzle& puzzle) {
    puzzle.width = std::int8_t(width);
    puzzle.height = std::int8_t(height);
    puzzle.allocateCells();
    GeneratorBoard board;
    board.setUp(random, width);
    for (;;) {
        board.resetLayout();
        board.growLayout();
        if (board.finishLayout() && deriveProblem(board, puzzle)) return;
    }
}

}  // namespace spanwright
