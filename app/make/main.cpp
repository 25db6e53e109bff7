// Puzzles to order: COUNT puzzles of W x H at one rung of the stepwise ladder, written in
// order as they are made, the same ones for the same command line on any machine.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <string>

#include "app/cli/program.h"
#include "app/make/make_options.h"
#include "maker/maker.h"
#include "pack/pack.h"
#include "puzzle/game_id.h"
#include "puzzle/problem_line.h"

namespace {

namespace maker = spanwright::maker;
using maker::Symmetry;
using spanwright::make::Format;
using spanwright::make::PROGRAM;
/// Percentage points of islands a run may fall short of the share asked before it says so:
/// a share is met only to the nearest island, and a small board has few.
constexpr int SHARE_TOLERANCE = 2;

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
    spanwright::make::MakeOptions options;
    if (const int status = spanwright::make::readMakeOptions(argc, argv, options);
        status != spanwright::make::GO_ON)
        return status;
    const maker::MakeRequest& request = options.request;
    const std::int64_t count = options.count;
    const long jobs = options.jobs;
    const Format format = options.format;
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
        // Flushed per record, as the checker does: a run that is killed leaves whole
        // records, and a failed write ends the batch at once.
        return std::fwrite(text.data(), 1, text.size(), stdout) == text.size() &&
               std::fflush(stdout) == 0;
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
                     "%lld boards or %g s of CPU time: out of reach at this size and share "
                     "(%lld of %ld written)\n",
                     PROGRAM, std::string(levelName).c_str(), request.width, request.height,
                     request.islandPercent, symmetryName(request.symmetry),
                     static_cast<long long>(maker::MAX_BOARDS_PER_PUZZLE),
                     maker::MAX_SECONDS_PER_PUZZLE, static_cast<long long>(outcome.written), count);
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
