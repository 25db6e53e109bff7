#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string_view>
#include <system_error>

#include "app/cli/program.h"
#include "app/spanwright/app.h"
#include "puzzle/line_reader.h"
#include "puzzle/problem_line.h"
#include "solver/solve.h"

namespace spanwright {
namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};

/// Tells the user on standard error why the reading stopped; standard output carries only
/// the results. A blank line ends the file quietly, as it always has.
void reportRefusedLine(const char* path, long lineNumber, std::string_view line, LineFault fault) {
    if (isBlankLine(line) && fault != LineFault::BoardSize && fault != LineFault::TooLong) return;
    std::fflush(stdout);
    std::fprintf(stderr,
                 "spanwright: %s:%ld: not a problem line: %s; the rest of the file is not read\n",
                 printableName(path).c_str(), lineNumber, describeLineFault(fault));
}

void reportOutcome(bool solved, bool showStatistics, const SolveStats& stats) {
    if (!solved)
        std::printf("failed.\n");
    else if (showStatistics)
        std::printf("%d,%d,%d,%d,%d,%d\n", stats.tableSteps, stats.pairSteps, stats.isolationSteps,
                    stats.trialFirstRefuted, stats.trialSecondRefuted, stats.interiorCells);
    else
        std::printf("finished.\n");
}

/// Says on standard error that the results could not all be written (a full disk, a closed
/// pipe), with the system's reason; the exit status stays what it always is.
void reportWriteFailure(int error) {
    std::fprintf(stderr, "spanwright: failed to write the results to standard output: %s\n",
                 std::generic_category().message(error != 0 ? error : EIO).c_str());
}

void solveLines(const char* path, bool showStatistics);

}  // namespace

void solveFile(const char* path, bool showStatistics) {
    errno = 0;
    solveLines(path, showStatistics);
    const int loopError = errno;
    if (std::ferror(stdout)) {
        reportWriteFailure(loopError);
    } else if (std::fflush(stdout) != 0) {
        reportWriteFailure(errno);
    }
}

namespace {

/// Solves every problem of the file, drawing or counting each; stops early once standard
/// output has failed, since nothing more would reach it.
void solveLines(const char* path, bool showStatistics) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path, "rb"));
    struct stat info {};
    // A directory opens on this platform but has no lines; it is no more a problem file
    // than a missing one.
    if (!file || (fstat(fileno(file.get()), &info) == 0 && S_ISDIR(info.st_mode))) {
        std::printf("failed to open: %s\n", printableName(path).c_str());
        return;
    }

    // A 125 x 125 problem takes about 16,000 characters; a line past the reader's bound
    // is refused like any other line that is not a problem.
    LineReader reader(file.get());
    for (long lineNumber = 1;; ++lineNumber) {
        std::string_view line;
        const LineReader::Status status = reader.next(line);
        if (status == LineReader::Status::End) return;
        if (status == LineReader::Status::ReadError) {
            std::fflush(stdout);
            std::fprintf(stderr, "spanwright: %s:%ld: read error: %s\n",
                         printableName(path).c_str(), lineNumber,
                         std::generic_category().message(reader.error()).c_str());
            return;
        }

        if (status == LineReader::Status::TooLong) {
            reportRefusedLine(path, lineNumber, "", LineFault::TooLong);
            return;
        }
        Puzzle puzzle;
        LineFault fault = LineFault::None;
        if (!parseProblemLine(puzzle, line, &fault)) {
            reportRefusedLine(path, lineNumber, line, fault);
            return;
        }
        SolverBoard board;
        board.loadPuzzle(puzzle);
        SolveStats stats;
        const bool solved = solveBoard(stats, board, !showStatistics);
        reportOutcome(solved, showStatistics, stats);
        if (std::ferror(stdout)) return;
    }
}

}  // namespace

}  // namespace spanwright
