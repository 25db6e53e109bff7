// The checking program as a user meets it: its lines, its JSON, its pictures and its exit
// statuses.

#include <gtest/gtest.h>

#include <random>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include "app/check/check.h"
#include "puzzle/problem_line.h"
#include "tests/support/random_board.h"
#include "tests/support/run_command.h"

namespace spanwright {
namespace {

using testing::runCommand;
using testing::TempDir;

const std::string CHECK = SPANWRIGHT_CHECK_EXE;

constexpr const char* UNIQUE = "1/1/3/1.1/\n";
constexpr const char* RING = "1/4/4/3..3/..../..../3..3/\n";
constexpr const char* TOUCHING = "1/1/2/11/\n";

/// The output with every time and score replaced by 0, for comparing whole lines: the
/// score's formula belongs to the stepwise solver and is tested there.
std::string withoutTimes(const std::string& text) {
    // The CPU stages are checked on their own (CheckProgram tests of --csv).
    std::string shown = std::regex_replace(text, std::regex(R"(,"cpu_ms":\{[^}]*\})"), "");
    shown = std::regex_replace(shown, std::regex(R"("ms":[0-9.]+)"), R"("ms":0)");
    shown = std::regex_replace(shown, std::regex(R"("score":[0-9.]+)"), R"("score":0)");
    return std::regex_replace(shown, std::regex(R"(score [0-9.]+)"), "score 0");
}

TEST(CheckProgram, OneLinePerProblemAndEveryRefusedLineNamed) {
    TempDir dir;
    const std::string file =
        dir.write("mixed.txt", std::string(UNIQUE) + "\n" + "not a problem\n" + RING + TOUCHING);

    const auto result = runCommand(CHECK, {file});

    EXPECT_EQ(withoutTimes(result.out),
              file +
                  ":1: unique, 3x1, 2 islands, solved by deduction (grade 1, technique basic), "
                  "level easy, score 0\n" +
                  file + ":4: multiple, 4x4, 4 islands, solutions differ between (0,0) and " +
                  "(0,3): 2 bridges in one, 1 bridge in the other\n" + file +
                  ":5: none, 2x1, 2 islands, no solution\n");
    EXPECT_EQ(result.err, "spanwright-check: " + file +
                              ":3: neither a problem line (difficulty/height/width/rows) nor a "
                              "game ID (WxH:description)\n");
    EXPECT_EQ(result.status, 2);
}

TEST(CheckProgram, ExitStatusSaysWhetherEveryProblemIsUnique) {
    TempDir dir;
    const std::string unique = dir.write("unique.txt", std::string(UNIQUE) + UNIQUE);
    const std::string none = dir.write("none.txt", std::string(UNIQUE) + TOUCHING);
    const struct {
        std::vector<std::string> args;
        int status;
    } cases[] = {
        {{unique}, 0},     {{unique, none}, 1},           {{none, dir.path() + "/missing.txt"}, 2},
        {{dir.path()}, 2}, {{"--frobnicate", unique}, 2}, {{"-x"}, 2},
        {{}, 0},  // standard input is /dev/null: no problems, none of them not unique
    };
    for (const auto& c : cases) {
        const auto result = runCommand(CHECK, c.args);
        EXPECT_EQ(result.status, c.status) << (c.args.empty() ? "" : c.args[0]) << result.err;
    }
    EXPECT_NE(runCommand(CHECK, {"--frobnicate"}).err.find("unknown option '--frobnicate'"),
              std::string::npos);
    EXPECT_EQ(runCommand(CHECK, {"--version"}).out, "spanwright-check 1.0.0\n");
    EXPECT_EQ(runCommand(CHECK, {"--help"}).status, 0);
    const auto piped = runCommand("/bin/sh", {"-c", CHECK + " - < " + unique});
    EXPECT_EQ(piped.out.substr(0, 12), "-:1: unique,");
}

TEST(CheckProgram, AnExpiredTimeLimitGivesUnknownAndGoesOn) {
    TempDir dir;
    const std::string file = dir.write("ring.txt", std::string(RING) + TOUCHING);

    const auto text = runCommand(CHECK, {"--time-limit", "0.000000001", file});
    const auto json = runCommand(CHECK, {"--json", "--time-limit=0.000000001", file});

    EXPECT_EQ(text.out, file +
                            ":1: unknown, 4x4, 4 islands, not decided: the exact search reached "
                            "its time limit of 1e-09 s\n" +
                            file + ":2: none, 2x1, 2 islands, no solution\n");
    EXPECT_EQ(text.status, 1);
    EXPECT_NE(json.out.find("\"line\":1,\"width\":4,\"height\":4,\"islands\":4,"
                            "\"verdict\":\"unknown\""),
              std::string::npos)
        << json.out;
    EXPECT_NE(json.out.find("\"line\":2"), std::string::npos);
    EXPECT_EQ(json.status, 1);
    for (const char* bad : {"-1", "1e3", "inf", "nan", ".5", "1.2.3", "", "86401", " 5"}) {
        const auto refused = runCommand(CHECK, {"--time-limit", bad, file});
        EXPECT_EQ(refused.status, 2) << bad;
        EXPECT_NE(refused.err.find("--time-limit '" + std::string(bad) + "'"), std::string::npos)
            << refused.err;
    }
    // 0 is no limit at all.
    EXPECT_EQ(runCommand(CHECK, {"--time-limit", "0", file}).out.substr(0, file.size() + 13),
              file + ":1: multiple,");
}

// The limit bounds the whole check, the rating included: on this board the search takes
// well under a second and the rating several (it has many solutions, so it stays
// unrated), and the check ends well inside the CPU time the shell allows it.
TEST(CheckProgram, TheTimeLimitCoversTheRatingToo) {
    // Under AddressSanitizer everything runs several times slower: there the bound only
    // keeps the run from hanging.
#ifdef __SANITIZE_ADDRESS__
    const std::string cpuBound = "ulimit -t 90; ";
#else
    const std::string cpuBound = "ulimit -t 4; ";
#endif
    const auto result =
        runCommand("/bin/sh", {"-c", cpuBound + "exec \"$0\" --json --time-limit 1.5 \"$1\"", CHECK,
                               std::string(SPANWRIGHT_TEST_DATA) + "/spanning_tree_40.txt"});
    EXPECT_EQ(result.signal, 0);
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.out.find("\"islands\":1600"), std::string::npos) << result.out;
    EXPECT_NE(result.out.find("\"level\":null"), std::string::npos) << result.out;
}

// The limit bounds all the work on a board in every program that rates or decides it: on a
// 123 x 123 lattice whose rating alone takes some 25 s, each ends within a few seconds.
TEST(TimeLimit, BoundsTheWholeWorkOfEveryProgram) {
    TempDir dir;
    std::mt19937 random(62);
    const std::string board = dir.write(
        "tree.txt", formatProblemLine(spanwright::testing::spanningTreeLattice(random, 62)) + "\n");
#ifdef __SANITIZE_ADDRESS__
    const std::string cpuBound = "ulimit -t 30; ";
#else
    const std::string cpuBound = "ulimit -t 4; ";
#endif
    const struct {
        std::string program, options, says;
        int status;
    } runs[] = {
        {CHECK, "--json", "\"verdict\":\"unknown\"", 1},
        {SPANWRIGHT_EXPLAIN_EXE, "--json", "\"verdict\":\"unknown\"", 1},
        {SPANWRIGHT_EXPLAIN_EXE, "", "the time limit of 0.5 s was reached", 1},
        {SPANWRIGHT_SHEET_EXE, "--solutions -o " + dir.path() + "/book.pdf",
         "puzzle 1 was not decided", 0},
    };
    for (const auto& run : runs) {
        const auto result = runCommand(
            "/bin/sh",
            {"-c", cpuBound + "exec \"$0\" --time-limit 0.5 " + run.options + " \"$1\" 2>&1",
             run.program, board});
        EXPECT_EQ(result.signal, 0) << run.program;
        EXPECT_EQ(result.status, run.status) << run.program << result.out;
        EXPECT_NE(result.out.find(run.says), std::string::npos) << run.program << result.out;
    }
}

TEST(CheckProgram, JsonLinesWithEscapedNamesAndSolutions) {
    TempDir dir;
    const std::string file = dir.write("say \"hi\"\n.txt", std::string(UNIQUE) + RING);

    const auto result = runCommand(CHECK, {"--json", "--solutions", file});

    const std::string name = dir.path() + "/say \\\"hi\\\"\\n.txt";
    EXPECT_EQ(withoutTimes(result.out),
              "{\"file\":\"" + name +
                  "\",\"line\":1,\"width\":3,\"height\":1,\"islands\":2,\"verdict\":\"unique\","
                  "\"deduction\":\"solved\",\"grade\":1,\"technique\":\"basic\",\"counters\":"
                  "[1,0,0,0,0,3],\"level\":\"easy\",\"score\":0,\"repeats\":null,\"ms\":0,"
                  "\"solutions\":[[[0,0,0,2,1]]]}\n"
                  "{\"file\":\"" +
                  name +
                  "\",\"line\":2,\"width\":4,\"height\":4,\"islands\":4,\"verdict\":\"multiple\","
                  "\"deduction\":\"failed\",\"grade\":null,\"technique\":null,\"counters\":null,"
                  "\"level\":null,\"score\":null,\"repeats\":null,\"ms\":0,\"solutions\":[[[0,0,0,"
                  "3,2],[0,0,3,0,1],[0,3,3,"
                  "3,1],[3,0,3,3,2]],"
                  "[[0,0,0,3,1],[0,0,3,0,2],[0,3,3,3,2],[3,0,3,3,1]]]}\n");
    EXPECT_EQ(result.status, 1);
}

// A benchmark table: a header, then one record of as many fields per problem, whose CPU
// stages add up to its total.
TEST(CheckProgram, CsvRecordsWithCpuStagesThatAddUp) {
    TempDir dir;
    const std::string file =
        dir.write("mixed.txt", std::string(UNIQUE) + RING +
                                   "https://puzz.link/p?hashikake/5/5/4g2i3h23k3g1g3g4g3\n");
    const auto result = runCommand(CHECK, {"--csv", file});
    EXPECT_EQ(result.status, 1) << result.err;
    std::vector<std::vector<std::string>> rows;
    std::istringstream lines(result.out);
    for (std::string line; std::getline(lines, line);) {
        rows.emplace_back();
        std::istringstream fields(line);
        for (std::string field; std::getline(fields, field, ',');)
            rows.back().push_back(field);
    }
    ASSERT_EQ(rows.size(), 4u) << result.out;
    EXPECT_EQ(rows[0][0], "file");
    const std::size_t total = rows[0].size() - 1;
    EXPECT_EQ(rows[0][total], "cpu_total_ms");
    for (std::size_t r = 1; r < rows.size(); ++r) {
        ASSERT_EQ(rows[r].size(), rows[0].size()) << result.out;
        EXPECT_EQ(rows[r][1], std::to_string(r));
        double sum = 0;
        for (std::size_t f = 0; f < total; ++f)
            if (rows[0][f].rfind("cpu_", 0) == 0) sum += std::stod(rows[r][f]);
        EXPECT_NEAR(sum, std::stod(rows[r][total]), 0.004) << result.out;
    }
    EXPECT_EQ(rows[2][5], "multiple");
    EXPECT_EQ(runCommand(CHECK, {"--csv", "--json", file}).status, 2);
}

TEST(CheckProgram, PicturesOfBothDifferingSolutions) {
    TempDir dir;
    const auto result = runCommand(CHECK, {"--solutions", dir.write("ring.txt", RING)});
    EXPECT_EQ(result.out.substr(result.out.find('\n') + 1),
              "one solution:\n"
              "3══3\n│··│\n│··│\n3══3\n\n"
              "another solution:\n"
              "3──3\n║··║\n║··║\n3──3\n\n");
}

// A verdict that cannot be written ends the run at once: neither the refused line after it
// nor the missing second file is reached.
TEST(CheckProgram, AFailedWriteStopsTheRunAtOnce) {
    TempDir dir;
    const std::string file = dir.write("p.txt", std::string(UNIQUE) + "not a problem\n");
    const auto result = runCommand("/bin/sh", {"-c", "exec \"$0\" \"$1\" \"$2\" >/dev/full", CHECK,
                                               file, dir.path() + "/missing.txt"});
    EXPECT_EQ(result.status, 2);
    EXPECT_EQ(result.err,
              "spanwright-check: failed to write to standard output: No space left on device\n");
}

TEST(JsonString, EscapesWhatJsonCannotCarry) {
    EXPECT_EQ(jsonString("a\"b\\c\t\x01\x7f"), R"("a\"b\\c\t\u0001\u007f")");
    EXPECT_EQ(jsonString("caf\xc3\xa9"), "\"caf\xc3\xa9\"");
    EXPECT_EQ(jsonString("\xff\xc3(\xed\xa0\x80"), R"("\ufffd\ufffd(\ufffd\ufffd\ufffd")");
}

}  // namespace
}  // namespace spanwright
