#include "exact/cnf.h"

#include <algorithm>
#include <vector>

#include "exact/model.h"
#include "puzzle/problem_line.h"

namespace spanwright::exact {
namespace {

/// Clauses as literals, each clause ended by 0, and the next free variable.
struct Formula {
    std::vector<int> literals;
    int variables = 0;

    int fresh() { return ++variables; }
    void add(std::initializer_list<int> clause) {
        literals.insert(literals.end(), clause);
        literals.push_back(0);
    }
};

/// Bits enough to give every one of `count` islands its own number.
int bitsFor(int count) {
    int bits = 1;
    while ((1 << bits) < count)
        ++bits;
    return bits;
}

/// The tree clauses: `order[i][b]` is bit b of island i's number.
void addTree(const BridgeModel& model, Formula& formula) {
    const std::vector<Island>& islands = model.islands();
    const std::vector<Link>& links = model.links();
    const int bits = bitsFor(int(islands.size()));
    std::vector<std::vector<int>> order(islands.size(), std::vector<int>(std::size_t(bits)));
    for (std::vector<int>& number : order)
        std::generate(number.begin(), number.end(), [&formula] { return formula.fresh(); });

    // For each island but the first, the links it may hang from.
    std::vector<std::vector<int>> parents(islands.size());
    for (int l = 0; l < int(links.size()); ++l) {
        for (const bool firstIsChild : {true, false}) {
            const int child = firstIsChild ? links[l].first : links[l].second;
            const int parent = firstIsChild ? links[l].second : links[l].first;
            if (child == 0) continue;
            const int picks = formula.fresh();
            parents[std::size_t(child)].push_back(picks);
            formula.add({-picks, BridgeModel::one(l)});
            // number(parent) < number(child): at some bit b the parent has 0 and the child
            // 1, and every higher bit is the same. `same` holds for the bits above b.
            const std::vector<int>& p = order[std::size_t(parent)];
            const std::vector<int>& c = order[std::size_t(child)];
            std::vector<int> decided;
            int sameAbove = 0;  // 0: no bit above the highest
            for (int b = bits - 1; b >= 0; --b) {
                const int at = formula.fresh();
                decided.push_back(at);
                formula.add({-at, -p[std::size_t(b)]});
                formula.add({-at, c[std::size_t(b)]});
                if (sameAbove != 0) formula.add({-at, sameAbove});
                // same(b): bits b and above agree.
                const int same = formula.fresh();
                formula.add({-same, -p[std::size_t(b)], c[std::size_t(b)]});
                formula.add({-same, p[std::size_t(b)], -c[std::size_t(b)]});
                if (sameAbove != 0) formula.add({-same, sameAbove});
                sameAbove = same;
            }
            formula.literals.push_back(-picks);
            formula.literals.insert(formula.literals.end(), decided.begin(), decided.end());
            formula.literals.push_back(0);
        }
    }
    for (std::size_t i = 1; i < islands.size(); ++i) {
        formula.literals.insert(formula.literals.end(), parents[i].begin(), parents[i].end());
        formula.literals.push_back(0);  // no link at all: the empty clause
    }
}

}  // namespace

CompleteFormula completeFormula(const BridgeModel& model) {
    Formula formula;
    formula.variables = model.variableCount();
    if (model.islands().size() < 2) {
        formula.add({});
    } else {
        formula.literals = model.clauses();
        addTree(model, formula);
    }
    return {std::move(formula.literals), formula.variables};
}

std::string cnfText(const Puzzle& puzzle) {
    const BridgeModel model(puzzle);
    const CompleteFormula formula = completeFormula(model);
    const auto clauses = std::count(formula.literals.begin(), formula.literals.end(), 0);

    std::string line = formatProblemLine(puzzle);
    if (!line.empty() && line.back() == '\n') line.pop_back();
    std::string text = "c bridge puzzle " + line + "\n";
    text += "c variables 1 to " + std::to_string(model.variableCount()) +
            " are the links; the rest build the spanning tree\n";
    for (int l = 0; l < int(model.links().size()); ++l) {
        const Island& a = model.islands()[std::size_t(model.links()[l].first)];
        const Island& b = model.islands()[std::size_t(model.links()[l].second)];
        text += "c link " + std::to_string(l) + ": " + std::to_string(BridgeModel::one(l)) + " " +
                std::to_string(BridgeModel::two(l)) + " (" + std::to_string(a.row) + "," +
                std::to_string(a.column) + ")-(" + std::to_string(b.row) + "," +
                std::to_string(b.column) + ")\n";
    }
    text += "p cnf " + std::to_string(formula.variables) + " " + std::to_string(clauses) + "\n";
    bool lineStart = true;
    for (const int literal : formula.literals) {
        if (!lineStart) text += ' ';
        text += std::to_string(literal);
        lineStart = literal == 0;
        if (lineStart) text += '\n';
    }
    return text;
}

}  // namespace spanwright::exact
