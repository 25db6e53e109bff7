#include "generator/technique.h"

namespace spanwright {

DeductionTechnique techniqueOf(const SolveStats& stats) {
    if (stats.trialFirstRefuted != 0 || stats.trialSecondRefuted != 0)
        return DeductionTechnique::Trial;
    if (stats.isolationSteps != 0) return DeductionTechnique::Isolation;
    if (stats.pairSteps != 0) return DeductionTechnique::Pair;
    return DeductionTechnique::Basic;
}

std::string_view techniqueName(DeductionTechnique technique) {
    for (const auto& [known, name] : DEDUCTION_TECHNIQUE_NAMES)
        if (known == technique) return name;
    return "unknown";
}

std::optional<DeductionTechnique> parseTechnique(std::string_view name) {
    for (const auto& [known, knownName] : DEDUCTION_TECHNIQUE_NAMES)
        if (knownName == name) return known;
    return std::nullopt;
}

}  // namespace spanwright
