#pragma once
// The techniques of the stepwise solver and the search for the easiest step available.

#include <array>
#include <optional>
#include <vector>

#include "explain/explain.h"
#include "explain/model.h"

namespace spanwright::explain {

struct Change {
    int line, least, most;
};

/// The suppositions a trial makes about a line with bounds [low, high]: none, some, all or
/// less than all of its range, each with what is left when it is refuted.
struct Guess {
    int least, most, restLeast, restMost;
};
inline std::array<Guess, 4> trialGuesses(int low, int high) {
    return {{{low, low, low + 1, high},
             {low + 1, high, low, low},
             {high, high, low, high - 1},
             {low, high - 1, high, high}}};
}
/// How many of trialGuesses a line with bounds [low, high] has (0 when it is settled).
inline int trialGuessCount(int low, int high) {
    return high <= low ? 0 : high - low >= 2 ? 4 : 2;
}

/// A step found, before it is written up.
struct Found {
    Procedure procedure = CLUE_RULE;
    Technique technique = FINISHED_ISLAND;
    int island = -1;                  ///< the island it is about (clue, capacity, seal rules)
    int line = -1;                    ///< the line it is about (cross, pair, exit, trial)
    int capacity = 0, remaining = 0;  ///< clue and capacity rules: what the island can take
    int sealValue = 0;                ///< pair seal: the count that would seal the pair
    std::array<int, 4> example{};     ///< island seal: a sealing assignment per direction
    int hypothesisLeast = 0, hypothesisMost = 0, trialSteps = 0;  ///< trial
    int faultIsland = -1;  ///< trial, lookahead: what its supposition led to
    Fault faultKind = Fault::Short;
    bool crossed = false;  ///< lookahead: the supposed bridge crosses the short island's line
    std::vector<Change> changes;

    /// Back to a blank step, keeping the storage of `changes`.
    void clear() {
        std::vector<Change> kept = std::move(changes);
        kept.clear();
        *this = Found{};
        changes = std::move(kept);
    }
};

/// Finds steps on one puzzle; keeps its scratch space between calls.
class StepFinder {
  public:
    explicit StepFinder(const Geometry& geometry) : g_(geometry) { firstLook_.fill(true); }
    /// Every step of the easiest kind available on `state` up to `highest` (the first
    /// procedure, in the order of rungs and procedures, that offers one), each found on
    /// `state` as it is, none applied: one per island or line that offers it, in the order
    /// of islands or lines. The steps go to the front of `found` (grown as needed, its
    /// entries reused); returns how many there are, 0 when there is none or when a rule
    /// found the state impossible (then state.contradiction is set). Which steps a state
    /// offers does not depend on how the board is turned or mirrored, so neither does the
    /// sequence of rounds that applying them all at once makes.
    int round(State& state, Rung highest, std::vector<Found>& found);
    /// Whether `change` still narrows `s` by something its other bounds do not imply.
    bool worthChanging(const State& s, const Change& change) const;
    /// Applies a found step's changes.
    void apply(State& state, const Found& found) const;
    /// Applies every step the rungs up to `highest` offer, round after round, until none
    /// is left; the bounds a player reaches with those rungs alone. False when the state
    /// turned out impossible. This is what the maker asks of the ladder. A `state` that
    /// an earlier settle with this finder left at the fixed point of the rungs up to
    /// `reached` is taken on from there: the first round looks only for the rungs above.
    bool settle(State& state, Rung highest, std::optional<Rung> reached = std::nullopt);
    /// Stops the rounds of the top level once the calling thread's CPU clock reaches `end`
    /// (threadCpuSeconds; 0 for never): a round then ends early with nothing found and
    /// stopped() set. A round on a large board can take seconds, so a bound on the whole
    /// work looks at the clock within it too; one that is never reached changes nothing.
    void stopAt(double end) { end_ = end; }
    /// Makes every round of a settle look over the whole board, and every round of a
    /// trial over everything the trial changed, not only where what a rule reads changed
    /// since it last looked: slower, and the same in every step, which is what checks
    /// that the places looked at are enough.
    void lookEverywhere() { everywhere_ = true; }
    bool stopped() const { return stopped_; }

  private:
    /// Within settle: narrows a line and queues what that can wake (its ends for the clue
    /// rule, the lines it crosses once it holds a bridge).
    void narrowQueued(State& s, int line, int least, int most);
    /// Within settle: the easy rules to their fixed point over the queued islands.
    void settleEasy(State& s);
    /// Within settle: whether `p` looks only where its inputs changed (see narrowed_).
    static bool watched(Procedure p);
    /// Within settle: the islands (or for the pair seal, the lines) where `p` could find
    /// something it did not find when it last looked, in rising order, into watched_.
    void whereChanged(const State& s, Procedure p);
    bool clueRule(State& s, int x, Found& f) const;
    bool capacityRule(State& s, int x, Found& f) const;
    bool crossRule(State& s, int l, Found& f) const;
    bool atLeastRule(const State& s, int x, Found& f) const;
    /// `covered`, within a settle: per island, whether this look also looks at it.
    bool lookahead(const State& s, int x, Found& f, const char* covered = nullptr) const;
    /// Whether some island near `line` (between x and y) could no longer get all its
    /// bridges, or x and y would close their group off, with `added` more bridges on it.
    bool strands(const State& s, int x, int line, int added, Found& f) const;
    /// Whether island z, with the spare counts and bounds as changed by a supposed bridge
    /// (see strands), still has room around it for what it needs.
    bool roomFor(const State& s, int z, int line, int added, int nowLeast) const;
    bool keepOpen(const State& s, int x, Found& f) const;
    bool pairSeal(const State& s, int l, Found& f) const;
    void countExits(State& s);
    bool onlyExit(const State& s, int l, Found& f) const;
    bool islandSeal(State& s, int x, Found& f) const;
    bool trial(const State& s, int l, Found& f);
    bool refuted(const State& s, int line, int least, int most, Found& f);
    static std::size_t shortestTrials(std::vector<Found>& found, std::size_t count);
    // Within a trial: where the supposed state can differ from the one it was made on.
    void markChange(const State& s, int line, int least, int most);
    /// Within a trial: the islands where `p` (clue, at-least or capacity) could find
    /// something it did not find when it last looked in this trial, in rising order, into
    /// trialWatched_.
    void trialChanged(Procedure p);
    void regionOfGroups(const State& s, int maxDemand, bool withNeighbours,
                        std::vector<int>& islands);
    void localExits(State& s, std::vector<int>& lines);
    void addIsland(std::vector<int>& list, int x);

    const Geometry& g_;
    std::vector<int> exitCount_;
    // A trial starts on a state where no rule below the trial finds anything, so a rule
    // can find something in the supposed state only where what it reads has changed: the
    // changed lines, their ends and the neighbours of those, and the groups they lie in.
    // Looking only there keeps a trial's cost to the part of the board it reaches.
    std::vector<char> lineMark_, islandMark_, listMark_;
    std::vector<int> changedLines_, nearIslands_, ends_, region_, regionLines_;
    // The rules that read one island's lines (and what its neighbours take) need not look
    // over everything a trial changed in every round: only where a line changed since they
    // last looked. Every change of the trial in order (twice the line, plus one where it
    // gained a bridge), and per procedure how much of that log it has looked at.
    std::vector<int> trialLog_, trialWatched_;
    std::array<std::size_t, PROCEDURE_COUNT> trialLooked_{};
    /// nearIslands_ and changedLines_ are in rising order (they grow between rounds).
    bool nearSorted_ = true;
    bool exitsCleared_ = false;  ///< exitCount_ is -1 for every island, as a trial needs
    State trialState_;
    std::vector<Found> trialFound_;
    std::vector<Found> settleFound_;
    std::vector<int> settleQueue_;
    std::vector<char> settleQueued_;
    // A rule at one island or line reads only a few things: the bounds of lines nearby, what
    // islands nearby still take, and for the rules about groups the groups there. Where
    // none of those changed since a rule last looked and found nothing, it finds nothing
    // again, so a round of a settle looks only where they did: every line narrowed within
    // the settle, in order (twice its number, plus one where it gained a bridge), and per
    // procedure how much of that log it has looked at.
    // Without this most of a settle of a large board is rounds looking over all of it for
    // the few places one step changed.
    std::vector<int> narrowed_;
    std::array<std::size_t, PROCEDURE_COUNT> lookedUpTo_{};
    /// Per procedure: its next look within the settle is its first, over the whole board.
    std::array<bool, PROCEDURE_COUNT> firstLook_{};
    bool everywhere_ = false;
    std::vector<int> watched_, nearChange_, fullerEnds_, walkedRoots_, ringScratch_;
    std::vector<char> islandWatched_, lineWatched_, lookedAt_;
    Found settleStep_;
    int depth_ = 0;
    int trialBound_ = 0;  ///< the fewest steps a trial of this round was refuted in so far
    double end_ = 0;
    bool stopped_ = false;
    int sinceClock_ = 0;  ///< rule runs since the clock was last read
    bool trialRound_ = false;
    /// Within settle: the clue and cross rules are at their fixed point, so a round need
    /// not look for them again over the whole board.
    bool easySettled_ = false;
    /// Within settle's first round on a state taken on: its rungs up to this one are at
    /// their fixed point already (0 for none).
    int settledRung_ = 0;
    /// Whether the time set by stopAt has come; reads the clock only every so often, as
    /// the rules on one island are far cheaper than reading it.
    bool timeUp();
};

}  // namespace spanwright::explain
