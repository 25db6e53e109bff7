#pragma once

#include <optional>
#include <string_view>
#include <utility>

#include "solver/solve_stats.h"

namespace spanwright {

/// The strongest technique a solve of the deduction solver needed, from the rule layers it
/// went through. Where the grade weighs how much work a problem takes (and so grows with
/// the board), this says what kind of reasoning it asks. The stepwise solver has techniques
/// of its own (explain::Technique), grouped into rungs.
enum class DeductionTechnique {
    Basic,      ///< the island rule alone
    Pair,       ///< the pair rule as well, no isolation, no trial
    Isolation,  ///< the isolation rule, no trial
    Trial,      ///< a one-level trial: try an alternative, refute it
};

/// Every technique from the weakest, with the name programs print and read.
inline constexpr std::pair<DeductionTechnique, std::string_view> DEDUCTION_TECHNIQUE_NAMES[] = {
    {DeductionTechnique::Basic, "basic"},
    {DeductionTechnique::Pair, "pair"},
    {DeductionTechnique::Isolation, "isolation"},
    {DeductionTechnique::Trial, "trial"},
};

/// The technique of a solved problem, from its counters.
DeductionTechnique techniqueOf(const SolveStats& stats);

/// The technique's name ("basic", "pair", "isolation", "trial").
std::string_view techniqueName(DeductionTechnique technique);

/// The technique of a name, or nothing for a name that is none of them.
std::optional<DeductionTechnique> parseTechnique(std::string_view name);

}  // namespace spanwright
