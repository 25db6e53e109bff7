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
    for (const Bridge& b : solution)
        if (b.row1 == r1 && b.column1 == c1 && b.row2 == r2 && b.column2 == c2) return b.bridges;
    return 0;
}

/// True when no island is beside the cell (across an edge): islands side by side cannot
/// be bridged and no game ID holds them.
bool standsAlone(const Puzzle& puzzle, int row, int column) {
    constexpr int STEPS[4][2] = {{-1, 0}, {1, 0}, {0, -1}, {0, 1}};
    for (const auto& step : STEPS) {
        const int r = row + step[0], c = column + step[1];
        if (r >= 0 && r < puzzle.height && c >= 0 && c < puzzle.width &&
            puzzle.cells[r * puzzle.width + c] != 0)
            return false;
    }
    return true;
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

    // An island in the middle of a bridge that one solution has and the other lacks (or
    // has fewer of): numbered twice the bridge, it keeps that solution and asks the other
    // for bridges it may not be able to give.
    for (int keep = 0; keep < 2; ++keep) {
        const Solution& kept = several.solutions[std::size_t(keep)];
        const Solution& other = several.solutions[std::size_t(1 - keep)];
        for (const Bridge& b : kept) {
            if (bridgesOn(other, b.row1, b.column1, b.row2, b.column2) >= b.bridges) continue;
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
                if (!search.timeLeft()) return suggestion;
                const int row = across ? b.row1 : b.row1 + k;
                const int column = across ? b.column1 + k : b.column1;
                if (!standsAlone(puzzle, row, column)) continue;
                const int number = 2 * b.bridges;
                if (!search.uniqueWith(row * width + column, std::uint8_t(ISLAND_BASE + number)))
                    continue;
                suggestion.found = true;
                suggestion.kind = Suggestion::Kind::Add;
                suggestion.row = row;
                suggestion.column = column;
                suggestion.number = number;
                suggestion.reason =
                    "an island of " + std::to_string(number) + " at " + cellName(row, column) +
                    ", on the " + (b.bridges == 2 ? "double bridge" : "bridge") + " between " +
                    cellName(b.row1, b.column1) + " and " + cellName(b.row2, b.column2) +
                    " of one solution, leaves that solution alone";
                return suggestion;
            }
        }
    }

    // One number changed, at an end of a line the two solutions bridge differently: the
    // numbers nearest the old one first.
    std::vector<int> ends;
    const auto differing = [&](const Solution& a, const Solution& b) {
        for (const Bridge& x : a)
            if (bridgesOn(b, x.row1, x.column1, x.row2, x.column2) != x.bridges) {
                ends.push_back(x.row1 * width + x.column1);
                ends.push_back(x.row2 * width + x.column2);
            }
    };
    differing(several.solutions[0], several.solutions[1]);
    differing(several.solutions[1], several.solutions[0]);
    std::vector<char> seen(std::size_t(puzzle.cellCount()), 0);
    for (const int cell : ends) {
        if (seen[std::size_t(cell)]) continue;
        seen[std::size_t(cell)] = 1;
        const int old = puzzle.cells[cell] - ISLAND_BASE;
        for (int distance = 1; distance < MAX_CLUE; ++distance)
            for (const int number : {old - distance, old + distance}) {
                if (number < 1 || number > MAX_CLUE) continue;
                if (!search.timeLeft()) return suggestion;
                if (!search.uniqueWith(cell, std::uint8_t(ISLAND_BASE + number))) continue;
                suggestion.found = true;
                suggestion.kind = Suggestion::Kind::Change;
                suggestion.row = cell / width;
                suggestion.column = cell % width;
                suggestion.number = number;
                suggestion.reason = "changing the " + std::to_string(old) + " at " +
                                    cellName(suggestion.row, suggestion.column) + " to " +
                                    std::to_string(number) + " leaves exactly one solution";
                return suggestion;
            }
    }
    return suggestion;
}

}  // namespace spanwright::maker
