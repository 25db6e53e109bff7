// Arbitrary bytes as a saved game. The reader must never read outside the text, crash or
// hang, and a save it accepts must give a board within the solver's bounds and bridges that
// a player could have laid on it: each between two islands of one row or column with only
// water between them, one or two, once per line, in the order of a solution.

#include <cstddef>
#include <cstdint>
#include <string_view>

#include "puzzle/peer_save.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

using spanwright::Bridge;
using spanwright::MAX_BOARD_SIDE;
using spanwright::Puzzle;

bool isIsland(const Puzzle& puzzle, int row, int column) {
    return row >= 0 && row < puzzle.height && column >= 0 && column < puzzle.width &&
           puzzle.cells[row * puzzle.width + column] != 0;
}

void checkBridge(const Puzzle& puzzle, const Bridge& b) {
    FUZZ_CHECK(b.bridges == 1 || b.bridges == 2, "a laid line holds no bridge or too many");
    FUZZ_CHECK(isIsland(puzzle, b.row1, b.column1) && isIsland(puzzle, b.row2, b.column2),
               "a bridge ends in water or off the board");
    const bool across = b.row1 == b.row2 && b.column1 < b.column2;
    const bool down = b.column1 == b.column2 && b.row1 < b.row2;
    FUZZ_CHECK(across || down, "a bridge is not a line from its upper or left end");
    for (int r = b.row1 + down, c = b.column1 + across; r < b.row2 || c < b.column2;
         r += down, c += across)
        FUZZ_CHECK(!isIsland(puzzle, r, c), "a bridge passes over an island");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    spanwright::PeerSave save;
    spanwright::PeerSaveFault fault;
    if (!spanwright::parsePeerSave(text, save, &fault)) {
        FUZZ_CHECK(!fault.message.empty(), "a refused save names no reason");
        FUZZ_CHECK(fault.line >= 1, "a refused save names no line");
        return 0;
    }
    const Puzzle& puzzle = save.puzzle;
    FUZZ_CHECK(puzzle.width >= 1 && puzzle.width <= MAX_BOARD_SIDE, "width out of range");
    FUZZ_CHECK(puzzle.height >= 1 && puzzle.height <= MAX_BOARD_SIDE, "height out of range");
    FUZZ_CHECK(spanwright::looksLikePeerSave(text), "a save without its header was taken");
    for (std::size_t i = 0; i < save.laid.size(); ++i) {
        checkBridge(puzzle, save.laid[i]);
        if (i == 0) continue;
        const Bridge& a = save.laid[i - 1];
        const Bridge& b = save.laid[i];
        const int first = a.row1 * puzzle.width + a.column1;
        const int second = b.row1 * puzzle.width + b.column1;
        FUZZ_CHECK(first < second || (first == second && a.row1 == a.row2 && b.row1 != b.row2),
                   "laid bridges out of order, or a line twice");
    }
    return 0;
}
