// The exact verdict alone, one line out per problem line on standard input: the verdict,
// the CPU seconds it took, its solver calls and cuts. The family benchmark
// (bench/families.sh) uses it so that rating and reading do not blur the figures.
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <iostream>
#include <string>

#include "exact/exact_solver.h"
#include "puzzle/problem_line.h"

int main(int argc, char** argv) {
    spanwright::exact::ExactLimits limits;
    limits.seconds = argc > 1 ? std::strtod(argv[1], nullptr) : 10;
    for (std::string line; std::getline(std::cin, line);) {
        spanwright::Puzzle puzzle;
        if (line.empty() || !spanwright::parseProblemLine(puzzle, line)) continue;
        const std::clock_t start = std::clock();
        const spanwright::exact::ExactResult result =
            spanwright::exact::solveExactly(puzzle, limits);
        const double seconds = double(std::clock() - start) / CLOCKS_PER_SEC;
        std::printf("%s %.3f %lld %lld\n",
                    std::string(spanwright::exact::verdictName(result.verdict)).c_str(), seconds,
                    static_cast<long long>(result.counters.solverCalls),
                    static_cast<long long>(result.counters.cuts));
    }
}
