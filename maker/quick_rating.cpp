#include "maker/quick_rating.h"

namespace spanwright::maker {

bool QuickRater::unsettled(int a, int b) const {
    const int w = g_.width;
    const int line = g_.lineBetween(a / w, a % w, b / w, b % w);
    return line >= 0 && board_.least[std::size_t(line)] < board_.most[std::size_t(line)];
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
