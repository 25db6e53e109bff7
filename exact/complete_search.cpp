// The search over the complete formula, for puzzles that the reasoning and the cut loop of
// exact_solver.cpp do not take: those with islands whose number is not given.
#include <cadical.hpp>

#include <vector>

#include "exact/cnf.h"
#include "exact/deadline.h"
#include "puzzle/cpu_time.h"

namespace spanwright::exact {
namespace {

constexpr int SATISFIABLE = 10;
constexpr int UNSATISFIABLE = 20;

}  // namespace

ExactResult solveByCompleteFormula(const Puzzle& puzzle, const ExactLimits& limits) {
    ExactResult result;
    StageClock stages;
    const BridgeModel model(puzzle);
    if (model.islands().empty()) return result;
    const CompleteFormula formula = completeFormula(model);
    CaDiCaL::Solver solver;
    solver.set("quiet", 1);
    solver.reserve(formula.variables);
    for (const int literal : formula.literals)
        solver.add(literal);
    Deadline deadline(limits);
    if (deadline.limited()) solver.connect_terminator(&deadline);
    stages.end(result.times.preprocessing);

    const int links = int(model.links().size());
    for (int round = 0; round < 2; ++round) {
        ++result.counters.solverCalls;
        const int outcome = solver.solve();
        stages.end(round == 0 ? result.times.sat : result.times.uniqueness);
        if (outcome != SATISFIABLE) {
            if (outcome != UNSATISFIABLE) {
                result.verdict = Verdict::Unknown;
                result.solutions.clear();
            }
            break;
        }
        // The bridges of every link (TWO implies ONE, so 0, 1 or 2), read before the
        // clause that forbids them from now on is added.
        std::vector<int> counts(std::size_t(links), 0);
        Solution solution;
        for (int l = 0; l < links; ++l) {
            counts[std::size_t(l)] =
                (solver.val(BridgeModel::one(l)) > 0) + (solver.val(BridgeModel::two(l)) > 0);
            if (counts[std::size_t(l)] == 0) continue;
            const Island& a = model.islands()[std::size_t(model.links()[l].first)];
            const Island& b = model.islands()[std::size_t(model.links()[l].second)];
            solution.push_back({a.row, a.column, b.row, b.column, counts[std::size_t(l)]});
        }
        for (int l = 0; l < links; ++l) {
            solver.add(counts[std::size_t(l)] >= 1 ? -BridgeModel::one(l) : BridgeModel::one(l));
            solver.add(counts[std::size_t(l)] == MAX_BRIDGES_PER_LINE ? -BridgeModel::two(l)
                                                                      : BridgeModel::two(l));
        }
        solver.add(0);
        result.solutions.push_back(std::move(solution));
        result.verdict = round == 0 ? Verdict::Unique : Verdict::Multiple;
    }
    if (deadline.limited()) solver.disconnect_terminator();
    return result;
}

}  // namespace spanwright::exact
