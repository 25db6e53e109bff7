// The command line of spanwright-explain.
#include "app/explain/explain_options.h"

#include <getopt.h>

#include <cstdio>

#include "app/cli/program.h"
#include "explain/explain.h"

namespace spanwright::explain {

namespace {

void printHelp() {
    std::printf(
        "Usage: %s [OPTION]... [FILE]...\n"
        "Solve every puzzle of the FILEs step by step, simplest deduction first, and say\n"
        "why each step holds; rate each puzzle by the hardest step it needs. A FILE holds\n"
        "problem lines, game IDs or puzz.link links (one a line), or is a pencil-box or\n"
        "benchmark file, or a game saved by the Bridges program of Simon Tatham's\n"
        "Portable Puzzle Collection, whose bridges count as laid.\n"
        "With no FILE, or when FILE is -, read standard input.\n"
        "\n"
        "  -H, --hint      give the easiest step the board does not show yet (for a save,\n"
        "                  from its bridges and marks); with --json, also the game's moves\n"
        "  -p, --pictures  draw the board after every step\n"
        "  -j, --json      one JSON object per problem instead of the text\n"
        "      --time-limit SECONDS\n"
        "                  how much CPU time all the work on one puzzle may take:\n"
        "                  its rating, its steps and the exact search that checks a\n"
        "                  saved position (default %g, 0 for no limit)\n"
        "  -h, --help      show this help and exit\n"
        "  -V, --version   show the version and exit\n"
        "\n"
        "Cells are given as (row,column), counted from 1 at the top left (from 0 in JSON).\n"
        "Bridges and marks of a saved game that the solution contradicts are named, to be\n"
        "taken back before any step.\n"
        "\n",
        PROGRAM, spanwright::exact::DEFAULT_TIME_LIMIT_SECONDS);
    std::fputs(ladderText().c_str(), stdout);
    std::printf(
        "\n"
        "Exit status: 0 when every problem was explained to its solution, 1 when a file or\n"
        "line could not be read, a saved position is wrong, or a puzzle stays unsolved, 2\n"
        "for a wrong command line.\n");
}

}  // namespace

int readExplainOptions(int argc, char** argv, Settings& settings) {
    static const option options[] = {
        {"hint", no_argument, nullptr, 'H'},
        {"pictures", no_argument, nullptr, 'p'},
        {"json", no_argument, nullptr, 'j'},
        {"help", no_argument, nullptr, 'h'},
        {"version", no_argument, nullptr, 'V'},
        {"time-limit", required_argument, nullptr, 'T'},
        {nullptr, 0, nullptr, 0},
    };
    opterr = 0;
    for (;;) {
        // The command line is read once, before anything else runs.
        const int choice =
            getopt_long(argc, argv, ":HpjhV", options, nullptr);  // NOLINT(concurrency-mt-unsafe)
        if (choice == -1) break;
        switch (choice) {
            case 'H':
                settings.hint = true;
                break;
            case 'p':
                settings.pictures = true;
                break;
            case 'j':
                settings.json = true;
                break;
            case 'T':
                if (!spanwright::readTimeLimit(PROGRAM, optarg, settings.timeLimit))
                    return spanwright::USAGE_STATUS;
                break;
            default:
                return spanwright::answerCommonOption(PROGRAM, choice, argv, printHelp);
        }
    }
    if (settings.json && settings.pictures)
        return spanwright::usageError(PROGRAM,
                                      "--pictures draws for people; it does not go with --json");

    return GO_ON;
}

}  // namespace spanwright::explain
