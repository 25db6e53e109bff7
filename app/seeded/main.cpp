// Reproducible generation: one random source with a given state, problems generated one
// after the other on one thread, written as problem lines to standard output. The create
// mode seeds from the clock and interleaves threads, so its batches cannot be reproduced;
// this program can, for tests and for anyone who wants to remake a result.
#include <getopt.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>

#include <optional>
#include <string>

#include "app/cli/option_table.h"
#include "app/cli/program.h"
#include "generator/derivation.h"
#include "generator/technique.h"
#include "puzzle/problem_line.h"
#include "solver/solve_stats.h"

namespace {

constexpr const char* PROGRAM = "spanwright-seeded";

// Past a side of about 20 nearly every layout keeps too many loops and is dropped, so the
// time to find an acceptable one grows steeply (seconds at 25, many minutes at 30).
constexpr long MIN_SIDE = 3;
constexpr long MAX_SIDE = 25;
constexpr long MAX_COUNT = 1000000;
/// A request for a grade or technique gives up after this many problems in a row that do
/// not match: what turns up less than about once in a thousand problems (or never, like
/// grade 1 at side 20) is not worth the wait.
constexpr long MAX_MISSES_IN_A_ROW = 1000;

/// What the printed problems must be, when asked; the others are made and passed over.
struct Request {
    std::optional<spanwright::DeductionTechnique> technique;
    std::optional<int> grade;

    bool any() const { return technique || grade; }

    /// `stats` are the counters of the solve that accepted the problem at generation.
    bool matches(const spanwright::Puzzle& puzzle, const spanwright::SolveStats& stats) const {
        if (grade && puzzle.difficulty != *grade) return false;
        return !technique || spanwright::techniqueOf(stats) == *technique;
    }

    /// "grade 3 and technique pair", for messages.
    std::string describe() const {
        std::string text;
        if (grade) text = "grade " + std::to_string(*grade);
        if (grade && technique) text += " and ";
        if (technique) text += "technique " + std::string(spanwright::techniqueName(*technique));
        return text;
    }
};

constexpr spanwright::OptionRow ROWS[] = {
    {'g', "grade", "G", "print only problems of grade G (1 to 5)"},
    {'t', "technique", "LEVEL",
     "print only problems whose solve needs LEVEL: basic,\n"
     "pair, isolation or trial"},
    {'h', "help", nullptr, "show this help and exit"},
    {'V', "version", nullptr, "show the version and exit"},
};
static_assert(spanwright::isSoundTable(ROWS));

/// Where the text of each option starts in the help.
constexpr int HELP_COLUMN = 27;

void printHelp() {
    std::printf(
        "Usage: %s [OPTION]... SEED SIZE COUNT\n"
        "Print COUNT problem lines of side SIZE, made one after another on one thread from\n"
        "the random state SEED: the same arguments always give the same problems.\n"
        "With --grade or --technique, problems that do not match are made and passed over\n"
        "until COUNT match; after %ld misses in a row the program gives up (status 1).\n"
        "\n"
        "  SEED   initial state of the random source, a 32-bit number\n"
        "         (-2147483648 to 4294967295)\n"
        "  SIZE   board side, %ld to %ld (the create mode uses 10, 15 and 20)\n"
        "  COUNT  number of problems, 0 to %ld\n"
        "\n",
        PROGRAM, MAX_MISSES_IN_A_ROW, MIN_SIDE, MAX_SIDE, MAX_COUNT);
    std::fputs(spanwright::optionHelp(ROWS, HELP_COLUMN).c_str(), stdout);
}

/// A negative seed such as "-7" is an operand, not an option.
bool isNegativeNumber(const char* text) {
    return text[0] == '-' && text[1] >= '0' && text[1] <= '9';
}

}  // namespace

int main(int argc, char** argv) {
    spanwright::secureStandardDescriptors();
    static const spanwright::OptionReader reader(ROWS, "+:");
    Request request;
    while (optind < argc && !isNegativeNumber(argv[optind])) {
        const int choice = reader.next(argc, argv);
        if (choice == -1) break;
        long grade = 0;
        switch (choice) {
            case 'g':
                if (!spanwright::readNumber(optarg, 1, 5, grade))
                    return spanwright::usageError(
                        PROGRAM, "--grade '%s' is not a grade from 1 to 5", optarg);
                request.grade = int(grade);
                break;
            case 't':
                request.technique = spanwright::parseTechnique(optarg);
                if (!request.technique)
                    return spanwright::usageError(
                        PROGRAM, "--technique '%s' is none of basic, pair, isolation, trial",
                        optarg);
                break;
            default:
                return spanwright::answerCommonOption(PROGRAM, choice, argv, printHelp);
        }
    }
    if (argc - optind != 3)
        return spanwright::usageError(PROGRAM, "expected SEED SIZE COUNT, got %d argument%s",
                                      argc - optind, argc - optind == 1 ? "" : "s");
    const char* const* operands = argv + optind;
    long seed = 0;
    long side = 0;
    long count = 0;
    if (!spanwright::readNumber(operands[0], -2147483648L, 4294967295L, seed))
        return spanwright::usageError(PROGRAM, "SEED '%s' is not a 32-bit number", operands[0]);
    if (!spanwright::readNumber(operands[1], MIN_SIDE, MAX_SIDE, side))
        return spanwright::usageError(PROGRAM, "SIZE '%s' is not a side from %ld to %ld",
                                      operands[1], MIN_SIDE, MAX_SIDE);
    if (!spanwright::readNumber(operands[2], 0, MAX_COUNT, count))
        return spanwright::usageError(PROGRAM, "COUNT '%s' is not a number from 0 to %ld",
                                      operands[2], MAX_COUNT);

    // Without a request every problem made is printed, so the output is the plain seeded
    // sequence; with one, the same sequence is filtered, so it is just as reproducible.
    spanwright::RandomSource random{std::int32_t(std::uint32_t(seed))};
    long attempts = 0;
    long missesInARow = 0;
    for (long printed = 0; printed < count;) {
        spanwright::Puzzle puzzle;
        const spanwright::SolveStats stats =
            spanwright::generateProblem(random, int(side), int(side), puzzle);
        ++attempts;
        if (request.any() && !request.matches(puzzle, stats)) {
            if (++missesInARow < MAX_MISSES_IN_A_ROW) continue;
            std::fflush(stdout);
            std::fprintf(stderr,
                         "%s: gave up: no problem of side %ld with %s in %ld attempts in a row "
                         "(%ld of %ld printed after %ld attempts)\n",
                         PROGRAM, side, request.describe().c_str(), missesInARow, printed, count,
                         attempts);
            return 1;
        }
        missesInARow = 0;
        if (!spanwright::writeProblemLine(stdout, puzzle) || std::fflush(stdout) != 0) {
            std::fprintf(stderr, "%s: failed to write to standard output\n", PROGRAM);
            return 1;
        }
        ++printed;
    }
    return 0;
}
