// Arbitrary bytes as a game ID, a puzz.link link, a pencil-box file and a benchmark file.
// The readers must never read outside the text or crash, must hand over only boards within
// the solver's bounds, and an accepted board that a writer takes must come back from it
// unchanged.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "puzzle/benchmark_text.h"
#include "puzzle/game_id.h"
#include "puzzle/pencil_box.h"
#include "puzzle/problem_line.h"
#include "puzzle/puzzle_link.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

using spanwright::ISLAND_BASE;
using spanwright::MAX_BOARD_SIDE;
using spanwright::Puzzle;

/// `unknown`: the format may leave an island's number open.
void checkBounds(const Puzzle& puzzle, bool unknown = false) {
    FUZZ_CHECK(puzzle.width >= 1 && puzzle.width <= MAX_BOARD_SIDE, "width out of range");
    FUZZ_CHECK(puzzle.height >= 1 && puzzle.height <= MAX_BOARD_SIDE, "height out of range");
    FUZZ_CHECK(puzzle.difficulty == 0, "another format gave a difficulty");
    for (int i = 0; i < puzzle.cellCount(); ++i) {
        const std::uint8_t v = puzzle.cells[i];
        FUZZ_CHECK(v == 0 || (v >= ISLAND_BASE + 1 && v <= ISLAND_BASE + 8) ||
                       (unknown && v == spanwright::UNKNOWN_ISLAND),
                   "a cell is neither water nor an island of 1 to 8");
    }
}

bool sameCells(const Puzzle& a, const Puzzle& b) {
    if (a.width != b.width || a.height != b.height) return false;
    for (int i = 0; i < a.cellCount(); ++i)
        if (a.cells[i] != b.cells[i]) return false;
    return true;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The view covers exactly the fuzzer's buffer, so any read past its end is caught.
    const std::string_view text(reinterpret_cast<const char*>(data), size);

    Puzzle puzzle;
    std::string err;
    if (spanwright::parseGameId(puzzle, text, &err)) {
        checkBounds(puzzle);
        std::string id;
        if (spanwright::formatGameId(puzzle, id, &err)) {
            Puzzle reread;
            FUZZ_CHECK(spanwright::parseGameId(reread, id, &err), "a written ID is refused");
            FUZZ_CHECK(
                spanwright::formatProblemLine(reread) == spanwright::formatProblemLine(puzzle),
                "a written ID reads back differently");
        }
    } else {
        FUZZ_CHECK(!err.empty(), "a refused ID names no reason");
    }

    Puzzle fromLink;
    err.clear();
    if (spanwright::parsePuzzleLink(fromLink, text, &err)) {
        checkBounds(fromLink, true);
        Puzzle reread;
        FUZZ_CHECK(
            spanwright::parsePuzzleLink(reread, spanwright::formatPuzzleLink(fromLink), &err),
            "a written link is refused");
        FUZZ_CHECK(sameCells(reread, fromLink), "a written link reads back differently");
    } else {
        FUZZ_CHECK(!err.empty(), "a refused link names no reason");
    }

    std::vector<spanwright::PencilBoxPuzzle> boxes;
    int boxLine = 0;
    err.clear();
    if (spanwright::parsePencilBox(text, boxes, &boxLine, &err)) {
        FUZZ_CHECK(!boxes.empty(), "an accepted pencil-box text holds no puzzle");
        for (const spanwright::PencilBoxPuzzle& box : boxes) {
            checkBounds(box.puzzle, true);
            std::vector<spanwright::PencilBoxPuzzle> reread;
            FUZZ_CHECK(spanwright::parsePencilBox(spanwright::formatPencilBox(box.puzzle, nullptr),
                                                  reread, &boxLine, &err) &&
                           reread.size() == 1 && sameCells(reread[0].puzzle, box.puzzle),
                       "a written pencil-box text reads back differently");
        }
    } else {
        FUZZ_CHECK(!err.empty() && boxLine >= 1, "a refused pencil-box text names no reason");
    }

    Puzzle fromFile;
    int line = 0;
    err.clear();
    if (spanwright::parseBenchmarkText(fromFile, text, &line, &err))
        checkBounds(fromFile);
    else
        FUZZ_CHECK(!err.empty() && line >= 1, "a refused file names no reason or line");
    return 0;
}
