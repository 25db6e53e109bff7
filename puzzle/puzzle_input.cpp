#include "puzzle/puzzle_input.h"

#include <algorithm>
#include <cerrno>
#include <iterator>
#include <system_error>

#include "puzzle/benchmark_text.h"
#include "puzzle/game_id.h"
#include "puzzle/pencil_box.h"
#include "puzzle/problem_line.h"
#include "puzzle/puzzle_link.h"

namespace spanwright {
namespace {

constexpr const char* BLANKS = " \t\r\n\v\f";

std::string_view trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(BLANKS);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(BLANKS) - first + 1);
}

}  // namespace

std::string unknownIslandFault(const Puzzle& puzzle) {
    const int cell = firstUnknownIsland(puzzle);
    if (cell < 0) return {};
    return "the island at " + cellPlace(puzzle, cell) +
           " has no number; only spanwright-check and spanwright-explain solve puzzles "
           "with such islands";
}

PuzzleLineForm puzzleLineForm(std::string_view line) {
    // The problem line reader stops at the first NUL; so does the choice of form.
    line = line.substr(0, line.find('\0'));
    if (looksLikeLink(line)) return PuzzleLineForm::Link;
    if (line.find('/') != std::string_view::npos) return PuzzleLineForm::ProblemLine;
    if (line.find_first_of(":#") != std::string_view::npos) return PuzzleLineForm::GameId;
    return PuzzleLineForm::Neither;
}

bool readPuzzleLine(Puzzle& puzzle, std::string_view line, std::string* err, bool unknownIslands) {
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
        case PuzzleLineForm::Link: {
            std::string reason;
            if (!parsePuzzleLink(puzzle, line, &reason)) {
                if (err) *err = "not a puzz.link link: " + reason;
                return false;
            }
            if (unknownIslands) return true;
            reason = unknownIslandFault(puzzle);
            if (reason.empty()) return true;
            if (err) *err = reason;
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

PuzzleFileForm puzzleFileForm(std::string_view firstLine) {
    if (looksLikePencilBox(firstLine)) return PuzzleFileForm::PencilBox;
    if (looksLikeBenchmarkText(firstLine)) return PuzzleFileForm::Benchmark;
    return PuzzleFileForm::Lines;
}

bool readPuzzleFile(PuzzleFileForm form, std::string_view firstLine, long firstLineNumber,
                    std::FILE* file, std::vector<FilePuzzle>& puzzles, long& errLine,
                    std::string& err, bool unknownIslands) {
    puzzles.clear();
    const bool pencilBox = form == PuzzleFileForm::PencilBox;
    const std::size_t bound = pencilBox ? MAX_PENCIL_BOX_TEXT : MAX_BENCHMARK_TEXT;
    const std::string formName = pencilBox ? "pencil-box file" : "benchmark file";
    // The lines passed over before the first keep their numbers as line ends, so that
    // messages name the file's own lines.
    std::string text(std::size_t(firstLineNumber - 1), '\n');
    text.append(firstLine);
    const std::size_t start = text.size();
    // Read whole but bounded: one byte more than the bound tells a file that is too long.
    text.resize(start + bound + 1);
    errno = 0;
    text.resize(start + std::fread(&text[start], 1, bound + 1, file));
    if (std::ferror(file)) {
        errLine = firstLineNumber;
        err = "read error: " + std::generic_category().message(errno != 0 ? errno : EIO);
        return false;
    }
    if (text.size() - std::size_t(firstLineNumber - 1) > bound) {
        errLine = firstLineNumber;
        err = "not a " + formName + ": longer than " + std::to_string(bound >> 20) + " MiB";
        return false;
    }
    int line = 0;
    std::string reason;
    if (pencilBox) {
        std::vector<PencilBoxPuzzle> read;
        if (!parsePencilBox(text, read, &line, &reason)) {
            errLine = line;
            err = "not a " + formName + ": " + reason;
            return false;
        }
        std::transform(read.begin(), read.end(), std::back_inserter(puzzles),
                       [](PencilBoxPuzzle& entry) {
                           return FilePuzzle{std::move(entry.puzzle), entry.line};
                       });
    } else {
        FilePuzzle entry;
        entry.line = firstLineNumber;
        if (!parseBenchmarkText(entry.puzzle, text, &line, &reason)) {
            errLine = line;
            err = "not a " + formName + ": " + reason;
            return false;
        }
        puzzles.push_back(std::move(entry));
    }
    if (!unknownIslands) {
        for (const FilePuzzle& entry : puzzles) {
            err = unknownIslandFault(entry.puzzle);
            if (!err.empty()) {
                errLine = entry.line;
                return false;
            }
        }
    }
    return true;
}

}  // namespace spanwright
