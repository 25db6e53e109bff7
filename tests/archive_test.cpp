// Runs that must never repeat what was made before: fresh seeds that remake their run when
// named, archives of earlier puzzles in every form they are kept in, scores kept and
// ordered, and repeats named wherever puzzles pass.
#include <gtest/gtest.h>

#include <cstdio>
#include <random>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "puzzle/archive_reader.h"
#include "puzzle/canonical.h"
#include "puzzle/fingerprint.h"
#include "puzzle/game_id.h"
#include "puzzle/problem_line.h"
#include "support/random_board.h"
#include "support/run_command.h"
#include "support/solution_check.h"

namespace spanwright {
namespace {

using testing::CommandResult;
using testing::runCommand;
using testing::TempDir;

const std::string kMake = SPANWRIGHT_MAKE_EXE;

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

/// The seed a run without --seed named on standard error.
std::string namedSeed(const std::string& err) {
    const std::string before = "run again with --seed ";
    const std::size_t at = err.find(before);
    if (at == std::string::npos) return "";
    const std::size_t start = at + before.size();
    return err.substr(start, err.find(' ', start) - start);
}

// The fingerprint is one for all eight images of a board, and tells boards apart exactly
// as their canonical forms do (small boards, where many coincide, and larger ones).
TEST(Fingerprint, OneForEveryImageAndApartAsCanonicalForms) {
    std::mt19937 random(5);
    std::vector<Puzzle> boards;
    for (int round = 0; round < 400; ++round) {
        const int width = 2 + int(random() % (round < 300 ? 3 : 20));
        const int height = 2 + int(random() % (round < 300 ? 3 : 20));
        boards.push_back(testing::randomSolvableBoard(random, width, height,
                                                      std::max(2, width * height / 4), 3));
    }
    for (const Puzzle& board : boards)
        for (const Image image : ALL_IMAGES)
            ASSERT_EQ(fingerprintOf(applyImage(board, image)), fingerprintOf(board));
    for (std::size_t a = 0; a < boards.size(); a += 3)
        for (std::size_t b = a + 1; b < boards.size(); ++b)
            ASSERT_EQ(fingerprintOf(boards[a]) == fingerprintOf(boards[b]),
                      sameBoard(canonicalForm(boards[a]).puzzle, canonicalForm(boards[b]).puzzle));
}

// Every form an archive is kept in is read, and a damaged line is named by its number.
TEST(ArchiveReader, EveryFormAndTheLineThatIsNone) {
    const struct {
        const char* text;
        int puzzles;  ///< read, or -1 when refused
        long line;    ///< of the refusal
        const char* says;
    } cases[] = {
        {"1/1/3/2.2/\n\n3x1:2a2\n", 2, 0, ""},
        {"{\"width\":3,\"problem\":\"1/1/3/2.2/\",\"id\":\"3x1:2a2\"}\n", 1, 0, ""},
        {"{\"id\": \"3x1:2a2\"}\n{\"problem\":\"1\\/1\\/3\\/1.1\\/\"}\n", 2, 0, ""},
        {"1 3 2\n\n2 0 2\n", 1, 0, ""},
        {"width,height,level,score,grade,islands,problem,id,rows,solution,hash\n"
         "3,1,easy,0.1,1,2,1/1/3/2.2/,,2.2,\"[[0,0,0,2,2]]\",ab\n",
         1, 0, ""},
        {"3,1,easy,0.1,1,2,1/1/3/2.9/,,2.9,,ab\n", -1, 1, "CSV pack record"},
        {"1/1/3/2.2/\nhello\n", -1, 2, "neither a problem line"},
        {"3x1:2a2\n{\"width\":3}\n", -1, 2, "without a \"problem\" or \"id\" field"},
        {"1/1/3/2.2/\n1/2/3/2.2/\n", -1, 2, "not a problem line"},
        {"1 3 2\n2 0 9\n", -1, 2, "not a benchmark file"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const std::string text = c.text;
        std::FILE* file = fmemopen(const_cast<char*>(text.data()), text.size(), "r");
        ASSERT_NE(file, nullptr);
        int puzzles = 0;
        long line = 0;
        std::string err;
        const bool read = readArchive(
            file, [&](const Puzzle&) { ++puzzles; }, line, err);
        std::fclose(file);
        EXPECT_EQ(read, c.puzzles >= 0) << err;
        if (read) {
            EXPECT_EQ(puzzles, c.puzzles);
        } else {
            EXPECT_EQ(line, c.line);
            EXPECT_NE(err.find(c.says), std::string::npos) << err;
        }
    }
}

// Without --seed each run takes its own seed and names it; the named seed remakes the run
// byte for byte, on one thread or two.
TEST(MakeSeed, TheNamedSeedRemakesTheRunWhateverTheJobs) {
    const std::vector<std::string> request = {"--level", "medium", "9x9", "12"};
    std::vector<std::string> fresh = request;
    fresh.insert(fresh.begin(), {"--jobs", "2"});
    const CommandResult first = runCommand(kMake, fresh);
    const CommandResult second = runCommand(kMake, fresh);
    ASSERT_EQ(first.status, 0) << first.err;
    const std::string seed = namedSeed(first.err);
    ASSERT_FALSE(seed.empty()) << first.err;
    EXPECT_NE(first.err.find("seed " + seed + ": run again with --seed " + seed +
                             " for the same puzzles\n"),
              std::string::npos);
    EXPECT_NE(namedSeed(second.err), seed);
    EXPECT_NE(second.out, first.out);
    for (const char* jobs : {"1", "2"}) {
        std::vector<std::string> again = request;
        again.insert(again.begin(), {"--jobs", jobs, "--seed", seed});
        const CommandResult remade = runCommand(kMake, again);
        EXPECT_EQ(remade.out, first.out) << jobs;
        EXPECT_EQ(remade.err, "") << "a given seed is not named again";
    }
}

// A run from the same seed as an earlier one would make the same puzzles; told to avoid
// them, kept turned as problem lines, mirrored as game IDs and as pack records, it makes
// none of them again, and still makes as many.
TEST(MakeAvoid, ARunAvoidingItsOwnOutputMakesNoneOfItAgain) {
    const TempDir dir;
    const std::vector<std::string> request = {"--seed", "7", "--level", "easy", "7x7", "40"};
    const CommandResult earlier = runCommand(kMake, request);
    ASSERT_EQ(earlier.status, 0) << earlier.err;
    std::vector<std::string> json = request;
    json.insert(json.begin(), {"--format", "json"});
    const std::vector<std::string> records = linesOf(runCommand(kMake, json).out);
    const std::vector<std::string> lines = linesOf(earlier.out);
    ASSERT_EQ(lines.size(), 40u);
    ASSERT_EQ(records.size(), 40u);
    // Each puzzle is kept once, in one form or another, each form in a file of its own
    // and one file mixing them.
    std::string turned, mirrored, packed, mixed;
    std::set<std::string> kept;
    for (std::size_t k = 0; k < lines.size(); ++k) {
        const Puzzle puzzle = testing::puzzleFromLine(lines[k]);
        kept.insert(hashText(canonicalForm(puzzle).hash));
        const Image image = ALL_IMAGES[k % ALL_IMAGES.size()];
        std::string id;
        ASSERT_TRUE(formatGameId(applyImage(puzzle, image), id, nullptr));
        const std::string line = formatProblemLine(applyImage(puzzle, image));
        (k % 4 == 0   ? turned
         : k % 4 == 1 ? mirrored
         : k % 4 == 2 ? packed
                      : mixed) += k % 4 == 0   ? line
                                  : k % 4 == 1 ? id + "\n"
                                  : k % 4 == 2 ? records[k] + "\n"
                                               : (k % 8 == 3 ? id + "\n" : line);
    }
    std::vector<std::string> avoiding = request;
    for (const auto& [name, text] : {std::pair{"turned.txt", turned},
                                     {"ids.txt", mirrored},
                                     {"pack.jsonl", packed},
                                     {"mixed.txt", mixed}})
        avoiding.insert(avoiding.begin(), {"--avoid", dir.write(name, text)});
    const CommandResult later = runCommand(kMake, avoiding);
    ASSERT_EQ(later.status, 0) << later.err;
    const std::vector<std::string> made = linesOf(later.out);
    EXPECT_EQ(made.size(), 40u);
    for (const std::string& line : made)
        EXPECT_EQ(kept.count(hashText(canonicalForm(testing::puzzleFromLine(line)).hash)), 0u)
            << line;
}

// A damaged archive is named with its line, and nothing is made.
TEST(MakeAvoid, ADamagedArchiveStopsTheRunBeforeAnything) {
    const TempDir dir;
    const std::string good = dir.write("good.txt", "1/1/3/2.2/\n");
    const std::string bad = dir.write("bad.txt", "3x1:2a2\n\n1/1/3/2.9/\n");
    const CommandResult damaged =
        runCommand(kMake, {"--avoid", good, "--avoid", bad, "--level", "easy", "7x7", "3"});
    EXPECT_EQ(damaged.status, 2);
    EXPECT_EQ(damaged.out, "");
    EXPECT_NE(damaged.err.find("--avoid " + bad + ":3: not a problem line"), std::string::npos)
        << damaged.err;
    EXPECT_EQ(damaged.err.find("seed"), std::string::npos) << "nothing was started";
    const CommandResult missing =
        runCommand(kMake, {"--avoid", dir.path() + "/none.txt", "7x7", "3"});
    EXPECT_EQ(missing.status, 2);
    EXPECT_NE(missing.err.find("cannot read --avoid"), std::string::npos) << missing.err;
}

// --score keeps the scores asked for, at one rung or at every rung that gives them, and
// --order score writes them rising.
TEST(MakeScore, KeepsTheRangeAndOrdersItRising) {
    // With a level, and alone: a range that only easy puzzles give picks that rung.
    const struct {
        std::vector<std::string> asked;
        double low, high;
    } cases[] = {{{"--level", "hard", "--score", "20-40"}, 20, 40}, {{"--score", "0.5-2"}, 0.5, 2}};
    for (const auto& c : cases) {
        std::vector<std::string> args = {"--seed",   "3",    "--order", "score",
                                         "--format", "json", "9x9",     "8"};
        args.insert(args.begin(), c.asked.begin(), c.asked.end());
        const CommandResult run = runCommand(kMake, args);
        ASSERT_EQ(run.status, 0) << run.err;
        double last = 0;
        for (const std::string& record : linesOf(run.out)) {
            const std::size_t at = record.find("\"score\":");
            ASSERT_NE(at, std::string::npos);
            const double score = std::stod(record.substr(at + 8));
            EXPECT_GE(score, c.low) << record;
            EXPECT_LE(score, c.high) << record;
            EXPECT_GE(score, last) << record;
            last = score;
        }
        EXPECT_EQ(linesOf(run.out).size(), 8u);
    }
    // Ranges refused: one a level never gives (the top rung's band has no end to print),
    // and one between two rungs' bands, which once read past the end of no rungs.
    const struct {
        std::vector<std::string> asked;
        const char* said;
    } refused[] = {
        {{"--level", "easy", "--score", "50-60"}, "out of reach at --level easy"},
        {{"--level", "extreme", "--score", "1-2"}, "whose puzzles score 60 and up"},
        {{"--score", "3-3"}, "falls between the rungs' scores: easy 0 to 2.5, medium 3.5"},
    };
    for (const auto& r : refused) {
        std::vector<std::string> args = r.asked;
        args.insert(args.end(), {"7x7", "1"});
        const CommandResult run = runCommand(kMake, args);
        EXPECT_EQ(run.status, 2);
        EXPECT_NE(run.err.find(r.said), std::string::npos) << run.err;
    }
    // A range a rung does give is taken (COUNT 0: only the command line is judged); expert
    // puzzles score up to about 100, and this one was once refused.
    EXPECT_EQ(runCommand(kMake, {"--level", "expert", "--score", "85-95", "7x7", "0"}).status, 0);
}

// A repeat, turned or not, is named by spanwright-convert and spanwright-sheet, and
// spanwright-sheet --strict refuses the book.
TEST(Repeats, NamedByConvertAndSheetAndRefusedByStrict) {
    const TempDir dir;
    const std::string first = "1/7/7/2....../......./..2.2../4....../......./4.6.6.2/......./\n";
    const Puzzle turned = applyImage(testing::puzzleFromLine(first), Image::QuarterTurn);
    const std::string one =
        dir.write("one.txt", first + "1/1/3/2.2/\n" + formatProblemLine(turned));
    const std::string two = dir.write("two.txt", "1/1/3/2.2/\n");
    const CommandResult converted = runCommand(SPANWRIGHT_CONVERT_EXE, {one, two});
    EXPECT_EQ(converted.status, 0) << converted.err;
    EXPECT_EQ(linesOf(converted.out).size(), 4u) << "repeats are still converted";
    for (const std::string& said :
         {one + ":3: warning: repeats line 1, turned a quarter turn clockwise",
          two + ":1: warning: repeats " + one + ":2"})
        EXPECT_NE(converted.err.find(said), std::string::npos) << converted.err;

    const std::string book = dir.path() + "/book.pdf";
    const CommandResult sheet = runCommand(SPANWRIGHT_SHEET_EXE, {"-o", book, one, two});
    EXPECT_EQ(sheet.status, 0) << sheet.err;
    EXPECT_NE(sheet.err.find(one + ":3: warning: repeats line 1"), std::string::npos) << sheet.err;
    const CommandResult strict =
        runCommand(SPANWRIGHT_SHEET_EXE, {"--strict", "-o", dir.path() + "/strict.pdf", one, two});
    EXPECT_EQ(strict.status, 1);
    EXPECT_NE(strict.err.find(two + ":1: error: repeats"), std::string::npos) << strict.err;
    EXPECT_NE(strict.err.find("--strict: 2 puzzles repeat an earlier one; nothing written"),
              std::string::npos)
        << strict.err;
    EXPECT_EQ(testing::listing(dir.path()),
              (std::vector<std::string>{"book.pdf", "one.txt", "two.txt"}));
}

}  // namespace
}  // namespace spanwright
