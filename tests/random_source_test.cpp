#include "generator/random_source.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <thread>
#include <vector>

#include "generator/derivation.h"
#include "puzzle/problem_line.h"
#include "tests/support/layout_picture.h"

namespace spanwright {
namespace {

using generator_testing::modelMap;
using generator_testing::modelStep;

// The state that steps to v: (v - 12345) / 1103515245 modulo 2^31.
std::int32_t stateBefore(std::int32_t v) {
    const std::uint32_t a = 1103515245u;
    std::uint32_t inverse = a;  // Newton's iteration doubles the correct low bits each round
    for (int i = 0; i < 5; ++i)
        inverse *= 2u - a * inverse;
    const std::uint32_t s = (static_cast<std::uint32_t>(v) - 12345u) * inverse;
    return static_cast<std::int32_t>(s & 0x7FFFFFFFu);
}

// With this bound a draw shows the new state itself, give or take one near the top.
constexpr std::int32_t WIDE = 2147483647;

TEST(RandomSourceTest, FollowsTheSequenceFromAnySeed) {
    // Seeds 0 and 2^31 both start at 12345: bit 31 of a seed has no effect.
    EXPECT_EQ(RandomSource(0).drawBelow(WIDE), 12345);
    EXPECT_EQ(RandomSource(INT32_MIN).drawBelow(WIDE), 12345);
    for (const std::int32_t seed : {0, 1, 4242, -1, -123456789, INT32_MAX, INT32_MIN}) {
        RandomSource source(seed);
        std::int32_t state = seed;
        for (int i = 0; i < 1000; ++i) {
            state = modelStep(state);
            const std::int32_t bound = 1 + i % 20;
            ASSERT_EQ(source.drawBelow(bound), modelMap(state, bound)) << "seed " << seed;
        }
    }
}

TEST(RandomSourceTest, ExtremeStatesMapToTheEndsOfTheRange) {
    ASSERT_EQ(modelStep(stateBefore(0)), 0);
    ASSERT_EQ(modelStep(stateBefore(INT32_MAX)), INT32_MAX);
    for (const std::int32_t bound : {1, 2, 3, 4, 5, 10, 12, 13, 20, 1000}) {
        RandomSource low(stateBefore(0));
        RandomSource top(stateBefore(INT32_MAX));
        EXPECT_EQ(low.drawBelow(bound), 0) << bound;
        EXPECT_EQ(top.drawBelow(bound), bound - 1) << bound;
    }
}

TEST(RandomSourceTest, DrawBelowOneStillSteps) {
    RandomSource source(77);
    std::int32_t state = 77;
    for (int i = 0; i < 3; ++i) {
        state = modelStep(state);
        EXPECT_EQ(source.drawBelow(1), 0);
    }
    EXPECT_EQ(source.drawBelow(WIDE), modelMap(modelStep(state), WIDE));
}

// Workers started together read the same millisecond; their batches must still differ.
TEST(RandomSourceTest, BatchesSeededInTheSameMillisecondDiffer) {
    for (const std::uint32_t ms : {0u, 1234567u, 0xFFFFFFFFu}) {
        std::vector<std::int32_t> seeds;
        for (std::uint32_t pid = 1; pid <= 4096; ++pid)
            seeds.push_back(batchSeed(ms, pid));
        std::sort(seeds.begin(), seeds.end());
        EXPECT_EQ(std::adjacent_find(seeds.begin(), seeds.end()), seeds.end()) << ms;
    }
    RandomSource first(batchSeed(777, 4000));
    RandomSource second(batchSeed(777, 4001));
    Puzzle a;
    Puzzle b;
    generateProblem(first, 10, 10, a);
    generateProblem(second, 10, 10, b);
    EXPECT_NE(formatProblemLine(a), formatProblemLine(b));
}

TEST(RandomSourceTest, ConcurrentDrawsTakeEachStateOnce) {
    constexpr int THREADS = 4;
    constexpr int DRAWS = 20000;
    RandomSource source(99);
    std::vector<std::vector<std::int32_t>> seen(THREADS);
    std::vector<std::thread> threads;
    for (int t = 0; t < THREADS; ++t) {
        threads.emplace_back([&source, &seen, t] {
            seen[t].reserve(DRAWS);
            for (int i = 0; i < DRAWS; ++i)
                seen[t].push_back(source.drawBelow(WIDE));
        });
    }
    for (auto& thread : threads)
        thread.join();

    std::vector<std::int32_t> drawn;
    for (const auto& part : seen)
        drawn.insert(drawn.end(), part.begin(), part.end());
    std::vector<std::int32_t> expected;
    std::int32_t state = 99;
    for (int i = 0; i < THREADS * DRAWS; ++i) {
        state = modelStep(state);
        expected.push_back(modelMap(state, WIDE));
    }
    std::sort(drawn.begin(), drawn.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(drawn, expected);
}

}  // namespace
}  // namespace spanwright
