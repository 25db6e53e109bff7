// Conversion between this system's problem lines and the forms puzzles travel in: the game
// IDs of the collection's Bridges apps, the files of the published benchmark set, and a
// picture for terminals. Every input problem is converted on its own: one that cannot be
// is reported with its file and line and the rest still goes through.
#include <getopt.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "app/cli/input_file.h"
#include "app/cli/program.h"
#include "generator/derivation.h"
#include "pack/pack.h"
#include "puzzle/benchmark_text.h"
#include "puzzle/game_id.h"
#include "puzzle/line_reader.h"
#include "puzzle/problem_line.h"
#include "puzzle/puzzle_picture.h"

namespace {

using spanwright::Puzzle;

constexpr const char* PROGRAM = "spanwright-convert";

enum class Format { Line, Id, Has, Text, Json, Csv };

struct FormatName {
    const char* name;
    Format format;
    bool readable;
    bool writable;
};

constexpr FormatName FORMATS[] = {
    {"line", Format::Line, true, true},  {"id", Format::Id, true, true},
    {"has", Format::Has, true, false},   {"text", Format::Text, false, true},
    {"json", Format::Json, false, true}, {"csv", Format::Csv, false, true},
};

void printHelp() {
    std::printf(
        "Usage: %s [OPTION]... [FILE]...\n"
        "Convert bridge puzzles between formats, one problem per input line (one per file\n"
        "with --from has). With no FILE, or when FILE is -, read standard input.\n"
        "\n"
        "  -f, --from FORMAT   the input format: line (default), id or has\n"
        "  -t, --to FORMAT     the output format: line (default), id, text, json or csv\n"
        "      --time-limit SECONDS\n"
        "                      give up the exact search of a json or csv problem after\n"
        "                      SECONDS of CPU time (a decimal number; default %g, 0 for\n"
        "                      no limit): its solution is null, with a warning\n"
        "  -h, --help          show this help and exit\n"
        "  -V, --version       show the version and exit\n"
        "\n"
        "Formats:\n"
        "  line  this system's problem line, difficulty/height/width/row/.../row/\n"
        "  id    a game ID of the Bridges game of Simon Tatham's Portable Puzzle\n"
        "        Collection, such as 7x5m2:2e3a4b3i1a2a4a3a2e\n"
        "  has   a file of the published Hashiwokakero benchmark set (input only)\n"
        "  text  a picture of the blank puzzle for UTF-8 terminals (output only)\n"
        "  json  a pack for apps, one JSON object per problem and line: width, height,\n"
        "        level, score, grade, islands, problem, id, rows, solution, hash\n"
        "        (output only)\n"
        "  csv   the same fields as CSV, a header line first (output only)\n"
        "\n"
        "A problem without a grade (difficulty 0, as from a game ID) is graded by\n"
        "deduction for line, json and csv. A pack problem without exactly one solution\n"
        "is written with a null solution and a warning.\n"
        "Blank lines are passed over. A problem that cannot be converted is reported on\n"
        "standard error with its file and line, and the others are still converted.\n"
        "Exit status: 0 when everything was converted, 1 when something was not or a pack\n"
        "record was written with a warning, 2 for a wrong command line.\n",
        PROGRAM, spanwright::exact::DEFAULT_TIME_LIMIT_SECONDS);
}

const FormatName* findFormat(const char* name) {
    for (const FormatName& format : FORMATS)
        if (std::strcmp(format.name, name) == 0) return &format;
    return nullptr;
}

std::string_view trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t\r\n\v\f");
    const std::size_t last = text.find_last_not_of(" \t\r\n\v\f");
    return text.substr(first, last - first + 1);
}

class Converter {
  public:
    Converter(Format from, Format to, const spanwright::exact::ExactLimits& limits)
        : from_(from), to_(to), limits_(limits) {}

    /// Converts every problem of the file `path`, or of standard input for "-".
    void convertFile(const char* path);
    /// Something was not converted.
    bool faulted() const { return faulted_; }
    /// Standard output failed; nothing more is worth converting.
    bool outputFailed() const { return outputFailed_; }

  private:
    void convertLines(std::FILE* file, const std::string& name);
    void convertBenchmarkFile(std::FILE* file, const std::string& name);
    void write(const Puzzle& puzzle, const std::string& where);
    void report(const std::string& where, const std::string& message);

    Format from_;
    Format to_;
    spanwright::exact::ExactLimits limits_;
    bool faulted_ = false;
    bool outputFailed_ = false;
    bool wroteProblem_ = false;
};

void Converter::report(const std::string& where, const std::string& message) {
    faulted_ = true;
    std::fflush(stdout);
    std::fprintf(stderr, "%s: %s: %s\n", PROGRAM, where.c_str(), message.c_str());
}

void Converter::write(const Puzzle& puzzle, const std::string& where) {
    std::string text;
    std::vector<std::string> warnings;  // said after the record they are about
    switch (to_) {
        case Format::Line: {
            // An imported board carries no grade; it gets the one deduction gives it.
            Puzzle graded = spanwright::copyPuzzle(puzzle);
            spanwright::gradeIfUngraded(graded);
            text = spanwright::formatProblemLine(graded);
            break;
        }
        case Format::Id: {
            std::string err;
            if (!spanwright::formatGameId(puzzle, text, &err)) {
                report(where, "no game ID for this board: " + err);
                return;
            }
            text += '\n';
            break;
        }
        case Format::Text:
            // Pictures are set apart by an empty line.
            text = (wroteProblem_ ? "\n" : "") + spanwright::formatPuzzlePicture(puzzle);
            break;
        case Format::Json:
        case Format::Csv: {
            const spanwright::PackEntry entry = spanwright::makePackEntry(puzzle, limits_);
            warnings = spanwright::packEntryFaults(entry);
            text = to_ == Format::Json ? spanwright::packJsonLine(entry)
                                       : spanwright::packCsvLine(entry);
            break;
        }
        case Format::Has:
            break;  // refused on the command line
    }
    wroteProblem_ = true;
    // Each record goes out whole as soon as it is made: a run that is killed leaves whole
    // records only, and a failed write is noticed before the next puzzle is solved.
    if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() || std::fflush(stdout) != 0)
        outputFailed_ = true;
    for (const std::string& warning : warnings)
        report(where, "warning: " + warning);
}

void Converter::convertLines(std::FILE* file, const std::string& name) {
    spanwright::LineReader reader(file);
    for (long lineNumber = 1; !outputFailed_; ++lineNumber) {
        const std::string where = name + ":" + std::to_string(lineNumber);
        std::string_view line;
        const spanwright::LineReader::Status status = reader.next(line);
        if (status == spanwright::LineReader::Status::End) return;
        if (status == spanwright::LineReader::Status::ReadError) {
            report(where, "read error: " + std::generic_category().message(reader.error()));
            return;
        }
        if (status == spanwright::LineReader::Status::TooLong) {
            // No problem takes a line this long; the rest of it is passed over unread, so
            // that the lines after it are still converted.
            report(where, spanwright::describeLineFault(spanwright::LineFault::TooLong));
            int c = 0;
            do {
                c = std::getc(file);
            } while (c != EOF && c != '\n');
            if (std::ferror(file)) {
                report(where, "read error: " + std::generic_category().message(errno));
                return;
            }
            continue;
        }
        if (spanwright::isBlankLine(line)) continue;

        Puzzle puzzle;
        if (from_ == Format::Id) {
            std::string err;
            if (!spanwright::parseGameId(puzzle, trimmed(line), &err)) {
                report(where, "not a game ID: " + err);
                continue;
            }
        } else {
            spanwright::LineFault fault = spanwright::LineFault::None;
            if (!spanwright::parseProblemLine(puzzle, line, &fault)) {
                report(where,
                       std::string("not a problem line: ") + spanwright::describeLineFault(fault));
                continue;
            }
        }
        write(puzzle, where);
    }
}

void Converter::convertBenchmarkFile(std::FILE* file, const std::string& name) {
    // Read whole but bounded: one byte more than the bound tells a file that is too long.
    std::string text(spanwright::MAX_BENCHMARK_TEXT + 1, '\0');
    text.resize(std::fread(text.data(), 1, text.size(), file));
    if (std::ferror(file)) {
        report(name, "read error: " + std::generic_category().message(errno));
        return;
    }
    if (text.size() > spanwright::MAX_BENCHMARK_TEXT) {
        report(name, "not a benchmark file: longer than 1 MiB");
        return;
    }
    Puzzle puzzle;
    int errLine = 0;
    std::string err;
    if (!spanwright::parseBenchmarkText(puzzle, text, &errLine, &err)) {
        report(name + ":" + std::to_string(errLine), "not a benchmark file: " + err);
        return;
    }
    write(puzzle, name);
}

void Converter::convertFile(const char* path) {
    const bool standardInput = std::strcmp(path, "-") == 0;
    const std::string name = standardInput ? "(standard input)" : spanwright::printableName(path);
    const spanwright::InputFile input(path);
    if (input.fault() != spanwright::InputFile::Fault::None) {
        report(name, "cannot open: " + (input.fault() == spanwright::InputFile::Fault::Directory
                                            ? std::string("it is a directory")
                                            : input.reason()));
        return;
    }
    std::FILE* file = input.get();
    if (from_ == Format::Has)
        convertBenchmarkFile(file, name);
    else
        convertLines(file, name);
}

}  // namespace

int main(int argc, char** argv) {
    spanwright::secureStandardDescriptors();
    enum { TIME_LIMIT = 256 };
    static const option options[] = {
        {"from", required_argument, nullptr, 'f'},
        {"to", required_argument, nullptr, 't'},
        {"time-limit", required_argument, nullptr, TIME_LIMIT},
        {"help", no_argument, nullptr, 'h'},
        {"version", no_argument, nullptr, 'V'},
        {nullptr, 0, nullptr, 0},
    };
    opterr = 0;
    Format from = Format::Line;
    Format to = Format::Line;
    spanwright::exact::ExactLimits limits;
    limits.seconds = spanwright::exact::DEFAULT_TIME_LIMIT_SECONDS;
    for (;;) {
        // NOLINTNEXTLINE(concurrency-mt-unsafe): this program runs on one thread
        const int choice = getopt_long(argc, argv, ":f:t:hV", options, nullptr);
        if (choice == -1) break;
        const FormatName* format = nullptr;
        switch (choice) {
            case 'f':
            case 't':
                format = findFormat(optarg);
                if (choice == 'f' && !(format && format->readable))
                    return spanwright::usageError(
                        PROGRAM, "--from '%s' is none of the input formats line, id, has", optarg);
                if (choice == 't' && !(format && format->writable))
                    return spanwright::usageError(
                        PROGRAM,
                        "--to '%s' is none of the output formats line, id, text, json, csv",
                        optarg);
                (choice == 'f' ? from : to) = format->format;
                break;
            case TIME_LIMIT:
                if (!spanwright::readTimeLimit(PROGRAM, optarg, limits.seconds))
                    return spanwright::USAGE_STATUS;
                break;
            default:
                return spanwright::answerCommonOption(PROGRAM, choice, argv, printHelp);
        }
    }

    Converter converter(from, to, limits);
    // A CSV pack is a table even when it holds no problem: the header comes first.
    if (to == Format::Csv) {
        const std::string header = spanwright::packCsvHeader();
        std::fwrite(header.data(), 1, header.size(), stdout);
    }
    if (optind == argc) converter.convertFile("-");
    for (int i = optind; i < argc && !converter.outputFailed(); ++i)
        converter.convertFile(argv[i]);
    if (converter.outputFailed() || std::fflush(stdout) != 0 || std::ferror(stdout)) {
        std::fprintf(stderr, "%s: failed to write to standard output\n", PROGRAM);
        return 1;
    }
    return converter.faulted() ? 1 : 0;
}
