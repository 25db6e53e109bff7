// Packs for apps as spanwright-convert writes them, repeats as spanwright-check names them,
// and game IDs read wherever problem lines are.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/cli/program.h"
#include "puzzle/canonical.h"
#include "puzzle/game_id.h"
#include "puzzle/problem_line.h"
#include "tests/support/run_command.h"

namespace spanwright {
namespace {

using testing::CommandResult;
using testing::readFile;
using testing::runCommand;
using testing::TempDir;

const std::string kPackData = std::string(SPANWRIGHT_TEST_DATA) + "/pack/";
constexpr const char* TEN =
    "2/10/10/3...4.4..3/.......1../4..1....1./..3.4.1..3/...1....../....4..3.2/2..3..4.3./"
    "..4..1...2/........1./1.2.1.3..3/\n";

// The small pack holds a puzzle without a grade, one whose board is too small for a game
// ID, one with two solutions and a graded 10 x 10: every field, null ones included.
TEST(Pack, JsonAndCsvFieldsOfASmallPack) {
    const std::string input = kPackData + "small.txt";
    const std::string warnings = "spanwright-convert: " + input +
                                 ":3: warning: no game ID (the board is 3 x 1; the collection's "
                                 "apps open boards of 3 x 3 and more); its id is null\n"
                                 "spanwright-convert: " +
                                 input +
                                 ":4: warning: the puzzle has several solutions; its solution "
                                 "is null\n";
    for (const char* format : {"json", "csv"}) {
        const CommandResult result = runCommand(SPANWRIGHT_CONVERT_EXE, {"--to", format, input});
        EXPECT_EQ(result.out, readFile(kPackData + "small." + format)) << format;
        EXPECT_EQ(result.err, warnings) << format;
        EXPECT_EQ(result.status, 1) << format;
    }
    const CommandResult empty = runCommand(SPANWRIGHT_CONVERT_EXE, {"--to", "csv"});
    EXPECT_EQ(empty.out,
              "width,height,level,score,grade,islands,problem,id,rows,solution,hash,seed,index,"
              "version\n");
    EXPECT_EQ(empty.status, 0);
}

TEST(CheckRepeats, EveryImageOfAnEarlierProblemIsNamed) {
    Puzzle ten;
    ASSERT_TRUE(parseProblemLine(ten, TEN));
    std::string lines = TEN;
    for (const Image image : ALL_IMAGES)
        lines += formatProblemLine(applyImage(ten, image));
    TempDir dir;
    const std::string first = dir.write("first.txt", lines);
    const std::string second = dir.write("second.txt", "\n" + formatProblemLine(ten));

    const CommandResult text = runCommand(SPANWRIGHT_CHECK_EXE, {first, second});
    std::vector<std::string> endings;
    for (std::size_t start = 0; start < text.out.size();) {
        const std::size_t end = text.out.find('\n', start);
        const std::string line = text.out.substr(start, end - start);
        const std::size_t repeats = line.find("; repeats");
        endings.push_back(repeats == std::string::npos ? "" : line.substr(repeats + 2));
        start = end + 1;
    }
    EXPECT_EQ(endings, (std::vector<std::string>{
                           "",
                           "repeats line 1",
                           "repeats line 1, turned a half turn",
                           "repeats line 1, mirrored left to right",
                           "repeats line 1, mirrored top to bottom",
                           "repeats line 1, turned a quarter turn clockwise",
                           "repeats line 1, turned a quarter turn anticlockwise",
                           "repeats line 1, mirrored in the diagonal from the top left",
                           "repeats line 1, mirrored in the diagonal from the top right",
                           "repeats " + first + ":1",
                       }));
    EXPECT_EQ(text.status, 0);

    const CommandResult json = runCommand(SPANWRIGHT_CHECK_EXE, {"--json", first});
    EXPECT_NE(json.out.find("\"line\":1,"), std::string::npos);
    EXPECT_EQ(json.out.find("\"repeats\":null"), json.out.rfind("\"repeats\":null")) << json.out;
    EXPECT_NE(json.out.find("\"repeats\":{\"file\":\"" + first +
                            "\",\"line\":1,\"image\":\"quarter-turn\"}"),
              std::string::npos)
        << json.out;
}

TEST(GameIds, CheckAndSheetReadThemBesideProblemLines) {
    Puzzle ten;
    ASSERT_TRUE(parseProblemLine(ten, TEN));
    std::string id;
    ASSERT_TRUE(formatGameId(ten, id, nullptr));
    TempDir dir;
    const std::string mixed = dir.write("mixed.txt", TEN + id + "\n");

    const CommandResult check = runCommand(SPANWRIGHT_CHECK_EXE, {mixed});
    EXPECT_EQ(check.out, mixed +
                             ":1: unique, 10x10, 29 islands, solved by deduction (grade 2, "
                             "technique trial), level extreme, score 84.2\n" +
                             mixed +
                             ":2: unique, 10x10, 29 islands, solved by deduction (grade 2, "
                             "technique trial), level extreme, score 84.2; repeats line 1\n");
    EXPECT_EQ(check.status, 0) << check.err;

    const CommandResult sheet =
        runCommand(SPANWRIGHT_SHEET_EXE, {"-o", dir.path() + "/ids.svg", mixed});
    EXPECT_EQ(sheet.status, 0) << sheet.err;
    EXPECT_FALSE(readFile(dir.path() + "/ids.svg").empty());

    const std::string neither = dir.write("neither.txt", id + "\n10 by 10\n");
    const std::string message = neither +
                                ":2: neither a problem line (difficulty/height/width/rows) nor a "
                                "game ID (WxH:description)\n";
    const CommandResult checkRefused = runCommand(SPANWRIGHT_CHECK_EXE, {neither});
    EXPECT_EQ(checkRefused.err, "spanwright-check: " + message);
    EXPECT_EQ(checkRefused.status, 2);
    const CommandResult sheetRefused =
        runCommand(SPANWRIGHT_SHEET_EXE, {"-o", dir.path() + "/no.svg", neither});
    EXPECT_EQ(sheetRefused.err, "spanwright-sheet: " + message);
    EXPECT_EQ(sheetRefused.status, 1);
}

// The editor's forms travel through convert and back, and every program that reads
// puzzles takes them as it takes game IDs: links line by line, pencil-box files whole.
TEST(EditorForms, ConvertedBothWaysAndReadEverywhere) {
    TempDir dir;
    const std::string lines = dir.write("ten.txt", TEN);
    const CommandResult link = runCommand(SPANWRIGHT_CONVERT_EXE, {"--to", "puzzlink", lines});
    ASSERT_EQ(link.status, 0) << link.err;
    EXPECT_EQ(link.out.rfind("https://puzz.link/p?hashikake/10/10/3i4g4h3m1", 0), 0u) << link.out;
    const CommandResult box = runCommand(SPANWRIGHT_CONVERT_EXE, {"--to", "pencilbox", lines});
    ASSERT_EQ(box.status, 0) << box.err;
    const std::string links = dir.write("links.txt", link.out);
    const std::string boxFile = dir.write("ten.pbox", "\n" + box.out);
    for (const auto& [from, file] : {std::pair{"puzzlink", links}, {"pencilbox", boxFile}}) {
        const CommandResult back = runCommand(SPANWRIGHT_CONVERT_EXE, {"--from", from, file});
        EXPECT_EQ(back.out, TEN) << from;  // the grade is found again by deduction
        const CommandResult check = runCommand(SPANWRIGHT_CHECK_EXE, {file});
        EXPECT_EQ(check.out.substr(check.out.find(':', file.size())),
                  std::string(from == std::string("puzzlink") ? ":1" : ":2") +
                      ": unique, 10x10, 29 islands, solved by deduction (grade 2, technique "
                      "trial), level extreme, score 84.2\n")
            << from;
        const CommandResult explain = runCommand(SPANWRIGHT_EXPLAIN_EXE, {file});
        EXPECT_EQ(explain.status, 0) << from << explain.err;
        const CommandResult sheet =
            runCommand(SPANWRIGHT_SHEET_EXE, {"-o", dir.path() + "/" + from + ".svg", file});
        EXPECT_EQ(sheet.status, 0) << from << sheet.err;
    }

    // An island without a number is kept by the editor's forms, solved by check and
    // explain, and refused, by name, everywhere else.
    const std::string open = dir.write("open.txt", "?hashikake/3/3/1g.k1\n");
    const CommandResult kept =
        runCommand(SPANWRIGHT_CONVERT_EXE, {"--from", "puzzlink", "--to", "pencilbox", open});
    EXPECT_EQ(kept.out, "3\n3\n1 . 9 \n. . . \n. . 1 \n0 0 0 \n0 0 0 \n0 0 0 \n");
    const CommandResult asId =
        runCommand(SPANWRIGHT_CONVERT_EXE, {"--from", "puzzlink", "--to", "id", open});
    EXPECT_EQ(asId.err, "spanwright-convert: " + open +
                            ":1: the island at row 1, column 3 has no number, which id cannot "
                            "hold\n");
    const CommandResult checked = runCommand(SPANWRIGHT_CHECK_EXE, {"--solutions", open});
    EXPECT_EQ(checked.out,
              open +
                  ":1: unique, 3x3, 3 islands, 1 island without a number, each "
                  "given the one number that makes the solution unique (deduction "
                  "and rating do not take them)\n1\u25002\n\u00B7\u00B7\u2502\n\u00B7\u00B71\n\n");
    const CommandResult explained = runCommand(SPANWRIGHT_EXPLAIN_EXE, {"--pictures", open});
    EXPECT_NE(explained.out.find("      1\u25002\n      \u00B7\u00B7\u2502\n      \u00B7\u00B71\n\n"
                                 "  solved in 2 steps\n  numbers found: 2 at (1,3)\n"),
              std::string::npos)
        << explained.out;
    EXPECT_EQ(explained.status, 0);
    const std::string says = open + ":1: the island at row 1, column 3 has no number";
    EXPECT_NE(runCommand(SPANWRIGHT_SHEET_EXE, {"-o", dir.path() + "/o.svg", open}).err.find(says),
              std::string::npos);
}

// Made records name their origin, and a puzzle gets the same grade from make and from
// convert: the 44th extreme 12 x 12 of seed 4 is one that deduction does not finish,
// which make once graded 5 and convert null.
TEST(Pack, MadeRecordsNameTheirOriginAndGradeAsConvertDoes) {
    const CommandResult made = runCommand(
        SPANWRIGHT_MAKE_EXE,
        {"--seed", "4", "--level", "extreme", "--jobs", "1", "--format", "json", "12x12", "44"});
    ASSERT_EQ(made.status, 0) << made.err;
    const std::string last = made.out.substr(made.out.rfind('\n', made.out.size() - 2) + 1);
    EXPECT_NE(last.find(",\"seed\":4,\"index\":43,\"version\":\"" + std::string(VERSION) + "\"}"),
              std::string::npos)
        << last;
    const std::size_t problem = last.find("\"problem\":\"") + 11;
    TempDir dir;
    const std::string line =
        dir.write("last.txt", last.substr(problem, last.find('"', problem) - problem) + "\n");
    const CommandResult converted = runCommand(SPANWRIGHT_CONVERT_EXE, {"--to", "json", line});
    const auto grade = [](const std::string& record) {
        const std::size_t at = record.find("\"grade\":");
        return record.substr(at, record.find(',', at) - at);
    };
    EXPECT_EQ(grade(last), "\"grade\":null");
    EXPECT_EQ(grade(converted.out), grade(last));
}

}  // namespace
}  // namespace spanwright
