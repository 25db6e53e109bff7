// Puzzles to order: what spanwright-make's command line may ask for.
#include "app/make/make_options.h"

#include <getopt.h>

#include <chrono>
#include <cstdio>
#include <cstring>
#include <random>
#include <string>
#include <thread>

#include "app/cli/option_table.h"
#include "app/cli/program.h"
#include "explain/explain.h"

namespace spanwright::make {

namespace {

using maker::Symmetry;

enum OptionId : int { SCORE = FIRST_LONG_ONLY, ORDER, PROGRESS };

constexpr OptionRow ROWS[] = {
    {'l', "level", "LEVEL", "easy, medium (default), hard, expert or extreme (below)"},
    {'i', "islands", "PERCENT",
     "share of cells that are islands, 5 to 40; by default\n"
     "16 for easy, 22 medium, 25 hard, 20 expert, 22 extreme"},
    {'s', "symmetry", "KIND",
     "none (default), rotate (island positions unchanged by a\n"
     "half turn) or mirror (unchanged left to right)"},
    {'S', "seed", "N",
     "the run's seed, 0 to 4294967295 (default: a fresh one,\n"
     "named on standard error)"},
    {'a', "avoid", "FILE",
     "make nothing that is in FILE, turned or mirrored: problem\n"
     "lines, game IDs, JSON or CSV pack records, a benchmark file;\n"
     "give it again for more files"},
    {SCORE, "score", "MIN-MAX",
     "keep only puzzles whose score is MIN to MAX; without\n"
     "--level, every rung that can give such a score, in turn"},
    {ORDER, "order", "ORDER", "made (default) or score: from the lowest score up"},
    {PROGRESS, "progress", nullptr, "show a progress line on standard error"},
    {'q', "quiet", nullptr, "show none (default: only on a terminal)"},
    {'j', "jobs", "N", "threads, 1 to 256 (default: every core)"},
    {'f', "format", "FORMAT",
     "line (problem lines, default), id (game IDs) or json\n"
     "(JSON Lines records)"},
    {'h', "help", nullptr, "show this help and exit"},
    {'V', "version", nullptr, "show the version and exit"},
};
static_assert(isSoundTable(ROWS));
// The help texts above spell out these values; a change here must be made there too.
static_assert(maker::MIN_ISLAND_PERCENT == 5 && maker::MAX_ISLAND_PERCENT == 40);
static_assert(MAX_JOBS == 256);

/// Where the text of each option starts in the help.
constexpr int HELP_COLUMN = 27;

void printHelp() {
    std::printf(
        "Usage: %s [OPTION]... WxH COUNT\n"
        "Make COUNT bridge puzzles W columns wide and H rows tall (%d to %d each), every one\n"
        "with exactly one solution and needing exactly the rung of the ladder asked for,\n"
        "none a repeat of another of the run or of an archive, turned or mirrored. Each run\n"
        "takes a fresh seed and names it on standard error; the same command line with\n"
        "that --seed gives the same puzzles in the same order, whatever --jobs.\n"
        "\n",
        PROGRAM, maker::MIN_SIDE, maker::MAX_SIDE);
    std::fputs(optionHelp(ROWS, HELP_COLUMN).c_str(), stdout);
    std::printf(
        "\n"
        "A request whose first puzzle is not met within %lld boards or %g s of CPU time is\n"
        "out of reach at that size and share: the program says so, names the island share\n"
        "nearest the one asked that would work, and ends with status 1. When a quarter of\n"
        "that goes by on the first puzzle with nothing met, the share is named at once\n"
        "while the run goes on. Once the first is met, each later puzzle may take %lld\n"
        "times the boards, as their number varies. A run mixing rungs leaves out, with a\n"
        "line on standard error, those out of reach or whose puzzles all miss --score.\n"
        "Exit status: 0 when all COUNT puzzles were written, 1 for an unreachable request\n"
        "or a write error, 2 for a wrong command line or an archive that cannot be read.\n\n",
        static_cast<long long>(maker::MAX_BOARDS_PER_PUZZLE), maker::MAX_SECONDS_PER_PUZZLE,
        static_cast<long long>(maker::MET_RUNG_BOARDS_FACTOR));
    std::fputs(explain::ladderText().c_str(), stdout);
}

/// Reads "MIN-MAX", two plain decimal scores with MIN at most MAX.
bool readScoreRange(const char* text, double& low, double& high) {
    const char* dash = std::strchr(text, '-');
    if (dash == nullptr || dash == text) return false;
    const std::string first(text, dash);
    return spanwright::readDecimal(first.c_str(), 0, MAX_SCORE, low) &&
           spanwright::readDecimal(dash + 1, 0, MAX_SCORE, high) && low <= high;
}

/// The scores a rung gives: "3.5 to 15", or "60 and up" for the top rung's open band.
std::string bandText(explain::Rung rung) {
    const ScoreBand& band = SCORE_BANDS[int(rung) - 1];
    char text[64];
    if (band.high >= MAX_SCORE)
        std::snprintf(text, sizeof text, "%g and up", band.low);
    else
        std::snprintf(text, sizeof text, "%g to %g", band.low, band.high);
    return text;
}

/// "easy 0 to 2.5, medium 3.5 to 15, ...", the scores each rung gives.
std::string bandsText() {
    std::string text;
    for (int k = 1; k <= explain::RUNG_COUNT; ++k) {
        if (k > 1) text += ", ";
        text += explain::rungName(explain::Rung(k));
        text += ' ' + bandText(explain::Rung(k));
    }
    return text;
}

bool meetsBand(explain::Rung rung, double low, double high) {
    const ScoreBand& band = SCORE_BANDS[int(rung) - 1];
    return low <= band.high && high >= band.low;
}

}  // namespace

std::uint32_t freshSeed() {
    std::uint64_t bits =
        std::uint64_t(std::chrono::high_resolution_clock::now().time_since_epoch().count());
    try {
        std::random_device device;
        bits ^= std::uint64_t(device()) << 16;
    } catch (...) {  // NOLINT(bugprone-empty-catch): the clock alone still varies
    }
    // SplitMix64's finaliser, so that runs started a moment apart get unrelated seeds.
    bits = (bits ^ (bits >> 30)) * 0xBF58476D1CE4E5B9ULL;
    bits = (bits ^ (bits >> 27)) * 0x94D049BB133111EBULL;
    return std::uint32_t((bits ^ (bits >> 31)) >> 32);
}

bool readSize(const char* text, int& width, int& height) {
    const char* cross = std::strchr(text, 'x');
    if (cross == nullptr) return false;
    const std::string first(text, cross);
    long w = 0;
    long h = 0;
    if (!spanwright::readNumber(first.c_str(), maker::MIN_SIDE, maker::MAX_SIDE, w) ||
        !spanwright::readNumber(cross + 1, maker::MIN_SIDE, maker::MAX_SIDE, h))
        return false;
    // strtol takes a sign and leading blanks; a size is digits only.
    for (const char* c = text; *c != '\0'; ++c)
        if (*c != 'x' && (*c < '0' || *c > '9')) return false;
    width = int(w);
    height = int(h);
    return true;
}

int readMakeOptions(int argc, char** argv, MakeOptions& parsed) {
    static const OptionReader reader(ROWS, ":");
    maker::MakeRequest request;
    int islandPercent = 0;  // 0: the level's default
    unsigned cores = std::thread::hardware_concurrency();
    long jobs = cores == 0 ? 1 : long(cores);
    Format format = Format::Line;
    MakeOptions extra;  // what the options add beyond the request
    bool levelGiven = false;
    for (;;) {
        const int choice = reader.next(argc, argv);
        if (choice == -1) break;
        long value = 0;
        switch (choice) {
            case 'l':
                if (!spanwright::explain::parseRung(optarg, request.level))
                    return spanwright::usageError(
                        PROGRAM, "--level '%s' is none of easy, medium, hard, expert, extreme",
                        optarg);
                levelGiven = true;
                break;
            case 'i':
                if (!spanwright::readNumber(optarg, maker::MIN_ISLAND_PERCENT,
                                            maker::MAX_ISLAND_PERCENT, value))
                    return spanwright::usageError(
                        PROGRAM, "--islands '%s' is not a percentage from %d to %d", optarg,
                        maker::MIN_ISLAND_PERCENT, maker::MAX_ISLAND_PERCENT);
                islandPercent = int(value);
                extra.islandsGiven = true;
                break;
            case 's':
                if (std::strcmp(optarg, "none") == 0)
                    request.symmetry = Symmetry::None;
                else if (std::strcmp(optarg, "rotate") == 0)
                    request.symmetry = Symmetry::Rotate;
                else if (std::strcmp(optarg, "mirror") == 0)
                    request.symmetry = Symmetry::Mirror;
                else
                    return spanwright::usageError(
                        PROGRAM, "--symmetry '%s' is none of none, rotate, mirror", optarg);
                break;
            case 'S':
                if (!spanwright::readNumber(optarg, 0, 4294967295L, value))
                    return spanwright::usageError(
                        PROGRAM, "--seed '%s' is not a number from 0 to 4294967295", optarg);
                request.seed = std::uint32_t(value);
                extra.seedGiven = true;
                break;
            case 'j':
                if (!spanwright::readNumber(optarg, 1, MAX_JOBS, jobs))
                    return spanwright::usageError(
                        PROGRAM, "--jobs '%s' is not a number from 1 to %ld", optarg, MAX_JOBS);
                break;
            case 'f':
                if (std::strcmp(optarg, "line") == 0)
                    format = Format::Line;
                else if (std::strcmp(optarg, "id") == 0)
                    format = Format::Id;
                else if (std::strcmp(optarg, "json") == 0)
                    format = Format::Json;
                else
                    return spanwright::usageError(
                        PROGRAM, "--format '%s' is none of line, id, json", optarg);
                break;
            case 'a':
                extra.avoid.emplace_back(optarg);
                break;
            case SCORE:
                if (!readScoreRange(optarg, extra.scoreLow, extra.scoreHigh))
                    return spanwright::usageError(
                        PROGRAM, "--score '%s' is not MIN-MAX, two scores from 0 to %g, MIN first",
                        optarg, MAX_SCORE);
                extra.scoreGiven = true;
                break;
            case ORDER:
                if (std::strcmp(optarg, "made") == 0)
                    extra.order = Order::Made;
                else if (std::strcmp(optarg, "score") == 0)
                    extra.order = Order::Score;
                else
                    return spanwright::usageError(PROGRAM, "--order '%s' is none of made, score",
                                                  optarg);
                break;
            case PROGRESS:
                extra.progress = ProgressMode::Always;
                break;
            case 'q':
                extra.progress = ProgressMode::Never;
                break;
            default:
                // A negative count reads as an option to getopt; name it as the count it is.
                if (choice == '?' && optopt >= '0' && optopt <= '9')
                    for (int k = 1; k < argc; ++k)
                        if (argv[k][0] == '-' && argv[k][1] == optopt)
                            return spanwright::usageError(
                                PROGRAM, "COUNT '%s' is not a number from 0 to %ld", argv[k],
                                MAX_COUNT);
                return spanwright::answerCommonOption(PROGRAM, choice, argv, printHelp);
        }
    }
    if (argc - optind != 2)
        return spanwright::usageError(PROGRAM, "expected WxH COUNT, got %d argument%s",
                                      argc - optind, argc - optind == 1 ? "" : "s");
    const char* const* operands = argv + optind;
    if (!readSize(operands[0], request.width, request.height))
        return spanwright::usageError(PROGRAM,
                                      "size '%s' is not WxH with a width and height from %d to %d",
                                      operands[0], maker::MIN_SIDE, maker::MAX_SIDE);
    long count = 0;
    if (!spanwright::readNumber(operands[1], 0, MAX_COUNT, count))
        return spanwright::usageError(PROGRAM, "COUNT '%s' is not a number from 0 to %ld",
                                      operands[1], MAX_COUNT);
    if (extra.scoreGiven) {
        if (levelGiven && !meetsBand(request.level, extra.scoreLow, extra.scoreHigh))
            return spanwright::usageError(
                PROGRAM, "--score %g-%g is out of reach at --level %s, whose puzzles score %s",
                extra.scoreLow, extra.scoreHigh,
                std::string(explain::rungName(request.level)).c_str(),
                bandText(request.level).c_str());
        if (!levelGiven) {
            for (int k = 1; k <= explain::RUNG_COUNT; ++k)
                if (meetsBand(explain::Rung(k), extra.scoreLow, extra.scoreHigh))
                    extra.rungs.push_back(explain::Rung(k));
            // The bands leave gaps (an easy puzzle scores at most 2.5, a medium one at
            // least 3.5), so a narrow range can fall between two rungs.
            if (extra.rungs.empty())
                return spanwright::usageError(PROGRAM,
                                              "--score %g-%g falls between the rungs' scores: %s",
                                              extra.scoreLow, extra.scoreHigh, bandsText().c_str());
            // The lowest rung stands as the request's own.
            request.level = extra.rungs.front();
        }
    }
    if (!extra.seedGiven) request.seed = freshSeed();
    request.islandPercent =
        islandPercent != 0 ? islandPercent : maker::defaultIslandPercent(request.level);
    extra.request = request;
    extra.count = count;
    extra.jobs = jobs;
    extra.format = format;
    parsed = std::move(extra);
    return GO_ON;
}

}  // namespace spanwright::make
