#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <memory>
#include <string_view>
#include <system_error>

#include "app/app.h"
#include "puzzle/problem_line.h"
#include "solver/solve.h"

namespace spanwright {
namespace {

struct FileCloser {
    void operator()(std::FILE* file) const { std::fclose(file); }
};
/// The growing buffer that getline reads into and reallocates as lines get longer.
struct LineBuffer {
    char* text = nullptr;
    std::size_t capacity = 0;
    LineBuffer() = default;
    LineBuffer(const LineBuffer&) = delete;
    LineBuffer& operator=(const LineBuffer&) = delete;
    ~LineBuffer() { std::free(text); }
};

bool isBlankLine(std::string_view line) {
    return line.find_first_not_of(" \t\r\n\v\f") == std::string_view::npos;
}

/// Tells the user on standard error why the reading stopped; standard output carries only
/// the results. A blank line ends the file quietly, as it always has.
void reportRefusedLine(const char* path, long lineNumber, std::string_view line, LineFault fault) {
    if (isBlankLine(line) && fault != LineFault::BoardSize) return;
    std::fflush(stdout);
    std::fprintf(stderr,
                 "spanwright: %s:%ld: not a problem line: %s; the rest of the file is not read\n",
                 path, lineNumber, describeLineFault(fault));
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

}  // namespace

void solveFile(const char* path, bool showStatistics) {
    std::unique_ptr<std::FILE, FileCloser> file(std::fopen(path, "rb"));
    struct stat info {};
    // A directory opens on this platform but has no lines; it is no more a problem file
    // than a missing one.
    if (!file || (fstat(fileno(file.get()), &info) == 0 && S_ISDIR(info.st_mode))) {
        std::printf("failed to open: %s\n", path);
        return;
    }

    // Lines are read whole, however long: a 125 x 125 problem takes about 16,000 characters.
    LineBuffer buffer;
    for (long lineNumber = 1;; ++lineNumber) {
        errno = 0;
        const ssize_t length = getline(&buffer.text, &buffer.capacity, file.get());
        if (length < 0) {
            if (std::ferror(file.get())) {
                std::fflush(stdout);
                std::fprintf(stderr, "spanwright: %s:%ld: read error: %s\n", path, lineNumber,
                             std::generic_category().message(errno).c_str());
            }
            return;
        }
        const std::string_view line(buffer.text, std::size_t(length));

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
    }
}

}  // namespace spanwright
