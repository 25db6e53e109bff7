// The command line of spanwright-explain.
#include "app/explain/explain_options.h"

#include <getopt.h>

#include <cstdio>

#include "app/cli/option_table.h"
#include "app/cli/program.h"
#include "explain/explain.h"

namespace spanwright::explain {

namespace {

enum OptionId : int { TIME_LIMIT = FIRST_LONG_ONLY };

constexpr OptionRow ROWS[] = {
    {'H', "hint", nullptr,
     "give the easiest step the board does not show yet (for a save,\n"
     "from its bridges and marks); with --json, also the game's moves"},
    {'p', "pictures", nullptr, "draw the board after every step"},
    {'j', "json", nullptr, "one JSON object per problem instead of the text"},
    {TIME_LIMIT, "time-limit", "SECONDS",
     "how much CPU time all the work on one puzzle may take:\n"
     "its rating, its steps and the exact search that checks a\n"
     "saved position (default 60, 0 for no limit)"},
    {'h', "help", nullptr, "show this help and exit"},
    {'V', "version", nullptr, "show the version and exit"},
};
static_assert(isSoundTable(ROWS));
// The help text above spells out this value; a change here must be made there too.
static_assert(exact::DEFAULT_TIME_LIMIT_SECONDS == 60);

/// Where the text of each option starts in the help.
constexpr int HELP_COLUMN = 18;

void printHelp() {
    std::printf(
        "Usage: %s [OPTION]... [FILE]...\n"
        "Solve every puzzle of the FILEs step by step, simplest deduction first, and say\n"
        "why each step holds; rate each puzzle by the hardest step it needs. A FILE holds\n"
        "problem lines, game IDs or puzz.link links (one a line), or is a pencil-box or\n"
        "benchmark file, or a game saved by the Bridges program of Simon Tatham's\n"
        "Portable Puzzle Collection, whose bridges count as laid. An island without a\n"
        "number (a link's or pencil-box file's '.') needs at least one bridge; a solved\n"
        "puzzle ends with the numbers found for such islands.\n"
        "With no FILE, or when FILE is -, read standard input.\n"
        "\n",
        PROGRAM);
    std::fputs(optionHelp(ROWS, HELP_COLUMN).c_str(), stdout);
    std::printf(
        "\n"
        "Cells are given as (row,column), counted from 1 at the top left (from 0 in JSON).\n"
        "Bridges and marks of a saved game that the solution contradicts are named, to be\n"
        "taken back before any step.\n"
        "\n");
    std::fputs(ladderText().c_str(), stdout);
    std::printf(
        "\n"
        "Exit status: 0 when every problem was explained to its solution, 1 when a file or\n"
        "line could not be read, a saved position is wrong, or a puzzle stays unsolved, 2\n"
        "for a wrong command line.\n");
}

}  // namespace

int readExplainOptions(int argc, char** argv, Settings& settings) {
    static const OptionReader reader(ROWS, ":");
    for (;;) {
        const int choice = reader.next(argc, argv);
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
            case TIME_LIMIT:
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
