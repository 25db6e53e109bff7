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
/// tried in this order. The full rule takes an island that needs all its lines can carry
/// (or has all it needs); the clue rule also one that needs a bridge on some lines whatever
/// it does with the others. Both see a line as settled, or free up to two bridges (or the
/// island's own clue). The capacity rule sees every bound, including what the neighbours
/// can still take. A line crossed by a bridge is medium: calibrated on the peer's graded
/// puzzles, its easy ones need crossings less often than its medium ones.
enum Procedure {
    FULL_RULE,
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
    Rung::Easy, Rung::Medium, Rung::Easy,   Rung::Medium,
    Rung::Hard, Rung::Expert, Rung::Expert, Rung::Extreme};

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
};

/// Finds steps on one puzzle; keeps its scratch space between calls.
class StepFinder {
  public:
    explicit StepFinder(const Geometry& geometry) : g_(geometry) {}
    /// The easiest step available on `state` up to `highest`, in the fixed order of rungs,
    /// procedures and islands or lines. False when there is none, or when a rule found the
    /// state impossible (then state.contradiction is set).
    bool find(State& state, Rung highest, Found& found);
    /// How many islands offer an easy clue step on `state` (the choice a player at the easy
    /// rung has), counted up to `limit`. Leaves the state as it was.
    int easyChoices(State& state, int limit);
    /// Applies a found step's changes.
    void apply(State& state, const Found& found) const;

  private:
    bool clueRule(State& s, int x, Procedure procedure, Found& f) const;
    bool crossRule(State& s, Found& f) const;
    bool pairSeal(const State& s, Found& f) const;
    bool onlyExit(State& s, Found& f);
    bool islandSeal(State& s, int x, Found& f) const;
    bool trial(const State& s, Found& f);
    bool refuted(const State& s, int line, int least, int most, Found& f);

    const Geometry& g_;
    std::vector<int> exitCount_, exitLine_;
    State trialState_;
    Found trialFound_;
    Found scratch_;
    int depth_ = 0;
    int trialStart_ = 0;
};

}  // namespace spanwright::explain
