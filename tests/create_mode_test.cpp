#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <memory>
#include <sstream>

#include "puzzle/problem_line.h"
#include "tests/support/run_command.h"

namespace spanwright::testing {
namespace {

const std::string CONSOLE =
    "creating problems...\n"
    "+----------------------------+\n"
    "oooooooooooooooooooooooooooooo\n";

std::string todaysName(int runningNumber, int sizeIndex) {
    const std::time_t now = std::time(nullptr);
    std::tm date{};
    localtime_r(&now, &date);
    char name[64];
    std::snprintf(name, sizeof name, "%04d%02d%02d_%02d(size%d).dat", date.tm_year + 1900,
                  date.tm_mon + 1, date.tm_mday, runningNumber, sizeIndex);
    return name;
}

std::vector<std::string> linesOf(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

/// Every name in a folder, hidden ones included, in order.
std::vector<std::string> namesIn(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

void expectBatch(const std::string& path, int side) {
    const std::string text = readFile(path);
    ASSERT_FALSE(text.empty()) << path;
    EXPECT_EQ(text.back(), '\n');
    const auto lines = linesOf(text);
    ASSERT_EQ(lines.size(), 30u);
    for (const std::string& line : lines) {
        Puzzle puzzle;
        ASSERT_TRUE(parseProblemLine(puzzle, line)) << line;
        EXPECT_EQ(puzzle.width, side);
        EXPECT_EQ(puzzle.height, side);
        EXPECT_GE(puzzle.difficulty, 1);
        EXPECT_LE(puzzle.difficulty, 5);
        EXPECT_EQ(formatProblemLine(puzzle), line + "\n");
    }
}

TEST(CreateMode, WritesThirtyProblemsUnderTheDaysFirstFreeName) {
    TempDir dir;
    CommandResult result = runSpanwright({"c1"}, dir.path());
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, CONSOLE + "finished.\n");
    EXPECT_EQ(result.err, "");
    expectBatch(dir.path() + "/" + todaysName(1, 1), 10);

    // The same size again takes the next number; another size starts at 01. Only the first
    // letter and digit count.
    EXPECT_EQ(runSpanwright({"C12"}, dir.path()).out, CONSOLE + "finished.\n");
    expectBatch(dir.path() + "/" + todaysName(2, 1), 10);
    EXPECT_EQ(runSpanwright({"c2"}, dir.path()).out, CONSOLE + "finished.\n");
    expectBatch(dir.path() + "/" + todaysName(1, 2), 15);

    // A removed 01 is taken again while 02 stays.
    const std::string first = dir.path() + "/" + todaysName(1, 1);
    const std::string firstText = readFile(first);
    std::filesystem::remove(first);
    EXPECT_EQ(runSpanwright({"c1"}, dir.path()).out, CONSOLE + "finished.\n");
    expectBatch(first, 10);
    EXPECT_FALSE(std::filesystem::exists(dir.path() + "/" + todaysName(3, 1)));
}

TEST(CreateMode, NeverTouchesAnExistingFileOrDirectory) {
    TempDir dir;
    const std::string kept = dir.write(todaysName(1, 1), "keep me\n");
    std::filesystem::create_directory(dir.path() + "/" + todaysName(2, 1));
    EXPECT_EQ(runSpanwright({"c1"}, dir.path()).out, CONSOLE + "finished.\n");
    EXPECT_EQ(readFile(kept), "keep me\n");
    expectBatch(dir.path() + "/" + todaysName(3, 1), 10);
}

TEST(CreateMode, ReportsAFolderThatTakesNoFile) {
    TempDir dir;
    std::string folder = dir.path() + "/locked";
    std::filesystem::create_directory(folder);
    chmod(folder.c_str(), 0555);
    // Permissions do not stop root; a folder of the proc file system stops everyone.
    if (geteuid() == 0) folder = "/proc";
    const CommandResult result = runSpanwright({"c1"}, folder);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, "failed to open: " + todaysName(1, 1) + "\n");
}

TEST(CreateMode, ReportsAFailedWriteInsteadOfFinishing) {
    TempDir dir;
    RunOptions options;
    options.workDir = dir.path();
    options.fileSizeLimit = 1000;  // room for the console output, not for thirty problems
    const CommandResult result = runSpanwright({"c1"}, options);
    EXPECT_EQ(result.status, 0);
    EXPECT_EQ(result.out, CONSOLE + "failed to write: " + todaysName(1, 1) + "\n");
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{}) << "no cut batch is left";
}

TEST(CreateMode, ClosedStdoutKeepsTheConsoleOutOfTheBatch) {
    TempDir dir;
    RunOptions options;
    options.workDir = dir.path();
    options.closeStdout = true;
    EXPECT_EQ(runSpanwright({"c1"}, options).status, 0);
    expectBatch(dir.path() + "/" + todaysName(1, 1), 10);
}

TEST(CreateMode, StoppedBatchLeavesNoFile) {
    for (const int signal : {SIGINT, SIGTERM, SIGHUP}) {
        SCOPED_TRACE(strsignal(signal));
        TempDir dir;
        RunOptions options;
        options.workDir = dir.path();
        StartedCommand run(SPANWRIGHT_EXE, {"c3"}, options);
        // The ruler goes out once the batch's file is open and the problems are being made;
        // thirty of side 20 take seconds.
        for (int wait = 0; wait < 10000 && run.outputSoFar().find('+') == std::string::npos; ++wait)
            usleep(1000);
        run.send(signal);
        EXPECT_EQ(run.wait().signal, signal);
        EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{});
    }
}

TEST(SeededGeneration, ReproducesTheReferenceBatches) {
    for (const char* name : {"seeded-4242-10-12", "seeded-4343-15-6", "seeded-4444-20-3"}) {
        std::string seed, side, count;
        std::istringstream parts(std::string(name).substr(7));
        std::getline(parts, seed, '-');
        std::getline(parts, side, '-');
        std::getline(parts, count, '-');
        const CommandResult result = runCommand(SPANWRIGHT_SEEDED_EXE, {seed, side, count});
        EXPECT_EQ(result.status, 0);
        EXPECT_EQ(result.out, readFile(std::string(SPANWRIGHT_TEST_DATA) + "/" + name + ".txt"))
            << name;
    }
}

TEST(SeededGeneration, RefusesBadArguments) {
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{},
                                               {"1", "10"},
                                               {"x", "10", "1"},
                                               {"1", "0", "1"},
                                               {"1", "26", "1"},
                                               {"1", "10", "-1"},
                                               {"--bogus", "1", "10", "1"}}) {
        const CommandResult result = runCommand(SPANWRIGHT_SEEDED_EXE, args);
        EXPECT_EQ(result.status, 2);
        EXPECT_EQ(result.out, "");
        EXPECT_NE(result.err.find("--help"), std::string::npos) << result.err;
    }
    // The message names what was wrong; a negative seed is an operand, not an option.
    EXPECT_NE(runCommand(SPANWRIGHT_SEEDED_EXE, {"1", "26", "1"}).err.find("SIZE '26'"),
              std::string::npos);
    EXPECT_EQ(runCommand(SPANWRIGHT_SEEDED_EXE, {"-7", "5", "1"}).status, 0);
}

// A request filters the seeded sequence: what is printed matches it, and the same
// arguments print the same problems. The solve mode's counters tell the technique.
TEST(SeededGeneration, PrintsOnlyProblemsThatMatchTheRequest) {
    TempDir dir;
    const CommandResult trials =
        runCommand(SPANWRIGHT_SEEDED_EXE, {"--technique", "trial", "5", "10", "3"});
    ASSERT_EQ(trials.status, 0) << trials.err;
    EXPECT_EQ(runCommand(SPANWRIGHT_SEEDED_EXE, {"-t", "trial", "5", "10", "3"}).out, trials.out);
    const CommandResult counters = runSpanwright({"d", dir.write("trials.txt", trials.out)});
    std::istringstream lines(counters.out);
    int solved = 0;
    for (std::string line; std::getline(lines, line); ++solved) {
        int steps[6] = {};
        ASSERT_EQ(std::sscanf(line.c_str(), "%d,%d,%d,%d,%d,%d", &steps[0], &steps[1], &steps[2],
                              &steps[3], &steps[4], &steps[5]),
                  6)
            << line;
        EXPECT_GT(steps[3] + steps[4], 0) << line;
    }
    EXPECT_EQ(solved, 3);

    const CommandResult grade3 =
        runCommand(SPANWRIGHT_SEEDED_EXE, {"--grade", "3", "5", "10", "4"});
    ASSERT_EQ(grade3.status, 0) << grade3.err;
    std::istringstream problems(grade3.out);
    int printed = 0;
    for (std::string line; std::getline(problems, line); ++printed)
        EXPECT_EQ(line.substr(0, 2), "3/") << line;
    EXPECT_EQ(printed, 4);

    // Side 5 never reaches grade 5: the program gives up after its bound and says so.
    const CommandResult never = runCommand(SPANWRIGHT_SEEDED_EXE, {"-g", "5", "5", "5", "1"});
    EXPECT_EQ(never.status, 1);
    EXPECT_EQ(never.out, "");
    EXPECT_NE(never.err.find("grade 5 in 1000 attempts"), std::string::npos) << never.err;
}

TEST(CreateMode, BatchesStartedTogetherTakeOneNameEach) {
    // Four batches held at a gate and let go together look for a free name at the same
    // moment: each must still get a number of its own, and a complete file under it. A name
    // checked first and created after is caught in about half of the rounds, hence three.
    for (int round = 1; round <= 3; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        TempDir dir;
        StartGate gate;
        RunOptions options;
        options.workDir = dir.path();
        options.gate = &gate;
        std::vector<std::unique_ptr<StartedCommand>> runs;
        for (int i = 0; i < 4; ++i)
            runs.push_back(std::make_unique<StartedCommand>(
                SPANWRIGHT_EXE, std::vector<std::string>{"c1"}, options));
        gate.open();
        for (const auto& run : runs) {
            const CommandResult result = run->wait();
            EXPECT_EQ(result.status, 0);
            EXPECT_EQ(result.out, CONSOLE + "finished.\n");
            EXPECT_EQ(result.err, "");
        }

        const std::vector<std::string> names = namesIn(dir.path());
        ASSERT_EQ(names, (std::vector<std::string>{todaysName(1, 1), todaysName(2, 1),
                                                   todaysName(3, 1), todaysName(4, 1)}));
        for (const std::string& name : names)
            expectBatch(dir.path() + "/" + name, 10);
    }
}

}  // namespace
}  // namespace spanwright::testing
