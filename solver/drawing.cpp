#include <array>

#include "solver/solve.h"

namespace spanwright {
namespace {

/// Full-width glyphs in code page 932, indexed by bridge code or by ISLAND_BASE plus the
/// island's number.
constexpr std::array<const char*, 14> CELL_GLYPHS = {
    "\x81\x40",  // water
    "\x81\x7C",  // horizontal single bridge
    "\x81\x81",  // horizontal double bridge
    "\x81\x62",  // vertical single bridge
    "\x81\x61",  // vertical double bridge
    "\x82\x4F", "\x82\x50", "\x82\x51", "\x82\x52", "\x82\x53",
    "\x82\x54", "\x82\x55", "\x82\x56", "\x82\x57",  // islands 0 to 8
};

/// Bridges a neighbour's code brings to an island from the left or right.
constexpr int H_CONTRIBUTION[5] = {0, 1, 2, 0, 0};
/// Bridges a neighbour's code brings to an island from above or below.
constexpr int V_CONTRIBUTION[5] = {0, 0, 0, 1, 2};

int contribution(const int (&table)[5], std::uint8_t code) {
    return code < 5 ? table[code] : 0;
}

int glyphIndex(const SolverBoard& board, int pos) {
    const std::uint8_t code = board.cells[pos];
    if (code >= H_SINGLE && code <= V_DOUBLE) return code;
    if (code == WATER) {
        // A line that surely carries a bridge but is not laid yet is drawn as a single one.
        if (board.masks[pos] == LINE_ONE_OR_TWO) return H_SINGLE;
        if (board.masks[pos] == LINE_ONE_OR_TWO << 2) return V_SINGLE;
        return 0;
    }
    // An island shows its original number: its code plus every bridge already laid at it.
    const int w = board.stride();
    const int index = code + contribution(H_CONTRIBUTION, board.cells[pos - 1]) +
                      contribution(H_CONTRIBUTION, board.cells[pos + 1]) +
                      contribution(V_CONTRIBUTION, board.cells[pos - w]) +
                      contribution(V_CONTRIBUTION, board.cells[pos + w]);
    // Next to an over-bridged island, whose code reads as a bridge, the sum can pass 8;
    // such a board has failed anyway, and the glyph stays within the table.
    return index < int(CELL_GLYPHS.size()) ? index : int(CELL_GLYPHS.size()) - 1;
}

}  // namespace

std::string renderBoard(const SolverBoard& board) {
    std::string text;
    text.reserve(std::size_t(board.height) * (2 * std::size_t(board.width) + 1) + 1);
    const int w = board.stride();
    for (int r = 1; r < board.height - 1; ++r) {
        for (int c = 1; c < w - 1; ++c)
            text += CELL_GLYPHS[glyphIndex(board, r * w + c)];
        text += '\n';
    }
    text += '\n';
    return text;
}

void drawBoard(const SolverBoard& board, std::FILE* out) {
    const std::string text = renderBoard(board);
    std::fwrite(text.data(), 1, text.size(), out);
}

}  // namespace spanwright
