#pragma once

#include <optional>
#include <string_view>
#include <utility>

#include "solver/solve_stats.h"

namespace spanwright {

/// The strongest technique a solve needed, from the rule layers the solver went through.
/// Where the grade weighs how much work a problem takes (and so grows with the board),
/// this says what kind of reasoning it asks of a person.
enum class Technique {
    Basic,      ///< the island rule alone
    Pair,       ///< the pair rule as well, no isolation, no trial
    Isolation,  ///< the isolation rule, no trial
    Trial,      ///< a one-level trial: try an alternative, refute it
};

/// Every level from the weakest, with the name programs print and read.
inline constexpr std::pair<Technique, std::string_view> TECHNIQUE_NAMES[] = {
    {Technique::Basic, "basic"},
    {Technique::Pair, "pair"},
    {Technique::Isolation, "isolation"},
    {Technique::Trial, "trial"},
};

/// The technique of a solved problem, from its counters.
Technique techniqueOf(const SolveStats& stats);

/// The level's name ("basic", "pair", "isolation", "trial").
std::string_view techniqueName(Technique technique);

/// The level of a name, or nothing for a name that is none of them.
std::optional<Technique> parseTechnique(std::string_view name);

}  // namespace spanwright
