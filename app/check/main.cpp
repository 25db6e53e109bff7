// Exact verdicts for problem files: for every problem, whether it has no solution, one or
// several, and whether deduction finds the one. The solve mode's "failed." cannot tell
// these apart; someone who draws or imports a puzzle needs to know which.
#include <getopt.h>

#include <cerrno>
#include <cstdarg>
#include <cstdio>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "app/check/check.h"
#include "app/cli/input_file.h"
#include "app/cli/program.h"
#include "puzzle/canonical.h"
#include "puzzle/line_reader.h"
#include "puzzle/problem_line.h"
#include "puzzle/puzzle_input.h"

namespace {

constexpr const char* PROGRAM = "spanwright-check";

// Exit statuses: every problem unique, some problem not, or something could not be done.
constexpr int ALL_UNIQUE = 0;
constexpr int NOT_UNIQUE = 1;
constexpr int TROUBLE = 2;

void printHelp() {
    std::printf(
        "Usage: %s [OPTION]... [FILE]...\n"
        "Decide for every problem of the FILEs whether it has exactly one solution\n"
        "(unique), none or several (multiple), and whether deduction finds it. Each line\n"
        "is a problem line or a game ID. A problem that repeats an earlier one, turned\n"
        "or mirrored or not, is named with it. With no FILE, or when FILE is -, read\n"
        "standard input.\n"
        "\n"
        "  -j, --json       one JSON object per problem and line instead of the text line\n"
        "  -s, --solutions  add the solutions (both differing ones for multiple)\n"
        "  -v, --verbose    add the exact search's solver calls, cuts and time\n"
        "      --time-limit SECONDS\n"
        "                   give up a problem's exact search and rating after SECONDS\n"
        "                   of CPU time in all (a decimal number; default %g, 0 for no\n"
        "                   limit) with the verdict unknown, and go on with the next\n"
        "                   problem\n"
        "  -h, --help       show this help and exit\n"
        "  -V, --version    show the version and exit\n"
        "\n"
        "Exit status: 0 when every problem is unique, 1 when some problem has no solution,\n"
        "several or an unknown verdict, 2 for a usage error, a file that cannot be read,\n"
        "a line that is not a problem, or a fault of the program itself.\n",
        PROGRAM, spanwright::exact::DEFAULT_TIME_LIMIT_SECONDS);
}

class Checker {
  public:
    Checker(bool json, const spanwright::ReportOptions& options,
            const spanwright::exact::ExactLimits& limits)
        : json_(json), options_(options), limits_(limits) {}

    int status() const { return status_; }
    bool outputFailed() const { return outputFailed_; }

    /// Checks every problem of one file; "-" is standard input.
    void checkFile(const std::string& name) {
        const std::string shown = spanwright::printableName(name);
        const spanwright::InputFile file(name);
        if (file.fault() == spanwright::InputFile::Fault::CannotOpen)
            return fail("%s: cannot open: %s", shown.c_str(), file.reason().c_str());
        if (file.fault() == spanwright::InputFile::Fault::Directory)
            return fail("%s: cannot read: it is a directory", shown.c_str());

        // Reading goes on past a refused line, so that one run names every bad line of a
        // file; only a line too long to read whole, or a read error, ends the file early.
        files_.push_back(name);
        spanwright::LineReader reader(file.get());
        for (long lineNumber = 1; !outputFailed_; ++lineNumber) {
            std::string_view line;
            const auto read = reader.next(line);
            if (read == spanwright::LineReader::Status::End) return;
            if (read == spanwright::LineReader::Status::ReadError)
                return fail("%s:%ld: read error: %s", shown.c_str(), lineNumber,
                            std::generic_category().message(reader.error()).c_str());
            if (read == spanwright::LineReader::Status::TooLong)
                return fail("%s:%ld: not a problem line: %s; the rest of the file is not read",
                            shown.c_str(), lineNumber,
                            spanwright::describeLineFault(spanwright::LineFault::TooLong));
            if (spanwright::isBlankLine(line)) continue;
            spanwright::Puzzle puzzle;
            std::string err;
            if (!spanwright::readPuzzleLine(puzzle, line, &err)) {
                fail("%s:%ld: %s", shown.c_str(), lineNumber, err.c_str());
                continue;
            }
            checkPuzzle(name, shown, lineNumber, puzzle);
        }
    }

  private:
    void checkPuzzle(const std::string& name, const std::string& shown, long lineNumber,
                     const spanwright::Puzzle& puzzle) {
        spanwright::ProblemCheck check = spanwright::checkProblem(puzzle, limits_);
        if (const auto repeat = repeats_.add(puzzle, places_.size())) {
            const Place& earlier = places_[repeat->tag];
            check.repeats =
                spanwright::EarlierProblem{files_[earlier.file], earlier.line,
                                           earlier.file + 1 == files_.size(), repeat->image};
        } else {
            places_.push_back({files_.size() - 1, lineNumber});
        }
        if (check.exact.verdict != spanwright::exact::Verdict::Unique && status_ == ALL_UNIQUE)
            status_ = NOT_UNIQUE;
        const std::string report =
            json_ ? spanwright::jsonReport(name, lineNumber, puzzle, check, options_)
                  : spanwright::textReport(shown + ":" + std::to_string(lineNumber), puzzle, check,
                                           options_);
        // A verdict nobody receives is not worth the search: the first failed write ends the
        // run, before the next problem is solved.
        errno = 0;
        if (std::fwrite(report.data(), 1, report.size(), stdout) != report.size() ||
            std::fflush(stdout) != 0) {
            outputFailed_ = true;
            const int error = errno != 0 ? errno : EIO;
            std::fprintf(stderr, "%s: failed to write to standard output: %s\n", PROGRAM,
                         std::generic_category().message(error).c_str());
            return;
        }
        if (check.disagreement)
            fail(
                "%s:%ld: fault: deduction solved the problem, but the exact search finds %s; "
                "please report this problem line",
                shown.c_str(), lineNumber,
                check.exact.verdict == spanwright::exact::Verdict::Unique
                    ? "another solution"
                    : std::string(spanwright::exact::verdictName(check.exact.verdict)).c_str());
    }

    void fail(const char* format, ...) __attribute__((format(printf, 2, 3))) {
        va_list arguments;
        va_start(arguments, format);
        spanwright::printErrorV(PROGRAM, format, arguments);
        va_end(arguments);
        status_ = TROUBLE;
    }

    /// Where a problem seen first was, by the tag it has among the repeats.
    struct Place {
        std::size_t file;  ///< in files_
        long line;
    };

    bool json_;
    spanwright::ReportOptions options_;
    spanwright::exact::ExactLimits limits_;
    spanwright::RepeatFinder repeats_;
    std::vector<Place> places_;
    std::vector<std::string> files_;  ///< the names of the files read, as given
    int status_ = ALL_UNIQUE;
    bool outputFailed_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    spanwright::secureStandardDescriptors();
    enum { TIME_LIMIT = 256 };
    static const option options[] = {
        {"json", no_argument, nullptr, 'j'},
        {"solutions", no_argument, nullptr, 's'},
        {"verbose", no_argument, nullptr, 'v'},
        {"time-limit", required_argument, nullptr, TIME_LIMIT},
        {"help", no_argument, nullptr, 'h'},
        {"version", no_argument, nullptr, 'V'},
        {nullptr, 0, nullptr, 0},
    };
    bool json = false;
    spanwright::ReportOptions report;
    spanwright::exact::ExactLimits limits;
    limits.seconds = spanwright::exact::DEFAULT_TIME_LIMIT_SECONDS;
    opterr = 0;
    for (;;) {
        // The command line is read once, before anything else runs.
        const int choice =
            getopt_long(argc, argv, ":jsvhV", options, nullptr);  // NOLINT(concurrency-mt-unsafe)
        if (choice == -1) break;
        switch (choice) {
            case 'j':
                json = true;
                break;
            case 's':
                report.solutions = true;
                break;
            case 'v':
                report.verbose = true;
                break;
            case TIME_LIMIT:
                if (!spanwright::readTimeLimit(PROGRAM, optarg, limits.seconds))
                    return spanwright::USAGE_STATUS;
                break;
            default:
                return spanwright::answerCommonOption(PROGRAM, choice, argv, printHelp);
        }
    }

    Checker checker(json, report, limits);
    if (optind == argc) checker.checkFile("-");
    for (int i = optind; i < argc && !checker.outputFailed(); ++i)
        checker.checkFile(argv[i]);
    if (checker.outputFailed()) return TROUBLE;
    return checker.status();
}
