// Reproducible generation: one random source with a given state, problems generated one
// after the other on one thread, written as problem lines to standard output. The create
// mode seeds from the clock and interleaves threads, so its batches cannot be reproduced;
// this tool can, for tests and for anyone who wants to remake a result.
#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "generator/derivation.h"
#include "puzzle/problem_line.h"

namespace {

// Past a side of about 20 nearly every layout keeps too many loops and is dropped, so the
// time to find an acceptable one grows steeply (seconds at 25, many minutes at 30).
constexpr long MIN_SIDE = 3;
constexpr long MAX_SIDE = 25;

bool readNumber(const char* text, long low, long high, long& value) {
    char* end = nullptr;
    errno = 0;
    value = std::strtol(text, &end, 10);
    return errno == 0 && end != text && *end == '\0' && value >= low && value <= high;
}

}  // namespace

int main(int argc, char** argv) {
    long seed = 0;
    long side = 0;
    long count = 0;
    if (argc != 4 || !readNumber(argv[1], -2147483648L, 4294967295L, seed) ||
        !readNumber(argv[2], MIN_SIDE, MAX_SIDE, side) || !readNumber(argv[3], 0, 1000000, count)) {
        std::fprintf(stderr,
                     "usage: spanwright-seeded SEED SIZE COUNT\n"
                     "  SEED   initial state of the random source (a 32-bit number)\n"
                     "  SIZE   board side, 3 to 25 (the create mode uses 10, 15 and 20)\n"
                     "  COUNT  number of problems, 0 to 1000000\n");
        return 2;
    }
    spanwright::RandomSource random{std::int32_t(std::uint32_t(seed))};
    for (long i = 0; i < count; ++i) {
        spanwright::Puzzle puzzle;
        spanwright::generateProblem(random, int(side), int(side), puzzle);
        if (!spanwright::writeProblemLine(stdout, puzzle) || std::fflush(stdout) != 0) {
            std::fprintf(stderr, "spanwright-seeded: failed to write\n");
            return 1;
        }
    }
    return 0;
}
