#include "exact/exact_solver.h"

#include <cadical.hpp>

#include <algorithm>
#include <ctime>
#include <initializer_list>
#include <numeric>
#include <tuple>

#include "exact/cnf.h"
#include "exact/counting.h"
#include "exact/deadline.h"
#include "exact/model.h"
#include "exact/reasoning.h"
#include "exact/rewiring.h"
#include "puzzle/cpu_time.h"

namespace spanwright::exact {
namespace {

constexpr int SATISFIABLE = 10;
constexpr int UNSATISFIABLE = 20;

/// One SAT solver kept across every call for a puzzle: cuts and the learnt clauses stay,
/// so the search for a second solution starts where the first one ended.
class CutLoop {
  public:
    CutLoop(const BridgeModel& model, const std::vector<CountSet>& counts, Deadline& deadline,
            bool moves)
        : model_(model),
          deadline_(deadline),
          rewirer_(model, counts),
          moves_(moves),
          moveBudget_(moves ? MOVES_PER_PUZZLE : 0) {
        solver_.set("quiet", 1);
        solver_.reserve(model.variableCount());
        for (const int literal : model.clauses())
            solver_.add(literal);
        // What the reasoning settled, as units and one binary clause for "not 1".
        for (int l = 0; l < int(counts.size()); ++l) {
            if (!(counts[l] & countBit(0))) addClause({BridgeModel::one(l)});
            if (!(counts[l] & countBit(1))) addClause({-BridgeModel::one(l), BridgeModel::two(l)});
            if (!(counts[l] & countBit(2))) addClause({-BridgeModel::two(l)});
        }
        // When the bridges are just enough to join the islands (half the numbers' total is
        // one less than the islands), every solution is a tree of single bridges: no ring.
        // Rings of four links are ruled out at once, longer ones as models show them.
        const long total = std::accumulate(model.islands().begin(), model.islands().end(), 0L,
                                           [](long sum, const Island& i) { return sum + i.need; });
        noRings_ = moves && total / 2 == long(model.islands().size()) - 1;
        if (noRings_)
            for (const std::vector<int>& square : rewirer_.squares())
                addClause({-BridgeModel::one(square[0]), -BridgeModel::one(square[1]),
                           -BridgeModel::one(square[2]), -BridgeModel::one(square[3])});
        if (deadline.limited()) solver_.connect_terminator(&deadline);
        // First try a single bridge on every link: such models spread the bridges out and
        // so tend to be connected, where doubles close small groups off.
        for (int l = 0; l < int(model.links().size()); ++l) {
            solver_.phase(BridgeModel::one(l));
            solver_.phase(-BridgeModel::two(l));
        }
    }

    CutLoop(const CutLoop&) = delete;
    CutLoop& operator=(const CutLoop&) = delete;
    ~CutLoop() { solver_.disconnect_terminator(); }

    /// Solves until a model joins all islands, adding after each model that does not one
    /// cut per component: a clause saying that some link leaving it carries a bridge.
    /// Each cut excludes the model just found, so the loop ends. Returns false when no
    /// connected solution is left, or when the time ran out (stopped() then says so);
    /// otherwise `counts` holds the bridges of every link.
    bool solveConnected(std::vector<int>& counts) {
        for (;;) {
            if (deadline_.terminate()) {
                stopped_ = true;
                return false;
            }
            ++counters_.solverCalls;
            const int outcome = solver_.solve();
            if (outcome != SATISFIABLE) {
                stopped_ = outcome != UNSATISFIABLE;
                return false;
            }
            counts.assign(model_.links().size(), 0);
            for (int l = 0; l < int(counts.size()); ++l)
                counts[l] =
                    (solver_.val(BridgeModel::one(l)) > 0) + (solver_.val(BridgeModel::two(l)) > 0);
            const double cutStart = threadCpuSeconds();
            const int added = addCuts(counts);
            cutSeconds_ += threadCpuSeconds() - cutStart;
            if (added == 0) return true;
            // The model meets every number: moving bridges may join its parts sooner than
            // cuts would. The moves stop being tried once they have cost as much as the
            // models they start from (a board without solutions gains nothing by them).
            if (moveBudget_ > 0) {
                std::vector<int> moved = counts;
                const int budget = std::min(moveBudget_, MOVES_PER_MODEL);
                moveBudget_ -= budget;
                if (rewirer_.join(moved, budget) && !isBlocked(moved) && rewirer_.solves(moved)) {
                    counts = std::move(moved);
                    return true;
                }
            }
        }
    }

    /// A second solution one move away from `counts`, into `other`.
    bool neighbour(const std::vector<int>& counts, std::vector<int>& other) {
        return moves_ && rewirer_.neighbour(counts, other) && !isBlocked(other) &&
               rewirer_.solves(other);
    }

    /// Excludes the solution `counts` from every later model.
    void block(const std::vector<int>& counts) {
        blocked_.push_back(counts);
        for (int l = 0; l < int(counts.size()); ++l) {
            solver_.add(counts[l] >= 1 ? -BridgeModel::one(l) : BridgeModel::one(l));
            solver_.add(counts[l] == MAX_BRIDGES_PER_LINE ? -BridgeModel::two(l)
                                                          : BridgeModel::two(l));
        }
        solver_.add(0);
    }

    const ExactCounters& counters() const { return counters_; }
    bool stopped() const { return stopped_; }
    /// CPU seconds spent on cuts so far.
    double cutSeconds() const { return cutSeconds_; }

  private:
    /// Moves tried per disconnected model, and over all models of a puzzle.
    static constexpr int MOVES_PER_MODEL = 400;
    static constexpr int MOVES_PER_PUZZLE = 2000;

    bool isBlocked(const std::vector<int>& counts) const {
        return std::find(blocked_.begin(), blocked_.end(), counts) != blocked_.end();
    }

    void addClause(std::initializer_list<int> literals) {
        for (const int literal : literals)
            solver_.add(literal);
        solver_.add(0);
    }

    /// Adds the cuts of a model's components and returns how many it added (0 when the
    /// bridges join all islands). With two components both cuts are the same clause.
    int addCuts(const std::vector<int>& counts) {
        const std::vector<Island>& islands = model_.islands();
        const std::vector<Link>& links = model_.links();
        std::vector<int> root(islands.size());
        std::iota(root.begin(), root.end(), 0);
        auto find = [&](int i) {
            while (root[i] != i)
                i = root[i] = root[root[i]];
            return i;
        };
        for (int l = 0; l < int(links.size()); ++l)
            if (counts[l] > 0) root[find(links[l].first)] = find(links[l].second);

        std::vector<int> component(islands.size(), -1);
        int components = 0;
        for (int i = 0; i < int(islands.size()); ++i) {
            const int r = find(i);
            if (component[r] < 0) component[r] = components++;
            component[i] = component[r];
        }
        if (components <= 1) return 0;

        std::vector<std::vector<int>> leaving(std::size_t(components == 2 ? 1 : components));
        for (int l = 0; l < int(links.size()); ++l) {
            const int a = component[links[l].first];
            const int b = component[links[l].second];
            if (a == b) continue;
            for (const int side : {a, b})
                if (side < int(leaving.size())) leaving[side].push_back(BridgeModel::one(l));
        }
        for (const std::vector<int>& cut : leaving) {
            for (const int literal : cut)
                solver_.add(literal);
            solver_.add(0);
        }
        counters_.cuts += std::int64_t(leaving.size());
        if (noRings_) addRings(counts);
        return int(leaving.size());
    }

    /// Forbids every ring of the model's fundamental cycles: each link beyond a spanning
    /// forest of the model closes one with the forest's path between its ends.
    void addRings(const std::vector<int>& counts) {
        const std::vector<Island>& islands = model_.islands();
        const std::vector<Link>& links = model_.links();
        std::vector<int> parentLink(islands.size(), -2);
        std::vector<int> depth(islands.size(), 0);
        std::vector<char> inForest(links.size(), 0);
        std::vector<int> queue;
        for (int root = 0; root < int(islands.size()); ++root) {
            if (parentLink[root] != -2) continue;
            parentLink[root] = -1;
            queue.assign(1, root);
            for (std::size_t head = 0; head < queue.size(); ++head) {
                const int i = queue[head];
                for (const int l : islands[i].links) {
                    const int j = links[l].first == i ? links[l].second : links[l].first;
                    if (counts[l] == 0 || parentLink[j] != -2) continue;
                    parentLink[j] = l;
                    depth[j] = depth[i] + 1;
                    inForest[l] = 1;
                    queue.push_back(j);
                }
            }
        }
        auto up = [&](int i) {
            const int l = parentLink[i];
            solver_.add(-BridgeModel::one(l));
            return links[l].first == i ? links[l].second : links[l].first;
        };
        for (int l = 0; l < int(links.size()); ++l) {
            if (counts[l] == 0 || inForest[l]) continue;
            solver_.add(-BridgeModel::one(l));
            int a = links[l].first;
            int b = links[l].second;
            while (depth[a] > depth[b])
                a = up(a);
            while (depth[b] > depth[a])
                b = up(b);
            while (a != b) {
                a = up(a);
                b = up(b);
            }
            solver_.add(0);
            ++counters_.cuts;
        }
    }

    const BridgeModel& model_;
    Deadline& deadline_;
    CaDiCaL::Solver solver_;
    ExactCounters counters_;
    bool stopped_ = false;
    double cutSeconds_ = 0;
    Rewirer rewirer_;
    const bool moves_;  ///< bridges are moved towards connected solutions
    int moveBudget_;
    bool noRings_ = false;                   ///< every solution is a tree of single bridges
    std::vector<std::vector<int>> blocked_;  ///< solutions already found
};

Solution solutionOf(const BridgeModel& model, const std::vector<int>& counts) {
    Solution solution;
    for (int l = 0; l < int(counts.size()); ++l) {
        if (counts[l] == 0) continue;
        const Island& a = model.islands()[model.links()[l].first];
        const Island& b = model.islands()[model.links()[l].second];
        solution.push_back({a.row, a.column, b.row, b.column, counts[l]});
    }
    return solution;
}

}  // namespace

std::string_view verdictName(Verdict verdict) {
    switch (verdict) {
        case Verdict::None:
            return "none";
        case Verdict::Unique:
            return "unique";
        case Verdict::Multiple:
            return "multiple";
        case Verdict::Unknown:
            break;
    }
    return "unknown";
}

ExactResult solveExactly(const Puzzle& puzzle, const ExactLimits& limits) {
    // Islands whose number is not given are beyond the reasoning and the cut loop; the
    // complete formula takes them as they are.
    for (int cell = 0; cell < puzzle.cellCount(); ++cell)
        if (puzzle.cells[cell] == UNKNOWN_ISLAND) return solveByCompleteFormula(puzzle, limits);
    ExactResult result;
    // Stage times for benchmarks: each stage ends where the next starts, so they add up.
    StageClock stages;
    Deadline deadline(limits);
    const BridgeModel model(puzzle);
    if (model.islands().empty() || !sumsCanBeMet(model)) {
        stages.end(result.times.preprocessing);
        return result;
    }
    const Reasoning reasoning = reasonAboutLines(model, !limits.plain);
    if (!reasoning.possible) {
        stages.end(result.times.preprocessing);
        return result;
    }

    CutLoop loop(model, reasoning.counts, deadline, !limits.plain);
    stages.end(result.times.preprocessing);
    std::vector<int> counts;
    const bool solved = loop.solveConnected(counts);
    const double firstCuts = loop.cutSeconds();
    stages.end(result.times.sat);
    if (solved) {
        result.verdict = Verdict::Unique;
        result.solutions.push_back(solutionOf(model, counts));
        loop.block(counts);
        std::vector<int> other;
        if (loop.neighbour(counts, other)) {
            result.verdict = Verdict::Multiple;
            result.solutions.push_back(solutionOf(model, other));
        } else if (loop.solveConnected(counts)) {
            result.verdict = Verdict::Multiple;
            result.solutions.push_back(solutionOf(model, counts));
        }
        stages.end(result.times.uniqueness);
    }
    if (loop.stopped()) {
        result.verdict = Verdict::Unknown;
        result.solutions.clear();
    }
    result.counters = loop.counters();
    // The cuts ran inside the two searches; their time is taken out of each.
    result.times.cuts = loop.cutSeconds();
    result.times.sat -= firstCuts;
    result.times.uniqueness -= loop.cutSeconds() - firstCuts;
    return result;
}

std::optional<std::pair<Bridge, Bridge>> firstDifference(const Solution& a, const Solution& b) {
    // Both lists follow the link order: by first island, the link to the right first.
    auto key = [](const Bridge& x) { return std::make_tuple(x.row1, x.column1, x.row2 != x.row1); };
    auto withoutBridges = [](Bridge x) {
        x.bridges = 0;
        return x;
    };
    std::size_t i = 0;
    std::size_t j = 0;
    while (i < a.size() || j < b.size()) {
        if (j == b.size() || (i < a.size() && key(a[i]) < key(b[j])))
            return std::make_pair(a[i], withoutBridges(a[i]));
        if (i == a.size() || key(b[j]) < key(a[i]))
            return std::make_pair(withoutBridges(b[j]), b[j]);
        if (a[i].bridges != b[j].bridges) return std::make_pair(a[i], b[j]);
        ++i;
        ++j;
    }
    return std::nullopt;
}

}  // namespace spanwright::exact
