#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "generator/random_source.h"
#include "solver/board.h"
#include "solver/trial_search.h"

namespace spanwright {

// Cell codes of the generator's layout plane. The border is a wall of bridge codes in the
// orientation that never counts at an island: the top and bottom rows hold GEN_H_BRIDGE,
// the left and right columns GEN_V_BRIDGE, so every scan stops there without a test.
inline constexpr std::uint8_t GEN_EMPTY = 0;     ///< water; a bridge or an island may go here
inline constexpr std::uint8_t GEN_H_BRIDGE = 1;  ///< a horizontal bridge passes through
inline constexpr std::uint8_t GEN_V_BRIDGE = 3;  ///< a vertical bridge passes through
inline constexpr std::uint8_t GEN_RESERVED = 5;  ///< water next to an island: no island here
inline constexpr std::uint8_t GEN_ISLAND = 6;    ///< an island
inline constexpr std::uint8_t GEN_VISITED = 7;   ///< an island reached by the connectivity fill

// Directions, in the order used for every direction-indexed table.
inline constexpr int DIRECTION_LEFT = 0;
inline constexpr int DIRECTION_RIGHT = 1;
inline constexpr int DIRECTION_UP = 2;
inline constexpr int DIRECTION_DOWN = 3;

/// The code laid by a bridge grown left, right, up, down.
inline constexpr std::array<std::uint8_t, 4> BRIDGE_CODE_BY_DIRECTION = {
    GEN_H_BRIDGE, GEN_H_BRIDGE, GEN_V_BRIDGE, GEN_V_BRIDGE};

/// One bridge of a finished layout, by its end islands.
struct BridgeRun {
    std::uint16_t startCell = 0;  ///< left end of a horizontal bridge, upper end of a vertical one
    std::uint16_t endCell = 0;    ///< right or lower end
};

/// Islands waiting to grow, breadth first. Items are never removed, so pushUnique also
/// keeps out an island that was queued and has already grown: each island grows from the
/// queue at most once per layout.
struct IslandQueue {
    std::vector<std::uint16_t> items;
    std::uint16_t head = 0;   ///< next item to take
    std::uint16_t count = 0;  ///< items appended since the last reset

    void reset() { head = count = 0; }
    bool empty() const { return head == count; }
    int take() { return items[head++]; }
    /// Appends cell p unless it was appended before, taken or not.
    void pushUnique(int p);
};

/// Cells of a rectangular loop of bridges: entry j is the island reached after j bridges;
/// the entry after the last bridge is the starting island again. At most 12 bridges.
using LoopPath = std::array<std::int32_t, 13>;

/// The generator's working record: a square layout of islands and single bridges grown at
/// random, plus the planes that turning it into a checked problem needs. Everything is
/// allocated once by setUp and reused by every attempt.
struct GeneratorBoard {
    std::int8_t size = 0;               ///< bordered side W
    std::vector<std::uint8_t> layout;   ///< W x W generator cell codes
    std::vector<std::uint8_t> derived;  ///< W x W problem plane being derived from the layout
    std::vector<BridgeRun> runs;        ///< the bridges of a finished layout, up to W x W
    IslandQueue queue;
    SolverBoard checker;           ///< W x W board that solves the derived problems
    TrialWorkspace checkerTrials;  ///< the checker's workspace for its trial search
    /// The finished layout's islands scanned once: every problem derived from the layout
    /// has its islands on the same cells, so each check starts from a copy of this board.
    SolverBoard scannedLayout;
    RandomSource* random = nullptr;  ///< shared with every other generator; not owned
    std::array<int, 4> steps{};      ///< cell step of each direction: -1, +1, -W, +W

    /// Sizes every plane for a board of side n (W = n + 2) and attaches the random source.
    void setUp(RandomSource& source, int side);
    /// Writes the border walls and empties the interior.
    void resetLayout();
    /// Makes p an island and reserves its empty neighbours.
    void placeIsland(int p);
    /// Grows one bridge from island p in direction d, ending on a new island or, by a
    /// 1-in-10 chance, on the nearest island within reach. Returns the end island, or -1
    /// when nothing was laid.
    int extend(int p, int d);
    /// Grows a whole layout on a reset plane: chains from two opposite corners, then
    /// breadth first from the islands of the top and bottom rows.
    void growLayout();

    /// Number of bridges of the first rectangular loop that has island a as its top-left
    /// corner (4 to 12), with its islands in path; 0 when there is none.
    int findLoop(int a, LoopPath& path) const;
    /// Removes one of the b bridges of the loop in path, chosen at random.
    void cutLoopBridge(const LoopPath& path, int b);
    /// Cuts the loop at island a, if there is one, most of the time; true when there was one.
    bool breakLoop(int a);
    /// Marks every island reachable from the GEN_ISLAND at p as GEN_VISITED.
    void markConnected(int p);
    /// Grows some more, breaks small loops and turns the islands into clue numbers
    /// (ISLAND_BASE + bridge ends). False rejects the layout: too many loops are left or
    /// some island is cut off; the plane is then left half converted.
    bool finishLayout();

  private:
    /// The island at the far end of the bridge leaving island x in direction d, or -1 when
    /// no bridge leaves in that direction.
    int walkBridge(int x, int d) const;

    std::vector<std::int32_t> fillStack;  // islands reached by markConnected, not yet expanded
};

}  // namespace spanwright
