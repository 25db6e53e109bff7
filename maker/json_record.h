#pragma once

// One JSON Lines record a puzzle, for app makers: everything an app needs to show, check
// and file the puzzle without parsing this system's own formats.

#include <cstdint>
#include <string>
#include <string_view>

#include "puzzle/puzzle.h"
#include "puzzle/solution.h"

namespace spanwright::maker {

struct JsonRecord {
    const Puzzle* puzzle = nullptr;  ///< difficulty holds the grade
    const Solution* solution = nullptr;
    std::string_view level;  ///< the rung's name
    double score = 0;
    int islands = 0;
    std::uint64_t hash = 0;
};

/// The record as one line of JSON, line feed included:
/// {"width":W,"height":H,"level":...,"score":...,"grade":G,"islands":N,"problem":"...",
///  "id":"...","rows":[...],"solution":[[r1,c1,r2,c2,n],...],"hash":"16 hex digits"}.
/// "id" is null for a board that has no game ID.
std::string jsonRecord(const JsonRecord& record);

}  // namespace spanwright::maker
