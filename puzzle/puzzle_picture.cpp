#include "puzzle/puzzle_picture.h"

#include <iterator>
#include <vector>

namespace spanwright {

std::string formatPuzzlePicture(const Puzzle& puzzle) {
    constexpr const char* MIDDLE_DOT = "\xC2\xB7";  // U+00B7 in UTF-8
    std::string text;
    for (int r = 0; r < puzzle.height; ++r) {
        for (int c = 0; c < puzzle.width; ++c) {
            if (c > 0) text += ' ';
            const std::uint8_t value = puzzle.cells[r * puzzle.width + c];
            if (value == 0)
                text += MIDDLE_DOT;
            else
                text += char('0' + value - ISLAND_BASE);
        }
        text += '\n';
    }
    return text;
}

std::string drawSolution(const Puzzle& puzzle, const Solution& solution) {
    const int width = puzzle.width;
    std::vector<const char*> glyphs(std::size_t(puzzle.cellCount()), "·");
    static const char* const DIGITS[] = {"0", "1", "2", "3", "4", "5", "6", "7", "8"};
    static_assert(std::size(DIGITS) == MAX_CLUE + 1, "a digit for every clue");
    static_assert(MAX_BRIDGES_PER_LINE == 2, "a glyph for a single and for a double bridge");
    for (int i = 0; i < puzzle.cellCount(); ++i) {
        const int need = puzzle.cells[i] - ISLAND_BASE;
        if (puzzle.cells[i] != 0) glyphs[i] = need >= 0 && need <= MAX_CLUE ? DIGITS[need] : "?";
    }
    for (const Bridge& bridge : solution) {
        if (bridge.row1 == bridge.row2) {
            for (int c = bridge.column1 + 1; c < bridge.column2; ++c)
                glyphs[bridge.row1 * width + c] = bridge.bridges == 2 ? "═" : "─";
        } else {
            for (int r = bridge.row1 + 1; r < bridge.row2; ++r)
                glyphs[r * width + bridge.column1] = bridge.bridges == 2 ? "║" : "│";
        }
    }
    std::string picture;
    for (int i = 0; i < puzzle.cellCount(); ++i) {
        picture += glyphs[i];
        if (i % width == width - 1) picture += '\n';
    }
    return picture;
}

}  // namespace spanwright
