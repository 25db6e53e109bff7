#include "tests/support/solution_check.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "puzzle/problem_line.h"

namespace spanwright::testing {
namespace {

constexpr std::uint8_t kHighestIsland = ISLAND_BASE + 8;

bool isHorizontal(std::uint8_t code) {
    return code == kHorizontalSingle || code == kHorizontalDouble;
}
bool isVertical(std::uint8_t code) {
    return code == kVerticalSingle || code == kVerticalDouble;
}
bool isBridge(std::uint8_t code) {
    return isHorizontal(code) || isVertical(code);
}
bool isIsland(std::uint8_t code) {
    return code >= ISLAND_BASE && code <= kHighestIsland;
}
int bridgesOf(std::uint8_t code) {
    return code == kHorizontalDouble || code == kVerticalDouble ? 2 : 1;
}

std::string describeCode(std::uint8_t code) {
    switch (code) {
        case kWater:
            return "water";
        case kHorizontalSingle:
            return "a single horizontal bridge";
        case kHorizontalDouble:
            return "a double horizontal bridge";
        case kVerticalSingle:
            return "a single vertical bridge";
        case kVerticalDouble:
            return "a double vertical bridge";
    }
    if (isIsland(code)) return "an island";
    return "unknown code " + std::to_string(code);
}

/// A puzzle position for messages.
std::string at(int row, int column) {
    return "(" + std::to_string(row) + ", " + std::to_string(column) + ")";
}

/// Read access to a bordered plane in puzzle coordinates: (-1, -1) is the top left
/// border cell.
class Plane {
  public:
    Plane(const Puzzle& puzzle, const std::uint8_t* cells)
        : rows_(puzzle.height), columns_(puzzle.width), cells_(cells) {}

    int rows() const { return rows_; }
    int columns() const { return columns_; }
    std::uint8_t operator()(int row, int column) const {
        return cells_[(row + 1) * (columns_ + 2) + column + 1];
    }

  private:
    int rows_;
    int columns_;
    const std::uint8_t* cells_;
};

constexpr int kRowStep[4] = {0, 0, -1, 1};
constexpr int kColumnStep[4] = {-1, 1, 0, 0};
const char* const kDirectionName[4] = {"on its left", "on its right", "above it", "below it"};

/// Whether a bridge code runs along direction `direction` (0..3 as in kRowStep).
bool runsAlong(std::uint8_t code, int direction) {
    return direction < 2 ? isHorizontal(code) : isVertical(code);
}

std::string checkCells(const Puzzle& puzzle, const Plane& plane) {
    // The border: the solver keeps it as water so that its walks stop there.
    for (int r = -1; r <= plane.rows(); ++r) {
        for (int c = -1; c <= plane.columns(); ++c) {
            bool border = r < 0 || c < 0 || r == plane.rows() || c == plane.columns();
            if (border && plane(r, c) != kWater)
                return "border cell " + at(r, c) + " holds " + describeCode(plane(r, c));
        }
    }
    for (int r = 0; r < plane.rows(); ++r) {
        for (int c = 0; c < plane.columns(); ++c) {
            std::uint8_t given = puzzle.cells[r * puzzle.width + c];
            std::uint8_t code = plane(r, c);
            if (given != kWater && !(given > ISLAND_BASE && given <= kHighestIsland))
                return "puzzle cell " + at(r, c) + " holds " + std::to_string(given);
            if (code > kHighestIsland) return "cell " + at(r, c) + " holds " + describeCode(code);
            if (given != kWater) {
                if (!isIsland(code))
                    return "island " + at(r, c) + " is covered by " + describeCode(code);
                if (code != ISLAND_BASE)
                    return "island " + at(r, c) + " is marked incomplete (code " +
                           std::to_string(code) + ")";
            } else if (isIsland(code)) {
                return "an island stands at " + at(r, c) + " where the puzzle has water";
            }
        }
    }
    return "";
}

/// Every bridge cell must lie on a straight run of one code whose both ends touch an
/// island; a crossing, a kink or a loose end all show up as a run ending elsewhere.
std::string checkRuns(const Plane& plane) {
    for (int r = 0; r < plane.rows(); ++r) {
        for (int c = 0; c < plane.columns(); ++c) {
            std::uint8_t code = plane(r, c);
            if (!isBridge(code)) continue;
            int first = isHorizontal(code) ? 0 : 2;
            for (int d = first; d < first + 2; ++d) {
                int rr = r + kRowStep[d];
                int cc = c + kColumnStep[d];
                // Only the cell at each end of a run needs to look past it.
                if (plane(rr, cc) == code) continue;
                if (!isIsland(plane(rr, cc)))
                    return describeCode(code) + " at " + at(r, c) + " runs into " +
                           describeCode(plane(rr, cc)) + " " + kDirectionName[d];
            }
        }
    }
    return "";
}

std::string checkIslandEnds(const Puzzle& puzzle, const Plane& plane) {
    for (int r = 0; r < plane.rows(); ++r) {
        for (int c = 0; c < plane.columns(); ++c) {
            std::uint8_t given = puzzle.cells[r * puzzle.width + c];
            if (given == kWater) continue;
            int ends = 0;
            for (int d = 0; d < 4; ++d) {
                std::uint8_t next = plane(r + kRowStep[d], c + kColumnStep[d]);
                if (runsAlong(next, d)) ends += bridgesOf(next);
            }
            int need = given - ISLAND_BASE;
            if (ends != need)
                return "island " + at(r, c) + " has " + std::to_string(ends) +
                       " bridge ends but shows " + std::to_string(need);
        }
    }
    return "";
}

/// Follows the bridges from the first island; checkRuns has made sure that every run
/// leaving an island reaches another.
std::string checkConnected(const Plane& plane) {
    const int columns = plane.columns();
    std::vector<char> seen(std::size_t(plane.rows() * columns), 0);
    std::vector<std::pair<int, int>> pending;
    int islands = 0;
    for (int r = 0; r < plane.rows(); ++r) {
        for (int c = 0; c < columns; ++c) {
            if (!isIsland(plane(r, c))) continue;
            ++islands;
            if (islands == 1) {
                seen[r * columns + c] = 1;
                pending.emplace_back(r, c);
            }
        }
    }
    int reached = 0;
    std::pair<int, int> lastReached{0, 0};
    while (!pending.empty()) {
        auto [r, c] = pending.back();
        pending.pop_back();
        ++reached;
        lastReached = {r, c};
        for (int d = 0; d < 4; ++d) {
            int rr = r + kRowStep[d];
            int cc = c + kColumnStep[d];
            const std::uint8_t code = plane(rr, cc);
            if (!runsAlong(code, d)) continue;
            while (plane(rr, cc) == code) {
                rr += kRowStep[d];
                cc += kColumnStep[d];
            }
            if (isIsland(plane(rr, cc)) && !seen[rr * columns + cc]) {
                seen[rr * columns + cc] = 1;
                pending.emplace_back(rr, cc);
            }
        }
    }
    if (reached == islands) return "";
    for (int r = 0; r < plane.rows(); ++r)
        for (int c = 0; c < columns; ++c)
            if (isIsland(plane(r, c)) && !seen[r * columns + c])
                return "island " + at(r, c) + " is not joined to island " +
                       at(lastReached.first, lastReached.second);
    return "";
}

// ---- Exhaustive search ------------------------------------------------------------------

struct Island {
    int row = 0;
    int column = 0;
    int need = 0;
    std::vector<int> links;
};

/// A place for bridges: two islands facing each other across water.
struct Link {
    int first = 0;  ///< the island on the left or at the top
    int second = 0;
    bool horizontal = false;
    std::vector<int> crossings;  ///< links that cross this one
};

struct Layout {
    std::vector<Island> islands;
    std::vector<Link> links;
};

Layout layoutOf(const Puzzle& puzzle) {
    Layout layout;
    const int width = puzzle.width;
    const int height = puzzle.height;
    std::vector<int> islandAt(std::size_t(width * height), -1);
    for (int r = 0; r < height; ++r) {
        for (int c = 0; c < width; ++c) {
            std::uint8_t code = puzzle.cells[r * width + c];
            if (code == kWater) continue;
            islandAt[r * width + c] = int(layout.islands.size());
            layout.islands.push_back({r, c, code - ISLAND_BASE, {}});
        }
    }
    auto addLink = [&](int a, int b, bool horizontal) {
        int index = int(layout.links.size());
        layout.links.push_back({a, b, horizontal, {}});
        layout.islands[a].links.push_back(index);
        layout.islands[b].links.push_back(index);
    };
    for (int i = 0; i < int(layout.islands.size()); ++i) {
        const Island& island = layout.islands[i];
        // The nearest island to the right and below; a neighbour in the next cell blocks
        // the way but cannot be bridged.
        for (int c = island.column + 1; c < width; ++c) {
            int other = islandAt[island.row * width + c];
            if (other < 0) continue;
            if (c > island.column + 1) addLink(i, other, true);
            break;
        }
        for (int r = island.row + 1; r < height; ++r) {
            int other = islandAt[r * width + island.column];
            if (other < 0) continue;
            if (r > island.row + 1) addLink(i, other, false);
            break;
        }
    }
    for (int h = 0; h < int(layout.links.size()); ++h) {
        const Link& across = layout.links[h];
        if (!across.horizontal) continue;
        const Island& left = layout.islands[across.first];
        const Island& right = layout.islands[across.second];
        for (int v = 0; v < int(layout.links.size()); ++v) {
            const Link& down = layout.links[v];
            if (down.horizontal) continue;
            const Island& top = layout.islands[down.first];
            const Island& bottom = layout.islands[down.second];
            if (top.row < left.row && left.row < bottom.row && left.column < top.column &&
                top.column < right.column) {
                layout.links[h].crossings.push_back(v);
                layout.links[v].crossings.push_back(h);
            }
        }
    }
    return layout;
}

/// Backtracking over the bridge count of every link, each link holding the range of
/// counts still open. Island sums narrow the ranges, a bridge closes the links it
/// crosses, and a state whose open links cannot join all islands is dropped.
class Search {
  public:
    Search(const Layout& layout, int limit) : layout_(layout), limit_(limit) {}

    int run() {
        State start;
        start.low.assign(layout_.links.size(), 0);
        start.high.assign(layout_.links.size(), 2);
        std::vector<int> all(layout_.islands.size());
        for (int i = 0; i < int(all.size()); ++i)
            all[i] = i;
        if (limit_ > 0 && narrow(start, std::move(all))) explore(start);
        return found_;
    }

    const std::vector<std::int8_t>& firstSolution() const { return firstSolution_; }

  private:
    struct State {
        std::vector<std::int8_t> low;
        std::vector<std::int8_t> high;
    };

    /// Narrows the ranges until nothing changes, starting from the islands in `pending`.
    /// Returns false when some island or crossing can no longer be satisfied.
    bool narrow(State& state, std::vector<int> pending) const {
        while (!pending.empty()) {
            const Island& island = layout_.islands[pending.back()];
            pending.pop_back();
            int sumLow = 0;
            int sumHigh = 0;
            for (int l : island.links) {
                sumLow += state.low[l];
                sumHigh += state.high[l];
            }
            if (sumLow > island.need || sumHigh < island.need) return false;
            for (int l : island.links) {
                int low = std::max<int>(state.low[l], island.need - (sumHigh - state.high[l]));
                int high = std::min<int>(state.high[l], island.need - (sumLow - state.low[l]));
                if (low == state.low[l] && high == state.high[l]) continue;
                if (!setRange(state, l, low, high, pending)) return false;
            }
        }
        return true;
    }

    bool setRange(State& state, int l, int low, int high, std::vector<int>& pending) const {
        if (low > high) return false;
        const Link& link = layout_.links[l];
        bool opened = state.low[l] == 0 && low > 0;
        state.low[l] = std::int8_t(low);
        state.high[l] = std::int8_t(high);
        pending.push_back(link.first);
        pending.push_back(link.second);
        if (!opened) return true;
        for (int other : link.crossings) {
            if (state.low[other] > 0) return false;
            if (state.high[other] == 0) continue;
            state.high[other] = 0;
            pending.push_back(layout_.links[other].first);
            pending.push_back(layout_.links[other].second);
        }
        return true;
    }

    /// Whether the links still open join all islands. Once all links are fixed this is
    /// the connectivity rule itself; before that it drops any group that has closed
    /// itself off.
    bool canConnect(const State& state) const {
        const int count = int(layout_.islands.size());
        if (count == 0) return true;
        std::vector<char> seen(std::size_t(count), 0);
        std::vector<int> pending{0};
        seen[0] = 1;
        int reached = 0;
        while (!pending.empty()) {
            int i = pending.back();
            pending.pop_back();
            ++reached;
            for (int l : layout_.islands[i].links) {
                if (state.high[l] == 0) continue;
                const Link& link = layout_.links[l];
                int other = link.first == i ? link.second : link.first;
                if (!seen[other]) {
                    seen[other] = 1;
                    pending.push_back(other);
                }
            }
        }
        return reached == count;
    }

    /// The open link to decide next: one of the island with the fewest open links, so
    /// that choices which force others come first.
    int pickLink(const State& state) const {
        int best = -1;
        int bestOpen = 0;
        for (const Island& island : layout_.islands) {
            int open = 0;
            int candidate = -1;
            for (int l : island.links) {
                if (state.low[l] == state.high[l]) continue;
                ++open;
                if (candidate < 0) candidate = l;
            }
            if (open > 0 && (best < 0 || open < bestOpen)) {
                best = candidate;
                bestOpen = open;
                if (open == 1) break;
            }
        }
        return best;
    }

    void explore(const State& state) {
        if (!canConnect(state)) return;
        int l = pickLink(state);
        if (l < 0) {
            if (found_++ == 0) firstSolution_ = state.low;
            return;
        }
        for (int count = state.low[l]; count <= state.high[l] && found_ < limit_; ++count) {
            State next = state;
            std::vector<int> pending;
            if (setRange(next, l, count, count, pending) && narrow(next, std::move(pending)))
                explore(next);
        }
    }

    const Layout& layout_;
    int limit_;
    int found_ = 0;
    std::vector<std::int8_t> firstSolution_;
};

std::vector<std::uint8_t> planeOf(const Puzzle& puzzle, const Layout& layout,
                                  const std::vector<std::int8_t>& counts) {
    const int width = puzzle.width + 2;
    std::vector<std::uint8_t> plane(std::size_t(width * (puzzle.height + 2)), kWater);
    auto cell = [&](int row, int column) -> std::uint8_t& {
        return plane[(row + 1) * width + column + 1];
    };
    for (const Island& island : layout.islands)
        cell(island.row, island.column) = ISLAND_BASE;
    for (int l = 0; l < int(layout.links.size()); ++l) {
        if (counts[l] == 0) continue;
        const Link& link = layout.links[l];
        const Island& from = layout.islands[link.first];
        const Island& to = layout.islands[link.second];
        if (link.horizontal) {
            std::uint8_t code = counts[l] == 1 ? kHorizontalSingle : kHorizontalDouble;
            for (int c = from.column + 1; c < to.column; ++c)
                cell(from.row, c) = code;
        } else {
            std::uint8_t code = counts[l] == 1 ? kVerticalSingle : kVerticalDouble;
            for (int r = from.row + 1; r < to.row; ++r)
                cell(r, from.column) = code;
        }
    }
    return plane;
}

/// The rows of a picture with the surrounding blank lines and indentation removed.
std::vector<std::string_view> pictureRows(std::string_view picture) {
    std::vector<std::string_view> rows;
    std::size_t place = 0;
    while (place <= picture.size()) {
        std::size_t end = picture.find('\n', place);
        if (end == std::string_view::npos) end = picture.size();
        std::string_view row = picture.substr(place, end - place);
        std::size_t first = row.find_first_not_of(" \t\r");
        row = first == std::string_view::npos
                  ? std::string_view()
                  : row.substr(first, row.find_last_not_of(" \t\r") - first + 1);
        rows.push_back(row);
        place = end + 1;
    }
    while (!rows.empty() && rows.back().empty())
        rows.pop_back();
    auto firstFilled = std::find_if(rows.begin(), rows.end(), [](auto r) { return !r.empty(); });
    rows.erase(rows.begin(), firstFilled);
    if (rows.empty()) throw std::invalid_argument("the picture has no rows");
    for (std::string_view row : rows)
        if (row.size() != rows.front().size())
            throw std::invalid_argument("the picture's rows differ in length: \"" +
                                        std::string(rows.front()) + "\" and \"" + std::string(row) +
                                        "\"");
    if (rows.size() > std::size_t(MAX_BOARD_SIDE) ||
        rows.front().size() > std::size_t(MAX_BOARD_SIDE))
        throw std::invalid_argument("the picture is larger than a board can be");
    return rows;
}

}  // namespace

std::string checkSolution(const Puzzle& puzzle, const std::uint8_t* boardCells) {
    if (puzzle.width < 1 || puzzle.height < 1 || !puzzle.cells) return "the puzzle has no cells";
    if (!boardCells) return "there is no board";
    Plane plane(puzzle, boardCells);
    std::string fault = checkCells(puzzle, plane);
    if (fault.empty()) fault = checkRuns(plane);
    if (fault.empty()) fault = checkIslandEnds(puzzle, plane);
    if (fault.empty()) fault = checkConnected(plane);
    return fault;
}

int countSolutions(const Puzzle& puzzle, int limit) {
    Layout layout = layoutOf(puzzle);
    return Search(layout, limit).run();
}

std::vector<std::uint8_t> solveExhaustively(const Puzzle& puzzle) {
    Layout layout = layoutOf(puzzle);
    Search search(layout, 1);
    if (search.run() == 0) return {};
    return planeOf(puzzle, layout, search.firstSolution());
}

Puzzle puzzleFromLine(std::string_view line) {
    Puzzle puzzle;
    LineFault fault = LineFault::None;
    if (!parseProblemLine(puzzle, line, &fault))
        throw std::invalid_argument("problem line \"" + std::string(line) +
                                    "\" refused: " + describeLineFault(fault));
    return puzzle;
}

Puzzle puzzleFromPicture(std::string_view picture, int difficulty) {
    std::vector<std::string_view> rows = pictureRows(picture);
    Puzzle puzzle;
    puzzle.difficulty = std::int8_t(difficulty);
    puzzle.height = std::int8_t(rows.size());
    puzzle.width = std::int8_t(rows.front().size());
    puzzle.allocateCells();
    for (int r = 0; r < puzzle.height; ++r) {
        for (int c = 0; c < puzzle.width; ++c) {
            char symbol = rows[r][c];
            if (symbol >= '1' && symbol <= '8')
                puzzle.cells[r * puzzle.width + c] = std::uint8_t(ISLAND_BASE + symbol - '0');
        }
    }
    return puzzle;
}

std::vector<std::uint8_t> boardFromPicture(std::string_view picture) {
    std::vector<std::string_view> rows = pictureRows(picture);
    const int width = int(rows.front().size()) + 2;
    std::vector<std::uint8_t> plane(std::size_t(width * (int(rows.size()) + 2)), kWater);
    for (int r = 0; r < int(rows.size()); ++r) {
        for (int c = 0; c + 2 < width; ++c) {
            std::uint8_t& cell = plane[(r + 1) * width + c + 1];
            switch (char symbol = rows[r][c]) {
                case '.':
                    break;
                case '-':
                    cell = kHorizontalSingle;
                    break;
                case '=':
                    cell = kHorizontalDouble;
                    break;
                case '|':
                    cell = kVerticalSingle;
                    break;
                case 'H':
                    cell = kVerticalDouble;
                    break;
                default:
                    if (symbol < '1' || symbol > '8')
                        throw std::invalid_argument(std::string("unknown board symbol '") + symbol +
                                                    "'");
                    cell = ISLAND_BASE;
            }
        }
    }
    return plane;
}

std::string drawBoard(const Puzzle& puzzle, const std::uint8_t* boardCells) {
    Plane plane(puzzle, boardCells);
    std::string text;
    for (int r = 0; r < plane.rows(); ++r) {
        for (int c = 0; c < plane.columns(); ++c) {
            std::uint8_t code = plane(r, c);
            std::uint8_t given = puzzle.cells[r * puzzle.width + c];
            if (code == ISLAND_BASE && given > ISLAND_BASE && given <= kHighestIsland)
                text += char('0' + given - ISLAND_BASE);
            else if (isIsland(code))
                text += '#';
            else if (code <= kVerticalDouble)
                text += ".-=|H"[code];
            else
                text += '?';
        }
        text += '\n';
    }
    return text;
}

}  // namespace spanwright::testing
