#include "puzzle/puzzle.h"

namespace spanwright {

void Puzzle::allocateCells() {
    int count = cellCount();
    cells = std::make_unique<std::uint8_t[]>(count > 0 ? std::size_t(count) : 0);
}

}  // namespace spanwright
