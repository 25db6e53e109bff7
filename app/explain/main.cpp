// The solution of a puzzle step by step, in the words a player would use, and a hint for a
// game in progress: the next step from a position saved by the collection's Bridges
// program, once every bridge laid so far has been checked against the solution.
#include <getopt.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <numeric>
#include <optional>
#include <string>
#include <string_view>
#include <system_error>

#include "app/cli/input_file.h"
#include "app/cli/program.h"
#include "app/explain/explain_options.h"
#include "exact/exact_solver.h"
#include "exact/none_reason.h"
#include "explain/explain.h"
#include "explain/hint.h"
#include "explain/step_json.h"
#include "puzzle/cpu_time.h"
#include "puzzle/game_id.h"
#include "puzzle/json_text.h"
#include "puzzle/line_reader.h"
#include "puzzle/peer_save.h"
#include "puzzle/problem_line.h"
#include "puzzle/puzzle_input.h"
#include "puzzle/puzzle_picture.h"

namespace {

using spanwright::Bridge;
using spanwright::formatText;
using spanwright::Puzzle;
using spanwright::Solution;
namespace explain = spanwright::explain;

using explain::PROGRAM;
using explain::Settings;

// Exit statuses: every problem explained to its end, or something was not.
constexpr int ALL_EXPLAINED = 0;
constexpr int NOT_ALL = 1;

/// One puzzle to explain and where it came from.
struct Problem {
    std::string name;   ///< the file as given, for JSON
    std::string shown;  ///< the file as messages show it
    long line = 0;
    Puzzle puzzle;
    bool saved = false;  ///< a game in progress, whose bridges are in `laid`
    Solution laid;
    Solution markedEmpty;                             ///< a saved game's lines marked empty
    std::vector<std::pair<int, int>> markedFinished;  ///< and its islands marked finished
};

/// A cell as the sentences name it: (row,column) counted from 1 at the top left, as a
/// player counts. JSON keeps the 0-based numbers of the other programs.
std::string cell(int row, int column) {
    return formatText("(%d,%d)", row + 1, column + 1);
}

int islandCount(const Puzzle& puzzle, std::uint8_t only = 0) {
    int islands = 0;
    for (int i = 0; i < puzzle.cellCount(); ++i)
        islands += puzzle.cells[i] != 0 && (only == 0 || puzzle.cells[i] == only);
    return islands;
}

std::string_view trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t\r\n\v\f");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n\v\f") - first + 1);
}

/// The laid bridges that the unique solution does not have, with the sentence for each.
struct WrongBridge {
    Bridge bridge;
    std::string sentence;
};

std::vector<WrongBridge> wrongBridges(const Solution& laid, const Solution& solution) {
    std::vector<WrongBridge> wrong;
    for (const Bridge& placed : laid) {
        const auto same = std::find_if(solution.begin(), solution.end(), [&](const Bridge& b) {
            return b.row1 == placed.row1 && b.column1 == placed.column1 && b.row2 == placed.row2 &&
                   b.column2 == placed.column2;
        });
        const int right = same == solution.end() ? 0 : same->bridges;
        if (placed.bridges <= right) continue;
        const std::string between =
            cell(placed.row1, placed.column1) + " and " + cell(placed.row2, placed.column2);
        std::string sentence;
        if (right == 0)
            sentence =
                (placed.bridges == 2 ? "the double bridge between " : "the bridge between ") +
                between + " is wrong";
        else
            sentence =
                "the double bridge between " + between + " is wrong: only one bridge belongs there";
        wrong.push_back({placed, sentence});
    }
    return wrong;
}

class Explainer {
  public:
    explicit Explainer(const Settings& settings) : settings_(settings) {}

    int status() const { return status_; }
    bool outputFailed() const { return outputFailed_; }

    /// Explains every problem of one file; "-" is standard input.
    void explainFile(const std::string& name) {
        Problem problem;
        problem.name = name;
        problem.shown = spanwright::printableName(name);
        const spanwright::InputFile file(name);
        if (file.fault() == spanwright::InputFile::Fault::CannotOpen)
            return fail("%s: cannot open: %s", problem.shown.c_str(), file.reason().c_str());
        if (file.fault() == spanwright::InputFile::Fault::Directory)
            return fail("%s: cannot read: it is a directory", problem.shown.c_str());

        spanwright::LineReader reader(file.get());
        bool sawProblem = false;
        // Once standard output has failed nothing more would reach anyone: stop there.
        for (problem.line = 1; !outputFailed_; ++problem.line) {
            std::string_view line;
            const auto read = reader.next(line);
            if (read == spanwright::LineReader::Status::End) return;
            if (read == spanwright::LineReader::Status::ReadError)
                return fail("%s:%ld: read error: %s", problem.shown.c_str(), problem.line,
                            std::generic_category().message(reader.error()).c_str());
            if (read == spanwright::LineReader::Status::TooLong)
                return fail("%s:%ld: not a problem: %s; the rest of the file is not read",
                            problem.shown.c_str(), problem.line,
                            spanwright::describeLineFault(spanwright::LineFault::TooLong));
            if (problem.line == 1 && spanwright::looksLikePeerSave(line))
                return explainSave(problem, std::string(line), file.get());
            if (spanwright::isBlankLine(line)) continue;
            // A pencil-box or benchmark file is told by its first line and read whole.
            const auto form = spanwright::puzzleFileForm(line);
            if (!sawProblem && form != spanwright::PuzzleFileForm::Lines)
                return explainWholeFile(problem, form, line, file.get());
            sawProblem = true;
            if (readLine(problem, line)) explainProblem(problem);
        }
    }

  private:
    void explainWholeFile(Problem& problem, spanwright::PuzzleFileForm form,
                          std::string_view firstLine, std::FILE* file) {
        std::vector<spanwright::FilePuzzle> puzzles;
        long errLine = 0;
        std::string err;
        if (!spanwright::readPuzzleFile(form, firstLine, problem.line, file, puzzles, errLine, err,
                                        true))
            return fail("%s:%ld: %s", problem.shown.c_str(), errLine, err.c_str());
        for (spanwright::FilePuzzle& entry : puzzles) {
            problem.puzzle = std::move(entry.puzzle);
            problem.line = entry.line;
            explainProblem(problem);
        }
    }

    /// A link, a game ID when the line has the ':' that every ID has, or a problem line.
    bool readLine(Problem& problem, std::string_view line) {
        if (spanwright::puzzleLineForm(line) == spanwright::PuzzleLineForm::Link) {
            std::string err;
            if (spanwright::readPuzzleLine(problem.puzzle, line, &err, true)) return true;
            fail("%s:%ld: %s", problem.shown.c_str(), problem.line, err.c_str());
            return false;
        }
        const std::string_view id = trimmed(line);
        if (id.find(':') != std::string_view::npos) {
            std::string err;
            if (spanwright::parseGameId(problem.puzzle, id, &err)) return true;
            fail("%s:%ld: not a game ID: %s", problem.shown.c_str(), problem.line, err.c_str());
            return false;
        }
        spanwright::LineFault fault = spanwright::LineFault::None;
        if (spanwright::parseProblemLine(problem.puzzle, line, &fault)) return true;
        fail("%s:%ld: not a problem line: %s", problem.shown.c_str(), problem.line,
             spanwright::describeLineFault(fault));
        return false;
    }

    /// Reads the rest of a save file whose first line is `text`, up to the bound.
    void explainSave(Problem& problem, std::string text, std::FILE* file) {
        char chunk[1 << 16];
        for (;;) {
            const std::size_t got = std::fread(chunk, 1, sizeof chunk, file);
            text.append(chunk, got);
            if (text.size() > spanwright::MAX_PEER_SAVE_SIZE)
                return fail("%s: not a saved game: larger than any save (%zu MiB)",
                            problem.shown.c_str(), spanwright::MAX_PEER_SAVE_SIZE >> 20);
            if (got < sizeof chunk) break;
        }
        if (std::ferror(file))
            return fail("%s: read error: %s", problem.shown.c_str(),
                        std::generic_category().message(errno).c_str());
        spanwright::PeerSave save;
        spanwright::PeerSaveFault fault;
        if (!spanwright::parsePeerSave(text, save, &fault))
            return fail("%s:%ld: %s", problem.shown.c_str(), fault.line, fault.message.c_str());
        problem.puzzle = std::move(save.puzzle);
        problem.laid = std::move(save.laid);
        problem.markedEmpty = std::move(save.markedEmpty);
        problem.markedFinished = std::move(save.markedFinished);
        problem.line = save.boardLine;
        problem.saved = true;
        explainProblem(problem);
    }

    void explainProblem(const Problem& problem) {
        // The time limit bounds all the work on one problem: the rating, the steps from a
        // position and the exact searches share it.
        end_ = settings_.timeLimit > 0 ? spanwright::threadCpuSeconds() + settings_.timeLimit : 0;
        stepsStopped_ = false;
        // The rating is the blank puzzle's, whatever the position.
        explain::Options rating;
        rating.cpuSeconds = timeLeft();
        const explain::Explanation blank = explain::explainPuzzle(problem.puzzle, rating);
        if (blank.stopped) {
            // Nothing from a position can be said without the solution the rating gives
            // or the search would find; a blank puzzle's steps so far are shown.
            status_ = NOT_ALL;
            stepsStopped_ = true;
            unsettled_ = spanwright::exact::Verdict::Unique;
            // cppcheck-suppress unassignedVariable
            const explain::Explanation none;
            const bool shown = !settings_.hint && problem.laid.empty();
            emit(settings_.json ? jsonReport(problem, blank, true, {}, shown ? blank : none)
                                : textReport(problem, blank, true, {}, shown ? blank : none));
            return;
        }
        if (settings_.hint) return hintProblem(problem, blank);

        // A position is checked before anything is said from it: a step from a wrong
        // position would lead the player further astray.
        std::vector<WrongBridge> wrong;
        bool checkable = true;
        timedOut_ = false;
        if (!problem.laid.empty()) {
            const auto exact = checkPosition(problem);
            checkable = exact.verdict == spanwright::exact::Verdict::Unique;
            if (checkable) wrong = wrongBridges(problem.laid, exact.solutions.front());
        }
        explain::Explanation fromPosition;
        const bool explained = checkable && wrong.empty();
        if (explained) {
            explain::Options options;
            options.laid = problem.laid;
            options.cpuSeconds = timeLeft();
            fromPosition =
                problem.laid.empty() ? blank : explain::explainPuzzle(problem.puzzle, options);
        }
        if (!explained || !fromPosition.solved) status_ = NOT_ALL;
        // Where the steps stop short on the blank puzzle, the exact search says why when it
        // can: no solution, or several, which no step could ever settle.
        stepsStopped_ = fromPosition.stopped;
        unsettled_ = spanwright::exact::Verdict::Unique;
        noneReason_.reset();
        if (explained && problem.laid.empty() && blank.contradiction)
            noneReason_ = spanwright::exact::reasonForNone(problem.puzzle);
        if (explained && problem.laid.empty() && !blank.solved && !blank.contradiction) {
            unsettled_ = solveWithinLimit(problem.puzzle).verdict;
            if (unsettled_ == spanwright::exact::Verdict::None)
                noneReason_ = spanwright::exact::reasonForNone(problem.puzzle);
        }

        const std::string report = settings_.json
                                       ? jsonReport(problem, blank, checkable, wrong, fromPosition)
                                       : textReport(problem, blank, checkable, wrong, fromPosition);
        emit(report);
    }

    /// What is left of the problem's time, for a stage that takes 0 as no limit.
    double timeLeft() const {
        return end_ > 0 ? std::max(1e-9, end_ - spanwright::threadCpuSeconds()) : 0;
    }

    spanwright::exact::ExactResult solveWithinLimit(const spanwright::Puzzle& puzzle) const {
        spanwright::exact::ExactLimits limits;
        limits.seconds = timeLeft();
        return spanwright::exact::solveExactly(puzzle, limits);
    }

    /// The exact search a position is checked against; a search that runs out of time
    /// is said on standard error and remembered, as the position then goes unchecked.
    spanwright::exact::ExactResult checkPosition(const Problem& problem) {
        auto exact = solveWithinLimit(problem.puzzle);
        timedOut_ = exact.verdict == spanwright::exact::Verdict::Unknown;
        if (timedOut_)
            std::fprintf(stderr,
                         "%s: %s: the exact search reached its time limit of %g s; the "
                         "position was not checked\n",
                         PROGRAM, problem.shown.c_str(), settings_.timeLimit);
        return exact;
    }

    /// Writes `text` out; a failed write is remembered and nothing more is written.
    void emit(const std::string& text) {
        if (outputFailed_) return;
        if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() ||
            std::fflush(stdout) != 0)
            outputFailed_ = true;
    }

    /// A hint: from all the player's board shows, the easiest step it does not show yet,
    /// or what to take back first.
    void hintProblem(const Problem& problem, const explain::Explanation& blank) {
        timedOut_ = false;
        Solution solution;
        bool checkable = blank.solved;  // every step of the ladder is sound: one solution
        if (checkable) {
            solution = blank.solution;
        } else {
            const auto exact = checkPosition(problem);
            checkable = exact.verdict == spanwright::exact::Verdict::Unique;
            if (checkable) solution = exact.solutions.front();
        }
        explain::Hint hint;
        if (checkable) {
            explain::PlayerBoard board;
            board.laid = problem.laid;
            board.markedEmpty = problem.markedEmpty;
            board.markedFinished = problem.markedFinished;
            hint = explain::nextHint(problem.puzzle, solution, board, timeLeft());
        }
        if (!checkable || hint.kind == explain::Hint::Kind::TakeBack) status_ = NOT_ALL;
        const std::string report = settings_.json ? jsonHint(problem, blank, checkable, hint)
                                                  : textHint(problem, blank, checkable, hint);
        emit(report);
    }

    std::string textHint(const Problem& problem, const explain::Explanation& blank, bool checkable,
                         const explain::Hint& hint) const {
        std::string text = headline(problem, blank);
        if (!checkable)
            return text + (timedOut_ ? "  the exact search reached its time limit, so the "
                                       "position was not checked\n"
                                     : "  the puzzle has no single solution, so no hint can be "
                                       "given\n");
        using Kind = explain::Hint::Kind;
        switch (hint.kind) {
            case Kind::TakeBack: {
                bool bridgesOnly = true;
                for (const std::string& w : hint.wrong) {
                    text += "  " + w + "\n";
                    bridgesOnly = bridgesOnly && w.compare(0, 9, "the line ") != 0 &&
                                  w.compare(0, 11, "the island ") != 0;
                }
                const bool one = hint.wrong.size() == 1;
                return text + "  no hint from a wrong position: take " +
                       (bridgesOnly ? (one ? "that bridge away" : "those bridges away")
                                    : (one ? "that back" : "those back")) +
                       " first\n";
            }
            case Kind::Solved:
                return text + "  the puzzle is solved\n";
            case Kind::Reveal:
                return text + "  hint: no step reaches further from here; the solution has " +
                       hint.moves.front() + " (columns first)\n";
            case Kind::Step:
                break;
        }
        for (const explain::Step& step : hint.unseen)
            text += "  first (" + std::string(explain::rungName(step.rung)) + "): " + step.reason +
                    "\n";
        text += "  hint (" + std::string(explain::rungName(hint.step.rung)) +
                "): " + hint.step.reason + "\n";
        for (std::size_t i = 0; i < hint.chain.size(); ++i)
            text += formatText("    supposed, %zu: ", i + 1) + hint.chain[i].reason + "\n";
        if (settings_.pictures) {
            text += "      " + std::string() +
                    spanwright::drawSolution(problem.puzzle, hint.after.laid) + "\n";
        }
        return text;
    }

    static std::string headline(const Problem& problem, const explain::Explanation& blank) {
        std::string text = problem.shown + ":" + std::to_string(problem.line) + ": ";
        text += formatText("%dx%d, %d islands, ", problem.puzzle.width, problem.puzzle.height,
                           islandCount(problem.puzzle));
        if (const int open = islandCount(problem.puzzle, spanwright::UNKNOWN_ISLAND); open > 0)
            text.insert(text.size() - 2, formatText(" (%d without a number)", open));
        if (blank.solved)
            text += formatText("level %s, score %.1f",
                               std::string(explain::rungName(blank.level)).c_str(), blank.score);
        else if (blank.stopped)
            text += "level unknown: the time limit was reached";
        else
            text += "level unknown: the steps do not reach a solution";
        if (problem.saved) {
            const int bridges =
                std::accumulate(problem.laid.begin(), problem.laid.end(), 0,
                                [](int sum, const Bridge& b) { return sum + b.bridges; });
            text += formatText(", %d bridge%s laid", bridges, bridges == 1 ? "" : "s");
        }
        return text + '\n';
    }

    std::string jsonHint(const Problem& problem, const explain::Explanation& blank, bool checkable,
                         const explain::Hint& hint) const {
        std::string json = "{\"file\":" + spanwright::jsonString(problem.name);
        json += formatText(",\"line\":%ld,\"width\":%d,\"height\":%d", problem.line,
                           problem.puzzle.width, problem.puzzle.height);
        if (blank.solved)
            json += formatText(",\"level\":\"%s\",\"score\":%.1f",
                               std::string(explain::rungName(blank.level)).c_str(), blank.score);
        else
            json += ",\"level\":null,\"score\":null";
        return json +
               explain::hintJsonFields(hint, checkable, problem.saved ? &problem.laid : nullptr) +
               "\n";
    }

    std::size_t shownSteps(const explain::Explanation& explanation) const {
        return settings_.hint ? std::min<std::size_t>(1, explanation.steps.size())
                              : explanation.steps.size();
    }

    /// The board after `steps` steps, indented to stand under the sentences.
    static std::string picture(const Problem& problem, const explain::Explanation& explanation,
                               std::size_t steps) {
        // The last picture of a solved puzzle shows the numbers found for islands without.
        const bool last = explanation.solved && steps == explanation.steps.size();
        const Solution known =
            explain::knownBridges(problem.puzzle, explanation, steps, problem.laid);
        const std::string drawn =
            last ? spanwright::drawSolution(explain::withFoundNumbers(problem.puzzle, explanation),
                                            known)
                 : spanwright::drawSolution(problem.puzzle, known);
        std::string indented;
        for (std::size_t start = 0; start < drawn.size();) {
            const std::size_t end = drawn.find('\n', start);
            indented += "      " + drawn.substr(start, end - start + 1);
            start = end + 1;
        }
        return indented + '\n';
    }

    /// The report as text. With pictures, what is done is written out after every
    /// picture, so that memory holds one picture, not a whole report of them (hundreds of
    /// megabytes on a large board); the rest is returned.
    std::string textReport(const Problem& problem, const explain::Explanation& blank,
                           bool checkable, const std::vector<WrongBridge>& wrong,
                           const explain::Explanation& steps) {
        std::string text = headline(problem, blank);
        if (!checkable)
            return text + (timedOut_ ? "  the exact search reached its time limit, so the "
                                       "position was not checked\n"
                                     : "  the puzzle has no single solution, so the position "
                                       "cannot be checked\n");
        if (!wrong.empty()) {
            for (const WrongBridge& w : wrong)
                text += "  " + w.sentence + "\n";
            return text +
                   (wrong.size() == 1
                        ? "  no hint from a wrong position: take that bridge away first\n"
                        : "  no hint from a wrong position: take those bridges away first\n");
        }
        if (settings_.pictures) text += picture(problem, steps, 0);
        const std::size_t shown = shownSteps(steps);
        for (std::size_t i = 0; i < shown && !outputFailed_; ++i) {
            const explain::Step& step = steps.steps[i];
            if (settings_.hint)
                text += "  hint (" + std::string(explain::rungName(step.rung)) + "): ";
            else
                text += formatText("%4zu. ", i + 1);
            text += step.reason + "\n";
            if (settings_.pictures) {
                text += picture(problem, steps, i + 1);
                emit(text);
                text.clear();
            }
        }
        if (settings_.hint && shown == 1) return text;
        if (steps.contradiction)
            text += problem.laid.empty()
                        ? "  the puzzle has no solution" +
                              (noneReason_ ? ": " + *noneReason_ : std::string()) + "\n"
                        : "  this position has no solution\n";
        else if (steps.solved)
            text +=
                (steps.steps.empty() ? "  the puzzle is solved\n"
                                     : formatText("  solved in %zu step%s\n", steps.steps.size(),
                                                  steps.steps.size() == 1 ? "" : "s")) +
                foundNumbers(steps);
        else if (stepsStopped_)
            text += formatText("  the time limit of %g s was reached: the steps stop here\n",
                               settings_.timeLimit);
        else if (unsettled_ == spanwright::exact::Verdict::None)
            text +=
                "  no further step is found: the exact search shows the puzzle has no "
                "solution" +
                (noneReason_ ? ": " + *noneReason_ : std::string()) + "\n";
        else if (unsettled_ == spanwright::exact::Verdict::Multiple)
            text +=
                "  no further step is found: the puzzle has several solutions, and no "
                "step can choose between them\n";
        else
            text += "  no further step is found: the puzzle stays unsolved\n";
        return text;
    }

    /// "  numbers found: 3 at (2,3), 1 at (4,5)" for the islands without a number.
    static std::string foundNumbers(const explain::Explanation& steps) {
        if (steps.numbers.empty()) return "";
        std::string text = "  numbers found:";
        for (std::size_t i = 0; i < steps.numbers.size(); ++i)
            text += formatText("%s %d at %s", i == 0 ? "" : ",", steps.numbers[i].number,
                               cell(steps.numbers[i].row, steps.numbers[i].column).c_str());
        return text + "\n";
    }

    std::string jsonReport(const Problem& problem, const explain::Explanation& blank,
                           bool checkable, const std::vector<WrongBridge>& wrong,
                           const explain::Explanation& steps) const {
        std::string json = "{\"file\":" + spanwright::jsonString(problem.name);
        json += formatText(",\"line\":%ld,\"width\":%d,\"height\":%d", problem.line,
                           problem.puzzle.width, problem.puzzle.height);
        if (blank.solved)
            json += formatText(",\"level\":\"%s\",\"score\":%.1f",
                               std::string(explain::rungName(blank.level)).c_str(), blank.score);
        else
            json += ",\"level\":null,\"score\":null";
        json += formatText(",\"solved\":%s", steps.solved ? "true" : "false");
        // A verdict where the steps stop short: the exact search's, or unknown when the
        // time limit stopped the steps themselves.
        if (stepsStopped_)
            json += ",\"verdict\":\"unknown\"";
        else if (unsettled_ == spanwright::exact::Verdict::None ||
                 unsettled_ == spanwright::exact::Verdict::Multiple)
            json += formatText(",\"verdict\":\"%s\"",
                               unsettled_ == spanwright::exact::Verdict::None ? "none" : "several");
        if (!stepsStopped_ && noneReason_)
            json += ",\"reason\":" + spanwright::jsonString(*noneReason_);
        if (problem.saved) {
            json += ",\"laid\":" + explain::bridgeListJson(problem.laid);
            if (!checkable) {
                json += ",\"wrong\":null";
            } else {
                Solution named(wrong.size());
                std::transform(wrong.begin(), wrong.end(), named.begin(),
                               [](const WrongBridge& w) { return w.bridge; });
                json += ",\"wrong\":" + explain::bridgeListJson(named);
            }
        }
        if (!steps.numbers.empty()) {  // [row, column, number or null]
            json += ",\"numbers\":[";
            for (std::size_t i = 0; i < steps.numbers.size(); ++i) {
                const explain::FoundNumber& n = steps.numbers[i];
                json += formatText("%s[%d,%d,", i == 0 ? "" : ",", n.row, n.column);
                json += (n.number < 0 ? std::string("null") : std::to_string(n.number)) + "]";
            }
            json += "]";
        }
        json += ",\"steps\":[";
        const std::size_t shown = shownSteps(steps);
        for (std::size_t i = 0; i < shown; ++i) {
            json += (i == 0 ? "" : ",") + explain::stepJsonOpen(steps.steps[i]) + "}";
        }
        return json + "]}\n";
    }

    void fail(const char* format, ...) __attribute__((format(printf, 2, 3))) {
        va_list arguments;
        va_start(arguments, format);
        spanwright::printErrorV(PROGRAM, format, arguments);
        va_end(arguments);
        status_ = NOT_ALL;
    }

    Settings settings_;
    int status_ = ALL_EXPLAINED;
    bool outputFailed_ = false;
    bool timedOut_ = false;  ///< the check of the current position ran out of time
    /// Why the exact search found no solution, where the reasoning can say so.
    std::optional<std::string> noneReason_;
    bool stepsStopped_ = false;  ///< the time limit stopped the current problem's steps
    double end_ = 0;  ///< when the current problem's time is up (threadCpuSeconds), 0 never
    /// The exact verdict on a blank puzzle the steps leave unsolved (Unique when not asked).
    spanwright::exact::Verdict unsettled_ = spanwright::exact::Verdict::Unique;
};

}  // namespace

int main(int argc, char** argv) {
    spanwright::secureStandardDescriptors();
    spanwright::bufferWholeRecords();
    Settings settings;
    if (const int status = explain::readExplainOptions(argc, argv, settings);
        status != explain::GO_ON)
        return status;
    Explainer explainer(settings);
    if (optind == argc) explainer.explainFile("-");
    for (int i = optind; i < argc && !explainer.outputFailed(); ++i)
        explainer.explainFile(argv[i]);
    if (explainer.outputFailed()) {
        std::fprintf(stderr, "%s: failed to write to standard output\n", PROGRAM);
        return NOT_ALL;
    }
    return explainer.status();
}
