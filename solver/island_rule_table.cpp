#include "solver/island_rule_table.h"

namespace spanwright {
namespace {

constexpr std::array<std::array<std::uint32_t, 256>, MAX_CLUE> buildIslandRuleTable() {
    std::array<std::array<std::uint32_t, 256>, MAX_CLUE> table{};
    for (int row = 0; row < MAX_CLUE; ++row)
        for (int index = 0; index < 256; ++index)
            table[row][index] = deriveIslandRuleEntry(row + 1, index);
    return table;
}

}  // namespace

// Built by the compiler, so the table cannot drift from the rule that defines it.
constexpr std::array<std::array<std::uint32_t, 256>, MAX_CLUE> ISLAND_RULE_TABLE =
    buildIslandRuleTable();

}  // namespace spanwright
