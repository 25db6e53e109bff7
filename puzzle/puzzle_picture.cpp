#include "puzzle/puzzle_picture.h"

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

}  // namespace spanwright
