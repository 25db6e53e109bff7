// Puzzles to order: COUNT puzzles of W x H at one rung of the stepwise ladder, written in
// order as they are made, the same ones for the same command line on any machine.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <mutex>
#include <string>
#include <utility>
#include <vector>

#include "app/cli/input_file.h"
#include "app/cli/program.h"
#include "app/make/make_options.h"
#include "generator/derivation.h"
#include "maker/maker.h"
#include "maker/reach.h"
#include "pack/pack.h"
#include "puzzle/archive_reader.h"
#include "puzzle/fingerprint.h"
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
/// CPU seconds the first puzzle must have taken, besides a quarter of its bounds, before a
/// slow start is said while the run goes on: sooner, the full board bound is near as well.
constexpr double SLOW_START_SECONDS = 0.5;

/// What a request out of reach (or perhaps so, as `lead` says) can be changed to: the
/// share that was met, or none.
std::string shareAdvice(const maker::MakeRequest& asked, int share, const char* lead) {
    if (share == 0) {
        // The shares looked at, with the one asked: a claim about those alone.
        std::vector<int> shares = maker::sharesToTry(asked);
        shares.push_back(asked.islandPercent);
        const auto [low, high] = std::minmax_element(shares.begin(), shares.end());
        return std::string(lead) + " at this size: no share from " + std::to_string(*low) +
               "% to " + std::to_string(*high) + "% turned one up in a quick look";
    }
    const std::string percent = std::to_string(share);
    return std::string(lead) + " at this share; " + percent + "% islands would work (--islands " +
           percent + ")";
}

/// Why a made puzzle was not kept.
std::string refusalReason(bool scoreGiven, bool avoiding) {
    return !scoreGiven ? "in an --avoid archive"
           : !avoiding ? "outside the --score range"
                       : "outside the --score range or in an --avoid archive";
}

const char* symmetryName(Symmetry symmetry) {
    return symmetry == Symmetry::Rotate   ? "rotate"
           : symmetry == Symmetry::Mirror ? "mirror"
                                          : "none";
}

/// A progress line on standard error once the run has gone on for a second: puzzles
/// written, the rate and the time left. On a terminal it is redrawn in place a few times a
/// second; elsewhere (a log file) a whole line is written every few seconds.
class Progress {
  public:
    Progress(std::int64_t count, bool shown)
        : count_(count), shown_(shown), terminal_(isatty(STDERR_FILENO) != 0) {}
    void report(std::int64_t written, std::int64_t boards) {
        if (!shown_) return;
        const auto now = Clock::now();
        if (now - start_ < std::chrono::seconds(1) ||
            now - last_ < (terminal_ ? std::chrono::milliseconds(250) : std::chrono::seconds(5)))
            return;
        last_ = now;
        const double seconds = std::chrono::duration<double>(now - start_).count();
        const double rate = double(written) / seconds;
        std::string left = "time left unknown";
        if (written > 0) {
            const double remaining = double(count_ - written) / rate;
            left = remaining < 120 ? std::to_string(std::lround(remaining)) + " s left"
                                   : std::to_string(std::lround(remaining / 60)) + " min left";
        }
        std::fprintf(stderr, "%s%s: %lld of %lld puzzles, %lld boards drawn, %.1f puzzles/s, %s%s",
                     terminal_ ? "\r" : "", PROGRAM, static_cast<long long>(written),
                     static_cast<long long>(count_), static_cast<long long>(boards), rate,
                     left.c_str(), terminal_ ? "\033[K" : "\n");
        drawn_ = terminal_;
    }
    /// Takes the line away, before anything else is written to the terminal.
    void clear() {
        if (drawn_) std::fputs("\r\033[K", stderr);
        drawn_ = false;
    }

  private:
    using Clock = std::chrono::steady_clock;
    std::int64_t count_;
    bool shown_;
    bool terminal_;
    bool drawn_ = false;
    Clock::time_point start_ = Clock::now();
    Clock::time_point last_ = start_;
};

/// Reads the puzzles of every archive into `avoid`; false after naming the file and line
/// that is not a puzzle, or the file that cannot be read.
bool readArchives(const std::vector<std::string>& paths, spanwright::FingerprintSet& avoid) {
    for (const std::string& path : paths) {
        const std::string shown = path == "-" ? "standard input" : spanwright::printableName(path);
        const spanwright::InputFile input(path);
        if (input.fault() != spanwright::InputFile::Fault::None) {
            std::fprintf(stderr, "%s: cannot read --avoid %s: %s\n", PROGRAM, shown.c_str(),
                         input.fault() == spanwright::InputFile::Fault::Directory
                             ? "it is a directory"
                             : input.reason().c_str());
            return false;
        }
        long line = 0;
        std::string err;
        if (!spanwright::readArchive(
                input.get(), [&](const spanwright::Puzzle& puzzle) { avoid.add(puzzle); }, line,
                err)) {
            std::fprintf(stderr, "%s: --avoid %s:%ld: %s; nothing made\n", PROGRAM, shown.c_str(),
                         line, err.c_str());
            return false;
        }
    }
    avoid.seal();
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    spanwright::secureStandardDescriptors();
    spanwright::bufferWholeRecords();
    spanwright::make::MakeOptions options;
    if (const int status = spanwright::make::readMakeOptions(argc, argv, options);
        status != spanwright::make::GO_ON)
        return status;
    const maker::MakeRequest& request = options.request;
    const std::int64_t count = options.count;
    const long jobs = options.jobs;
    const Format format = options.format;
    // Archives are read whole before anything is made: a damaged one ends the run with
    // nothing written, rather than after hours with puzzles it might hold.
    spanwright::FingerprintSet avoid;
    if (!readArchives(options.avoid, avoid)) return spanwright::USAGE_STATUS;
    // The seed this run uses, whichever way it came: everything made below follows from
    // it, so naming it is all it takes to make the same puzzles again.
    const std::uint32_t seed = request.seed;
    if (!options.seedGiven)
        std::fprintf(stderr, "seed %lu: run again with --seed %lu for the same puzzles\n",
                     static_cast<unsigned long>(seed), static_cast<unsigned long>(seed));
    Progress progress(count, options.progress == spanwright::make::ProgressMode::Always ||
                                 (options.progress == spanwright::make::ProgressMode::Terminal &&
                                  isatty(STDERR_FILENO) != 0));
    // On one terminal the progress line is taken away before a puzzle is written, so that
    // the two never share a line.
    const bool sharedTerminal = isatty(STDOUT_FILENO) != 0 && isatty(STDERR_FILENO) != 0;
    // --order score: the run's records wait here, with their scores, until all are made.
    std::vector<std::pair<double, std::string>> held;
    const std::string_view levelName = spanwright::explain::rungName(request.level);
    std::int64_t nextIndex = 0;  // the index of the next puzzle in the run
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
                // The maker's grade of 5 also stands for "deduction does not finish", where
                // a pack has no grade; only then is deduction asked again.
                entry.grade = made.grade < int(spanwright::DIFFICULTY_THRESHOLDS.size()) + 1
                                  ? made.grade
                                  : spanwright::packGrade(made.puzzle);
                entry.origin.made = true;
                entry.origin.seed = request.seed;
                entry.origin.index = nextIndex;
                entry.origin.version = spanwright::VERSION;
                entry.rating.rated = true;
                entry.rating.level = std::string(spanwright::explain::rungName(made.level));
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
        ++nextIndex;
        if (options.order == spanwright::make::Order::Score) {
            held.emplace_back(made.score, std::move(text));
            return true;
        }
        if (sharedTerminal) progress.clear();
        // Flushed per record, as the checker does: a run that is killed leaves whole
        // records, and a failed write ends the batch at once.
        return std::fwrite(text.data(), 1, text.size(), stdout) == text.size() &&
               std::fflush(stdout) == 0;
    };
    // A run that mixes rungs: no one share to change, and its rungs are tried first.
    const bool mixed = options.rungs.size() > 1;
    maker::BatchFilter filter;
    filter.rungs = options.rungs;
    filter.rungShares = !options.islandsGiven;
    if (options.scoreGiven || !avoid.empty())
        filter.accept = [&](const maker::MadePuzzle& made) {
            // Scores are written with one decimal; the range holds what a reader sees.
            const double shown = double(std::lround(made.score * 10)) / 10;
            if (options.scoreGiven && (shown < options.scoreLow || shown > options.scoreHigh))
                return false;
            return avoid.empty() || !avoid.contains(made.puzzle);
        };
    // Notices come from the threads that make the puzzles, the progress line from the one
    // that writes them: one at a time on standard error.
    std::mutex saying;
    maker::BatchNotices notices;
    notices.slowStartSeconds = SLOW_START_SECONDS;
    notices.slowStart = [&](const maker::SlowStart& slow) {
        const std::lock_guard<std::mutex> guard(saying);
        progress.clear();
        std::fprintf(stderr,
                     "%s: no %s puzzle of %dx%d with %d%% islands in the first %lld boards "
                     "(%.1f s of CPU time): %s; still looking\n",
                     PROGRAM, std::string(spanwright::explain::rungName(slow.asked.level)).c_str(),
                     slow.asked.width, slow.asked.height, slow.asked.islandPercent,
                     static_cast<long long>(slow.boards), slow.seconds,
                     shareAdvice(slow.asked, slow.workingShare, "it may be out of reach").c_str());
    };
    notices.rungsTried = [&](const std::vector<maker::RungTrial>& trials,
                             const std::vector<spanwright::explain::Rung>& kept) {
        const std::lock_guard<std::mutex> guard(saying);
        for (const maker::RungTrial& trial : trials) {
            if (std::find(kept.begin(), kept.end(), trial.level) != kept.end()) continue;
            const bool unreachable = trial.verdict == maker::RungTrial::Verdict::Unreachable;
            std::fprintf(stderr, "%s: leaving out %s: %s at %dx%d with %d%% islands\n", PROGRAM,
                         std::string(spanwright::explain::rungName(trial.level)).c_str(),
                         unreachable ? "out of reach"
                                     : ("its first " + std::to_string(maker::ACCEPT_TRIALS) +
                                        " puzzles were all " +
                                        refusalReason(options.scoreGiven, !avoid.empty()))
                                           .c_str(),
                         request.width, request.height, trial.islandPercent);
        }
    };
    maker::BatchOutcome outcome = maker::runBatch(
        request, count, int(jobs), write,
        [&](std::int64_t written, std::int64_t boards) {
            const std::lock_guard<std::mutex> guard(saying);
            progress.report(written, boards);
        },
        filter, notices);
    progress.clear();
    if (options.order == spanwright::make::Order::Score) {
        // Equal scores keep the order they were made in.
        std::stable_sort(held.begin(), held.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        // Flushed per record, as above, so that each goes out whole.
        const bool failed = std::any_of(held.begin(), held.end(), [](const auto& record) {
            return std::fwrite(record.second.data(), 1, record.second.size(), stdout) !=
                       record.second.size() ||
                   std::fflush(stdout) != 0;
        });
        if (failed) outcome.end = maker::BatchOutcome::End::WriteFailed;
    }
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
    if (outcome.end == maker::BatchOutcome::End::Refused) {
        std::fprintf(stderr,
                     "%s: puzzle %lld of %dx%d was %s %lu times in a row: the request is out of "
                     "reach (%lld of %lld written)\n",
                     PROGRAM, static_cast<long long>(outcome.written) + 1, request.width,
                     request.height, refusalReason(options.scoreGiven, !avoid.empty()).c_str(),
                     static_cast<unsigned long>(maker::MAX_REPEAT_ROUNDS) + 1,
                     static_cast<long long>(outcome.written), static_cast<long long>(count));
        return 1;
    }
    if (outcome.end == maker::BatchOutcome::End::Unreachable && mixed && outcome.rungs.empty()) {
        std::fprintf(stderr,
                     "%s: no rung that gives scores of %g to %g is in reach at %dx%d (0 of %ld "
                     "written)\n",
                     PROGRAM, options.scoreLow, options.scoreHigh, request.width, request.height,
                     count);
        return 1;
    }
    if (outcome.end == maker::BatchOutcome::End::Unreachable) {
        // The rung and share of the puzzle that was missed: in a mixed run, not the first.
        const maker::MakeRequest& missed = outcome.missed;
        std::fprintf(stderr,
                     "%s: no %s puzzle of %dx%d with %d%% islands and symmetry %s turned up in "
                     "%lld boards or %g s of CPU time: %s (%lld of %ld written)\n",
                     PROGRAM, std::string(spanwright::explain::rungName(missed.level)).c_str(),
                     missed.width, missed.height, missed.islandPercent,
                     symmetryName(missed.symmetry), static_cast<long long>(missed.boardsPerPuzzle),
                     maker::MAX_SECONDS_PER_PUZZLE,
                     mixed ? "out of reach at this size and share"
                           : shareAdvice(missed, outcome.workingShare, "out of reach").c_str(),
                     static_cast<long long>(outcome.written), count);
        return 1;
    }
    // A crowded share may not fit (symmetry and the rule that islands never touch leave
    // too little room), or the rung may be met only on the boards that came out sparser:
    // the puzzles are still made, but the shortfall is said, never hidden.
    const std::int64_t cells = std::int64_t(request.width) * request.height;
    // A run mixing rungs at their own shares has no one share to fall short of.
    if (outcome.written > 0 && (options.rungs.empty() || options.islandsGiven) &&
        100 * outcome.islands < (request.islandPercent - SHARE_TOLERANCE) * cells * outcome.written)
        std::fprintf(stderr,
                     "%s: the %s puzzles of %dx%d have %.1f%% islands on average, less than the "
                     "%d%% asked: no more fit at this size, symmetry and rung\n",
                     PROGRAM, std::string(levelName).c_str(), request.width, request.height,
                     100.0 * double(outcome.islands) / double(cells * outcome.written),
                     request.islandPercent);
    return 0;
}
