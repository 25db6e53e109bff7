#include "exact/exact_solver.h"

#include <cadical.hpp>

#include <chrono>
#include <initializer_list>
#include <numeric>
#include <tuple>

#include "exact/cnf.h"
#include "exact/counting.h"
#include "exact/cpu_time.h"
#include "exact/model.h"
#include "exact/reasoning.h"

namespace spanwright::exact {
namespace {

constexpr int SATISFIABLE = 10;
constexpr int UNSATISFIABLE = 20;

using Clock = std::chrono::steady_clock;

/// Asks the SAT solver to stop once the time is up; it polls this while it searches.
class Deadline : public CaDiCaL::Terminator {
  public:
    explicit Deadline(const ExactLimits& limits)
        : limited_(limits.seconds > 0),
          end_(limited_ ? Clock::now() + std::chrono::duration_cast<Clock::duration>(
                                             std::chrono::duration<double>(limits.seconds))
                        : Clock::time_point::max()) {}

    bool limited() const { return limited_; }
    bool terminate() override { return limited_ && Clock::now() >= end_; }

  private:
    bool limited_;
    Clock::time_point end_;
};

/// One SAT solver kept across every call for a puzzle: cuts and the learnt clauses stay,
/// so the search for a second solution starts where the first one ended.
class CutLoop {
  public:
    CutLoop(const BridgeModel& model, const std::vector<CountSet>& counts, Deadline& deadline)
        : model_(model), deadline_(deadline) {
        solver_.set("quiet", 1);
        solver_.reserve(model.variableCount());
        for (const int literal : model.clauses())
            solver_.add(literal);
        // What the reasoning settled, as units and one binary clause for "not 1".
        for (int l = 0; l < int(counts.size()); ++l) {
            if (!(counts[l] & 1)) addClause({BridgeModel::one(l)});
            if (!(counts[l] & 2)) addClause({-BridgeModel::one(l), BridgeModel::two(l)});
            if (!(counts[l] & 4)) addClause({-BridgeModel::two(l)});
        }
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
        }
    }

    /// Excludes the solution `counts` from every later model.
    void block(const std::vector<int>& counts) {
        for (int l = 0; l < int(counts.size()); ++l) {
            solver_.add(counts[l] >= 1 ? -BridgeModel::one(l) : BridgeModel::one(l));
            solver_.add(counts[l] == 2 ? -BridgeModel::two(l) : BridgeModel::two(l));
        }
        solver_.add(0);
    }

    const ExactCounters& counters() const { return counters_; }
    bool stopped() const { return stopped_; }
    /// CPU seconds spent on cuts so far.
    double cutSeconds() const { return cutSeconds_; }

  private:
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
        return int(leaving.size());
    }

    const BridgeModel& model_;
    Deadline& deadline_;
    CaDiCaL::Solver solver_;
    ExactCounters counters_;
    bool stopped_ = false;
    double cutSeconds_ = 0;
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
    double stageStart = threadCpuSeconds();
    const auto endStage = [&stageStart](double& stage) {
        const double now = threadCpuSeconds();
        stage += now - stageStart;
        stageStart = now;
    };
    Deadline deadline(limits);
    const BridgeModel model(puzzle);
    if (model.islands().empty() || !sumsCanBeMet(model)) {
        endStage(result.times.preprocessing);
        return result;
    }
    const Reasoning reasoning = reasonAboutLines(model);
    if (!reasoning.possible) {
        endStage(result.times.preprocessing);
        return result;
    }

    CutLoop loop(model, reasoning.counts, deadline);
    endStage(result.times.preprocessing);
    std::vector<int> counts;
    const bool solved = loop.solveConnected(counts);
    const double firstCuts = loop.cutSeconds();
    endStage(result.times.sat);
    if (solved) {
        result.verdict = Verdict::Unique;
        result.solutions.push_back(solutionOf(model, counts));
        loop.block(counts);
        if (loop.solveConnected(counts)) {
            result.verdict = Verdict::Multiple;
            result.solutions.push_back(solutionOf(model, counts));
        }
        endStage(result.times.uniqueness);
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
