#pragma once

#include <vector>

#include "puzzle/puzzle.h"

namespace spanwright {

/// Bridges between two islands; cells are puzzle rows and columns counted from 0, the
/// first island on the left of or above the second.
struct Bridge {
    int row1 = 0;
    int column1 = 0;
    int row2 = 0;
    int column2 = 0;
    int bridges = 0;  ///< 1 to MAX_BRIDGES_PER_LINE

    bool operator==(const Bridge& other) const {
        return row1 == other.row1 && column1 == other.column1 && row2 == other.row2 &&
               column2 == other.column2 && bridges == other.bridges;
    }
};

/// A solution: every pair of islands that gets bridges, ordered by the first island (row
/// by row from the top left), its link to the right before the one below.
using Solution = std::vector<Bridge>;

}  // namespace spanwright
