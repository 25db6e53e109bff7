// Reproducible generation: one random source with a given state, problems generated one
// after the other on one thread, written as problem lines to standard output. The create
// mode seeds from the clock and interleaves threads, so its batches cannot be reproduced;
// this program can, for tests and for anyone who wants to remake a result.
#include <getopt.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include "app/program.h"
#include "generator/derivation.h"
#include "puzzle/problem_line.h"

namespace {

constexpr const char* PROGRAM = "spanwright-seeded";

// Past a side of about 20 nearly every layout keeps too many loops and is dropped, so the
// time to find an acceptable one grows steeply (seconds at 25, many minutes at 30).
constexpr long MIN_SIDE = 3;
constexpr long MAX_SIDE = 25;
constexpr long MAX_COUNT = 1000000;

void printHelp() {
    std::printf(
        "Usage: %s [OPTION]... SEED SIZE COUNT\n"
        "Print COUNT problem lines of side SIZE, made one after another on one thread from\n"
        "the random state SEED: the same arguments always give the same problems.\n"
        "\n"
        "  SEED   initial state of the random source, a 32-bit number\n"
        "         (-2147483648 to 4294967295)\n"
        "  SIZE   board side, %ld to %ld (the create mode uses 10, 15 and 20)\n"
        "  COUNT  number of problems, 0 to %ld\n"
        "\n"
        "  -h, --help     show this help and exit\n"
        "  -V, --version  show the version and exit\n",
        PROGRAM, MIN_SIDE, MAX_SIDE, MAX_COUNT);
}

bool readNumber(const char* text, long low, long high, long& value) {
    char* end = nullptr;
    errno = 0;
    value = std::strtol(text, &end, 10);
    return errno == 0 && end != text && *end == '\0' && value >= low && value <= high;
}

/// A negative seed such as "-7" is an operand, not an option.
bool isNegativeNumber(const char* text) {
    return text[0] == '-' && text[1] >= '0' && text[1] <= '9';
}

}  // namespace

int main(int argc, char** argv) {
    static const option options[] = {
        {"help", no_argument, nullptr, 'h'},
        {"version", no_argument, nullptr, 'V'},
        {nullptr, 0, nullptr, 0},
    };
    opterr = 0;
    while (optind < argc && !isNegativeNumber(argv[optind])) {
        const int choice = getopt_long(argc, argv, "+hV", options, nullptr);
        if (choice == -1) break;
        switch (choice) {
            case 'h':
                printHelp();
                return 0;
            case 'V':
                spanwright::printVersion(PROGRAM);
                return 0;
            default:
                return spanwright::usageError(PROGRAM, "unknown option '%s'", argv[optind - 1]);
        }
    }
    if (argc - optind != 3)
        return spanwright::usageError(PROGRAM, "expected SEED SIZE COUNT, got %d argument%s",
                                      argc - optind, argc - optind == 1 ? "" : "s");
    const char* const* operands = argv + optind;
    long seed = 0;
    long side = 0;
    long count = 0;
    if (!readNumber(operands[0], -2147483648L, 4294967295L, seed))
        return spanwright::usageError(PROGRAM, "SEED '%s' is not a 32-bit number", operands[0]);
    if (!readNumber(operands[1], MIN_SIDE, MAX_SIDE, side))
        return spanwright::usageError(PROGRAM, "SIZE '%s' is not a side from %ld to %ld",
                                      operands[1], MIN_SIDE, MAX_SIDE);
    if (!readNumber(operands[2], 0, MAX_COUNT, count))
        return spanwright::usageError(PROGRAM, "COUNT '%s' is not a number from 0 to %ld",
                                      operands[2], MAX_COUNT);

    spanwright::RandomSource random{std::int32_t(std::uint32_t(seed))};
    for (long i = 0; i < count; ++i) {
        spanwright::Puzzle puzzle;
        spanwright::generateProblem(random, int(side), int(side), puzzle);
        if (!spanwright::writeProblemLine(stdout, puzzle) || std::fflush(stdout) != 0) {
            std::fprintf(stderr, "%s: failed to write to standard output\n", PROGRAM);
            return 1;
        }
    }
    return 0;
}
