// Puzzles to order: COUNT puzzles of W x H at one rung of the stepwise ladder, written in
// order as they are made, the same ones for the same command line on any machine.
#include <getopt.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>

#include "app/cli/program.h"
#include "maker/maker.h"
#include "pack/pack.h"
#include "puzzle/game_id.h"
#include "puzzle/problem_line.h"

namespace {

namespace maker = spanwright::maker;
using maker::Symmetry;

constexpr const char* PROGRAM = "spanwright-make";
constexpr long MAX_COUNT = 100000000;
constexpr long MAX_JOBS = 256;
/// Percentage points of islands a run may fall short of the share asked before it says so:
/// a share is met only to the nearest island, and a small board has few.
constexpr int SHARE_TOLERANCE = 2;

enum class Format { Line, Id, Json };

void printHelp() {
    std::printf(
        "Usage: %s [OPTION]... WxH COUNT\n"
        "Make COUNT bridge puzzles W columns wide and H rows tall (%d to %d each), every one\n"
        "with exactly one solution and needing exactly the rung of the ladder asked for,\n"
        "none a repeat of another of the run turned or mirrored. The same command line\n"
        "gives the same puzzles in the same order, whatever --jobs.\n"
        "\n"
        "  -l, --level LEVEL        easy, medium (default), hard, expert or extreme\n"
        "  -i, --islands PERCENT    share of cells that are islands, %d to %d; by default\n"
        "                           16 for easy, 22 medium, 25 hard and expert, 22 extreme\n"
        "  -s, --symmetry KIND      none (default), rotate (island positions unchanged by a\n"
        "                           half turn) or mirror (unchanged left to right)\n"
        "  -S, --seed N             the run's seed, 0 to 4294967295 (default 1)\n"
        "  -j, --jobs N             threads, 1 to %ld (default: every core)\n"
        "  -f, --format FORMAT      line (problem lines, default), id (game IDs) or json\n"
        "                           (JSON Lines records)\n"
        "  -h, --help               show this help and exit\n"
        "  -V, --version            show the version and exit\n"
        "\n"
        "A request that is not met within %lld boards for one puzzle is out of reach at that\n"
        "size and share: the program says so and ends with status 1. Exit status: 0 when\n"
        "all COUNT puzzles were written, 1 for an unreachable request or a write error, 2\n"
        "for a wrong command line.\n",
        PROGRAM, maker::MIN_SIDE, maker::MAX_SIDE, maker::MIN_ISLAND_PERCENT,
        maker::MAX_ISLAND_PERCENT, MAX_JOBS, static_cast<long long>(maker::MAX_BOARDS_PER_PUZZLE));
}

/// Reads "WxH": two whole numbers of MIN_SIDE to MAX_SIDE joined by 'x'.
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

const char* symmetryName(Symmetry symmetry) {
    return symmetry == Symmetry::Rotate   ? "rotate"
           : symmetry == Symmetry::Mirror ? "mirror"
                                          : "none";
}

/// A status line on a terminal, redrawn at most a few times a second once the run has
/// gone on for a second.
class Progress {
  public:
    Progress(std::int64_t count, bool shown) : count_(count), shown_(shown) {}
    void report(std::int64_t written, std::int64_t boards) {
        if (!shown_) return;
        const auto now = Clock::now();
        if (now - start_ < std::chrono::seconds(1) || now - last_ < std::chrono::milliseconds(250))
            return;
        last_ = now;
        const double seconds = std::chrono::duration<double>(now - start_).count();
        std::fprintf(stderr, "\r%s: %lld of %lld puzzles, %lld boards drawn, %.1f puzzles/s\033[K",
                     PROGRAM, static_cast<long long>(written), static_cast<long long>(count_),
                     static_cast<long long>(boards), double(written) / seconds);
        drawn_ = true;
    }
    void clear() {
        if (drawn_) std::fputs("\r\033[K", stderr);
        drawn_ = false;
    }

  private:
    using Clock = std::chrono::steady_clock;
    std::int64_t count_;
    bool shown_;
    bool drawn_ = false;
    Clock::time_point start_ = Clock::now();
    Clock::time_point last_ = start_;
};

}  // namespace

int main(int argc, char** argv) {
    spanwright::secureStandardDescriptors();
    static const option options[] = {
        {"level", required_argument, nullptr, 'l'},
        {"islands", required_argument, nullptr, 'i'},
        {"symmetry", required_argument, nullptr, 's'},
        {"seed", required_argument, nullptr, 'S'},
        {"jobs", required_argument, nullptr, 'j'},
        {"format", required_argument, nullptr, 'f'},
        {"help", no_argument, nullptr, 'h'},
        {"version", no_argument, nullptr, 'V'},
        {nullptr, 0, nullptr, 0},
    };
    opterr = 0;
    maker::MakeRequest request;
    int islandPercent = 0;  // 0: the level's default
    unsigned cores = std::thread::hardware_concurrency();
    long jobs = cores == 0 ? 1 : long(cores);
    Format format = Format::Line;
    for (;;) {
        // The command line is read before any thread starts.
        // NOLINTNEXTLINE(concurrency-mt-unsafe)
        const int choice = getopt_long(argc, argv, ":l:i:s:S:j:f:hV", options, nullptr);
        if (choice == -1) break;
        long value = 0;
        switch (choice) {
            case 'l':
                if (!spanwright::explain::parseRung(optarg, request.level))
                    return spanwright::usageError(
                        PROGRAM, "--level '%s' is none of easy, medium, hard, expert, extreme",
                        optarg);
                break;
            case 'i':
                if (!spanwright::readNumber(optarg, maker::MIN_ISLAND_PERCENT,
                                            maker::MAX_ISLAND_PERCENT, value))
                    return spanwright::usageError(
                        PROGRAM, "--islands '%s' is not a percentage from %d to %d", optarg,
                        maker::MIN_ISLAND_PERCENT, maker::MAX_ISLAND_PERCENT);
                islandPercent = int(value);
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
    request.islandPercent =
        islandPercent != 0 ? islandPercent : maker::defaultIslandPercent(request.level);

    Progress progress(count, isatty(STDERR_FILENO) != 0);
    const std::string_view levelName = spanwright::explain::rungName(request.level);
    const auto write = [&](const maker::MadePuzzle& made) {
        std::string text;
        switch (format) {
            case Format::Line:
                text = spanwright::formatProblemLine(made.puzzle);
                break;
            case Format::Id:
                // Made boards never put islands side by side and have two at least, so
                // every one has a game ID.
                if (!spanwright::formatGameId(made.puzzle, text, nullptr)) return false;
                text += '\n';
                break;
            case Format::Json: {
                // The same record as every other pack, filled from what making the puzzle
                // found already: no second solve.
                spanwright::PackEntry entry;
                entry.puzzle.width = made.puzzle.width;
                entry.puzzle.height = made.puzzle.height;
                entry.puzzle.difficulty = made.puzzle.difficulty;
                entry.puzzle.allocateCells();
                std::copy_n(made.puzzle.cells.get(), made.puzzle.cellCount(),
                            entry.puzzle.cells.get());
                entry.islands = made.islands;
                entry.grade = made.grade;
                entry.rating.rated = true;
                entry.rating.level = std::string(levelName);
                entry.rating.score = made.score;
                if (!spanwright::formatGameId(made.puzzle, entry.id, &entry.idFault))
                    entry.id.clear();
                entry.verdict = spanwright::exact::Verdict::Unique;
                entry.solution = made.solution;
                entry.hash = made.hash;
                text = spanwright::packJsonLine(entry);
                break;
            }
        }
        return std::fwrite(text.data(), 1, text.size(), stdout) == text.size();
    };
    const maker::BatchOutcome outcome = maker::runBatch(
        request, count, int(jobs), write,
        [&](std::int64_t written, std::int64_t boards) { progress.report(written, boards); });
    progress.clear();
    if (outcome.end == maker::BatchOutcome::End::WriteFailed || std::fflush(stdout) != 0 ||
        std::ferror(stdout) != 0) {
        std::fprintf(stderr, "%s: failed to write to standard output\n", PROGRAM);
        return 1;
    }
    if (outcome.end == maker::BatchOutcome::End::Exhausted) {
        std::fprintf(stderr,
                     "%s: only %lld different %s puzzles of %dx%d with %d%% islands and "
                     "symmetry %s turned up: the next one repeated an earlier one %lu times "
                     "in a row\n",
                     PROGRAM, static_cast<long long>(outcome.written),
                     std::string(levelName).c_str(), request.width, request.height,
                     request.islandPercent, symmetryName(request.symmetry),
                     static_cast<unsigned long>(maker::MAX_REPEAT_ROUNDS));
        return 1;
    }
    if (outcome.end == maker::BatchOutcome::End::Unreachable) {
        std::fprintf(stderr,
                     "%s: no %s puzzle of %dx%d with %d%% islands and symmetry %s turned up in "
                     "%lld boards: out of reach at this size and share (%lld of %ld written)\n",
                     PROGRAM, std::string(levelName).c_str(), request.width, request.height,
                     request.islandPercent, symmetryName(request.symmetry),
                     static_cast<long long>(maker::MAX_BOARDS_PER_PUZZLE),
                     static_cast<long long>(outcome.written), count);
        return 1;
    }
    // A crowded share may not fit (symmetry and the rule that islands never touch leave
    // too little room), or the rung may be met only on the boards that came out sparser:
    // the puzzles are still made, but the shortfall is said, never hidden.
    const std::int64_t cells = std::int64_t(request.width) * request.height;
    if (outcome.written > 0 &&
        100 * outcome.islands < (request.islandPercent - SHARE_TOLERANCE) * cells * outcome.written)
        std::fprintf(stderr,
                     "%s: the %s puzzles of %dx%d have %.1f%% islands on average, less than the "
                     "%d%% asked: no more fit at this size, symmetry and rung\n",
                     PROGRAM, std::string(levelName).c_str(), request.width, request.height,
                     100.0 * double(outcome.islands) / double(cells * outcome.written),
                     request.islandPercent);
    return 0;
}
