#pragma once

// The puzzle as propositional clauses, all but connectivity, which the cut loop adds
// lazily (exact_solver.h): a clause set that demanded connectivity up front would need a
// variable per island and path, where a handful of cuts usually settles it.

#include <utility>
#include <vector>

#include "puzzle/puzzle.h"

namespace spanwright::exact {

/// An island of the puzzle, counted row by row from the top left.
struct Island {
    int row = 0;
    int column = 0;
    int need = 0;            ///< bridges it takes
    std::vector<int> links;  ///< its candidate links, at most four
    /// Its number is not given (UNKNOWN_ISLAND): it takes any number from 1 to 8, and
    /// `need` is 0. Only the complete encoding (cnf.h) decides such puzzles.
    bool unknown = false;
};

/// A place for bridges: two islands facing each other across water only. Islands that
/// touch have no water between them and so no link.
struct Link {
    int first = 0;   ///< the island on the left or at the top
    int second = 0;  ///< the island on the right or below
    bool horizontal = false;
};

/// The clauses of a puzzle over two variables per link: ONE(l) "the link carries at least
/// one bridge" and TWO(l) "it carries two". Variables are numbered from 1 as a SAT solver
/// takes them; a literal is a variable or its negation.
class BridgeModel {
  public:
    /// A link's count in the order encoding: its k-th variable says "at least k bridges".
    static constexpr int VARIABLES_PER_LINK = MAX_BRIDGES_PER_LINE;
    static_assert(VARIABLES_PER_LINK == 2, "the clauses are written for ONE and TWO alone");

    explicit BridgeModel(const Puzzle& puzzle);

    static int one(int link) { return VARIABLES_PER_LINK * link + 1; }
    static int two(int link) { return VARIABLES_PER_LINK * link + 2; }
    int variableCount() const { return VARIABLES_PER_LINK * int(links_.size()); }

    const std::vector<Island>& islands() const { return islands_; }
    const std::vector<Link>& links() const { return links_; }
    /// Pairs of links, one horizontal and one vertical, whose runs cross.
    const std::vector<std::pair<int, int>>& crossings() const { return crossings_; }

    /// Every clause as literals, each clause ended by 0 (the DIMACS convention):
    /// TWO implies ONE, crossing links never both carry bridges, every island's bridges
    /// add up to its number, and, on a board of more than two islands, no two islands
    /// shut themselves off from the rest (two 1s never joined, two 2s never doubly).
    /// An island that cannot reach its number gives the empty clause. An island whose
    /// number is not given only needs a bridge, and is left out of the pairs rule.
    std::vector<int> clauses() const;

  private:
    std::vector<Island> islands_;
    std::vector<Link> links_;
    /// Pairs of links, one horizontal and one vertical, whose runs cross.
    std::vector<std::pair<int, int>> crossings_;
};

}  // namespace spanwright::exact
