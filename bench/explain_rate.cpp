// Rates puzzles with the stepwise solver, one line out per line in: problem lines or game
// IDs on standard input. Prints "level score steps solved" per puzzle, or with -v every
// step's sentence too; the CPU time per puzzle goes to standard error at the end. The
// calibration script and the timing runs use it.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <iostream>
#include <string>

#include "explain/explain.h"
#include "puzzle/game_id.h"
#include "puzzle/problem_line.h"

int main(int argc, char** argv) {
    const bool verbose = argc > 1 && std::strcmp(argv[1], "-v") == 0;
    std::string line;
    double seconds = 0;
    long count = 0;
    while (std::getline(std::cin, line)) {
        if (line.empty()) continue;
        spanwright::Puzzle puzzle;
        std::string err;
        const bool ok = line.find(':') != std::string::npos
                            ? spanwright::parseGameId(puzzle, line, &err)
                            : spanwright::parseProblemLine(puzzle, line);
        if (!ok) {
            std::fprintf(stderr, "explain_rate: not a puzzle: %s\n", line.c_str());
            continue;
        }
        const std::clock_t start = std::clock();
        const spanwright::explain::Explanation e = spanwright::explain::explainPuzzle(puzzle);
        seconds += double(std::clock() - start) / CLOCKS_PER_SEC;
        ++count;
        std::printf("%s %g %zu %s\n", std::string(spanwright::explain::rungName(e.level)).c_str(),
                    e.score, e.steps.size(),
                    e.solved          ? "solved"
                    : e.contradiction ? "contradiction"
                                      : "stuck");
        if (verbose)
            for (std::size_t k = 0; k < e.steps.size(); ++k)
                std::printf("  %zu. [%s %s] {%d} %s\n", k + 1,
                            std::string(spanwright::explain::rungName(e.steps[k].rung)).c_str(),
                            e.steps[k].technique.c_str(), e.steps[k].choices,
                            e.steps[k].reason.c_str());
    }
    if (count > 0)
        std::fprintf(stderr, "explain_rate: %ld puzzles, %.3f ms CPU each\n", count,
                     1000 * seconds / double(count));
    return 0;
}
