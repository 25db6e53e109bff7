#include "puzzle/archive_reader.h"

#include <cerrno>
#include <system_error>

#include "puzzle/benchmark_text.h"
#include "puzzle/line_reader.h"
#include "puzzle/problem_line.h"
#include "puzzle/puzzle_input.h"

namespace spanwright {
namespace {

constexpr const char* BLANKS = " \t\r\n\v\f";

std::string_view trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(BLANKS);
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(BLANKS) - first + 1);
}

/// The string value of the top-level field `name` of a JSON record on one line, its
/// escapes undone; false when the record has no such string field. Pack records hold
/// only flat strings, numbers and arrays of numbers before and after these fields, so a
/// field name is found by its quoted form followed by a colon.
bool stringField(std::string_view record, std::string_view name, std::string& value) {
    const std::string quoted = "\"" + std::string(name) + "\"";
    for (std::size_t at = record.find(quoted); at != std::string_view::npos;
         at = record.find(quoted, at + 1)) {
        std::size_t i = record.find_first_not_of(BLANKS, at + quoted.size());
        if (i == std::string_view::npos || record[i] != ':') continue;
        i = record.find_first_not_of(BLANKS, i + 1);
        if (i == std::string_view::npos || record[i] != '"') return false;
        value.clear();
        for (++i; i < record.size(); ++i) {
            char c = record[i];
            if (c == '"') return true;
            if (c == '\\') {
                if (++i == record.size()) return false;
                c = record[i];
                // Problem lines and IDs are plain ASCII; only these escapes can stand in them.
                if (c != '/' && c != '\\' && c != '"') return false;
            }
            value += c;
        }
        return false;
    }
    return false;
}

/// The header line of a CSV pack, which names its fields and holds no puzzle.
constexpr std::string_view CSV_HEADER_START = "width,height,";
/// The field of a CSV pack record that holds the problem line, counted from 0; the fields
/// before it are numbers and a level name, which never hold a comma or a quote.
constexpr int CSV_PROBLEM_FIELD = 6;

/// The problem field of a CSV pack record: a comma comes before any '/', which no problem
/// line or game ID holds. False for any other line.
bool csvProblem(std::string_view line, std::string_view& problem) {
    const std::size_t comma = line.find(',');
    if (comma == std::string_view::npos || comma > line.find('/')) return false;
    std::size_t start = 0;
    for (int field = 0; field < CSV_PROBLEM_FIELD; ++field) {
        start = line.find(',', start);
        if (start == std::string_view::npos) return false;
        ++start;
    }
    problem = line.substr(start, line.find(',', start) - start);
    return true;
}

/// A benchmark file begins with its header, three numbers; no other form starts with a
/// line of digits and blanks alone.
bool looksLikeBenchmarkHeader(std::string_view line) {
    line = trimmed(line);
    return !line.empty() && line.find_first_not_of("0123456789 \t") == std::string_view::npos;
}

}  // namespace

bool readArchiveLine(Puzzle& puzzle, std::string_view line, std::string& err) {
    const std::string_view text = trimmed(line);
    if (!text.empty() && text.front() == '{') {
        std::string value;
        if (!stringField(text, "problem", value) && !stringField(text, "id", value)) {
            err = "a JSON record without a \"problem\" or \"id\" field that holds a puzzle";
            return false;
        }
        return readPuzzleLine(puzzle, value, &err);
    }
    std::string_view problem;
    if (csvProblem(text, problem)) {
        if (readPuzzleLine(puzzle, problem, &err)) return true;
        err = "a CSV pack record whose problem field is " + err;
        return false;
    }
    return readPuzzleLine(puzzle, line, &err);
}

bool readArchive(std::FILE* file, const std::function<void(const Puzzle&)>& take, long& errLine,
                 std::string& err) {
    LineReader reader(file);
    bool first = true;
    bool isBenchmark = false;
    std::string benchmark;  // the text of a benchmark file, read whole
    Puzzle puzzle;
    for (errLine = 1;; ++errLine) {
        std::string_view line;
        const LineReader::Status status = reader.next(line);
        if (status == LineReader::Status::End) break;
        if (status == LineReader::Status::ReadError) {
            err = "read error: " + std::generic_category().message(reader.error());
            return false;
        }
        if (status == LineReader::Status::TooLong) {
            err = std::string("not a puzzle: ") + describeLineFault(LineFault::TooLong);
            return false;
        }
        if (first && !isBlankLine(line)) {
            first = false;
            isBenchmark = looksLikeBenchmarkHeader(line);
        }
        if (isBenchmark) {
            if (benchmark.size() + line.size() > MAX_BENCHMARK_TEXT) {
                err = "not a benchmark file: longer than 1 MiB";
                return false;
            }
            benchmark.append(line);
            continue;
        }
        if (isBlankLine(line) ||
            trimmed(line).substr(0, CSV_HEADER_START.size()) == CSV_HEADER_START)
            continue;
        if (!readArchiveLine(puzzle, line, err)) return false;
        take(puzzle);
    }
    if (!isBenchmark) return true;
    int line = 0;
    if (!parseBenchmarkText(puzzle, benchmark, &line, &err)) {
        errLine = line;
        err = "not a benchmark file: " + err;
        return false;
    }
    take(puzzle);
    return true;
}

}  // namespace spanwright
