#include "puzzle/puzzle.h"

#include <algorithm>

namespace spanwright {

void Puzzle::allocateCells() {
    int count = cellCount();
    cells = std::make_unique<std::uint8_t[]>(count > 0 ? std::size_t(count) : 0);
}

Puzzle copyPuzzle(const Puzzle& puzzle) {
    Puzzle copy;
    copy.width = puzzle.width;
    copy.height = puzzle.height;
    copy.difficulty = puzzle.difficulty;
    copy.allocateCells();
    std::copy(puzzle.cells.get(), puzzle.cells.get() + puzzle.cellCount(), copy.cells.get());
    return copy;
}

}  // namespace spanwright
