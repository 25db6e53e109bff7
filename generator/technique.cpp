#include "generator/technique.h"

namespace spanwright {

Technique techniqueOf(const SolveStats& stats) {
    if (stats.trialFirstRefuted != 0 || stats.trialSecondRefuted != 0) return Technique::Trial;
    if (stats.isolationSteps != 0) return Technique::Isolation;
    if (stats.pairSteps != 0) return Technique::Pair;
    return Technique::Basic;
}

std::string_view techniqueName(Technique technique) {
    for (const auto& [level, name] : TECHNIQUE_NAMES)
        if (level == technique) return name;
    return "unknown";
}

std::optional<Technique> parseTechnique(std::string_view name) {
    for (const auto& [level, levelName] : TECHNIQUE_NAMES)
        if (levelName == name) return level;
    return std::nullopt;
}

}  // namespace spanwright
