#include "maker/suggestion.h"

#include <algorithm>
#include <cstdlib>
#include <vector>

#include "puzzle/cpu_time.h"

namespace spanwright::maker {
namespace {

std::string cellName(int row, int column) {
    return "(" + std::to_string(row + 1) + "," + std::to_string(column + 1) + ")";
}

/// How many bridges `solution` gives the line between two cells, 0 for none.
int bridgesOn(const Solution& solution, int r1, int c1, int r2, int c2) {
    const auto found = std::find_if(solution.begin(), solution.end(), [&](const Bridge& b) {
        return b.row1 == r1 && b.column1 == c1 && b.row2 == r2 && b.column2 == c2;
    });
    return found == solution.end() ? 0 : found->bridges;
}

/// True when no island is beside the cell (across an edge): islands side by side cannot
/// be bridged and no game ID holds them.
bool standsAlone(const Puzzle& puzzle, int row, int column) {
    const auto island = [&](int r, int c) {
        return r >= 0 && r < puzzle.height && c >= 0 && c < puzzle.width &&
               puzzle.cells[r * puzzle.width + c] != 0;
    };
    return !island(row - 1, column) && !island(row + 1, column) && !island(row, column - 1) &&
           !island(row, column + 1);
}

class Search {
  public:
    Search(const Puzzle& puzzle, double seconds)
        : puzzle_(puzzle), end_(threadCpuSeconds() + seconds) {}

    bool timeLeft() const { return threadCpuSeconds() < end_; }

    /// Whether `puzzle_` with `cell` holding `value` has exactly one solution.
    bool uniqueWith(int cell, std::uint8_t value) const {
        const double left = end_ - threadCpuSeconds();
        if (left <= 0) return false;
        Puzzle changed = copyPuzzle(puzzle_);
        changed.cells[cell] = value;
        exact::ExactLimits limits;
        limits.seconds = left;
        return exact::solveExactly(changed, limits).verdict == exact::Verdict::Unique;
    }

  private:
    const Puzzle& puzzle_;
    double end_;
};

}  // namespace

Suggestion suggestUnique(const Puzzle& puzzle, const exact::ExactResult& several, double seconds) {
    Suggestion suggestion;
    if (several.verdict != exact::Verdict::Multiple || several.solutions.size() != 2)
        return suggestion;
    const Search search(puzzle, seconds);
    const int width = puzzle.width;
    std::vector<char> tried(std::size_t(puzzle.cellCount()), 0);

    // An island in the middle of a bridge of one solution, numbered twice the bridge: it
    // keeps that solution and asks the others for bridges they may not be able to give.
    // `differing` takes only the bridges the other solution lacks (or has fewer of), which
    // rule it out at once.
    const auto addOnBridges = [&](bool differing) {
        for (int keep = 0; keep < 2; ++keep) {
            const Solution& kept = several.solutions[std::size_t(keep)];
            const Solution& other = several.solutions[std::size_t(1 - keep)];
            for (const Bridge& b : kept) {
                const bool differs =
                    bridgesOn(other, b.row1, b.column1, b.row2, b.column2) < b.bridges;
                if (differs != differing) continue;
                const bool across = b.row1 == b.row2;
                const int length = across ? b.column2 - b.column1 : b.row2 - b.row1;
                // The cells nearest the middle first: they split the bridge most evenly.
                std::vector<int> steps;
                for (int k = 1; k < length; ++k)
                    steps.push_back(k);
                std::stable_sort(steps.begin(), steps.end(), [&](int x, int y) {
                    return std::abs(2 * x - length) < std::abs(2 * y - length);
                });
                for (const int k : steps) {
                    if (!search.timeLeft()) return true;
                    const int row = across ? b.row1 : b.row1 + k;
                    const int column = across ? b.column1 + k : b.column1;
                    const int cell = row * width + column;
                    if (tried[std::size_t(cell)] || !standsAlone(puzzle, row, column)) continue;
                    tried[std::size_t(cell)] = 1;
                    const int number = 2 * b.bridges;
                    if (!search.uniqueWith(cell, std::uint8_t(ISLAND_BASE + number))) continue;
                    suggestion.found = true;
                    suggestion.kind = Suggestion::Kind::Add;
                    suggestion.row = row;
                    suggestion.column = column;
                    suggestion.number = number;
                    suggestion.reason =
                        "an island of " + std::to_string(number) + " at " + cellName(row, column) +
                        ", on the " + (b.bridges == 2 ? "double bridge" : "bridge") + " between " +
                        cellName(b.row1, b.column1) + " and " + cellName(b.row2, b.column2) +
                        " of one solution, leaves that one the only solution";
                    return true;
                }
            }
        }
        return false;
    };

    // One number changed, the numbers nearest the old one first. Every bridge has two
    // ends, so the numbers of a solvable puzzle add up to an even sum: only an even
    // change can leave a solution.
    const auto change = [&](int cell) {
        if (tried[std::size_t(cell)]) return false;
        tried[std::size_t(cell)] = 1;
        const int old = puzzle.cells[cell] - ISLAND_BASE;
        for (int distance = 2; distance < MAX_CLUE; distance += 2)
            for (const int number : {old - distance, old + distance}) {
                if (number < 1 || number > MAX_CLUE) continue;
                if (!search.timeLeft()) return true;
                if (!search.uniqueWith(cell, std::uint8_t(ISLAND_BASE + number))) continue;
                suggestion.found = true;
                suggestion.kind = Suggestion::Kind::Change;
                suggestion.row = cell / width;
                suggestion.column = cell % width;
                suggestion.number = number;
                suggestion.reason = "changing the " + std::to_string(old) + " at " +
                                    cellName(suggestion.row, suggestion.column) + " to " +
                                    std::to_string(number) + " leaves exactly one solution";
                return true;
            }
        return false;
    };

    // The ends of the lines the two solutions bridge differently come first.
    std::vector<int> ends;
    for (int one = 0; one < 2; ++one)
        for (const Bridge& x : several.solutions[std::size_t(one)])
            if (bridgesOn(several.solutions[std::size_t(1 - one)], x.row1, x.column1, x.row2,
                          x.column2) != x.bridges) {
                ends.push_back(x.row1 * width + x.column1);
                ends.push_back(x.row2 * width + x.column2);
            }

    if (addOnBridges(true)) return suggestion;
    for (const int cell : ends)
        if (change(cell)) return suggestion;
    if (addOnBridges(false)) return suggestion;
    for (int cell = 0; cell < puzzle.cellCount(); ++cell)
        if (puzzle.cells[cell] != 0 && change(cell)) return suggestion;

    return suggestion;
}

}  // namespace spanwright::maker
