#pragma once

#include <array>
#include <cstdint>

#include "puzzle/puzzle.h"

namespace spanwright {

/// Entry of ISLAND_RULE_TABLE when no bridge assignment fits the island.
inline constexpr std::uint32_t RULE_CONTRADICTION = 0xFFFF;

/// For an unfinished island (row: code - 6, that is 1 to 8 bridges missing) and the states
/// of its four lines (column: the lineIndex, left in bits 7-6, right 5-4, up 3-2, down
/// 1-0), the narrowed line states in the same layout in bits 7-0 and the bridges that are
/// certain in bits 15-8 (left 15-14, right 13-12, up 11-10, down 9-8), or
/// RULE_CONTRADICTION.
extern const std::array<std::array<std::uint32_t, 256>, MAX_CLUE> ISLAND_RULE_TABLE;

/// Computes one entry from the rule itself, by listing every assignment of bridge counts
/// to the four lines that their states allow and that adds up to `remaining`.
constexpr std::uint32_t deriveIslandRuleEntry(int remaining, int lineIndex) {
    // Counts a line state allows, as a bit set over {0, 1, 2}, indexed by state:
    // closed {0}, one or two {1, 2}, zero or one {0, 1}, open {0, 1, 2}.
    constexpr int allowed[4] = {0b001, 0b110, 0b011, 0b111};
    int domain[4] = {};
    for (int dir = 0; dir < 4; ++dir)
        domain[dir] = allowed[(lineIndex >> (6 - 2 * dir)) & 3];

    int seen[4] = {};
    bool any = false;
    // The fourth count follows from the other three, which keeps this cheap enough for
    // every compiler's limit on compile-time evaluation.
    constexpr int most = MAX_BRIDGES_PER_LINE;
    for (int a = 0; a <= most; ++a) {
        if (!(domain[0] >> a & 1)) continue;
        for (int b = 0; b <= most; ++b) {
            if (!(domain[1] >> b & 1)) continue;
            for (int c = 0; c <= most; ++c) {
                const int d = remaining - a - b - c;
                if (!(domain[2] >> c & 1) || d < 0 || d > most || !(domain[3] >> d & 1)) continue;
                any = true;
                seen[0] |= 1 << a;
                seen[1] |= 1 << b;
                seen[2] |= 1 << c;
                seen[3] |= 1 << d;
            }
        }
    }
    if (!any) return RULE_CONTRADICTION;

    std::uint32_t entry = 0;
    for (int dir = 0; dir < 4; ++dir) {
        int state = 0;
        int count = 0;
        switch (seen[dir]) {
            case 0b001:
                count = 0;
                break;
            case 0b010:
                count = 1;
                break;
            case 0b100:
                count = 2;
                break;
            case 0b110:
                state = 1;
                break;  // one or two
            case 0b011:
                state = 2;
                break;  // zero or one
            default:
                state = 3;
                break;  // open; {0, 2} cannot arise
        }
        entry |= std::uint32_t(state) << (6 - 2 * dir);
        entry |= std::uint32_t(count) << (14 - 2 * dir);
    }
    return entry;
}

}  // namespace spanwright
