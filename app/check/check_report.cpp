#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

#include "app/check/check.h"
#include "app/cli/program.h"
#include "generator/derivation.h"
#include "generator/technique.h"

namespace spanwright {
namespace {

std::string format(const char* pattern, ...) __attribute__((format(printf, 1, 2)));

std::string format(const char* pattern, ...) {
    va_list arguments;
    va_start(arguments, pattern);
    char buffer[256];
    const int length = std::vsnprintf(buffer, sizeof buffer, pattern, arguments);
    va_end(arguments);
    return std::string(buffer, std::size_t(length < 0 ? 0 : length));
}

std::string cell(int row, int column) {
    return format("(%d,%d)", row, column);
}

std::string bridgesText(int bridges) {
    return bridges == 0 ? "none" : bridges == 1 ? "1 bridge" : format("%d bridges", bridges);
}

/// What the line says after the board's size, by verdict.
std::string findings(const ProblemCheck& check) {
    const exact::ExactResult& exact = check.exact;
    switch (exact.verdict) {
        case exact::Verdict::None:
            return check.islands == 0 ? "no solution (a board without islands is no puzzle)"
                                      : "no solution";
        case exact::Verdict::Multiple: {
            const auto difference = exact::firstDifference(exact.solutions[0], exact.solutions[1]);
            if (!difference) return "several solutions";
            const auto& [a, b] = *difference;
            return "solutions differ between " + cell(a.row1, a.column1) + " and " +
                   cell(a.row2, a.column2) + ": " + bridgesText(a.bridges) + " in one, " +
                   bridgesText(b.bridges) + " in the other";
        }
        case exact::Verdict::Unique:
            break;
    }
    if (!check.deduced) return "not solved by deduction (fair only for a solver that searches)";
    return format("solved by deduction (grade %d, technique %s)", gradeOf(ratingScore(check.stats)),
                  std::string(techniqueName(techniqueOf(check.stats))).c_str());
}

/// "; repeats line 12, turned a half turn", or nothing for a problem seen first.
std::string repeatText(const ProblemCheck& check) {
    if (!check.repeats) return "";
    const EarlierProblem& earlier = *check.repeats;
    std::string text = "; repeats ";
    text += earlier.sameFile ? "line " + std::to_string(earlier.line)
                             : printableName(earlier.file) + ":" + std::to_string(earlier.line);
    const std::string_view words = imageWords(earlier.image);
    if (!words.empty()) text += ", " + std::string(words);
    return text;
}

}  // namespace

std::string drawSolution(const Puzzle& puzzle, const exact::Solution& solution) {
    const int width = puzzle.width;
    std::vector<const char*> glyphs(std::size_t(puzzle.cellCount()), "·");
    static const char* const DIGITS[] = {"0", "1", "2", "3", "4", "5", "6", "7", "8"};
    for (int i = 0; i < puzzle.cellCount(); ++i) {
        const int need = puzzle.cells[i] - ISLAND_BASE;
        if (puzzle.cells[i] != 0) glyphs[i] = need >= 0 && need <= 8 ? DIGITS[need] : "?";
    }
    for (const exact::Bridge& bridge : solution) {
        if (bridge.row1 == bridge.row2) {
            for (int c = bridge.column1 + 1; c < bridge.column2; ++c)
                glyphs[bridge.row1 * width + c] = bridge.bridges == 2 ? "═" : "─";
        } else {
            for (int r = bridge.row1 + 1; r < bridge.row2; ++r)
                glyphs[r * width + bridge.column1] = bridge.bridges == 2 ? "║" : "│";
        }
    }
    std::string picture;
    for (int i = 0; i < puzzle.cellCount(); ++i) {
        picture += glyphs[i];
        if (i % width == width - 1) picture += '\n';
    }
    return picture;
}

std::string textReport(std::string_view place, const Puzzle& puzzle, const ProblemCheck& check,
                       const ReportOptions& options) {
    std::string text(place);
    text += format(": %s, %dx%d, %d island%s, ",
                   std::string(exact::verdictName(check.exact.verdict)).c_str(), puzzle.width,
                   puzzle.height, check.islands, check.islands == 1 ? "" : "s");
    text += findings(check);
    text += repeatText(check);
    if (options.verbose)
        text += format("; %lld solver calls, %lld cuts, %.3f ms",
                       static_cast<long long>(check.exact.counters.solverCalls),
                       static_cast<long long>(check.exact.counters.cuts), check.milliseconds);
    text += '\n';
    if (!options.solutions) return text;
    const std::size_t count = check.exact.solutions.size();
    for (std::size_t i = 0; i < count; ++i) {
        if (count > 1) text += i == 0 ? "one solution:\n" : "another solution:\n";
        text += drawSolution(puzzle, check.exact.solutions[i]) + '\n';
    }
    return text;
}

std::string jsonReport(std::string_view file, long line, const Puzzle& puzzle,
                       const ProblemCheck& check, const ReportOptions& options) {
    std::string json = "{\"file\":" + jsonString(file);
    json += format(",\"line\":%ld,\"width\":%d,\"height\":%d,\"islands\":%d,\"verdict\":\"%s\"",
                   line, puzzle.width, puzzle.height, check.islands,
                   std::string(exact::verdictName(check.exact.verdict)).c_str());
    json += check.deduced ? ",\"deduction\":\"solved\"" : ",\"deduction\":\"failed\"";
    if (check.deduced) {
        const SolveStats& s = check.stats;
        json += format(",\"grade\":%d,\"technique\":\"%s\",\"counters\":[%d,%d,%d,%d,%d,%d]",
                       gradeOf(ratingScore(s)), std::string(techniqueName(techniqueOf(s))).c_str(),
                       s.tableSteps, s.pairSteps, s.isolationSteps, s.trialFirstRefuted,
                       s.trialSecondRefuted, s.interiorCells);
    } else {
        json += ",\"grade\":null,\"technique\":null,\"counters\":null";
    }
    if (check.repeats)
        json += ",\"repeats\":{\"file\":" + jsonString(check.repeats->file) +
                format(",\"line\":%ld,\"image\":\"%s\"}", check.repeats->line,
                       std::string(imageName(check.repeats->image)).c_str());
    else
        json += ",\"repeats\":null";
    json += format(",\"ms\":%.3f", check.milliseconds);
    if (options.verbose)
        json += format(",\"solver_calls\":%lld,\"cuts\":%lld",
                       static_cast<long long>(check.exact.counters.solverCalls),
                       static_cast<long long>(check.exact.counters.cuts));
    if (options.solutions) {
        json += ",\"solutions\":[";
        for (std::size_t i = 0; i < check.exact.solutions.size(); ++i) {
            json += i == 0 ? "[" : ",[";
            const exact::Solution& solution = check.exact.solutions[i];
            for (std::size_t j = 0; j < solution.size(); ++j) {
                const exact::Bridge& b = solution[j];
                json += format("%s[%d,%d,%d,%d,%d]", j == 0 ? "" : ",", b.row1, b.column1, b.row2,
                               b.column2, b.bridges);
            }
            json += ']';
        }
        json += ']';
    }
    json += "}\n";
    return json;
}

std::string jsonString(std::string_view text) {
    std::string json = "\"";
    const auto byteAt = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    for (std::size_t i = 0; i < text.size();) {
        const unsigned char c = byteAt(i);
        if (c == '"' || c == '\\') {
            json += '\\';
            json += char(c);
        } else if (c == '\n') {
            json += "\\n";
        } else if (c == '\t') {
            json += "\\t";
        } else if (c == '\r') {
            json += "\\r";
        } else if (c < 0x20 || c == 0x7F) {
            json += format("\\u%04x", unsigned(c));
        } else if (c < 0x80) {
            json += char(c);
        } else {
            // A UTF-8 sequence passes whole; a byte that starts none becomes U+FFFD.
            char32_t code = 0;
            const int length = utf8Sequence(text, i, code);
            if (length == 0) {
                json += "\\ufffd";
                ++i;
                continue;
            }
            json.append(text.substr(i, std::size_t(length)));
            i += std::size_t(length);
            continue;
        }
        ++i;
    }
    return json + '"';
}

}  // namespace spanwright
