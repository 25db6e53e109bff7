#pragma once

// A quick first sorting of drawn boards by the rung they need. Most boards drawn for a rung
// are finished by the rungs below it, and the stepwise solver pays for its sentences and
// for searching the whole board from the first island before every step; here the easy and
// medium rules run to their fixed point from a queue of the islands whose lines changed,
// and only the rungs above medium go through the stepwise solver's own step search. The
// rules are deductions that only narrow, so what they leave does not depend on the order
// they are applied in, and a board the quick pass calls too easy or too hard is one the
// ladder would too. A candidate is still rated by the ladder itself before it is kept.

#include <vector>

#include "explain/model.h"
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
    QuickVerdict rate(const Puzzle& puzzle, Rung target);

  private:
    /// Runs the rules up to `highest` until none narrows anything more. False when the
    /// position turned out impossible.
    bool saturate(Rung highest);
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
    explain::State s_;
    std::vector<int> queue_;
    std::vector<char> queued_;
};

}  // namespace spanwright::maker
