#pragma once

// Reasoning over the graph of possible lines, before any search. The SAT model knows the
// island counts but learns connectivity only from cuts after the fact, and parity not at
// all: a board whose counts can be met in many ways, none of them connected (two lattices
// joined by one line that must carry two bridges), or in none at all (a part that no line
// leaves, with an odd clue total), makes the search refute assignment after assignment,
// in time that doubles every few islands. On the graph both are a linear-time argument.

#include <cstdint>
#include <vector>

#include "exact/model.h"

namespace spanwright::exact {

/// The bridge counts still open on a link: bit v is set while v bridges (0 to
/// MAX_BRIDGES_PER_LINE) are possible.
using CountSet = std::uint8_t;
static_assert(MAX_BRIDGES_PER_LINE < 8, "a link's possible counts are the bits of one byte");

/// The set of the one count `count`.
constexpr CountSet countBit(int count) {
    return CountSet(1u << count);
}
inline constexpr CountSet ANY_COUNT = CountSet(countBit(MAX_BRIDGES_PER_LINE + 1) - 1);

/// The lowest count of `set`; MAX_BRIDGES_PER_LINE for an empty set.
constexpr int lowestCount(CountSet set) {
    int count = 0;
    while (count < MAX_BRIDGES_PER_LINE && !(set & countBit(count)))
        ++count;
    return count;
}

/// The highest count of `set`; 0 for an empty set.
constexpr int highestCount(CountSet set) {
    int count = MAX_BRIDGES_PER_LINE;
    while (count > 0 && !(set & countBit(count)))
        --count;
    return count;
}

/// How often each rule narrowed a link or ruled the board out.
struct ReasoningCounts {
    std::int64_t sums = 0;          ///< links narrowed by an island's number
    std::int64_t crossings = 0;     ///< links closed because a link they cross carries a bridge
    std::int64_t pairs = 0;         ///< links that would shut two islands off on their own
    std::int64_t disconnected = 0;  ///< boards whose possible lines do not join all islands
    std::int64_t cutLines = 0;      ///< links whose removal disconnects the graph: at least one
    std::int64_t parity = 0;        ///< links narrowed by the parity of the total beyond them
    std::int64_t oddParts = 0;      ///< boards with a part of odd total that no open link leaves
    std::int64_t spread = 0;        ///< links kept from a double bridge: too few bridges to spare
    std::int64_t counting = 0;      ///< links narrowed by what any assignment of counts allows
    std::int64_t unmatched = 0;     ///< boards whose numbers no assignment of counts meets
};

/// What the reasoning settled.
struct Reasoning {
    bool possible = true;          ///< false when the board has no solution
    std::vector<CountSet> counts;  ///< per link of the model; never empty when possible
    ReasoningCounts fired;
};

/// Narrows every link's counts to a fixed point of these rules, each sound for every
/// solution:
/// - an island's links add up to its number (a saturated island closes its other links);
/// - links that cross never both carry bridges;
/// - on a board of more than two islands, no link carries both its islands' whole number;
/// - the possible links join all islands;
/// - a link whose removal would split the possible links carries at least one bridge;
/// - where the links still open (more than one count possible) form a part P, the numbers
///   of P less the bridges of settled links add up to twice the open links' bridges: the
///   total is even, and an open link that alone joins two halves of P carries the parity
///   of either half's total;
/// - the bridges, half the numbers' total, join all n islands, so at least n - 1 links
///   carry them: no more than total / 2 - (n - 1) links carry two;
/// - some assignment of counts to the links gives every island its number (counting.h):
///   a count that none uses goes.
/// With `counting` false, the last two rules are left out.
Reasoning reasonAboutLines(const BridgeModel& model, bool counting = true);

}  // namespace spanwright::exact
