#include "maker/json_record.h"

#include <cinttypes>
#include <cstdio>

#include "puzzle/game_id.h"
#include "puzzle/problem_line.h"

namespace spanwright::maker {

std::string jsonRecord(const JsonRecord& record) {
    const Puzzle& puzzle = *record.puzzle;
    std::string line;
    char number[64];
    const auto add = [&](const char* format, auto... values) {
        std::snprintf(number, sizeof number, format, values...);
        line += number;
    };
    add("{\"width\":%d,\"height\":%d,\"level\":\"", int(puzzle.width), int(puzzle.height));
    line += record.level;
    add("\",\"score\":%.4g,\"grade\":%d,\"islands\":%d,\"problem\":\"", record.score,
        int(puzzle.difficulty), record.islands);
    std::string problem = formatProblemLine(puzzle);
    if (!problem.empty() && problem.back() == '\n') problem.pop_back();
    // Problem lines, game IDs and rows hold only digits, letters, dots, slashes and colons:
    // nothing that needs escaping in a JSON string.
    line += problem;
    line += "\",\"id\":";
    std::string id;
    if (formatGameId(puzzle, id, nullptr))
        line += "\"" + id + "\"";
    else
        line += "null";
    line += ",\"rows\":[";
    for (int r = 0; r < puzzle.height; ++r) {
        line += r == 0 ? "\"" : ",\"";
        for (int c = 0; c < puzzle.width; ++c) {
            const std::uint8_t cell = puzzle.cells[std::size_t(r * puzzle.width + c)];
            line += cell == 0 ? '.' : char('0' + (cell - ISLAND_BASE));
        }
        line += "\"";
    }
    line += "],\"solution\":[";
    bool first = true;
    for (const Bridge& bridge : *record.solution) {
        add(first ? "[%d,%d,%d,%d,%d]" : ",[%d,%d,%d,%d,%d]", bridge.row1, bridge.column1,
            bridge.row2, bridge.column2, bridge.bridges);
        first = false;
    }
    add("],\"hash\":\"%016" PRIx64 "\"}\n", record.hash);
    return line;
}

}  // namespace spanwright::maker
