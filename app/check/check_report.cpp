#include <cstdarg>
#include <cstdio>
#include <string>
#include <vector>

#include "app/check/check.h"
#include "app/cli/program.h"
#include "generator/derivation.h"
#include "generator/technique.h"
#include "puzzle/puzzle_picture.h"

namespace spanwright {
namespace {

std::string cell(int row, int column) {
    return formatText("(%d,%d)", row, column);
}

std::string bridgesText(int bridges) {
    return bridges == 0 ? "none" : bridges == 1 ? "1 bridge" : formatText("%d bridges", bridges);
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
        case exact::Verdict::Unknown: {
            std::string text =
                formatText(check.ratingStopped ? "not decided: the check reached its time limit "
                                                 "of %g s while rating"
                                               : "not decided: the exact search reached its time "
                                                 "limit of %g s",
                           check.timeLimit);
            if (check.deduced) text += "; solved by deduction";
            return text;
        }
        case exact::Verdict::Unique:
            break;
    }
    if (check.unknownIslands > 0)
        return formatText(
            "%d island%s without a number, each given the one number that makes "
            "the solution unique (deduction and rating do not take them)",
            check.unknownIslands, check.unknownIslands == 1 ? "" : "s");
    std::string text =
        check.deduced ? formatText("solved by deduction (grade %d, technique %s)",
                                   gradeOf(ratingScore(check.stats)),
                                   std::string(techniqueName(techniqueOf(check.stats))).c_str())
                      : "not solved by deduction (fair only for a solver that searches)";
    if (check.rated)
        text += formatText(", level %s, score %.1f",
                           std::string(explain::rungName(check.level)).c_str(), check.score);
    return text;
}

/// `puzzle` with every island whose number is not given numbered as `solution` bridges it.
Puzzle withNumbers(const Puzzle& puzzle, const exact::Solution& solution) {
    Puzzle numbered = copyPuzzle(puzzle);
    std::vector<int> bridges(std::size_t(puzzle.cellCount()), 0);
    for (const exact::Bridge& b : solution) {
        const int first = b.row1 * puzzle.width + b.column1;
        const int second = b.row2 * puzzle.width + b.column2;
        bridges[std::size_t(first)] += b.bridges;
        bridges[std::size_t(second)] += b.bridges;
    }
    for (int i = 0; i < puzzle.cellCount(); ++i)
        if (numbered.cells[i] == UNKNOWN_ISLAND)
            numbered.cells[i] = std::uint8_t(ISLAND_BASE + bridges[std::size_t(i)]);
    return numbered;
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

std::string textReport(std::string_view place, const Puzzle& puzzle, const ProblemCheck& check,
                       const ReportOptions& options) {
    std::string text(place);
    text += formatText(": %s, %dx%d, %d island%s, ",
                       std::string(exact::verdictName(check.exact.verdict)).c_str(), puzzle.width,
                       puzzle.height, check.islands, check.islands == 1 ? "" : "s");
    text += findings(check);
    text += repeatText(check);
    if (options.verbose)
        text += formatText("; %lld solver calls, %lld cuts, %.3f ms",
                           static_cast<long long>(check.exact.counters.solverCalls),
                           static_cast<long long>(check.exact.counters.cuts), check.milliseconds);
    text += '\n';
    if (!options.solutions) return text;
    const std::size_t count = check.exact.solutions.size();
    for (std::size_t i = 0; i < count; ++i) {
        if (count > 1) text += i == 0 ? "one solution:\n" : "another solution:\n";
        text +=
            drawSolution(withNumbers(puzzle, check.exact.solutions[i]), check.exact.solutions[i]) +
            '\n';
    }
    return text;
}

std::string jsonReport(std::string_view file, long line, const Puzzle& puzzle,
                       const ProblemCheck& check, const ReportOptions& options) {
    std::string json = "{\"file\":" + jsonString(file);
    json += formatText(",\"line\":%ld,\"width\":%d,\"height\":%d,\"islands\":%d,\"verdict\":\"%s\"",
                       line, puzzle.width, puzzle.height, check.islands,
                       std::string(exact::verdictName(check.exact.verdict)).c_str());
    json += check.deduced ? ",\"deduction\":\"solved\"" : ",\"deduction\":\"failed\"";
    if (check.deduced) {
        const SolveStats& s = check.stats;
        json +=
            formatText(",\"grade\":%d,\"technique\":\"%s\",\"counters\":[%d,%d,%d,%d,%d,%d]",
                       gradeOf(ratingScore(s)), std::string(techniqueName(techniqueOf(s))).c_str(),
                       s.tableSteps, s.pairSteps, s.isolationSteps, s.trialFirstRefuted,
                       s.trialSecondRefuted, s.interiorCells);
    } else {
        json += ",\"grade\":null,\"technique\":null,\"counters\":null";
    }
    if (check.rated)
        json += formatText(",\"level\":\"%s\",\"score\":%.1f",
                           std::string(explain::rungName(check.level)).c_str(), check.score);
    else
        json += ",\"level\":null,\"score\":null";
    if (check.repeats)
        json += ",\"repeats\":{\"file\":" + jsonString(check.repeats->file) +
                ",\"line\":" + std::to_string(check.repeats->line) + ",\"image\":\"" +
                std::string(imageName(check.repeats->image)) + "\"}";
    else
        json += ",\"repeats\":null";
    json += formatText(",\"ms\":%.3f", check.milliseconds);
    json += ",\"cpu_ms\":{";
    const std::vector<double> cpu = cpuStageValues(check.cpu);
    for (std::size_t i = 0; i < cpu.size(); ++i)
        json += formatText("%s\"%s\":%.3f", i == 0 ? "" : ",", CPU_STAGE_NAMES[i], cpu[i]);
    json += '}';
    if (options.verbose)
        json += formatText(",\"solver_calls\":%lld,\"cuts\":%lld",
                           static_cast<long long>(check.exact.counters.solverCalls),
                           static_cast<long long>(check.exact.counters.cuts));
    if (options.solutions) {
        json += ",\"solutions\":[";
        for (std::size_t i = 0; i < check.exact.solutions.size(); ++i) {
            json += i == 0 ? "[" : ",[";
            const exact::Solution& solution = check.exact.solutions[i];
            for (std::size_t j = 0; j < solution.size(); ++j) {
                const exact::Bridge& b = solution[j];
                json += formatText("%s[%d,%d,%d,%d,%d]", j == 0 ? "" : ",", b.row1, b.column1,
                                   b.row2, b.column2, b.bridges);
            }
            json += ']';
        }
        json += ']';
    }
    json += "}\n";
    return json;
}

namespace {

/// A text field of a CSV record: quoted, with its quotes doubled, when it holds a comma,
/// a quote or a line end.
std::string csvField(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
    std::string field = "\"";
    for (const char c : text) {
        if (c == '"') field += '"';
        field += c;
    }
    return field + '"';
}

}  // namespace

std::string csvHeader() {
    std::string header =
        "file,line,width,height,islands,verdict,deduction,grade,level,score,solver_calls,cuts,"
        "wall_ms";
    for (const char* stage : CPU_STAGE_NAMES)
        header += formatText(",cpu_%s_ms", stage);
    return header + '\n';
}

std::string csvReport(std::string_view file, long line, const Puzzle& puzzle,
                      const ProblemCheck& check) {
    std::string row = csvField(file);
    row += formatText(",%ld,%d,%d,%d,%s,%s", line, puzzle.width, puzzle.height, check.islands,
                      std::string(exact::verdictName(check.exact.verdict)).c_str(),
                      check.deduced ? "solved" : "failed");
    row += check.deduced ? formatText(",%d", gradeOf(ratingScore(check.stats))) : ",";
    row += check.rated ? formatText(",%s,%.1f", std::string(explain::rungName(check.level)).c_str(),
                                    check.score)
                       : ",,";
    row += formatText(",%lld,%lld,%.3f", static_cast<long long>(check.exact.counters.solverCalls),
                      static_cast<long long>(check.exact.counters.cuts), check.milliseconds);
    for (const double value : cpuStageValues(check.cpu))
        row += formatText(",%.3f", value);
    return row + '\n';
}

}  // namespace spanwright
