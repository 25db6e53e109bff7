#pragma once

// A quick first sorting of drawn boards by the rung they need. Most boards drawn for a rung
// are finished by the rungs below it; here the ladder's own rules run to their fixed point
// (explain::StepFinder::settle), without the sentences and the bookkeeping of a stepwise
// explanation, first with the rungs below the target and then with the target's. The
// rules only narrow, so a board this calls too easy or too hard is one the explanation
// would too. A candidate is still rated by the ladder itself before it is kept, which
// gives its score.

#include <cstdint>
#include <utility>
#include <vector>

#include "explain/model.h"
#include "explain/rules.h"
#include "maker/rung_check.h"
#include "puzzle/puzzle.h"

namespace spanwright::maker {

enum class QuickVerdict {
    TooEasy,    ///< the rungs below the target finish it
    TooHard,    ///< the rungs up to the target leave it unfinished (or found it impossible)
    Candidate,  ///< the target rung finishes it and the one below does not
};

/// Rates boards one after another, keeping its scratch space between them.
class QuickRater {
  public:
    QuickRater() : finder_(g_) {}
    QuickRater(const QuickRater&) = delete;
    QuickRater& operator=(const QuickRater&) = delete;

    QuickVerdict rate(const Puzzle& puzzle, Rung target);
    /// After a rating: whether the line between the islands at cells `a` and `b` (row-major)
    /// was left with more than one possible count.
    bool unsettled(int a, int b) const;
    /// After a rating: the cells (row-major) at the ends of every line left with more than
    /// one possible count, bridges of the solution or not.
    void unsettledLines(std::vector<std::pair<int, int>>& ends) const;
    /// After a rating that reached the target's own rules: whether they settled any line
    /// the rungs below left open, and whether the island at cell `cell` ends such a line.
    /// The maker keeps such places, which are what makes a board need the target.
    bool targetSettled() const { return targetSettled_; }
    bool nearTargetStep(int cell) const;

  private:
    explain::Geometry g_;
    explain::StepFinder finder_;      // over g_
    explain::State board_;            // the board being rated
    std::vector<std::int8_t> below_;  // per line: its range after the rungs below
    std::vector<char> nearTarget_;    // per island: ends a line only the target settled
    bool targetSettled_ = false;
};

}  // namespace spanwright::maker
