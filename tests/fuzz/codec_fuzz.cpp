// Arbitrary bytes as a game ID and as a benchmark file. The readers must never read
// outside the text or crash, must hand over only boards within the solver's bounds, and an
// accepted ID that the writer takes must come back from it unchanged.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "puzzle/benchmark_text.h"
#include "puzzle/game_id.h"
#include "puzzle/problem_line.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

using spanwright::ISLAND_BASE;
using spanwright::MAX_BOARD_SIDE;
using spanwright::Puzzle;

void checkBounds(const Puzzle& puzzle) {
    FUZZ_CHECK(puzzle.width >= 1 && puzzle.width <= MAX_BOARD_SIDE, "width out of range");
    FUZZ_CHECK(puzzle.height >= 1 && puzzle.height <= MAX_BOARD_SIDE, "height out of range");
    FUZZ_CHECK(puzzle.difficulty == 0, "another format gave a difficulty");
    for (int i = 0; i < puzzle.cellCount(); ++i) {
        const std::uint8_t v = puzzle.cells[i];
        FUZZ_CHECK(v == 0 || (v >= ISLAND_BASE + 1 && v <= ISLAND_BASE + 8),
                   "a cell is neither water nor an island of 1 to 8");
    }
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

    Puzzle fromFile;
    int line = 0;
    err.clear();
    if (spanwright::parseBenchmarkText(fromFile, text, &line, &err))
        checkBounds(fromFile);
    else
        FUZZ_CHECK(!err.empty() && line >= 1, "a refused file names no reason or line");
    return 0;
}
