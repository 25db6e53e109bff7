#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "solver/board.h"
#include "solver/solve_stats.h"

namespace spanwright {

/// Weight of a line state for finding islands with exactly two ways left to finish:
/// two weighed lines of 1 and two closed ones add up to 2; an open line rules it out.
inline constexpr std::array<std::int32_t, 4> TRIAL_LINE_WEIGHT = {0, 1, 1, 3};

/// The two directions of a trial: the first alternative and the second.
using Alternatives = std::array<std::int32_t, 2>;

/// The first island, cyclically from `start` in row-major order, that still needs bridges
/// and has exactly two lines that are not closed and not open; fills its two directions.
/// Returns 0 when there is none (cell 0 is border, never an island).
int findTrialCandidate(const SolverBoard& board, int start, Alternatives& alternatives);

/// Closes the island's line in direction dir with the largest count it allows.
void applyAlternative(SolverBoard& board, int pos, int dir);

/// What one alternative tried in a search added to the counters, and in which search.
struct TriedLine {
    std::uint32_t search = 0;  ///< the search that tried it; 0 is no search
    std::int32_t tableSteps = 0;
    std::int32_t pairSteps = 0;
    std::int32_t isolationSteps = 0;

    /// What propagation added to the counters from `before` to `after`, in `search`.
    /// Counters wrap, so the differences wrap too and add back to the same sums.
    static TriedLine between(std::uint32_t search, const SolveStats& before,
                             const SolveStats& after);
    /// Adds it again, as propagating the same board once more would.
    void addTo(SolveStats& stats) const;
};

/// Scratch space of the trial search, of any size and content: the working copies the
/// alternatives are tried on, and the lines tried in the current search. The copies are
/// sized to the board only when their size differs, so a caller that keeps a workspace
/// allocates nothing per call.
///
/// Two candidates next to each other often name the same line as an alternative: the two
/// ends of one line. Closing a line lays the same bridges and closes the same crossing
/// runs whichever end it is closed from, so both trials start from the same board and do
/// the same work. Within one search the board does not change, so the second trial is not
/// run: it is not refuted (the first would have ended the search) and it adds what the
/// first added.
///
/// When a candidate's second alternative is refuted, the board takes the first and the
/// solver propagates it: exactly the work the first alternative's trial did on a copy of
/// the same board. So the board that trial left is kept, and the solver takes it instead
/// of doing the work again (takeSettledBoard).
class TrialWorkspace {
  public:
    /// What trying an alternative on the working copy came to.
    enum class Trial {
        Refuted,  ///< propagation found a contradiction or left a board that cannot be solved
        Stands,   ///< nothing refuted it; the copy is equal to the board again
    };

    /// Sizes both copies for a board of W x H.
    void allocate(int borderedWidth, int borderedHeight);
    /// Starts a search on `board`: sizes the copies and the line slots, and forgets the
    /// lines tried before.
    void beginSearch(const SolverBoard& board);
    /// Starts on a new candidate: no board of an earlier candidate is kept any longer.
    void beginCandidate() { kept_ = false; }
    /// Lays the alternative (pos, dir) on the working copy of `board` and lets the
    /// deductions run, unless the same line was tried in this search already. When it
    /// stands, the copy is brought back to `board`; with `keep`, the board the trial left
    /// is kept beside it first, for takeSettledBoard.
    Trial tryAlternative(SolveStats& stats, const SolverBoard& board, int pos, int dir, bool keep);
    /// The search settled by the first alternative, after its second was refuted: the
    /// board that first alternative's trial left, if kept, is the board to go on with.
    void settleByFirst() { settled_ = kept_; }
    /// After a search that returned true: when the board it settled is the one the first
    /// alternative's trial left, swaps it into `board` (already holding the alternative,
    /// not yet propagated), adds what its propagation added and returns true. The board
    /// is then exactly what propagateExtended would have made of it, with a true result.
    bool takeSettledBoard(SolveStats& stats, SolverBoard& board);

  private:
    SolverBoard& copy() { return boards_[active_]; }
    /// The slot of the line that leaves the island at pos in direction dir, or nullptr
    /// for a line without an island at its left or upper end.
    TriedLine* lineAt(const SolverBoard& board, int pos, int dir);
    /// Keeps the board the current copy holds, which its trial left at a cost of `cost`;
    /// the other copy becomes the working one.
    void keepCopy(const TriedLine& cost);

    /// The copy the next alternative is tried on, and the other one, which holds the board
    /// the current candidate's first alternative left, when `kept_` says so.
    SolverBoard boards_[2];
    int active_ = 0;
    bool kept_ = false;     ///< boards_[active_ ^ 1] holds the first alternative's board
    bool settled_ = false;  ///< the search settled by the kept board's alternative
    TriedLine keptCost_;    ///< what the kept board's propagation added
    /// Per island, its line to the right (slot 0) and its line down (slot 1).
    std::vector<TriedLine> lines_;
    std::uint32_t search_ = 0;
};

/// Settles one candidate island by refuting one of its two alternatives on a working copy
/// and applying the other to the board. Returns false when no candidate can be settled.
bool trialSearch(SolveStats& stats, SolverBoard& board, TrialWorkspace& space,
                 std::int32_t& scanPosition);

/// The same with a workspace of its own.
bool trialSearch(SolveStats& stats, SolverBoard& board, std::int32_t& scanPosition);

}  // namespace spanwright
