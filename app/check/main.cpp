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
#include "app/cli/option_table.h"
#include "app/cli/program.h"
#include "exact/cnf.h"
#include "puzzle/canonical.h"
#include "puzzle/cpu_time.h"
#include "puzzle/line_reader.h"
#include "puzzle/problem_line.h"
#include "puzzle/puzzle_input.h"

namespace {

constexpr const char* PROGRAM = "spanwright-check";

// Exit statuses: every problem unique, some problem not, or something could not be done.
constexpr int ALL_UNIQUE = 0;
constexpr int NOT_UNIQUE = 1;
constexpr int TROUBLE = 2;

enum OptionId : int { TIME_LIMIT = spanwright::FIRST_LONG_ONLY, CNF, CSV };

constexpr spanwright::OptionRow ROWS[] = {
    {'j', "json", nullptr, "one JSON object per problem and line instead of the text line"},
    {CSV, "csv", nullptr,
     "one CSV record per problem instead, a header line first;\n"
     "both give the CPU time by stage (reading, deduction,\n"
     "preprocessing, sat, cuts, uniqueness, rating, total)"},
    {'s', "solutions", nullptr, "add the solutions (both differing ones for multiple)"},
    {'v', "verbose", nullptr, "add the exact search's solver calls, cuts and time"},
    {CNF, "cnf", "FILE",
     "write each problem's complete encoding (connectivity\n"
     "included) in DIMACS CNF for any SAT solver: the first to\n"
     "FILE, the n-th to FILE with -n before its extension"},
    {TIME_LIMIT, "time-limit", "SECONDS",
     "give up a problem's deduction, exact search and rating\n"
     "after SECONDS of CPU time in all (a decimal number; default\n"
     "60, 0 for no limit) with the verdict unknown, and go on\n"
     "with the next problem"},
    {'h', "help", nullptr, "show this help and exit"},
    {'V', "version", nullptr, "show the version and exit"},
};
static_assert(spanwright::isSoundTable(ROWS));
// The help text above spells out this value; a change here must be made there too.
static_assert(spanwright::exact::DEFAULT_TIME_LIMIT_SECONDS == 60);

/// Where the text of each option starts in the help.
constexpr int HELP_COLUMN = 19;

void printHelp() {
    std::printf(
        "Usage: %s [OPTION]... [FILE]...\n"
        "Decide for every problem of the FILEs whether it has exactly one solution\n"
        "(unique), none or several (multiple), and whether deduction finds it. Each line\n"
        "is a problem line, a game ID or a puzz.link link (whose islands without a\n"
        "number take the numbers that make the solution unique); a file whose first\n"
        "line is a number alone is a pencil-box file, one of three numbers a benchmark\n"
        "(.has) file.\n"
        "A problem that repeats an earlier one, turned or mirrored or not, is named with\n"
        "it. With no FILE, or when FILE is -, read standard input.\n"
        "\n",
        PROGRAM);
    std::fputs(spanwright::optionHelp(ROWS, HELP_COLUMN).c_str(), stdout);
    std::printf(
        "\n"
        "Exit status: 0 when every problem is unique, 1 when some problem has no solution,\n"
        "several or an unknown verdict, 2 for a usage error, a file that cannot be read,\n"
        "a line that is not a problem, or a fault of the program itself.\n");
}

class Checker {
  public:
    Checker(bool json, bool csv, const spanwright::ReportOptions& options,
            const spanwright::exact::ExactLimits& limits, std::string cnfPath)
        : json_(json),
          csv_(csv),
          options_(options),
          limits_(limits),
          cnfPath_(std::move(cnfPath)) {}

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
        bool firstLine = true;
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
            // A pencil-box or benchmark file is told by its first line and read whole.
            const auto form = spanwright::puzzleFileForm(line);
            if (firstLine && form != spanwright::PuzzleFileForm::Lines)
                return checkWholeFile(name, shown, form, line, lineNumber, file.get());
            firstLine = false;
            spanwright::Puzzle puzzle;
            std::string err;
            const double readStart = spanwright::threadCpuSeconds();
            if (!spanwright::readPuzzleLine(puzzle, line, &err, true)) {
                fail("%s:%ld: %s", shown.c_str(), lineNumber, err.c_str());
                continue;
            }
            checkPuzzle(name, shown, lineNumber, puzzle,
                        1e3 * (spanwright::threadCpuSeconds() - readStart));
        }
    }

  private:
    void checkWholeFile(const std::string& name, const std::string& shown,
                        spanwright::PuzzleFileForm form, std::string_view firstLine,
                        long lineNumber, std::FILE* file) {
        std::vector<spanwright::FilePuzzle> puzzles;
        long errLine = 0;
        std::string err;
        const double readStart = spanwright::threadCpuSeconds();
        if (!spanwright::readPuzzleFile(form, firstLine, lineNumber, file, puzzles, errLine, err,
                                        true))
            return fail("%s:%ld: %s", shown.c_str(), errLine, err.c_str());
        // The file is read at once; each of its problems bears an equal share.
        const double reading =
            1e3 * (spanwright::threadCpuSeconds() - readStart) / double(puzzles.size());
        for (const spanwright::FilePuzzle& entry : puzzles) {
            if (outputFailed_) return;
            checkPuzzle(name, shown, entry.line, entry.puzzle, reading);
        }
    }

    /// Writes the CNF of the problem when --cnf asked for it; false when that failed.
    bool writeCnf(const spanwright::Puzzle& puzzle, const std::string& shown, long lineNumber) {
        if (cnfPath_.empty()) return true;
        ++cnfCount_;
        std::string path = cnfPath_;
        if (cnfCount_ > 1) {
            const std::size_t slash = path.rfind('/');
            const std::size_t dot = path.rfind('.');
            const std::size_t at =
                dot != std::string::npos && (slash == std::string::npos || dot > slash + 1)
                    ? dot
                    : path.size();
            path.insert(at, "-" + std::to_string(cnfCount_));
        }
        const std::string text = spanwright::exact::cnfText(puzzle);
        errno = 0;
        std::FILE* out = std::fopen(path.c_str(), "w");
        bool written = out && std::fwrite(text.data(), 1, text.size(), out) == text.size();
        if (out) written = std::fclose(out) == 0 && written;
        if (!written)
            fail("%s:%ld: cannot write the CNF to %s: %s", shown.c_str(), lineNumber,
                 spanwright::printableName(path).c_str(),
                 std::generic_category().message(errno != 0 ? errno : EIO).c_str());
        return written;
    }

    void checkPuzzle(const std::string& name, const std::string& shown, long lineNumber,
                     const spanwright::Puzzle& puzzle, double readingMs) {
        writeCnf(puzzle, shown, lineNumber);
        spanwright::ProblemCheck check = spanwright::checkProblem(puzzle, limits_);
        check.cpu.reading = readingMs;
        check.cpu.total += readingMs;
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
            json_  ? spanwright::jsonReport(name, lineNumber, puzzle, check, options_)
            : csv_ ? spanwright::csvReport(name, lineNumber, puzzle, check)
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
    bool csv_;
    spanwright::ReportOptions options_;
    spanwright::exact::ExactLimits limits_;
    std::string cnfPath_;  ///< empty without --cnf
    int cnfCount_ = 0;     ///< the CNFs written so far
    spanwright::RepeatFinder repeats_;
    std::vector<Place> places_;
    std::vector<std::string> files_;  ///< the names of the files read, as given
    int status_ = ALL_UNIQUE;
    bool outputFailed_ = false;
};

}  // namespace

int main(int argc, char** argv) {
    spanwright::secureStandardDescriptors();
    spanwright::bufferWholeRecords();
    bool json = false;
    bool csv = false;
    std::string cnfPath;
    spanwright::ReportOptions report;
    spanwright::exact::ExactLimits limits;
    limits.seconds = spanwright::exact::DEFAULT_TIME_LIMIT_SECONDS;
    static const spanwright::OptionReader reader(ROWS, ":");
    for (;;) {
        const int choice = reader.next(argc, argv);
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
            case CSV:
                csv = true;
                break;
            case CNF:
                if (*optarg == '\0')
                    return spanwright::usageError(PROGRAM, "--cnf needs a file name");
                cnfPath = optarg;
                break;
            case TIME_LIMIT:
                if (!spanwright::readTimeLimit(PROGRAM, optarg, limits.seconds))
                    return spanwright::USAGE_STATUS;
                break;
            default:
                return spanwright::answerCommonOption(PROGRAM, choice, argv, printHelp);
        }
    }

    if (json && csv) return spanwright::usageError(PROGRAM, "--json and --csv exclude each other");
    if (csv) {
        const std::string header = spanwright::csvHeader();
        std::fwrite(header.data(), 1, header.size(), stdout);
    }
    Checker checker(json, csv, report, limits, cnfPath);
    if (optind == argc) checker.checkFile("-");
    for (int i = optind; i < argc && !checker.outputFailed(); ++i)
        checker.checkFile(argv[i]);
    if (checker.outputFailed()) return TROUBLE;
    return checker.status();
}
