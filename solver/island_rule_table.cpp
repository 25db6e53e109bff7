#include "solver/island_rule_table.h"

namespace spanwright {
namespace {

constexpr std::array<std::array<std::uint32_t, 256>, 8> buildIslandRuleTable() {
    std::array<std::array<std::uint32_t, 256>, 8> table{};
    for (int row = 0; row < 8; ++row)
        for (int index = 0; index < 256; ++index)
            table[row][index] = deriveIslandRuleEntry(row + 1, index);
    return table;
}

}  // namespace

// Built by the compiler, so the table cannot drift from the rule that defines it.
constexpr std::array<std::array<std::uint32_t, 256>, 8> ISLAND_RULE_TABLE = buildIslandRuleTable();

}  // namespace spanwright
