// Every byte the solve mode and seeded generation write, compared with outputs recorded
// once from a trusted build by tools/golden_record.py. The solver and the generator may
// do their work differently, never with a different result.

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <string>

#include "tests/support/run_command.h"

namespace spanwright::testing {
namespace {

const std::string GOLDEN = std::string(SPANWRIGHT_TEST_DATA) + "/golden/";

std::string unzipped(const std::string& name) {
    const CommandResult result = runCommand(GZIP_EXE, {"-dc", GOLDEN + name});
    EXPECT_EQ(result.status, 0) << name;
    return result.out;
}

/// Where two texts first differ, as "line N", for a readable failure.
std::string firstDifference(const std::string& got, const std::string& want) {
    std::size_t i = 0;
    while (i < got.size() && i < want.size() && got[i] == want[i])
        ++i;
    return "line " + std::to_string(1 + std::count(want.begin(), want.begin() + long(i), '\n'));
}

// Grown layouts (solvable or not by deduction), the same with disturbed clues, dense
// random boards that over-bridge islands, seeded problems whole and cropped to
// non-square parts, and boards of up to 125 x 125.
TEST(Golden, SolveModeOutputsStayTheSame) {
    TempDir dir;
    for (const char* set :
         {"grown", "disturbed", "dense", "seeded_whole", "seeded_cropped", "large"}) {
        const std::string input =
            dir.write(std::string(set) + ".txt", unzipped(std::string(set) + ".txt.gz"));
        for (const char* mode : {"d", "s"}) {
            const std::string want = unzipped(std::string(set) + "." + mode + ".out.gz");
            ASSERT_FALSE(want.empty()) << set;
            const CommandResult result = runSpanwright({mode, input});
            EXPECT_EQ(result.status, 0);
            EXPECT_EQ(result.err, "");
            EXPECT_TRUE(result.out == want)
                << set << " " << mode << ": " << firstDifference(result.out, want);
        }
    }
}

// Blocks of "# SEED SIZE COUNT" followed by the problems that run printed.
TEST(Golden, SeededProblemsStayTheSame) {
    std::istringstream blocks(unzipped("seeded.out.gz"));
    std::string line, seed, side, count, want;
    int runs = 0;
    const auto check = [&] {
        if (seed.empty()) return;
        const CommandResult result = runCommand(SPANWRIGHT_SEEDED_EXE, {seed, side, count});
        EXPECT_EQ(result.status, 0);
        EXPECT_TRUE(result.out == want)
            << "seed " << seed << " side " << side << ": " << firstDifference(result.out, want);
        ++runs;
    };
    while (std::getline(blocks, line)) {
        if (line.rfind("# ", 0) != 0) {
            want += line + "\n";
            continue;
        }
        check();
        std::istringstream(line.substr(2)) >> seed >> side >> count;
        want.clear();
    }
    check();
    EXPECT_GE(runs, 30);
}

}  // namespace
}  // namespace spanwright::testing
