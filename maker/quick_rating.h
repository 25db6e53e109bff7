#pragma once

// A quick first sorting of drawn boards by the rung they need. Most boards drawn for a rung
// are finished by the rungs below it, and the stepwise solver pays for its sentences and
// for searching the whole board from the first island before every step; here the easy and
// medium rules run to their fixed point from a queue of the islands whose lines changed,
// the hard and expert steps come from the stepwise solver's own step search, and a trial
// follows its supposition up the same way instead of with a fresh search per step. The
// rules are deductions that only narrow, so what they leave does not depend on the order
// they are applied in, and a board the quick pass calls too easy or too hard is one the
// ladder would too. A candidate is still rated by the ladder itself before it is kept.

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

  private:
    /// Runs the rules up to `highest` on the board's state until none narrows anything
    /// more. False when the position turned out impossible.
    bool saturate(Rung highest);
    /// From the queue: the medium rules to their fixed point, then the hard and expert
    /// steps up to `highest` (at most expert), each followed up by the medium rules again.
    void followUp(Rung highest);
    /// One pass of trials over every open line; true when one of them settled something.
    bool trialPass();
    /// Whether supposing `line` within [least, most] leads the rungs up to expert into a
    /// contradiction. Runs on a copy of the state.
    bool refuted(int line, int least, int most);
    /// The easy rules, or the medium ones with `exact`, from the queue to their fixed point.
    void propagate(bool exact);
    /// Queues every island (and, for the medium rules, applies every crossing).
    void queueAll(bool exact);
    /// One island's clue against its lines, as the easy rung sees them or (`exact`) with
    /// what the neighbours can still take.
    void clueRule(int island, bool exact);
    /// Narrows a line and queues the islands whose rules may now say more.
    void tighten(int line, int least, int most, bool exact);
    void queue(int island);

    explain::Geometry g_;
    explain::StepFinder finder_;   // over g_
    explain::State board_;         // the board being rated
    explain::State trial_;         // a supposition's copy
    explain::State* s_ = &board_;  // the state the rules work on
    std::vector<int> queue_;
    std::vector<char> queued_;
    std::vector<explain::Found> found_;  // the steps of a round of the stepwise solver
};

}  // namespace spanwright::maker
