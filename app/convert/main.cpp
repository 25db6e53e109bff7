// Conversion between this system's problem lines and the forms puzzles travel in: the game
// IDs of the collection's Bridges apps, the links and pencil-box files of the puzz.link
// editor, the files of the published benchmark set, and a picture for terminals. Every input
// problem is converted on its own: one that cannot be is reported with its file and line and the
// rest still goes through.
#include <getopt.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>
#include <system_error>
#include <vector>

#include "app/cli/input_file.h"
#include "app/cli/option_table.h"
#include "app/cli/program.h"
#include "exact/exact_solver.h"
#include "generator/derivation.h"
#include "pack/pack.h"
#include "puzzle/benchmark_text.h"
#include "puzzle/game_id.h"
#include "puzzle/line_reader.h"
#include "puzzle/pencil_box.h"
#include "puzzle/problem_line.h"
#include "puzzle/puzzle_link.h"
#include "puzzle/puzzle_picture.h"
#include "puzzle/repeat_log.h"

namespace {

using spanwright::Puzzle;

constexpr const char* PROGRAM = "spanwright-convert";

enum class Format { Line, Id, Link, PencilBox, Has, Text, Json, Csv };

/// Every format once: the command line, --help and the messages all read this table.
struct FormatName {
    const char* name;
    Format format;
    bool readable;
    bool writable;
    const char* help;  ///< lines of --help after the name, each but the last ended by "\n"
};

constexpr FormatName FORMATS[] = {
    {"line", Format::Line, true, true,
     "this system's problem line, difficulty/height/width/row/.../row/"},
    {"id", Format::Id, true, true,
     "a game ID of the Bridges game of Simon Tatham's Portable Puzzle\n"
     "Collection, such as 7x5m2:2e3a4b3i1a2a4a3a2e"},
    {"puzzlink", Format::Link, true, true,
     "a link of the puzz.link editor, such as\n"
     "https://puzz.link/p?hashikake/5/5/4g2i3h23k3g1g3g4g3 (read\n"
     "also without the host, on pzv.jp, and as p?... or ?...); \".\"\n"
     "is an island whose number is not given"},
    {"pencilbox", Format::PencilBox, true, true,
     "the pencil-box text the editor opens and saves: rows, columns,\n"
     "the board and its answer (filled in when the solution is unique);\n"
     "one file may hold several, one after another"},
    {"has", Format::Has, true, true,
     "a file of the published Hashiwokakero benchmark set; one problem\n"
     "a file, so several are written apart by an empty line"},
    {"text", Format::Text, false, true,
     "a picture of the blank puzzle for UTF-8 terminals (output only)"},
    {"json", Format::Json, false, true,
     "a pack for apps, one JSON object per problem and line: width,\n"
     "height, level, score, grade, islands, problem, id, rows, solution,\n"
     "hash, seed, index, version (output only)"},
    {"csv", Format::Csv, false, true, "the same fields as CSV, a header line first (output only)"},
};

/// The names of the formats read (or written), as "a, b or c".
std::string formatNames(bool readable) {
    std::vector<const char*> names;
    for (const FormatName& format : FORMATS)
        if (readable ? format.readable : format.writable) names.push_back(format.name);
    std::string list;
    for (std::size_t i = 0; i < names.size(); ++i)
        list += std::string(i == 0 ? "" : i + 1 == names.size() ? " or " : ", ") + names[i];
    return list;
}

/// The formats read whole, file by file, not line by line.
bool isFileFormat(Format format) {
    return format == Format::Has || format == Format::PencilBox;
}

/// The formats that keep an island whose number is not given.
bool keepsUnknownIslands(Format format) {
    return format == Format::Link || format == Format::PencilBox;
}

const char* formatName(Format format) {
    const FormatName* entry =
        std::find_if(std::begin(FORMATS), std::end(FORMATS),
                     [format](const FormatName& f) { return f.format == format; });
    return entry == std::end(FORMATS) ? "" : entry->name;
}

enum OptionId : int { TIME_LIMIT = spanwright::FIRST_LONG_ONLY };

/// --from and --to list the formats from the table above as the help is printed.
constexpr spanwright::OptionRow ROWS[] = {
    {'f', "from", "FORMAT", nullptr},
    {'t', "to", "FORMAT", nullptr},
    {TIME_LIMIT, "time-limit", "SECONDS",
     "give up the exact search of a json, csv or pencilbox\n"
     "problem after SECONDS of CPU time (a decimal number;\n"
     "default 60, 0 for no limit): its solution is null or not\n"
     "written, with a warning"},
    {'h', "help", nullptr, "show this help and exit"},
    {'V', "version", nullptr, "show the version and exit"},
};
static_assert(spanwright::isSoundTable(ROWS));
// The help text above spells out this value; a change here must be made there too.
static_assert(spanwright::exact::DEFAULT_TIME_LIMIT_SECONDS == 60);

/// Where the text of each option starts in the help.
constexpr int HELP_COLUMN = 22;

std::string formatOptionHelp(int id) {
    if (id == 'f') return "the input format (default line):\n" + formatNames(true);
    // The output formats take two lines, broken at the comma after the second.
    const std::string outputs = formatNames(false);
    std::size_t split = 0;
    for (int commas = 0; commas < 2 && split != std::string::npos; ++commas)
        split = outputs.find(',', split + 1);
    if (split == std::string::npos) split = outputs.size() - 2;
    return "the output format (default line): " + outputs.substr(0, split) + ",\n" +
           outputs.substr(split + 2);
}

void printHelp() {
    std::printf(
        "Usage: %s [OPTION]... [FILE]...\n"
        "Convert bridge puzzles between formats, one problem per input line (one or more\n"
        "per file with --from has or pencilbox). With no FILE, or when FILE is -, read\n"
        "standard input.\n"
        "\n",
        PROGRAM);
    std::fputs(spanwright::optionHelp(ROWS, HELP_COLUMN, formatOptionHelp).c_str(), stdout);
    std::printf(
        "\n"
        "Formats:\n");
    for (const FormatName& format : FORMATS) {
        std::string help = format.help;
        for (std::size_t end = 0; (end = help.find('\n', end)) != std::string::npos; end += 13)
            help.insert(end + 1, 13, ' ');
        std::printf("  %-11s%s\n", format.name, help.c_str());
    }
    std::printf(
        "\n"
        "A problem without a grade (difficulty 0, as from a game ID or link) is graded by\n"
        "deduction for line, json and csv. A pack problem without exactly one solution\n"
        "is written with a null solution and a warning.\n"
        "A problem that repeats an earlier one, turned or mirrored, is converted with a\n"
        "warning naming the earlier one.\n"
        "An island whose number is not\n"
        "given is written only to puzzlink and pencilbox; the other formats refuse it.\n"
        "Blank lines are passed over. A problem that cannot be converted is reported on\n"
        "standard error with its file and line, and the others are still converted.\n"
        "Exit status: 0 when everything was converted, 1 when something was not or a pack\n"
        "record was written with a warning, 2 for a wrong command line.\n");
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
    void convertWholeFile(std::FILE* file, const std::string& name);
    void write(const Puzzle& puzzle, const std::string& where);
    void report(const std::string& where, const std::string& message);
    void noteRepeat(const Puzzle& puzzle, const std::string& name, long line);

    Format from_;
    Format to_;
    spanwright::exact::ExactLimits limits_;
    bool faulted_ = false;
    bool outputFailed_ = false;
    bool wroteProblem_ = false;
    spanwright::RepeatLog repeats_;
};

void Converter::report(const std::string& where, const std::string& message) {
    faulted_ = true;
    std::fflush(stdout);
    std::fprintf(stderr, "%s: %s: %s\n", PROGRAM, where.c_str(), message.c_str());
}

/// A repeat is converted all the same, since a pack may hold one on purpose, but never
/// silently: it is told on standard error, and the exit status stays what it was.
void Converter::noteRepeat(const Puzzle& puzzle, const std::string& name, long line) {
    const auto repeat = repeats_.add(puzzle, name, line);
    if (!repeat) return;
    std::fflush(stdout);
    std::fprintf(stderr, "%s: %s%s: warning: %s\n", PROGRAM, name.c_str(),
                 line == 0 ? "" : (":" + std::to_string(line)).c_str(), repeat->c_str());
}

void Converter::write(const Puzzle& puzzle, const std::string& where) {
    std::string text;
    std::vector<std::string> warnings;  // said after the record they are about
    const int unknown = spanwright::firstUnknownIsland(puzzle);
    if (unknown >= 0 && !keepsUnknownIslands(to_)) {
        report(where, "the island at " + spanwright::cellPlace(puzzle, unknown) +
                          " has no number, which " + formatName(to_) + " cannot hold");
        return;
    }
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
        case Format::Link:
            text = spanwright::formatPuzzleLink(puzzle) + '\n';
            break;
        case Format::PencilBox: {
            // The answer is written when the board has exactly one solution.
            spanwright::exact::ExactResult exact;
            if (unknown < 0) exact = spanwright::exact::solveExactly(puzzle, limits_);
            if (exact.verdict == spanwright::exact::Verdict::Unknown)
                warnings.push_back(
                    "the exact search reached its time limit; the puzzle is written without "
                    "its answer");
            const bool unique = exact.verdict == spanwright::exact::Verdict::Unique;
            text = (wroteProblem_ ? "\n" : "") +
                   spanwright::formatPencilBox(puzzle, unique ? &exact.solutions.front() : nullptr);
            break;
        }
        case Format::Has:
            // One problem a file: several are set apart by an empty line.
            text = (wroteProblem_ ? "\n" : "") + spanwright::formatBenchmarkText(puzzle);
            break;
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
        if (from_ == Format::Link) {
            std::string err;
            if (!spanwright::parsePuzzleLink(puzzle, line, &err)) {
                report(where, "not a puzz.link link: " + err);
                continue;
            }
        } else if (from_ == Format::Id) {
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
        noteRepeat(puzzle, name, lineNumber);
        write(puzzle, where);
    }
}

void Converter::convertWholeFile(std::FILE* file, const std::string& name) {
    const bool pencilBox = from_ == Format::PencilBox;
    const std::size_t bound =
        pencilBox ? spanwright::MAX_PENCIL_BOX_TEXT : spanwright::MAX_BENCHMARK_TEXT;
    const std::string kind = pencilBox ? "not a pencil-box file: " : "not a benchmark file: ";
    // Read whole but bounded: one byte more than the bound tells a file that is too long.
    std::string text(bound + 1, '\0');
    text.resize(std::fread(text.data(), 1, text.size(), file));
    if (std::ferror(file)) {
        report(name, "read error: " + std::generic_category().message(errno));
        return;
    }
    if (text.size() > bound) {
        report(name, kind + "longer than " + std::to_string(bound >> 20) + " MiB");
        return;
    }
    int errLine = 0;
    std::string err;
    if (pencilBox) {
        std::vector<spanwright::PencilBoxPuzzle> puzzles;
        if (!spanwright::parsePencilBox(text, puzzles, &errLine, &err)) {
            report(name + ":" + std::to_string(errLine), kind + err);
            return;
        }
        for (const spanwright::PencilBoxPuzzle& entry : puzzles) {
            if (outputFailed_) return;
            write(entry.puzzle, name + ":" + std::to_string(entry.line));
        }
        return;
    }
    Puzzle puzzle;
    if (!spanwright::parseBenchmarkText(puzzle, text, &errLine, &err)) {
        report(name + ":" + std::to_string(errLine), kind + err);
        return;
    }
    noteRepeat(puzzle, name, 0);
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
    if (isFileFormat(from_))
        convertWholeFile(file, name);
    else
        convertLines(file, name);
}

}  // namespace

int main(int argc, char** argv) {
    spanwright::secureStandardDescriptors();
    spanwright::bufferWholeRecords();
    Format from = Format::Line;
    Format to = Format::Line;
    spanwright::exact::ExactLimits limits;
    limits.seconds = spanwright::exact::DEFAULT_TIME_LIMIT_SECONDS;
    static const spanwright::OptionReader reader(ROWS, ":");
    for (;;) {
        const int choice = reader.next(argc, argv);
        if (choice == -1) break;
        const FormatName* format = nullptr;
        switch (choice) {
            case 'f':
            case 't':
                format = findFormat(optarg);
                if (choice == 'f' && !(format && format->readable))
                    return spanwright::usageError(PROGRAM,
                                                  "--from '%s' is none of the input formats %s",
                                                  optarg, formatNames(true).c_str());
                if (choice == 't' && !(format && format->writable))
                    return spanwright::usageError(PROGRAM,
                                                  "--to '%s' is none of the output formats %s",
                                                  optarg, formatNames(false).c_str());
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
