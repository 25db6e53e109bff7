#pragma once
// The techniques of the stepwise solver and the search for the easiest step available.

#include <array>
#include <vector>

#include "explain/explain.h"
#include "explain/model.h"

namespace spanwright::explain {

/// Techniques, in the order they are tried within a rung.
enum Technique {
    FINISHED_ISLAND,
    FULL_LINES,
    ONE_EACH_WAY,
    AT_LEAST,
    CROSSED_LINE,
    NEIGHBOUR_CAPACITY,
    ISOLATED_PAIR,
    ISOLATED_GROUP,
    ONLY_EXIT,
    KEEP_CONNECTED,
    TRIAL,
    TECHNIQUE_COUNT
};

inline constexpr std::array<const char*, TECHNIQUE_COUNT> TECHNIQUE_NAMES = {
    "finished-island", "full-lines",         "one-each-way",  "at-least",
    "crossed-line",    "neighbour-capacity", "isolated-pair", "isolated-group",
    "only-exit",       "keep-connected",     "trial"};

/// The procedures that find steps, each with the rung it belongs to; within a rung they are
/// tried in this order. The clue rule takes an island that needs all its lines can carry
/// (or has all it needs), or needs a bridge on some lines whatever it does with the others;
/// it sees a line as settled, or free up to two bridges (or the island's own clue). The
/// capacity rule sees every bound, including what the neighbours can still take. A line
/// crossed by a bridge is medium: calibrated on the peer's graded puzzles, its easy ones
/// need crossings less often than its medium ones.
enum Procedure {
    CROSS_RULE,
    CLUE_RULE,
    CAPACITY_RULE,
    PAIR_SEAL,
    ONLY_EXIT_RULE,
    ISLAND_SEAL,
    TRIAL_RULE,
    PROCEDURE_COUNT
};
inline constexpr std::array<Rung, PROCEDURE_COUNT> PROCEDURE_RUNG = {
    Rung::Medium, Rung::Easy, Rung::Medium, Rung::Hard, Rung::Expert, Rung::Expert, Rung::Extreme};

struct Change {
    int line, least, most;
};

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
    int faultIsland = -1, faultKind = 0;  ///< trial: what its supposition led to
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
    explicit StepFinder(const Geometry& geometry) : g_(geometry) {}
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

  private:
    bool clueRule(State& s, int x, Procedure procedure, Found& f) const;
    bool crossRule(State& s, int l, Found& f) const;
    bool pairSeal(const State& s, int l, Found& f) const;
    void countExits(State& s);
    bool onlyExit(const State& s, int l, Found& f) const;
    bool islandSeal(State& s, int x, Found& f) const;
    bool trial(const State& s, int l, Found& f);
    bool refuted(const State& s, int line, int least, int most, Found& f);
    static std::size_t shortestTrials(std::vector<Found>& found, std::size_t count);
    // Within a trial: where the supposed state can differ from the one it was made on.
    void markChange(const State& s, int line, int least, int most);
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
    State trialState_;
    std::vector<Found> trialFound_;
    int depth_ = 0;
    int trialBound_ = 0;  ///< the fewest steps a trial of this round was refuted in so far
};

}  // namespace spanwright::explain
