// The solve mode end to end, through the built executable: the reference outputs byte for
// byte, the reading of problem files, and a varied set of random puzzles whose solutions
// are checked by the independent checker.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include "puzzle/problem_line.h"
#include "solver/board.h"
#include "solver/solve.h"
#include "tests/support/board_picture.h"
#include "tests/support/run_command.h"
#include "tests/support/solution_check.h"

namespace spanwright {
namespace {

using testing::boardOf;
using testing::checkSolution;
using testing::CommandResult;
using testing::glyphDrawing;
using testing::readFile;
using testing::runSpanwright;
using testing::TempDir;

const std::string kData = SPANWRIGHT_TEST_DATA;

/// Lines of a text, each with its line feed.
std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::size_t place = 0;
    while (place < text.size()) {
        std::size_t end = text.find('\n', place);
        end = end == std::string::npos ? text.size() : end + 1;
        lines.push_back(text.substr(place, end - place));
        place = end;
    }
    return lines;
}

TEST(SolveMode, StatisticsMatchTheReference) {
    const CommandResult result = runSpanwright({"d", kData + "/problems.txt"});

    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    EXPECT_EQ(result.out, readFile(kData + "/problems.d.out"));
}

TEST(SolveMode, DrawingsMatchTheReference) {
    const CommandResult result = runSpanwright({"s", kData + "/problems.txt"});
    const std::string expected = readFile(kData + "/problems.s.bin");
    ASSERT_FALSE(expected.empty());

    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.err, "");
    // Compared line by line first, for a readable report of the first difference.
    const std::vector<std::string> got = linesOf(result.out);
    const std::vector<std::string> want = linesOf(expected);
    for (std::size_t i = 0; i < got.size() && i < want.size(); ++i)
        ASSERT_TRUE(got[i] == want[i]) << "output line " << i + 1 << " differs";
    EXPECT_EQ(got.size(), want.size());
    EXPECT_TRUE(result.out == expected);
}

TEST(SolveMode, CarriageReturnsBeforeLineFeedsChangeNothing) {
    std::string crlf;
    for (const std::string& line : linesOf(readFile(kData + "/problems.txt")))
        crlf += line.substr(0, line.size() - 1) + "\r\n";
    TempDir dir;
    const std::string path = dir.write("crlf.txt", crlf);

    const CommandResult drawn = runSpanwright({"s", path});
    const CommandResult counted = runSpanwright({"d", path});

    EXPECT_TRUE(drawn.out == readFile(kData + "/problems.s.bin"));
    EXPECT_EQ(counted.out, readFile(kData + "/problems.d.out"));
    EXPECT_EQ(drawn.err + counted.err, "");
    EXPECT_EQ(drawn.status, 0);
    EXPECT_EQ(counted.status, 0);
}

TEST(SolveMode, UnsolvableProblemIsDrawnThenFailed) {
    TempDir dir;
    const std::string path = dir.write("one.txt", "1/1/3/1.2/\n");

    const CommandResult drawn = runSpanwright({"s", path});
    const CommandResult counted = runSpanwright({"d", path});

    EXPECT_EQ(drawn.out, glyphDrawing("1-2") + "failed.\n");
    EXPECT_EQ(counted.out, "failed.\n");
    EXPECT_EQ(drawn.status, 0);
    EXPECT_EQ(counted.status, 0);
}

TEST(SolveMode, EmptyFilePrintsNothing) {
    TempDir dir;
    const CommandResult result = runSpanwright({"s", dir.write("empty.txt", "")});

    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "");
}

TEST(SolveMode, BlankLineEndsTheFileQuietly) {
    TempDir dir;
    const std::string path = dir.write("blank.txt", "1/1/3/2.2/\n\n1/1/3/1.2/\n");

    const CommandResult drawn = runSpanwright({"s", path});
    const CommandResult counted = runSpanwright({"d", path});

    EXPECT_EQ(drawn.out, glyphDrawing("2=2") + "finished.\n");
    EXPECT_EQ(counted.out, "1,0,0,0,0,3\n");
    EXPECT_EQ(drawn.err, "");
    EXPECT_EQ(counted.err, "");
    EXPECT_EQ(drawn.status, 0);
}

/// The one line that the solve mode writes on standard error when it stops at line
/// `lineNumber` of `name`, without the reason in the middle.
void expectStopMessage(const std::string& err, const std::string& name, int lineNumber) {
    const std::string head =
        "spanwright: " + name + ":" + std::to_string(lineNumber) + ": not a problem line: ";
    const std::string tail = "; the rest of the file is not read\n";
    EXPECT_EQ(err.compare(0, head.size(), head), 0) << err;
    ASSERT_GE(err.size(), head.size() + tail.size()) << err;
    EXPECT_EQ(err.substr(err.size() - tail.size()), tail) << err;
    EXPECT_EQ(err.find('\n'), err.size() - 1) << "one line only: " << err;
}

TEST(SolveMode, LineWithTooFewCellsStopsTheReading) {
    TempDir dir;
    dir.write("few.txt", "1/1/3/2.2/\n1/2/3/2.2/\n1/1/3/2.2/\n");

    const CommandResult result = runSpanwright({"s", "few.txt"}, dir.path());

    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, glyphDrawing("2=2") + "finished.\n");
    expectStopMessage(result.err, "few.txt", 2);
}

TEST(SolveMode, RefusesBoardSizesOutsideOneTo125) {
    // 259 would read as 3 in eight bits; 126 would not fit the bordered sizes.
    const char* const refused[] = {
        "1/1/0/2.2/", "1/1/126/2.2/", "1/1/259/2.2/", "1/0/3/2.2/", "1/-1/3/2.2/", "1/126/3/2.2/",
    };
    for (const char* line : refused) {
        SCOPED_TRACE(line);
        TempDir dir;
        dir.write("sizes.txt", std::string("1/1/3/2.2/\n") + line + "\n1/1/3/2.2/\n");

        const CommandResult drawn = runSpanwright({"s", "sizes.txt"}, dir.path());
        const CommandResult counted = runSpanwright({"d", "sizes.txt"}, dir.path());

        EXPECT_EQ(drawn.out, glyphDrawing("2=2") + "finished.\n");
        EXPECT_EQ(counted.out, "1,0,0,0,0,3\n");
        expectStopMessage(drawn.err, "sizes.txt", 2);
        expectStopMessage(counted.err, "sizes.txt", 2);
        EXPECT_EQ(drawn.status, 0);
    }
}

TEST(SolveMode, FileThatCannotBeOpened) {
    TempDir dir;
    const std::string missing = dir.path() + "/missing.txt";

    const CommandResult absent = runSpanwright({"s", missing});
    const CommandResult directory = runSpanwright({"d", dir.path()});

    EXPECT_EQ(absent.out, "failed to open: " + missing + "\n");
    EXPECT_EQ(directory.out, "failed to open: " + dir.path() + "\n");
    EXPECT_EQ(absent.err + directory.err, "");
    EXPECT_EQ(absent.status, 0);
    EXPECT_EQ(directory.status, 0);
}

TEST(SolveMode, ReadErrorIsReportedNotTakenForTheEnd) {
    // Reading this file fails at once with an input/output error.
    const CommandResult result = runSpanwright({"s", "/proc/self/mem"});
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "");
    EXPECT_EQ(result.err, "spanwright: /proc/self/mem:1: read error: Input/output error\n");
}

// Results that cannot be written (a full disk) are said on the console; the exit status
// stays 0, as for every run of this command line.
TEST(SolveMode, WriteErrorsAreSaidAndTheStatusStays) {
    for (const char* mode : {"s", "d"}) {
        const CommandResult result =
            testing::runCommand("/bin/sh", {"-c", "\"$0\" \"$1\" \"$2\" > /dev/full",
                                            SPANWRIGHT_EXE, mode, kData + "/problems.txt"});
        EXPECT_EQ(result.status, 0) << mode;
        EXPECT_EQ(result.err,
                  "spanwright: failed to write the results to standard output: No space left "
                  "on device\n")
            << mode;
    }
}

TEST(SolveMode, EndlessLineEndsTheReadingWithAMessage) {
    // A valid problem, then a line that never ends, through a pipe. Under the memory limit a
    // reader holding the whole line would soon fail rather than take the machine's memory;
    // AddressSanitizer reserves more address space than any such limit, so it runs without.
    testing::RunOptions options;
#ifndef __SANITIZE_ADDRESS__
    options.memoryLimit = 256L << 20;
#endif
    const CommandResult result = testing::runCommand(
        "/bin/sh",
        {"-c", "{ printf '1/1/3/2.2/\\n'; exec cat /dev/zero; } | exec \"$0\" s /dev/stdin",
         SPANWRIGHT_EXE},
        options);

    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, glyphDrawing("2=2") + "finished.\n");
    expectStopMessage(result.err, "/dev/stdin", 2);
}

TEST(SolveMode, ControlCharactersInNamesAreShownEscaped) {
    TempDir dir;
    dir.write("\033[31mbad\n.txt", "1/2/3/2.2/\n");

    const CommandResult missing = runSpanwright({"s", "\033[31mmissing"}, dir.path());
    const CommandResult refused = runSpanwright({"d", "\033[31mbad\n.txt"}, dir.path());

    EXPECT_EQ(missing.out, "failed to open: \\033[31mmissing\n");
    expectStopMessage(refused.err, "\\033[31mbad\\n.txt", 1);
}

TEST(SolveMode, ReadsTheLongestLineWhole) {
    // The largest board, 125 x 125, in about 16,000 characters: a chain of islands along
    // the top row and down the left column, with one solution.
    constexpr int side = 125;
    std::string line = "3/125/125/";
    for (int row = 0; row < side; ++row) {
        std::string cells(side, '.');
        if (row == 0) {
            for (int column = 0; column < side; column += 2)
                cells[column] = column == side - 1 ? '1' : '2';
        } else if (row % 2 == 0) {
            cells[0] = row == side - 1 ? '1' : '2';
        }
        line += cells + "/";
    }
    ASSERT_GT(line.size(), 15000u);
    TempDir dir;
    const std::string path = dir.write("large.txt", line + "\n");

    const CommandResult drawn = runSpanwright({"s", path});
    const CommandResult counted = runSpanwright({"d", path});

    const std::vector<std::string> rows = linesOf(drawn.out);
    ASSERT_EQ(rows.size(), std::size_t(side + 2));
    for (int row = 0; row < side; ++row)
        EXPECT_EQ(rows[row].size(), std::size_t(2 * side + 1)) << "row " << row;
    EXPECT_EQ(rows[side], "\n");
    EXPECT_EQ(rows[side + 1], "finished.\n");
    EXPECT_EQ(rows[0].substr(0, 8), "\x82\x51\x81\x7C\x82\x51\x81\x7C");  // "２－２－"
    EXPECT_EQ(rows[1].substr(0, 4), "\x81\x62\x81\x40");                  // "｜　"
    const std::string counters = counted.out;
    ASSERT_GE(counters.size(), 7u);
    EXPECT_EQ(counters.substr(counters.size() - 7), ",15625\n");
    EXPECT_EQ(drawn.err + counted.err, "");
    EXPECT_EQ(drawn.status, 0);
    EXPECT_EQ(counted.status, 0);
}

// ---- Random puzzles -----------------------------------------------------------------

/// A solved layout grown at random: islands joined by straight single or double bridges
/// that cross nothing, so that its clues always have at least this solution.
class LayoutGrower {
  public:
    LayoutGrower(std::uint32_t seed, int width, int height)
        : random_(seed),
          width_(width),
          height_(height),
          symbols_(std::size_t(width * height), '.'),
          need_(symbols_.size(), 0) {}

    /// Grows until `islands` islands stand or the attempts run out; `loopPercent` is the
    /// chance that a bridge goes to an island that already stands.
    void grow(int islands, int loopPercent) {
        place_.push_back(below(width_ * height_));
        symbols_[std::size_t(place_.back())] = 'I';
        for (int attempt = 0; attempt < 50 * islands && int(place_.size()) < islands; ++attempt)
            tryBridge(below(100) < loopPercent);
    }

    int islandCount() const { return int(place_.size()); }

    Puzzle puzzle() const {
        Puzzle puzzle;
        puzzle.difficulty = 1;
        puzzle.width = std::int8_t(width_);
        puzzle.height = std::int8_t(height_);
        puzzle.allocateCells();
        for (std::size_t i = 0; i < symbols_.size(); ++i)
            puzzle.cells[i] = symbols_[i] == 'I' ? std::uint8_t(ISLAND_BASE + need_[i]) : 0;
        return puzzle;
    }

    /// The grown solution as a bordered plane of solver codes.
    std::vector<std::uint8_t> solution() const {
        const int w = width_ + 2;
        std::vector<std::uint8_t> plane(std::size_t(w * (height_ + 2)), 0);
        for (int r = 0; r < height_; ++r) {
            for (int c = 0; c < width_; ++c) {
                const std::size_t i = std::size_t(r * width_ + c);
                const char symbol = symbols_[i];
                std::uint8_t code = 0;
                if (symbol == 'I') code = ISLAND_BASE;
                if (symbol == '-') code = H_SINGLE;
                if (symbol == '=') code = H_DOUBLE;
                if (symbol == '|') code = V_SINGLE;
                if (symbol == 'H') code = V_DOUBLE;
                plane[std::size_t((r + 1) * w + c + 1)] = code;
            }
        }
        return plane;
    }

  private:
    int below(int n) { return int(random_() % std::uint32_t(n)); }

    void tryBridge(bool toStanding) {
        static constexpr int kRowStep[4] = {0, 0, -1, 1};
        static constexpr int kColumnStep[4] = {-1, 1, 0, 0};
        const int from = place_[std::size_t(below(int(place_.size())))];
        const int dir = below(4);
        const int bridges = 1 + below(2);
        const int length = 2 + below(std::max(width_, height_) / 2);
        std::vector<int> path;
        int to = -1;
        for (int step = 1;; ++step) {
            const int r = from / width_ + kRowStep[dir] * step;
            const int c = from % width_ + kColumnStep[dir] * step;
            if (r < 0 || c < 0 || r >= height_ || c >= width_) break;
            const int cell = r * width_ + c;
            const char symbol = symbols_[std::size_t(cell)];
            if (symbol == 'I') {
                if (toStanding && step >= 2) to = cell;
                break;
            }
            if (symbol != '.') break;
            if (!toStanding && step == length) {
                to = cell;
                break;
            }
            path.push_back(cell);
        }
        if (to < 0 || need_[std::size_t(from)] + bridges > 8 ||
            need_[std::size_t(to)] + bridges > 8)
            return;
        const bool across = dir < 2;
        for (int cell : path)
            symbols_[std::size_t(cell)] =
                across ? (bridges == 1 ? '-' : '=') : (bridges == 1 ? '|' : 'H');
        if (symbols_[std::size_t(to)] != 'I') {
            symbols_[std::size_t(to)] = 'I';
            place_.push_back(to);
        }
        need_[std::size_t(from)] += bridges;
        need_[std::size_t(to)] += bridges;
    }

    std::mt19937 random_;
    int width_;
    int height_;
    std::vector<char> symbols_;  // '.' water, 'I' island, bridge symbols
    std::vector<int> need_;      // bridge ends at each island
    std::vector<int> place_;     // cells of the islands, in the order they were placed
};

TEST(SolveMode, RandomPuzzlesFinishOnlyWithValidSolutions) {
    std::mt19937 sizes(20240607);
    std::string file;
    std::string expected;
    std::string statistics;
    int finished = 0;
    int total = 0;
    for (int n = 0; n < 60; ++n) {
        const int width = 5 + int(sizes() % 26);
        const int height = 5 + int(sizes() % 26);
        const int loopPercent = int(sizes() % 30);
        LayoutGrower grower(std::uint32_t(sizes()), width, height);
        grower.grow(2 + width * height / (4 + int(sizes() % 6)), loopPercent);
        if (grower.islandCount() < 2) continue;
        const Puzzle puzzle = grower.puzzle();
        const std::string line = formatProblemLine(puzzle);
        SCOPED_TRACE(line);
        ASSERT_EQ(checkSolution(puzzle, grower.solution().data()), "") << "the grower's own";

        SolverBoard board = boardOf(puzzle, false);
        SolveStats stats;
        const bool solved = solveBoard(stats, board, false);

        ++total;
        if (solved) {
            ++finished;
            EXPECT_EQ(checkSolution(puzzle, board.cells.data()), "");
        }
        EXPECT_EQ(stats.interiorCells, width * height);
        file += line;
        expected += renderBoard(board) + (solved ? "finished.\n" : "failed.\n");
        statistics += solved ? testing::countersOf(stats) + "\n" : "failed.\n";
    }
    EXPECT_GE(total, 50);
    EXPECT_GE(finished, total / 3) << "too few finished for the test to say much";

    // The executable gives the same results as the solver run here.
    TempDir dir;
    const std::string path = dir.write("random.txt", file);
    const CommandResult drawn = runSpanwright({"s", path});
    const CommandResult counted = runSpanwright({"d", path});
    EXPECT_TRUE(drawn.out == expected) << "the executable's drawings differ";
    EXPECT_EQ(counted.out, statistics);
    EXPECT_EQ(drawn.err + counted.err, "");
}

}  // namespace
}  // namespace spanwright
