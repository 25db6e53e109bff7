#include "puzzle/puzzle_input.h"

#include "puzzle/game_id.h"
#include "puzzle/problem_line.h"

namespace spanwright {
namespace {

constexpr const char* BLANKS = " \t\r\n\v\f";

std::string_view trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(BLANKS);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(BLANKS) - first + 1);
}

}  // namespace

PuzzleLineForm puzzleLineForm(std::string_view line) {
    // The problem line reader stops at the first NUL; so does the choice of form.
    line = line.substr(0, line.find('\0'));
    if (line.find('/') != std::string_view::npos) return PuzzleLineForm::ProblemLine;
    if (line.find_first_of(":#") != std::string_view::npos) return PuzzleLineForm::GameId;
    return PuzzleLineForm::Neither;
}

bool readPuzzleLine(Puzzle& puzzle, std::string_view line, std::string* err) {
    switch (puzzleLineForm(line)) {
        case PuzzleLineForm::ProblemLine: {
            LineFault fault = LineFault::None;
            if (parseProblemLine(puzzle, line, &fault)) return true;
            if (err) *err = std::string("not a problem line: ") + describeLineFault(fault);
            return false;
        }
        case PuzzleLineForm::GameId: {
            std::string reason;
            const std::string_view id = trimmed(line.substr(0, line.find('\0')));
            if (parseGameId(puzzle, id, &reason)) return true;
            if (err) *err = "not a game ID: " + reason;
            return false;
        }
        case PuzzleLineForm::Neither:
            break;
    }
    if (err)
        *err =
            "neither a problem line (difficulty/height/width/rows) nor a game ID "
            "(WxH:description)";
    return false;
}

}  // namespace spanwright
