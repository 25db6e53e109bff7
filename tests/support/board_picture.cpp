#include "tests/support/board_picture.h"

#include <stdexcept>
#include <vector>

#include "solver/rules.h"

namespace spanwright::testing {
namespace {

std::vector<std::string_view> rowsOf(std::string_view text) {
    std::vector<std::string_view> rows;
    std::size_t place = 0;
    while (place <= text.size()) {
        std::size_t end = text.find('\n', place);
        if (end == std::string_view::npos) end = text.size();
        std::string_view row = text.substr(place, end - place);
        const std::size_t first = row.find_first_not_of(" \t\r");
        if (first == std::string_view::npos)
            row = {};
        else
            row = row.substr(first, row.find_last_not_of(" \t\r") - first + 1);
        rows.push_back(row);
        place = end + 1;
    }
    while (!rows.empty() && rows.back().empty())
        rows.pop_back();
    std::size_t leading = 0;
    while (leading < rows.size() && rows[leading].empty())
        ++leading;
    rows.erase(rows.begin(), rows.begin() + std::ptrdiff_t(leading));
    return rows;
}

/// Walks the interior and writes one symbol per cell, a line feed after each row.
template <typename Symbol>
std::string describe(const SolverBoard& board, Symbol&& symbol) {
    std::string text;
    for (int r = 1; r < board.height - 1; ++r) {
        for (int c = 1; c < board.width - 1; ++c)
            text += symbol(r * board.width + c);
        text += '\n';
    }
    return text;
}

char bridgeSymbol(std::uint8_t code) {
    return ".-=|H"[code];
}

std::string linePicture(const SolverBoard& board, bool vertical) {
    return describe(board, [&](int pos) {
        const std::uint8_t code = board.cells[pos];
        if (code >= ISLAND_BASE) return '#';
        if (code != WATER) return bridgeSymbol(code);
        const std::uint8_t mask = board.masks[pos];
        return ".+?o"[vertical ? verticalState(mask) : horizontalState(mask)];
    });
}

}  // namespace

std::string picture(std::string_view text) {
    std::string joined;
    for (std::string_view row : rowsOf(text)) {
        joined += row;
        joined += '\n';
    }
    return joined;
}

Puzzle puzzleOf(std::string_view text) {
    const std::vector<std::string_view> rows = rowsOf(text);
    if (rows.empty()) throw std::invalid_argument("the picture has no rows");
    for (std::string_view row : rows)
        if (row.size() != rows.front().size())
            throw std::invalid_argument("rows of different lengths: \"" +
                                        std::string(rows.front()) + "\" and \"" + std::string(row) +
                                        "\"");
    if (rows.size() > std::size_t(MAX_BOARD_SIDE) ||
        rows.front().size() > std::size_t(MAX_BOARD_SIDE))
        throw std::invalid_argument("the picture is larger than a board can be");

    Puzzle puzzle;
    puzzle.height = std::int8_t(rows.size());
    puzzle.width = std::int8_t(rows.front().size());
    puzzle.allocateCells();
    for (int r = 0; r < puzzle.height; ++r) {
        for (int c = 0; c < puzzle.width; ++c) {
            const char symbol = rows[r][c];
            std::uint8_t& cell = puzzle.cells[r * puzzle.width + c];
            if (symbol >= '1' && symbol <= '8')
                cell = std::uint8_t(ISLAND_BASE + (symbol - '0'));
            else if (symbol == '.')
                cell = 0;
            else
                throw std::invalid_argument(std::string("unknown puzzle symbol '") + symbol + "'");
        }
    }
    return puzzle;
}

SolverBoard boardOf(const Puzzle& puzzle, bool scan) {
    SolverBoard board;
    board.loadPuzzle(puzzle);
    if (scan) board.scanLines();
    return board;
}

SolverBoard boardOf(std::string_view text, bool scan) {
    return boardOf(puzzleOf(text), scan);
}

int cellAt(const SolverBoard& board, int row, int column) {
    return (row + 1) * board.width + column + 1;
}

std::string cellPicture(const SolverBoard& board) {
    return describe(board, [&](int pos) {
        const std::uint8_t code = board.cells[pos];
        if (code <= V_DOUBLE) return bridgeSymbol(code);
        if (code <= ISLAND_BASE + 8) return char('0' + code - ISLAND_BASE);
        return '?';
    });
}

std::string horizontalPicture(const SolverBoard& board) {
    return linePicture(board, false);
}

std::string verticalPicture(const SolverBoard& board) {
    return linePicture(board, true);
}

std::string groupPicture(const SolverBoard& board) {
    return describe(board, [&](int pos) {
        if (board.cells[pos] < ISLAND_BASE) return '.';
        const int id = board.groupIds[pos];
        return id < 26 ? char('a' + id) : '*';
    });
}

std::string glyphDrawing(std::string_view text) {
    std::string bytes;
    for (char symbol : picture(text)) {
        switch (symbol) {
            case '\n':
                bytes += '\n';
                break;
            case '.':
                bytes += "\x81\x40";
                break;
            case '-':
                bytes += "\x81\x7C";
                break;
            case '=':
                bytes += "\x81\x81";
                break;
            case '|':
                bytes += "\x81\x62";
                break;
            case 'H':
                bytes += "\x81\x61";
                break;
            default:
                if (symbol < '0' || symbol > '8')
                    throw std::invalid_argument(std::string("unknown glyph symbol '") + symbol +
                                                "'");
                bytes += '\x82';
                bytes += char(0x4F + (symbol - '0'));
        }
    }
    return bytes + "\n";
}

std::string countersOf(const SolveStats& stats) {
    return std::to_string(stats.tableSteps) + ',' + std::to_string(stats.pairSteps) + ',' +
           std::to_string(stats.isolationSteps) + ',' + std::to_string(stats.trialFirstRefuted) +
           ',' + std::to_string(stats.trialSecondRefuted) + ',' +
           std::to_string(stats.interiorCells);
}

std::string boardDifference(const SolverBoard& a, const SolverBoard& b) {
    if (a.width != b.width || a.height != b.height) return "the sizes differ";
    if (a.contradiction != b.contradiction) return "the contradiction flags differ";
    if (a.liveGroups != b.liveGroups)
        return "liveGroups " + std::to_string(a.liveGroups) + " and " +
               std::to_string(b.liveGroups);
    const int w = a.width;
    auto at = [w](std::size_t pos) {
        return " at board cell (" + std::to_string(int(pos) / w) + ", " +
               std::to_string(int(pos) % w) + ")";
    };
    for (std::size_t pos = 0; pos < a.cells.size(); ++pos) {
        if (a.cells[pos] != b.cells[pos])
            return "cell codes " + std::to_string(a.cells[pos]) + " and " +
                   std::to_string(b.cells[pos]) + at(pos);
        if (a.masks[pos] != b.masks[pos])
            return "line masks " + std::to_string(a.masks[pos]) + " and " +
                   std::to_string(b.masks[pos]) + at(pos);
        if (a.groupIds[pos] != b.groupIds[pos])
            return "group ids " + std::to_string(a.groupIds[pos]) + " and " +
                   std::to_string(b.groupIds[pos]) + at(pos);
    }
    for (std::size_t id = 0; id < a.groups.size(); ++id) {
        if (a.groups[id].demand != b.groups[id].demand ||
            a.groups[id].openIslands != b.groups[id].openIslands)
            return "group record " + std::to_string(id) + " differs";
    }
    // What follows from the state above must follow alike.
    const IslandTotals& x = a.totals();
    const IslandTotals& y = b.totals();
    if (x.unfinished != y.unfinished || x.complete != y.complete || x.missing != y.missing ||
        x.demand != y.demand || x.closedGroups != y.closedGroups ||
        x.negativeGroups != y.negativeGroups)
        return "the running totals differ";
    if (a.unfinishedIslands().words != b.unfinishedIslands().words ||
        a.loneIslands().words != b.loneIslands().words)
        return "the sets of unfinished or lone islands differ";
    return "";
}

void settleIslandRule(SolverBoard& board) {
    for (int changes = 1; changes != 0;) {
        changes = 0;
        board.forEachInterior([&](int pos) {
            if (board.cells[pos] >= ISLAND_BASE) changes += applyIslandRule(board, pos);
        });
    }
}

}  // namespace spanwright::testing
