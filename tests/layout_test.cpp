#include "generator/layout.h"
#include "tests/support/layout_picture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

namespace spanwright {
namespace generator_testing {

namespace {

int cell(const GeneratorBoard& board, int row, int column) {
    return row * board.size + column;
}

// One step of growth on a hand-made plane, with the draws that it is expected to make.
struct ExtendCase {
    const char* name;
    const char* before;
    int row, column, direction;
    std::vector<Draw> draws;
    int endRow, endColumn;  // -1: nothing laid
    const char* after;      // empty: unchanged
};

void checkExtend(const ExtendCase& step) {
    SCOPED_TRACE(step.name);
    const std::int32_t seed = seedGiving(step.draws);
    RandomSource source(seed);
    GeneratorBoard board;
    loadPicture(board, source, step.before);
    const int end = board.extend(cell(board, step.row, step.column), step.direction);
    EXPECT_EQ(end, step.endRow < 0 ? -1 : cell(board, step.endRow, step.endColumn));
    EXPECT_EQ(picture(board), *step.after ? step.after : step.before);
    EXPECT_EQ(drawsSince(source, seed), static_cast<int>(step.draws.size()));
}

constexpr int LEFT = DIRECTION_LEFT;
constexpr int RIGHT = DIRECTION_RIGHT;
constexpr int UP = DIRECTION_UP;
constexpr int DOWN = DIRECTION_DOWN;

const char* const WALLED = ",O,... ,,..,. O---O, ,...,. ....., ....,O";

// clang-format off
TEST(ExtendTest, NothingIsLaidNorDrawnWhenTheWayIsBlocked) {
    for (const ExtendCase& step : std::vector<ExtendCase>{
             {"wall above", WALLED, 1, 2, UP, {}, -1, -1, ""},
             {"wall left", WALLED, 3, 1, LEFT, {}, -1, -1, ""},
             {"wall right", WALLED, 6, 6, RIGHT, {}, -1, -1, ""},
             {"wall below", WALLED, 6, 6, DOWN, {}, -1, -1, ""},
             {"bridge at the first cell", WALLED, 3, 1, RIGHT, {}, -1, -1, ""},
             {"crossing bridge behind a reserved cell", WALLED, 1, 2, DOWN, {}, -1, -1, ""},
             {"wall behind a reserved cell", WALLED, 3, 5, RIGHT, {}, -1, -1, ""},
             {"island five cells away", "O,,,,O ,...., ...... ...... ...... ......",
              1, 1, RIGHT, {}, -1, -1, ""},
         }) {
        checkExtend(step);
    }
}

TEST(ExtendTest, ChoosesAmongTheWaterCellsInReachNearestFirst) {
    const char* const before = "O,.,.. ,.,O,. ...,.. ...... ...... ......";
    for (const ExtendCase& step : std::vector<ExtendCase>{
             {"nearest", before, 1, 1, RIGHT, {{2, 0}}, 1, 3,
              "O-O,.. ,.,O,. ...,.. ...... ...... ......"},
             {"across a reserved cell", before, 1, 1, RIGHT, {{2, 1}}, 1, 5,
              "O---O, ,.,O,. ...,.. ...... ...... ......"},
             {"farthest of three", "O,.... ,..... ...... ...... ...... ......", 1, 1, RIGHT,
              {{3, 2}}, 1, 5, "O---O, ,...,. ...... ...... ...... ......"},
             {"down to a crossing bridge", ",O,... .,.... ,...,. O---O, ,...,. ......", 1, 2,
              DOWN, {{1, 0}}, 3, 2, ",O,... .|.... ,O,.,. O---O, ,...,. ......"},
             {"up from the bottom row", "...... ...... ...... ...... .,.... ,O,...", 6, 2, UP,
              {{3, 2}}, 2, 2, ".,.... ,O,... .|.... .|.... .|.... ,O,..."},
         }) {
        checkExtend(step);
    }
}

TEST(ExtendTest, EndsOnAnIslandOnlyByTheOneInTenDraw) {
    const char* const near = "O,O,.. ,.,... ...... ...... ...... ......";
    const char* const far = "O,.,O, ,...,. ...... ...... ...... ......";
    const char* const toFar = "O---O, ,...,. ...... ...... ...... ......";
    const char* const toWater = "O-O,O, ,.,.,. ...... ...... ...... ......";
    for (const ExtendCase& step : std::vector<ExtendCase>{
             {"near island refused", near, 1, 1, RIGHT, {{10, 1, 9}}, -1, -1, ""},
             {"near island taken", near, 1, 1, RIGHT, {{10, 0}, {1, 0}}, 1, 3,
              "O-O,.. ,.,... ...... ...... ...... ......"},
             {"far island refused", far, 1, 1, RIGHT, {{10, 1, 9}, {1, 0}}, 1, 3, toWater},
             {"far island taken and chosen", far, 1, 1, RIGHT, {{10, 0}, {2, 1}}, 1, 5, toFar},
             {"far island taken, water chosen", far, 1, 1, RIGHT, {{10, 0}, {2, 0}}, 1, 3, toWater},
             {"leftwards", far, 1, 5, LEFT, {{10, 0}, {2, 1}}, 1, 1, toFar},
         }) {
        checkExtend(step);
    }
}
// clang-format on

TEST(IslandQueueTest, PushUniqueKeepsOutItemsAlreadyTaken) {
    IslandQueue queue;
    queue.items.assign(8, 0);
    queue.reset();
    queue.pushUnique(13);
    queue.pushUnique(40);
    EXPECT_EQ(queue.take(), 13);
    queue.pushUnique(13);
    queue.pushUnique(40);
    queue.pushUnique(27);
    EXPECT_EQ(queue.count, 3);
    EXPECT_EQ(queue.take(), 40);
    EXPECT_EQ(queue.take(), 27);
    EXPECT_TRUE(queue.empty());
}

TEST(GrowLayoutTest, KeepsInvariantsAndStartsAtDrawnCorners) {
    for (const int n : {10, 15, 20}) {
        for (std::int32_t seed = 1; seed <= 150; ++seed) {
            SCOPED_TRACE(testing::Message() << "side " << n << " seed " << seed);
            RandomSource source(seed);
            GeneratorBoard board;
            board.setUp(source, n);
            board.resetLayout();
            board.growLayout();
            ASSERT_EQ(layoutFaults(board, false), "");

            // The coins are the first two draws. Corner islands and the first bridge of each
            // corner chain survive all later growth.
            const std::int32_t first = modelStep(seed);
            const bool mainDiagonal = modelMap(first, 2) == 0;
            const bool alongRows = modelMap(modelStep(first), 2) == 0;
            const auto at = [&board](int r, int c) { return board.layout[cell(board, r, c)]; };
            const std::uint8_t bridge = alongRows ? GEN_H_BRIDGE : GEN_V_BRIDGE;
            if (mainDiagonal) {
                EXPECT_EQ(at(1, 1), GEN_ISLAND);
                EXPECT_EQ(at(n, n), GEN_ISLAND);
                EXPECT_EQ(alongRows ? at(1, 2) : at(2, 1), bridge);
                EXPECT_EQ(alongRows ? at(n, n - 1) : at(n - 1, n), bridge);
            } else {
                EXPECT_EQ(at(1, n), GEN_ISLAND);
                EXPECT_EQ(at(n, 1), GEN_ISLAND);
                EXPECT_EQ(alongRows ? at(1, n - 1) : at(2, n), bridge);
                EXPECT_EQ(alongRows ? at(n, 2) : at(n - 1, 1), bridge);
            }
            // Every queued island was taken, none twice.
            EXPECT_EQ(board.queue.head, board.queue.count);
            std::vector<std::uint16_t> queued(board.queue.items.begin(),
                                              board.queue.items.begin() + board.queue.count);
            std::sort(queued.begin(), queued.end());
            EXPECT_EQ(std::adjacent_find(queued.begin(), queued.end()), queued.end());
        }
    }
}

}  // namespace
}  // namespace generator_testing
}  // namespace spanwright
