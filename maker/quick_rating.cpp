#include "maker/quick_rating.h"

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

QuickVerdict QuickRater::rate(const Puzzle& puzzle, Rung target) {
    g_.build(puzzle);
    board_.reset(g_);
    // The rungs below first: what they settle the target's rules need not find again.
    if (target > Rung::Easy) {
        if (!finder_.settle(board_, Rung(int(target) - 1))) return QuickVerdict::TooHard;
        if (board_.solved(g_)) return QuickVerdict::TooEasy;
    }
    if (!finder_.settle(board_, target)) return QuickVerdict::TooHard;
    return board_.solved(g_) ? QuickVerdict::Candidate : QuickVerdict::TooHard;
}

}  // namespace spanwright::maker
