#include <gtest/gtest.h>

#include "tests/support/run_command.h"

namespace spanwright::testing {
namespace {

const char* const USAGE =
    "\nbridge puzzle solver/creator\n"
    "  To slove problems: spanwright.exe s (file name)\n"
    "  To create problem: spanwright.exe c[1-3]\n"
    "    where 1-3 specifies board size.\n";

TEST(CommandLine, PrintsTheUsageTextForEveryOtherCommandLine) {
    const std::vector<std::vector<std::string>> commandLines = {
        {},     {"s"},  {"d"},  {"c2", "x"},   {"s", "a", "b"}, {"c"}, {"c0"},
        {"c4"}, {"cx"}, {"x1"}, {"x", "file"}, {"c", "file"},   {""},  {"", ""},
    };
    TempDir dir;
    for (const auto& args : commandLines) {
        const CommandResult result = runSpanwright(args, dir.path());
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.out, USAGE);
        EXPECT_EQ(result.err, "");
    }
}

TEST(CommandLine, OnlyTheFirstLetterChoosesTheSolveMode) {
    TempDir dir;
    const std::string file = dir.write("one.txt", "1/1/3/2.2/\n");
    const std::string drawing = "\x82\x51\x81\x81\x82\x51\n\nfinished.\n";
    for (const char* mode : {"s", "S", "solve", "Sxyz"}) {
        const CommandResult result = runSpanwright({mode, file});
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.out, drawing) << mode;
    }
    for (const char* mode : {"d", "D", "dump"}) {
        const CommandResult result = runSpanwright({mode, file});
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.out, "1,0,0,0,0,3\n") << mode;
    }
}

TEST(CommandLine, MissingFileIsReportedWithStatusZero) {
    const CommandResult result = runSpanwright({"s", "/nonexistent/problems.txt"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "failed to open: /nonexistent/problems.txt\n");
}

}  // namespace
}  // namespace spanwright::testing
