// The made-to-order generator: every puzzle unique, needing exactly its rung, of the size
// and symmetry asked for, never repeated, the same whatever the thread count; and the
// program's refusals.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <tuple>
#include <vector>

#include "exact/exact_solver.h"
#include "explain/rules.h"
#include "maker/layout.h"
#include "maker/maker.h"
#include "maker/quick_rating.h"
#include "maker/reach.h"
#include "puzzle/canonical.h"
#include "puzzle/cpu_time.h"
#include "puzzle/game_id.h"
#include "puzzle/problem_line.h"
#include "support/run_command.h"
#include "support/solution_check.h"

namespace spanwright::maker {
namespace {

using testing::CommandResult;
using testing::runCommand;

const std::string kMake = SPANWRIGHT_MAKE_EXE;

/// The k-th of a spread of boards of the given size: 15 to 30 % islands, up to 40 % loops,
/// 10 to 70 % doubles. False where none could be drawn.
bool drawSpread(int k, int width, int height, std::int32_t seed, Layout& layout) {
    LayoutShape shape;
    shape.width = width;
    shape.height = height;
    shape.islandPercent = 15 + k % 4 * 5;
    shape.loopPercent = k % 3 * 20;
    shape.doublePercent = 10 + k % 5 * 15;
    RandomSource random(seed);
    return drawLayout(random, shape, layout);
}

/// The k-th board of drawSpread as a puzzle, its geometry built. False where none could be
/// drawn.
bool spreadPuzzle(int k, int width, int height, std::int32_t seed, Puzzle& puzzle,
                  explain::Geometry& g) {
    Layout layout;
    if (!drawSpread(k, width, height, seed, layout)) return false;
    puzzle = layout.puzzle();
    g.build(puzzle);
    return true;
}

/// The bordered plane of a solution, as the independent checker reads it.
std::vector<std::uint8_t> planeOf(const Puzzle& puzzle, const Solution& solution) {
    const int w = puzzle.width + 2;
    std::vector<std::uint8_t> plane(std::size_t(w * (puzzle.height + 2)), 0);
    for (int r = 0; r < puzzle.height; ++r)
        for (int c = 0; c < puzzle.width; ++c)
            plane[std::size_t((r + 1) * w + c + 1)] =
                puzzle.cells[std::size_t(r * puzzle.width + c)];
    for (const Bridge& b : solution) {
        const bool across = b.row1 == b.row2;
        const std::uint8_t code =
            across ? (b.bridges == 2 ? testing::kHorizontalDouble : testing::kHorizontalSingle)
                   : (b.bridges == 2 ? testing::kVerticalDouble : testing::kVerticalSingle);
        for (int r = b.row1, c = b.column1;;) {
            across ? ++c : ++r;
            if (r == b.row2 && c == b.column2) break;
            plane[std::size_t((r + 1) * w + c + 1)] = code;
        }
    }
    // A finished board: every island shows that it needs nothing more.
    for (std::uint8_t& cell : plane)
        if (cell > ISLAND_BASE) cell = ISLAND_BASE;
    return plane;
}

std::vector<MadePuzzle> makeBatch(const MakeRequest& asked, int count, int jobs) {
    // Only the count of boards bounds these batches: the CPU bound per puzzle is tested on
    // its own, and a sanitized build is slow enough to reach it at the top rungs.
    MakeRequest request = asked;
    request.secondsPerPuzzle = 0;
    std::vector<MadePuzzle> made;
    const BatchOutcome outcome = runBatch(request, count, jobs, [&](const MadePuzzle& puzzle) {
        MadePuzzle copy;
        copy.puzzle.width = puzzle.puzzle.width;
        copy.puzzle.height = puzzle.puzzle.height;
        copy.puzzle.difficulty = puzzle.puzzle.difficulty;
        copy.puzzle.allocateCells();
        std::copy_n(puzzle.puzzle.cells.get(), puzzle.puzzle.cellCount(), copy.puzzle.cells.get());
        copy.solution = puzzle.solution;
        copy.level = puzzle.level;
        copy.grade = puzzle.grade;
        copy.hash = puzzle.hash;
        made.push_back(std::move(copy));
        return true;
    });
    EXPECT_EQ(outcome.end, BatchOutcome::End::Done);
    return made;
}

/// The image of the puzzle collection's canonical form that a symmetry asks the islands to
/// stand still under; the layouts draw theirs with a mapping of their own, so each checks
/// the other.
Image imageFor(Symmetry symmetry) {
    return symmetry == Symmetry::Rotate ? Image::HalfTurn : Image::MirrorLeftRight;
}

/// True when the board's islands stand on the same cells in `image` of it (the clues may
/// differ: the symmetry is of the positions).
bool islandsStandAsInImage(const Puzzle& puzzle, Image image) {
    const Puzzle turned = applyImage(puzzle, image);
    for (int i = 0; i < puzzle.cellCount(); ++i)
        if ((puzzle.cells[std::size_t(i)] != 0) != (turned.cells[std::size_t(i)] != 0))
            return false;
    return true;
}

/// The rows of a problem line ("1/2/3/..2/3../" gives "..2", "3..").
std::vector<std::string> rowsOfLine(const std::string& line) {
    std::vector<std::string> fields;
    std::istringstream in(line);
    for (std::string field; std::getline(in, field, '/');)
        fields.push_back(field);
    return std::vector<std::string>(fields.begin() + 3, fields.end());
}

/// The eight turns and mirrors of a board given by its rows, each as one text, worked out
/// here by transposing and reversing rows and columns, apart from the library's images.
std::vector<std::string> eightImages(const std::vector<std::string>& rows) {
    std::vector<std::string> transposed(rows.front().size());
    for (const std::string& row : rows)
        for (std::size_t c = 0; c < row.size(); ++c)
            transposed[c] += row[c];
    std::vector<std::string> images;
    const std::vector<std::string>* const bases[] = {&rows, &transposed};
    for (const std::vector<std::string>* base : bases)
        for (const bool flipRows : {false, true})
            for (const bool flipColumns : {false, true}) {
                std::vector<std::string> image = *base;
                if (flipRows) std::reverse(image.begin(), image.end());
                std::string text;
                for (std::string row : image) {
                    if (flipColumns) std::reverse(row.begin(), row.end());
                    text += row + "/";
                }
                images.push_back(text);
            }
    return images;
}

struct RungCase {
    Rung level;
    int width;
    int height;
    int count;
};

class RungBatch : public ::testing::TestWithParam<RungCase> {};

TEST_P(RungBatch, UniqueOfItsSizeAndNeedsExactlyItsRung) {
    const RungCase& param = GetParam();
    MakeRequest request;
    request.level = param.level;
    request.width = param.width;
    request.height = param.height;
    request.islandPercent = defaultIslandPercent(param.level);
    request.seed = 7;
    std::set<std::uint64_t> hashes;
    for (const MadePuzzle& made : makeBatch(request, param.count, 2)) {
        const Puzzle& puzzle = made.puzzle;
        const std::string line = formatProblemLine(puzzle);
        SCOPED_TRACE(line);
        EXPECT_EQ(puzzle.width, param.width);
        EXPECT_EQ(puzzle.height, param.height);
        EXPECT_EQ(testing::checkSolution(puzzle, planeOf(puzzle, made.solution).data()), "");
        const exact::ExactResult exact = exact::solveExactly(puzzle);
        ASSERT_EQ(exact.verdict, exact::Verdict::Unique);
        EXPECT_EQ(exact.solutions.front(), made.solution);
        const RungRating at = rateWithin(puzzle, param.level);
        EXPECT_TRUE(at.solved);
        EXPECT_EQ(at.level, param.level);
        if (param.level != Rung::Easy) {
            EXPECT_FALSE(rateWithin(puzzle, Rung(int(param.level) - 1)).solved);
        }
        EXPECT_EQ(made.grade, fixedGrade(puzzle));
        EXPECT_EQ(int(puzzle.difficulty), made.grade);
        EXPECT_EQ(made.hash, canonicalForm(puzzle).hash);
        EXPECT_TRUE(hashes.insert(made.hash).second) << "a repeat";
    }
}

INSTANTIATE_TEST_SUITE_P(Rungs, RungBatch,
                         ::testing::Values(RungCase{Rung::Easy, 12, 9, 6},
                                           RungCase{Rung::Medium, 9, 13, 6},
                                           RungCase{Rung::Hard, 10, 10, 6},
                                           RungCase{Rung::Expert, 8, 11, 4},
                                           RungCase{Rung::Extreme, 9, 9, 3}));

// Many drawn layouts, from the smallest board to the largest: a valid solution of their own
// puzzle, islands never side by side (so every board has a game ID), and the island
// positions unchanged under the symmetry asked for.
TEST(MakerLayout, DrawnLayoutsAreSolutionsWithTheirSymmetry) {
    const int sizes[][2] = {{3, 3}, {4, 7}, {9, 13}, {10, 8}, {15, 15}, {31, 20}, {60, 60}};
    int drawn = 0;
    for (const auto& size : sizes) {
        for (Symmetry symmetry : {Symmetry::None, Symmetry::Rotate, Symmetry::Mirror}) {
            for (int seed = 1; seed <= 12; ++seed) {
                RandomSource random(seed * 7919 + size[0]);
                LayoutShape shape;
                shape.width = size[0];
                shape.height = size[1];
                shape.islandPercent = 10 + 5 * (seed % 5);
                shape.symmetry = symmetry;
                Layout layout;
                if (!drawLayout(random, shape, layout)) continue;
                ++drawn;
                const Puzzle puzzle = layout.puzzle();
                SCOPED_TRACE(formatProblemLine(puzzle));
                EXPECT_EQ(testing::checkSolution(puzzle, planeOf(puzzle, layout.solution()).data()),
                          "");
                std::string id;
                EXPECT_TRUE(formatGameId(puzzle, id, nullptr));
                if (symmetry != Symmetry::None) {
                    EXPECT_TRUE(islandsStandAsInImage(puzzle, imageFor(symmetry)));
                }
            }
        }
    }
    EXPECT_GT(drawn, 200);
}

// Uniqueness on many small puzzles of the cheaper rungs, confirmed by the exact solver.
TEST(MakerLayout, ManyMadePuzzlesAreUnique) {
    int checked = 0;
    for (int k = 0; k < 120; ++k) {
        MakeRequest request;
        request.level = Rung(1 + k % 3);
        request.width = 5 + k % 6;
        request.height = 4 + k % 7;
        request.islandPercent = 15 + k % 4 * 5;
        request.symmetry = Symmetry(k % 3);
        request.seed = std::uint32_t(k);
        MadePuzzle made;
        std::int64_t boards = 0;
        if (!makePuzzle(request, 0, 0, made, boards)) continue;
        ++checked;
        EXPECT_EQ(exact::solveExactly(made.puzzle).verdict, exact::Verdict::Unique)
            << formatProblemLine(made.puzzle);
    }
    // Small boards cannot always hold a hard puzzle; those requests are passed over.
    EXPECT_GT(checked, 40);
}

// The share of islands asked is what the layouts have, on square and oblong boards and
// under each symmetry; a share beyond what fits gets as many as fit, about a third.
TEST(MakerLayout, IslandShareAskedIsMet) {
    const struct {
        int width, height, percent;
        Symmetry symmetry;
        int least;  // the share met on average at least
    } cases[] = {
        {20, 20, 10, Symmetry::None, 9},    {20, 20, 16, Symmetry::None, 15},
        {20, 20, 25, Symmetry::None, 24},   {20, 20, 30, Symmetry::None, 29},
        {20, 20, 30, Symmetry::Rotate, 28}, {15, 15, 30, Symmetry::Mirror, 28},
        {9, 13, 30, Symmetry::Rotate, 28},  {40, 25, 30, Symmetry::None, 29},
        {20, 20, 40, Symmetry::None, 30},
    };
    for (const auto& asked : cases) {
        SCOPED_TRACE(std::to_string(asked.width) + "x" + std::to_string(asked.height) + " at " +
                     std::to_string(asked.percent) + "%");
        LayoutShape shape;
        shape.width = asked.width;
        shape.height = asked.height;
        shape.islandPercent = asked.percent;
        shape.symmetry = asked.symmetry;
        RandomSource random(asked.percent * 131 + asked.width);
        double share = 0;
        int drawn = 0;
        for (int k = 0; k < 40; ++k) {
            Layout layout;
            if (!drawLayout(random, shape, layout)) continue;
            ++drawn;
            share += 100.0 * double(layout.islands.size()) / (asked.width * asked.height);
        }
        ASSERT_GT(drawn, 20);
        EXPECT_GE(share / drawn, asked.least);
        EXPECT_LE(share / drawn, asked.percent + 1);
    }
}

// The quick sorting of boards agrees with the ladder on every board it is shown, whatever
// the rung asked: too easy exactly when the rung below finishes it, a candidate exactly
// when the rung asked needs to be used.
TEST(MakerLayout, QuickSortingAgreesWithTheLadder) {
    QuickRater quick;
    int candidates = 0;
    for (int k = 0; k < 800; ++k) {
        Layout layout;
        if (!drawSpread(k, 7 + k % 9, 6 + k % 7, k * 17 + 3, layout)) continue;
        const Puzzle puzzle = layout.puzzle();
        const Rung target = Rung(1 + k % 5);
        SCOPED_TRACE(formatProblemLine(puzzle) + " at " + std::string(explain::rungName(target)));
        const RungRating at = rateWithin(puzzle, target);
        const bool below = target != Rung::Easy && rateWithin(puzzle, Rung(int(target) - 1)).solved;
        const QuickVerdict verdict = quick.rate(puzzle, target);
        if (below) {
            EXPECT_EQ(verdict, QuickVerdict::TooEasy);
        } else if (verdict == QuickVerdict::Candidate) {
            ++candidates;
            EXPECT_TRUE(at.solved);
            EXPECT_EQ(at.level, target);
        } else {
            EXPECT_EQ(verdict, QuickVerdict::TooHard);
            // One sweep of trials may leave what more sweeps finish; below the top rung the
            // sorting is exact.
            if (target != Rung::Extreme) {
                EXPECT_FALSE(at.solved);
            }
        }
    }
    EXPECT_GT(candidates, 30);
}

// The maker's settle looks again only where a rule's inputs changed since it last looked.
// A change it fails to pass on shows as a step it takes later or never: against a settle
// that looks everywhere every round, its bounds differ. Both must also end where the
// ladder's own rounds do, also when a settle takes on from the rungs below. Large boards,
// where most rounds touch little.
TEST(MakerLayout, SettleEndsWhereTheLaddersRoundsEnd) {
    int unfinished = 0;
    for (int k = 0; k < 300; ++k) {
        Puzzle puzzle;
        explain::Geometry g;
        if (!spreadPuzzle(k, 12 + k % 5 * 6, 10 + k % 7 * 4, k * 31 + 7, puzzle, g)) continue;
        const Rung target = Rung(2 + k % 3);
        SCOPED_TRACE(formatProblemLine(puzzle) + " at " + std::string(explain::rungName(target)));
        explain::State settled, everywhere, stepped;
        settled.reset(g), everywhere.reset(g), stepped.reset(g);
        explain::StepFinder settler(g), looker(g), stepper(g);
        looker.lookEverywhere();
        const auto settle = [&](explain::StepFinder& finder, explain::State& state) {
            return finder.settle(state, Rung(int(target) - 1)) &&
                   finder.settle(state, target, Rung(int(target) - 1));
        };
        const bool possible = settle(settler, settled);
        ASSERT_EQ(settle(looker, everywhere), possible);
        EXPECT_EQ(settled.least, everywhere.least);
        EXPECT_EQ(settled.most, everywhere.most);
        std::vector<explain::Found> found;
        for (int count = 1; count > 0;) {
            count = stepper.round(stepped, target, found);
            for (int s = 0; s < count; ++s)
                stepper.apply(stepped, found[std::size_t(s)]);
        }
        ASSERT_EQ(possible, !stepped.contradiction);
        if (!possible) continue;
        unfinished += !settled.solved(g);
        EXPECT_EQ(settled.least, stepped.least);
        // A rule lowers a line's most only where its ends do not already imply it, which
        // depends on the order things were found in; the most it can carry does not.
        for (int l = 0; l < g.lineCount(); ++l)
            EXPECT_EQ(settled.effectiveMost(g, l), stepped.effectiveMost(g, l)) << "line " << l;
    }
    EXPECT_GT(unfinished, 50);
}

// A trial's rules look only where a line changed since they last looked in it: every
// round must find the same steps, down to how many steps refuted each supposition and
// where it failed, as rounds that look over everything the trial changed.
TEST(MakerLayout, TrialsLookingOnlyWhereLinesChangedAgree) {
    int trials = 0;
    for (int k = 0; k < 120; ++k) {
        Puzzle puzzle;
        explain::Geometry g;
        if (!spreadPuzzle(k, 8 + k % 7 * 2, 7 + k % 5 * 2, k * 13 + 5, puzzle, g)) continue;
        SCOPED_TRACE(formatProblemLine(puzzle));
        explain::State near, everywhere;
        near.reset(g), everywhere.reset(g);
        explain::StepFinder finder(g), looker(g);
        looker.lookEverywhere();
        std::vector<explain::Found> found, expected;
        for (int count = 1; count > 0;) {
            count = finder.round(near, Rung::Extreme, found);
            ASSERT_EQ(looker.round(everywhere, Rung::Extreme, expected), count);
            ASSERT_EQ(near.contradiction, everywhere.contradiction);
            const auto said = [](const explain::Found& f) {
                return std::make_tuple(int(f.technique), f.line, f.island, f.trialSteps,
                                       f.faultIsland, int(f.faultKind), f.hypothesisLeast);
            };
            for (int s = 0; s < count; ++s) {
                const explain::Found &f = found[std::size_t(s)], &e = expected[std::size_t(s)];
                ASSERT_EQ(said(f), said(e));
                trials += f.technique == explain::TRIAL;
                finder.apply(near, f);
                looker.apply(everywhere, e);
            }
            ASSERT_EQ(near.least, everywhere.least);
            ASSERT_EQ(near.most, everywhere.most);
        }
    }
    EXPECT_GT(trials, 100);
}

TEST(MakeProgram, SameRunWhateverTheJobsEveryFormatAgrees) {
    const std::vector<std::string> base = {"--seed",     "1",      "--level", "hard",
                                           "--symmetry", "rotate", "9x13",    "10"};
    std::vector<std::string> one = base;
    one.insert(one.begin(), {"--jobs", "1"});
    std::vector<std::string> three = base;
    three.insert(three.begin(), {"--jobs", "3"});
    const CommandResult a = runCommand(kMake, one);
    const CommandResult b = runCommand(kMake, three);
    ASSERT_EQ(a.status, 0) << a.err;
    ASSERT_EQ(b.status, 0) << b.err;
    EXPECT_EQ(a.out, b.out);
    EXPECT_EQ(std::count(a.out.begin(), a.out.end(), '\n'), 10);
    EXPECT_NE(runCommand(kMake, {"--seed", "2", "--level", "hard", "9x13", "10"}).out, a.out);

    std::vector<std::string> ids = base;
    ids.insert(ids.begin(), {"--format", "id"});
    std::vector<std::string> json = base;
    json.insert(json.begin(), {"--format", "json"});
    const CommandResult idRun = runCommand(kMake, ids);
    const CommandResult jsonRun = runCommand(kMake, json);
    std::istringstream lines(a.out), idLines(idRun.out), jsonLines(jsonRun.out);
    std::string line, id, record;
    while (std::getline(lines, line)) {
        ASSERT_TRUE(std::getline(idLines, id));
        ASSERT_TRUE(std::getline(jsonLines, record));
        const Puzzle puzzle = testing::puzzleFromLine(line);
        Puzzle fromId;
        ASSERT_TRUE(parseGameId(fromId, id, nullptr)) << id;
        EXPECT_TRUE(sameBoard(puzzle, fromId)) << id;
        EXPECT_NE(record.find("\"problem\":\"" + line + "\""), std::string::npos) << record;
        EXPECT_NE(record.find("\"level\":\"hard\""), std::string::npos) << record;
        EXPECT_NE(record.find("\"hash\":\"" + hashText(canonicalForm(puzzle).hash) + "\""),
                  std::string::npos)
            << record;
    }
}

// Runs that draw far more boards than there are different puzzles, so that turned and
// mirrored copies turn up all the time: none is written, judged by images computed here.
// Square boards have all eight images; oblong ones four that keep the shape.
TEST(MakeProgram, NoPuzzleOfARunRepeatsTurnedOrMirrored) {
    const std::vector<std::vector<std::string>> runs = {
        {"--level", "easy", "5x5", "200"},
        {"--level", "easy", "4x4", "100"},
        {"--level", "hard", "5x5", "100"},
        {"--level", "medium", "5x6", "150"},
        {"--level", "easy", "--symmetry", "mirror", "6x5", "100"},
        {"--level", "easy", "--symmetry", "rotate", "5x5", "100"},
    };
    for (const std::vector<std::string>& args : runs) {
        std::string command;
        for (const std::string& arg : args)
            command += " " + arg;
        SCOPED_TRACE(command);
        const CommandResult run = runCommand(kMake, args);
        ASSERT_NE(run.out, "") << run.err;
        std::istringstream lines(run.out);
        std::map<std::string, int> seen;  // every image of every puzzle so far, and its line
        int number = 0;
        for (std::string line; std::getline(lines, line);) {
            ++number;
            const std::vector<std::string> images = eightImages(rowsOfLine(line));
            for (const std::string& image : images) {
                const auto earlier = seen.find(image);
                EXPECT_TRUE(earlier == seen.end() || earlier->second == number)
                    << "line " << number << " repeats line " << earlier->second << ": " << line;
            }
            for (const std::string& image : images)
                seen.emplace(image, number);
        }
    }
}

// The symmetry asked for, end to end: every island of every puzzle has its partner under
// the half turn or the mirror, checked with the collection's own images.
TEST(MakeProgram, SymmetryAskedHoldsForEveryPuzzle) {
    const struct {
        const char* kind;
        Symmetry symmetry;
        const char* size;
    } cases[] = {
        {"mirror", Symmetry::Mirror, "9x7"},
        {"mirror", Symmetry::Mirror, "8x10"},
        {"rotate", Symmetry::Rotate, "9x7"},
        {"rotate", Symmetry::Rotate, "8x10"},
    };
    for (const auto& asked : cases) {
        SCOPED_TRACE(std::string(asked.kind) + " " + asked.size);
        const CommandResult run =
            runCommand(kMake, {"--symmetry", asked.kind, "--level", "easy", asked.size, "8"});
        ASSERT_EQ(run.status, 0) << run.err;
        std::istringstream lines(run.out);
        int count = 0;
        for (std::string line; std::getline(lines, line); ++count)
            EXPECT_TRUE(
                islandsStandAsInImage(testing::puzzleFromLine(line), imageFor(asked.symmetry)))
                << line;
        EXPECT_EQ(count, 8);
    }
}

TEST(MakeProgram, RefusesWhatItCannotMake) {
    const struct {
        std::vector<std::string> args;
        const char* says;
    } cases[] = {
        {{"10", "5"}, "size '10'"},
        {{"10x", "5"}, "size '10x'"},
        {{"2x10", "5"}, "size '2x10'"},
        {{"10x61", "5"}, "size '10x61'"},
        {{"+9x9", "5"}, "size '+9x9'"},
        {{"9x9", "-1"}, "COUNT '-1'"},
        {{"9x9"}, "expected WxH COUNT"},
        {{"9x9", "1", "2"}, "expected WxH COUNT"},
        {{"--level", "fiendish", "9x9", "1"}, "--level 'fiendish'"},
        {{"--islands", "41", "9x9", "1"}, "--islands '41'"},
        {{"--symmetry", "diagonal", "9x9", "1"}, "--symmetry 'diagonal'"},
        {{"--format", "csv", "9x9", "1"}, "--format 'csv'"},
        {{"--jobs", "0", "9x9", "1"}, "--jobs '0'"},
        {{"--seed", "-1", "9x9", "1"}, "--seed '-1'"},
        {{"--colour", "9x9", "1"}, "--colour"},
    };
    for (const auto& refused : cases) {
        const CommandResult result = runCommand(kMake, refused.args);
        EXPECT_EQ(result.status, 2) << refused.says;
        EXPECT_NE(result.err.find(refused.says), std::string::npos) << result.err;
        EXPECT_EQ(result.out, "");
    }
    EXPECT_EQ(runCommand(kMake, {"--help"}).status, 0);
    EXPECT_EQ(runCommand(kMake, {"--version"}).status, 0);
}

TEST(MakeProgram, SaysSoWhenOutOfReachOrTheOutputFails) {
    const CommandResult extreme = runCommand(kMake, {"--level", "extreme", "3x3", "1"});
    EXPECT_EQ(extreme.status, 1);
    EXPECT_NE(extreme.err.find("no extreme puzzle of 3x3 with 22% islands"), std::string::npos)
        << extreme.err;
    EXPECT_EQ(extreme.out, "");
    // 3 x 3 holds only a few different easy puzzles: the run stops after them, it does not
    // look for more for ever.
    const CommandResult few = runCommand(kMake, {"--level", "easy", "3x3", "100"});
    EXPECT_EQ(few.status, 1);
    EXPECT_NE(few.err.find("different easy puzzles of 3x3"), std::string::npos) << few.err;
    EXPECT_GT(few.out.size(), 0u);
    // A share the rung is not met at on average is said, and the puzzles still come.
    const CommandResult sparse =
        runCommand(kMake, {"--level", "easy", "--islands", "40", "5x5", "3"});
    EXPECT_EQ(sparse.status, 0) << sparse.err;
    EXPECT_NE(sparse.err.find("less than the 40% asked"), std::string::npos) << sparse.err;
    testing::RunOptions closed;
    closed.closeStdout = true;
    const CommandResult failed = runCommand(kMake, {"9x9", "3"}, closed);
    EXPECT_EQ(failed.status, 1);
    EXPECT_NE(failed.err.find("failed to write"), std::string::npos) << failed.err;
}

// Out of reach is said within the time bound, not after every one of the boards: a 60 x 60
// board costs some time to rate, and at 35 % islands no expert puzzle turns up in the full
// 20 s bound (at the default share one now comes within a second).
TEST(MakeProgram, OutOfReachIsSaidWithinTheTimeBound) {
    MakeRequest request;
    request.width = request.height = 60;
    request.level = Rung::Expert;
    request.islandPercent = 35;
    request.seed = 3;
    request.secondsPerPuzzle = 0.5;
    MadePuzzle made;
    std::int64_t boards = 0;
    const double start = spanwright::threadCpuSeconds();
    EXPECT_FALSE(makePuzzle(request, 0, 0, made, boards));
    const double used = spanwright::threadCpuSeconds() - start;
    EXPECT_GT(boards, 0);
    EXPECT_LT(boards, MAX_BOARDS_PER_PUZZLE / 10);
    // Past the bound by about one rating of one board: a look at the clock every eight
    // boards overshot by seconds here, and by minutes at the full 20 s bound.
#if defined(__SANITIZE_ADDRESS__)
    constexpr double slack = 12;
#else
    constexpr double slack = 1.5;
#endif
    EXPECT_LT(used, request.secondsPerPuzzle + slack);
}

// Large boards at a crowded share: each rung up to hard is met within a few boards (a board
// the ladder sticks on is mended where it sticks, not thrown away; before, an easy 40 x 40
// was out of reach after 20,000), and what comes out is unique and needs exactly its rung.
TEST(MakerLayout, LargeCrowdedBoardsAreMadeInAFewBoards) {
    const RungCase cases[] = {
        {Rung::Easy, 40, 40, 30}, {Rung::Medium, 60, 45, 30}, {Rung::Hard, 45, 60, 25}};
    for (const RungCase& param : cases) {
        MakeRequest request;
        request.level = param.level;
        request.width = param.width;
        request.height = param.height;
        request.islandPercent = param.count;  // the share, in this table
        request.seed = 3;
        MadePuzzle made;
        std::int64_t boards = 0;
        ASSERT_TRUE(makePuzzle(request, 0, 0, made, boards)) << param.width << "x" << param.height;
        EXPECT_LE(boards, 20);
        EXPECT_GE(100 * made.islands, (param.count - 2) * param.width * param.height);
        const exact::ExactResult exact = exact::solveExactly(made.puzzle);
        ASSERT_EQ(exact.verdict, exact::Verdict::Unique);
        EXPECT_EQ(exact.solutions.front(), made.solution);
        EXPECT_EQ(rateWithin(made.puzzle, param.level).level, param.level);
        if (param.level != Rung::Easy) {
            EXPECT_FALSE(rateWithin(made.puzzle, Rung(int(param.level) - 1)).solved);
        }
    }
}

// Expert on a board larger than the batch tests': once its own rules settle something,
// mends keep away from that place and, with few lines left open, every single mend is
// tried; what comes out of those mends is still unique and needs exactly expert.
TEST(MakerLayout, LargerExpertPuzzlesNeedExactlyExpert) {
    for (std::uint32_t seed = 1; seed <= 2; ++seed) {
        MakeRequest request;
        request.level = Rung::Expert;
        request.width = request.height = 16;
        request.islandPercent = defaultIslandPercent(Rung::Expert);
        request.seed = seed;
        request.secondsPerPuzzle = 0;
        MadePuzzle made;
        std::int64_t boards = 0;
        ASSERT_TRUE(makePuzzle(request, 0, 0, made, boards)) << seed;
        SCOPED_TRACE(formatProblemLine(made.puzzle));
        const exact::ExactResult exact = exact::solveExactly(made.puzzle);
        ASSERT_EQ(exact.verdict, exact::Verdict::Unique);
        EXPECT_EQ(exact.solutions.front(), made.solution);
        EXPECT_EQ(rateWithin(made.puzzle, Rung::Expert).level, Rung::Expert);
        EXPECT_FALSE(rateWithin(made.puzzle, Rung::Hard).solved);
    }
}

// Killed as soon as anything has come out, the run has written whole records only: each
// goes out as it is made, not in stdio's 4 KiB blocks, which cut a record of a 30 x 30
// puzzle (about 4.5 KB) in two.
TEST(MakeProgram, AKilledRunLeavesWholeRecords) {
    const testing::TempDir dir;
    const std::string out = dir.path() + "/out.jsonl";
    const CommandResult run = runCommand(
        "/bin/sh",
        {"-c",
         "\"$0\" --jobs 1 --level easy --format json 30x30 100 > \"$1\" & pid=$!\n"
         "i=0; while [ ! -s \"$1\" ] && [ $i -lt 600 ]; do sleep 0.05; i=$((i+1)); done\n"
         "kill -9 $pid; wait $pid; exit 0",
         kMake, out});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::string written = testing::readFile(out);
    ASSERT_FALSE(written.empty());
    EXPECT_EQ(written.back(), '\n');
    EXPECT_EQ(written.front(), '{');
}

/// CPU seconds used so far by the programs this test started and waited for.
double childCpuSeconds() {
    rusage usage{};
    getrusage(RUSAGE_CHILDREN, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           1e-6 * double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec);
}

std::int64_t lineCount(const std::string& text) {
    return std::count(text.begin(), text.end(), '\n');
}

// A share out of reach is said within a second or so of CPU time, naming a share that was
// met; a run at that share, from another seed, is made. Where no share helps, the message
// says the size is what is out of reach.
TEST(MakeProgram, OutOfReachNamesAShareThatWorks) {
#if defined(__SANITIZE_ADDRESS__)
    constexpr double bound = 60;
#else
    constexpr double bound = 3;
#endif
    const double start = childCpuSeconds();
    const CommandResult sparse =
        runCommand(kMake, {"--seed", "1", "--level", "extreme", "--islands", "10", "6x6", "1"});
    EXPECT_LT(childCpuSeconds() - start, bound);
    EXPECT_EQ(sparse.status, 1);
    const std::string advice = "% islands would work (--islands ";
    const std::size_t at = sparse.err.find(advice);
    ASSERT_NE(at, std::string::npos) << sparse.err;
    const std::size_t from = at + advice.size();
    const std::string share = sparse.err.substr(from, sparse.err.find(')', from) - from);
    const CommandResult made =
        runCommand(kMake, {"--seed", "2", "--level", "extreme", "--islands", share, "6x6", "3"});
    EXPECT_EQ(made.status, 0) << made.err;
    EXPECT_EQ(lineCount(made.out), 3);

    const CommandResult tiny = runCommand(kMake, {"--level", "extreme", "3x3", "1"});
    EXPECT_EQ(tiny.status, 1);
    EXPECT_NE(tiny.err.find("out of reach at this size: no share from 5% to 22%"),
              std::string::npos)
        << tiny.err;
}

// A first puzzle watched for a slow start is the one an unwatched look makes, from the
// same boards; when the look fails, the run names the share the quick looks beside it
// found.
TEST(MakeBatch, QuickLookKeepsThePuzzlesItFallsShortOf) {
    MakeRequest request;
    request.width = request.height = 12;
    request.level = Rung::Extreme;
    request.islandPercent = 22;
    request.secondsPerPuzzle = 0;
    // A seed whose first puzzle takes a few boards, so that a tenth of the bound can miss it.
    std::int64_t needed = 0;
    for (request.seed = 1; request.seed < 50 && needed < 2; ++request.seed) {
        MadePuzzle first;
        needed = 0;
        ASSERT_TRUE(makePuzzle(request, 0, 0, first, needed));
    }
    --request.seed;
    ASSERT_GE(needed, 2);
    BatchNotices notices;
    notices.slowStart = [](const SlowStart&) {};
    const auto hashes = [&](const BatchNotices& told, int jobs, BatchOutcome& outcome) {
        std::vector<std::uint64_t> made;
        outcome = runBatch(
            request, 3, jobs,
            [&](const MadePuzzle& puzzle) {
                made.push_back(puzzle.hash);
                return true;
            },
            {}, {}, told);
        return made;
    };
    request.boardsPerPuzzle = needed * QUICK_LOOK_PARTS - 1;
    BatchOutcome direct, looked;
    const std::vector<std::uint64_t> expected = hashes({}, 1, direct);
    EXPECT_EQ(hashes(notices, 2, looked), expected);
    EXPECT_EQ(looked.end, BatchOutcome::End::Done);
    // Watching the first look for a slow start draws no board twice: a quick look of its
    // own, redrawn by the full one, cost a slow first puzzle its first tenth again.
    EXPECT_EQ(looked.boards, direct.boards);

    request.boardsPerPuzzle = needed - 1;
    hashes(notices, 2, looked);
    EXPECT_EQ(looked.end, BatchOutcome::End::Unreachable);
    EXPECT_EQ(looked.workingShare, workingShare(request, {}));
}

// Only a run's first puzzle says whether its rung is in reach: a later one that takes more
// boards than the first one's bound is still made, as it would be within the full bound,
// whatever the threads (an expert 3 x 60 run made four puzzles, then called itself out of
// reach at the fifth).
TEST(MakeBatch, LaterPuzzlesMayTakeMoreBoardsThanTheFirst) {
    MakeRequest request;
    request.level = Rung::Extreme;
    request.islandPercent = 22;
    request.secondsPerPuzzle = 0;
    constexpr int count = 6;
    const auto boardsFor = [&](std::uint64_t index) {
        MadePuzzle made;
        std::int64_t boards = 0;
        EXPECT_TRUE(makePuzzle(request, index, 0, made, boards));
        return boards;
    };
    // A seed whose later puzzles take more boards than its first, but not ten times as many.
    bool found = false;
    std::int64_t first = 0;
    for (request.seed = 1; request.seed < 40 && !found; ++request.seed) {
        first = boardsFor(0);
        for (std::uint64_t index = 1; index < count && !found; ++index) {
            const std::int64_t later = boardsFor(index);
            found = later > first && later <= first * MET_RUNG_BOARDS_FACTOR;
        }
    }
    --request.seed;
    ASSERT_TRUE(found);
    const auto run = [&](int jobs) {
        std::vector<std::uint64_t> made;
        const BatchOutcome outcome = runBatch(request, count, jobs, [&](const MadePuzzle& puzzle) {
            made.push_back(puzzle.hash);
            return true;
        });
        EXPECT_EQ(outcome.end, BatchOutcome::End::Done);
        return made;
    };
    const std::vector<std::uint64_t> expected = run(1);
    ASSERT_EQ(expected.size(), std::size_t(count));
    request.boardsPerPuzzle = first;
    EXPECT_EQ(run(1), expected);
    EXPECT_EQ(run(3), expected);
}

// A run mixing rungs leaves out the one out of reach at its size and the one whose puzzles
// all miss the range, each said once, instead of ending there; and stays the same whatever
// the threads.
TEST(MakeProgram, MixedRunLeavesOutRungsThatCannotFillIt) {
    const CommandResult one =
        runCommand(kMake, {"--seed", "1", "--jobs", "1", "--score", "10-30", "5x5", "4"});
    const CommandResult three =
        runCommand(kMake, {"--seed", "1", "--jobs", "3", "--score", "10-30", "5x5", "4"});
    ASSERT_EQ(one.status, 0) << one.err;
    EXPECT_EQ(lineCount(one.out), 4);
    EXPECT_EQ(three.out, one.out);
    for (const std::string said : {"leaving out expert: out of reach at 5x5",
                                   "leaving out medium: its first 8 puzzles were all outside"}) {
        const std::size_t at = one.err.find(said);
        EXPECT_NE(at, std::string::npos) << one.err;
        EXPECT_EQ(one.err.find(said, at + 1), std::string::npos) << one.err;
    }
}

}  // namespace
}  // namespace spanwright::maker
