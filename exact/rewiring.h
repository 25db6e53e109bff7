#pragma once

// Connected solutions found by moving bridges, not by cutting towards them. On a board
// with very many solutions (numbers from the degrees of a random spanning tree), the SAT
// solver's models meet every number but mostly fall apart into small rings, and a cut per
// ring excludes little: tens of thousands of cuts before a connected model. Moving one
// bridge around a cycle of four links keeps every number and, where it joins two parts,
// reaches a connected solution in a few hundred moves; one more move from a solution is
// usually a second one.

#include <cstdint>
#include <random>
#include <vector>

#include "exact/model.h"
#include "exact/reasoning.h"

namespace spanwright::exact {

class Rewirer {
  public:
    /// `counts` are the counts each link may still take (reasoning.h); a move never
    /// leaves them.
    Rewirer(const BridgeModel& model, const std::vector<CountSet>& counts);

    /// Moves bridges of `bridges` (per link; every number met, no crossing) around
    /// cycles of four links until they join all islands, taking a move that leaves fewer
    /// parts where there is one and a move that leaves as many otherwise, at most `budget`
    /// moves. False, with `bridges` as given, when that did not join them.
    bool join(std::vector<int>& bridges, int budget);

    /// A solution one move from the solution `bridges`, into `other`; false when no move
    /// keeps all islands joined.
    bool neighbour(const std::vector<int>& bridges, std::vector<int>& other) const;

    /// Whether `bridges` meets every number, crosses nothing and joins all islands.
    bool solves(const std::vector<int>& bridges) const;

    /// The cycles of four links, each in order around it.
    const std::vector<std::vector<int>>& squares() const { return squares_; }

  private:
    struct Move {
        int square;
        int sign;  ///< +1: the first and third links gain a bridge; -1: the other two
    };

    bool apply(std::vector<int>& bridges, Move move) const;
    void undo(std::vector<int>& bridges, Move move) const;
    /// The parts the bridges make, each island labelled with its part.
    int parts(const std::vector<int>& bridges, std::vector<int>* label = nullptr) const;

    const BridgeModel& model_;
    const std::vector<CountSet>& counts_;
    std::vector<std::vector<int>> crossers_;
    std::vector<std::vector<int>> squares_;  ///< four links each, in order around the cycle
    std::mt19937 random_{20261208};
};

}  // namespace spanwright::exact
