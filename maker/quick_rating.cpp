#include "maker/quick_rating.h"

#include <optional>

namespace spanwright::maker {

bool QuickRater::unsettled(int a, int b) const {
    const int w = g_.width;
    const int line = g_.lineBetween(a / w, a % w, b / w, b % w);
    return line >= 0 && board_.least[std::size_t(line)] < board_.most[std::size_t(line)];
}

void QuickRater::unsettledLines(std::vector<std::pair<int, int>>& ends) const {
    ends.clear();
    const int w = g_.width;
    for (int line = 0; line < g_.lineCount(); ++line) {
        if (board_.least[std::size_t(line)] >= board_.most[std::size_t(line)]) continue;
        const std::size_t a = std::size_t(g_.lineA[std::size_t(line)]);
        const std::size_t b = std::size_t(g_.lineB[std::size_t(line)]);
        ends.emplace_back(g_.row[a] * w + g_.column[a], g_.row[b] * w + g_.column[b]);
    }
}

bool QuickRater::nearTargetStep(int cell) const {
    const int island = g_.islandAtCell[std::size_t(cell)];
    return island >= 0 && nearTarget_[std::size_t(island)];
}

QuickVerdict QuickRater::rate(const Puzzle& puzzle, Rung target) {
    g_.build(puzzle);
    board_.reset(g_);
    targetSettled_ = false;
    nearTarget_.assign(std::size_t(g_.islandCount()), 0);
    // The rungs below first: what they settle the target's rules need not find again.
    if (target > Rung::Easy) {
        if (!finder_.settle(board_, Rung(int(target) - 1))) return QuickVerdict::TooHard;
        if (board_.solved(g_)) return QuickVerdict::TooEasy;
    }
    // Which lines the rungs below left open, by the width of their range.
    below_.resize(board_.least.size());
    for (std::size_t line = 0; line < below_.size(); ++line)
        below_[line] = std::int8_t(board_.most[line] - board_.least[line]);
    const std::optional<Rung> reached =
        target > Rung::Easy ? std::optional<Rung>(Rung(int(target) - 1)) : std::nullopt;
    if (!finder_.settle(board_, target, reached)) return QuickVerdict::TooHard;
    for (std::size_t line = 0; line < below_.size(); ++line) {
        if (below_[line] == 0 || board_.least[line] < board_.most[line]) continue;
        targetSettled_ = true;
        nearTarget_[std::size_t(g_.lineA[line])] = 1;
        nearTarget_[std::size_t(g_.lineB[line])] = 1;
    }
    return board_.solved(g_) ? QuickVerdict::Candidate : QuickVerdict::TooHard;
}

}  // namespace spanwright::maker
