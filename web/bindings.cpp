// The browser module's entry points: the libraries' checks, explanations, hints, making
// and conversions, each taking text and giving one JSON record with the field names of the
// programs' JSON, or {"error": MESSAGE} with the programs' message for bad input. The
// JavaScript of spanwright.js turns them into promises; every call is bounded by the time
// limit it is given, so that a page never hangs on a hard board.
#include <emscripten/emscripten.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <string>
#include <string_view>
#include <tuple>
#include <vector>

#include "exact/exact_solver.h"
#include "explain/explain.h"
#include "explain/hint.h"
#include "explain/model.h"
#include "explain/step_json.h"
#include "generator/derivation.h"
#include "generator/technique.h"
#include "maker/maker.h"
#include "maker/suggestion.h"
#include "pack/pack.h"
#include "pack/problem_check.h"
#include "puzzle/game_id.h"
#include "puzzle/json_text.h"
#include "puzzle/pencil_box.h"
#include "puzzle/problem_line.h"
#include "puzzle/puzzle_input.h"
#include "puzzle/puzzle_link.h"
#include "solver/solve_stats.h"

namespace spanwright::web {
namespace {

/// The most a check spends looking for a change that makes a puzzle unique: a page checks
/// after every edit, and a constructor waits for the verdict, not the suggestion.
constexpr double SUGGESTION_SECONDS = 0.25;

/// What a hint needs of the blank puzzle, kept for the next hint on the same puzzle.
struct SolvedPuzzle {
    std::string key;  ///< the puzzle's problem line; empty when nothing is kept
    bool rated = false;
    explain::Rung level = explain::Rung::Easy;
    double score = 0;
    bool checkable = false;  ///< one solution, in `solution`
    Solution solution;
    std::string verdict;  ///< the exact verdict, when the ladder did not solve it
};
SolvedPuzzle solved;

/// The last answer, kept until the next call so that JavaScript can read it.
std::string answer;

const char* give(std::string json) {
    answer = std::move(json);
    return answer.c_str();
}

const char* fail(std::string_view message) {
    return give("{\"error\":" + jsonString(message) + "}");
}

std::string_view trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t\r\n\v\f");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n\v\f") - first + 1);
}

/// Reads a problem line, game ID or link as the programs do; false with the message.
bool readPuzzle(const char* text, Puzzle& puzzle, std::string& err, bool unknownIslands) {
    const std::string_view line = trimmed(text ? text : "");
    if (line.empty()) {
        err = "no puzzle given: a problem line, a game ID or a puzz.link link";
        return false;
    }
    if (line.find('\n') != std::string_view::npos) {
        err = "one puzzle at a time: the text holds more than one line";
        return false;
    }
    return readPuzzleLine(puzzle, line, &err, unknownIslands);
}

/// A time limit from the page: seconds above 0 and at most an hour, else the default.
double seconds(double asked) {
    return std::isfinite(asked) && asked > 0 ? std::min(asked, 3600.0) : 5.0;
}

std::string number(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.1f", value);
    return text;
}

std::string milliseconds(double value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.3f", value);
    return text;
}

std::string levelFields(bool rated, explain::Rung level, double score) {
    if (!rated) return ",\"level\":null,\"score\":null";
    return ",\"level\":\"" + std::string(explain::rungName(level)) +
           "\",\"score\":" + number(score);
}

/// The lines two solutions bridge differently, in the order of a Solution.
Solution differingLines(const Solution& a, const Solution& b) {
    std::map<std::tuple<int, int, int, int>, std::pair<int, int>> lines;
    for (const Bridge& x : a)
        lines[{x.row1, x.column1, x.row2, x.column2}].first = x.bridges;
    for (const Bridge& x : b)
        lines[{x.row1, x.column1, x.row2, x.column2}].second = x.bridges;
    Solution differ;
    for (const auto& [ends, counts] : lines)
        if (counts.first != counts.second)
            differ.push_back(
                {std::get<0>(ends), std::get<1>(ends), std::get<2>(ends), std::get<3>(ends), 0});
    return differ;
}

/// Every line's range after the ladder's steps: its first bounds narrowed by each step.
std::string furthestJson(const Puzzle& puzzle, const explain::Explanation& explanation) {
    explain::Geometry g;
    g.build(puzzle);
    std::vector<int> least(std::size_t(g.lineCount()), 0), most(std::size_t(g.lineCount()));
    for (int l = 0; l < g.lineCount(); ++l)
        most[std::size_t(l)] = g.initialMost[std::size_t(l)];
    for (const explain::Step& step : explanation.steps)
        for (const explain::LineBounds& s : step.sets) {
            const int l = g.lineBetween(s.row1, s.column1, s.row2, s.column2);
            if (l < 0) continue;
            least[std::size_t(l)] = std::max(least[std::size_t(l)], s.least);
            most[std::size_t(l)] = std::min(most[std::size_t(l)], s.most);
        }
    std::string json = "[";
    for (int l = 0; l < g.lineCount(); ++l) {
        const int a = g.lineA[std::size_t(l)], b = g.lineB[std::size_t(l)];
        json += (l == 0 ? "[" : ",[") + std::to_string(g.row[std::size_t(a)]) + "," +
                std::to_string(g.column[std::size_t(a)]) + "," +
                std::to_string(g.row[std::size_t(b)]) + "," +
                std::to_string(g.column[std::size_t(b)]) + "," +
                std::to_string(least[std::size_t(l)]) + "," + std::to_string(most[std::size_t(l)]) +
                "]";
    }
    return json + "]";
}

/// For a puzzle without a solution, the plainest reason that can be read off the board
/// at once, or "null". The exact search proves the verdict; this only names a cause a
/// constructor can see.
std::string noSolutionReason(const Puzzle& puzzle) {
    explain::Geometry g;
    g.build(puzzle);
    if (g.islandCount() == 0) return jsonString("a board without islands is no puzzle");
    if (g.islandCount() == 1) return jsonString("a single island cannot get its bridges");
    int sum = 0;
    for (int x = 0; x < g.islandCount(); ++x)
        sum += g.need[std::size_t(x)];
    if (sum % 2 != 0)
        return jsonString("the numbers add up to " + std::to_string(sum) +
                          ", an odd total, but every bridge has two ends");
    for (int x = 0; x < g.islandCount(); ++x) {
        int most = 0;
        for (const int line : g.lineAt[std::size_t(x)])
            if (line >= 0) most += g.initialMost[std::size_t(line)];
        if (most < g.need[std::size_t(x)])
            return jsonString("the " + std::to_string(g.need[std::size_t(x)]) + " at (" +
                              std::to_string(g.row[std::size_t(x)] + 1) + "," +
                              std::to_string(g.column[std::size_t(x)] + 1) +
                              ") needs more bridges than its neighbours can give (" +
                              std::to_string(most) + " at most)");
    }
    return "null";
}

/// Reads numbers separated by commas, in groups of `group`; false for anything else.
bool readGroups(const char* text, std::size_t group, std::vector<std::vector<int>>& groups) {
    std::vector<int> values;
    for (const char* at = text ? text : ""; *at;) {
        char* end = nullptr;
        errno = 0;
        const long value = std::strtol(at, &end, 10);
        if (end == at || errno != 0 || value < -1000 || value > 1000) return false;
        values.push_back(int(value));
        at = end;
        if (*at == ',')
            ++at;
        else if (*at)
            return false;
    }
    if (values.size() % group != 0) return false;
    for (std::size_t i = 0; i < values.size(); i += group)
        groups.emplace_back(values.begin() + std::ptrdiff_t(i),
                            values.begin() + std::ptrdiff_t(i + group));
    return true;
}

std::string cellText(int row, int column) {
    return "(" + std::to_string(row) + "," + std::to_string(column) + ")";
}

/// A line of the player's position: the ends put in reading order and checked to be two
/// facing islands of the puzzle.
bool readLine(const explain::Geometry& g, const std::vector<int>& v, Bridge& line,
              std::string& err) {
    line = {v[0], v[1], v[2], v[3], v.size() > 4 ? v[4] : 0};
    if (std::tie(line.row2, line.column2) < std::tie(line.row1, line.column1)) {
        std::swap(line.row1, line.row2);
        std::swap(line.column1, line.column2);
    }
    if (g.lineBetween(line.row1, line.column1, line.row2, line.column2) < 0) {
        err = "the line from " + cellText(line.row1, line.column1) + " to " +
              cellText(line.row2, line.column2) + " does not join two facing islands";
        return false;
    }
    if (line.bridges < 0 || line.bridges > MAX_BRIDGES_PER_LINE) {
        err = "the line from " + cellText(line.row1, line.column1) + " to " +
              cellText(line.row2, line.column2) + " holds " + std::to_string(line.bridges) +
              " bridges, not 0, 1 or 2";
        return false;
    }
    return true;
}

}  // namespace
}  // namespace spanwright::web

using namespace spanwright;
using namespace spanwright::web;

extern "C" {

EMSCRIPTEN_KEEPALIVE const char* spanwright_version() {
    return SPANWRIGHT_VERSION;
}

/// The verdict, rating and more of one puzzle: see check() in spanwright.js.
EMSCRIPTEN_KEEPALIVE const char* spanwright_check(const char* text, double timeLimit) {
    Puzzle puzzle;
    std::string err;
    if (!readPuzzle(text, puzzle, err, true)) return fail(err);
    exact::ExactLimits limits;
    limits.seconds = seconds(timeLimit);
    explain::Explanation explanation;
    const ProblemCheck check = checkProblem(puzzle, limits, &explanation);
    const exact::ExactResult& exact = check.exact;

    std::string json = "{\"width\":" + std::to_string(puzzle.width) +
                       ",\"height\":" + std::to_string(puzzle.height) +
                       ",\"islands\":" + std::to_string(check.islands) + ",\"verdict\":\"" +
                       std::string(exact::verdictName(exact.verdict)) + "\"";
    json += check.deduced ? ",\"deduction\":\"solved\"" : ",\"deduction\":\"failed\"";
    if (check.deduced)
        json += ",\"grade\":" + std::to_string(gradeOf(ratingScore(check.stats))) +
                ",\"technique\":\"" + std::string(techniqueName(techniqueOf(check.stats))) + "\"";
    else
        json += ",\"grade\":null,\"technique\":null";
    json += levelFields(check.rated, check.level, check.score);
    json += ",\"solutions\":[";
    for (std::size_t i = 0; i < exact.solutions.size(); ++i)
        json += (i == 0 ? "" : ",") + explain::bridgeListJson(exact.solutions[i]);
    json += "],\"differ\":[";
    if (exact.verdict == exact::Verdict::Multiple && exact.solutions.size() == 2) {
        const Solution differ = differingLines(exact.solutions[0], exact.solutions[1]);
        for (std::size_t i = 0; i < differ.size(); ++i)
            json += (i == 0 ? "[" : ",[") + std::to_string(differ[i].row1) + "," +
                    std::to_string(differ[i].column1) + "," + std::to_string(differ[i].row2) + "," +
                    std::to_string(differ[i].column2) + "]";
    }
    json += "],\"furthest\":";
    json += check.unknownIslands == 0 ? furthestJson(puzzle, explanation) : "[]";
    json += ",\"reason\":";
    json += exact.verdict == exact::Verdict::None && check.unknownIslands == 0
                ? noSolutionReason(puzzle)
                : "null";
    json += ",\"suggestion\":";
    maker::Suggestion suggestion;
    if (exact.verdict == exact::Verdict::Multiple && check.unknownIslands == 0)
        suggestion =
            maker::suggestUnique(puzzle, exact, std::min(SUGGESTION_SECONDS, limits.seconds));
    if (suggestion.found)
        json += std::string("{\"kind\":\"") +
                (suggestion.kind == maker::Suggestion::Kind::Add ? "add" : "change") +
                "\",\"cell\":[" + std::to_string(suggestion.row) + "," +
                std::to_string(suggestion.column) +
                "],\"number\":" + std::to_string(suggestion.number) +
                ",\"reason\":" + jsonString(suggestion.reason) + "}";
    else
        json += "null";
    json += ",\"cpu_ms\":{";
    const std::vector<double> cpu = cpuStageValues(check.cpu);
    for (std::size_t i = 0; i < cpu.size(); ++i)
        json += std::string(i == 0 ? "" : ",") + "\"" + CPU_STAGE_NAMES[i] +
                "\":" + milliseconds(cpu[i]);
    return give(json + "}}");
}

/// The puzzle step by step, as spanwright-explain --json gives it.
EMSCRIPTEN_KEEPALIVE const char* spanwright_explain(const char* text, double timeLimit) {
    Puzzle puzzle;
    std::string err;
    if (!readPuzzle(text, puzzle, err, false)) return fail(err);
    explain::Options options;
    options.cpuSeconds = seconds(timeLimit);
    const explain::Explanation blank = explain::explainPuzzle(puzzle, options);
    std::string json = "{\"width\":" + std::to_string(puzzle.width) +
                       ",\"height\":" + std::to_string(puzzle.height);
    json += levelFields(blank.solved, blank.level, blank.score);
    json += std::string(",\"solved\":") + (blank.solved ? "true" : "false");
    // Where the steps stop short, the exact search says why when it can, as the program
    // does; a rating cut short by the limit says it ran out instead.
    if (blank.stopped) {
        json += ",\"verdict\":\"unknown\"";
    } else if (!blank.solved && !blank.contradiction) {
        exact::ExactLimits limits;
        limits.seconds = seconds(timeLimit);
        const exact::Verdict verdict = exact::solveExactly(puzzle, limits).verdict;
        if (verdict == exact::Verdict::None) json += ",\"verdict\":\"none\"";
        if (verdict == exact::Verdict::Multiple) json += ",\"verdict\":\"several\"";
    }
    return give(json + ",\"steps\":" + explain::stepListJson(blank.steps) + "}");
}

/// A hint from a position: `bridges` holds r1,c1,r2,c2,n for every line with bridges and
/// `empty` r1,c1,r2,c2 for every line marked empty, all separated by commas.
EMSCRIPTEN_KEEPALIVE const char* spanwright_hint(const char* text, const char* bridges,
                                                 const char* empty, double timeLimit) {
    Puzzle puzzle;
    std::string err;
    if (!readPuzzle(text, puzzle, err, false)) return fail(err);
    explain::Geometry g;
    g.build(puzzle);
    std::vector<std::vector<int>> laidGroups, emptyGroups;
    if (!readGroups(bridges, 5, laidGroups))
        return fail("the position's bridges are not lists of five numbers r1,c1,r2,c2,n");
    if (!readGroups(empty, 4, emptyGroups))
        return fail("the position's empty lines are not lists of four numbers r1,c1,r2,c2");
    explain::PlayerBoard board;
    for (const std::vector<int>& v : laidGroups) {
        Bridge line;
        if (!readLine(g, v, line, err)) return fail(err);
        if (line.bridges > 0) board.laid.push_back(line);
    }
    for (const std::vector<int>& v : emptyGroups) {
        Bridge line;
        if (!readLine(g, v, line, err)) return fail(err);
        board.markedEmpty.push_back(line);
    }
    // Solution order, as the hint expects: by the upper or left end, right before down.
    std::sort(board.laid.begin(), board.laid.end(), [](const Bridge& a, const Bridge& b) {
        return std::tie(a.row1, a.column1, a.row2, a.column2) <
               std::tie(b.row1, b.column1, b.row2, b.column2);
    });
    const auto same = [](const Bridge& a, const Bridge& b) {
        return a.row1 == b.row1 && a.column1 == b.column1 && a.row2 == b.row2 &&
               a.column2 == b.column2;
    };
    for (std::size_t i = 1; i < board.laid.size(); ++i)
        if (same(board.laid[i - 1], board.laid[i]))
            return fail("the line from " + cellText(board.laid[i].row1, board.laid[i].column1) +
                        " to " + cellText(board.laid[i].row2, board.laid[i].column2) +
                        " is given twice");

    // The rating is the blank puzzle's; the solution the position is checked against is
    // the ladder's when it solves the puzzle (every step is sound), else the exact one.
    // A player asks again and again on the same puzzle: what was settled is kept.
    const std::string key = formatProblemLine(puzzle);
    if (key != solved.key) {
        solved = {};
        explain::Options options;
        options.cpuSeconds = seconds(timeLimit);
        const explain::Explanation blank = explain::explainPuzzle(puzzle, options);
        solved.rated = blank.solved;
        solved.level = blank.level;
        solved.score = blank.score;
        solved.checkable = blank.solved;
        bool settled = blank.solved;
        if (blank.solved) {
            solved.solution = blank.solution;
        } else {
            exact::ExactLimits limits;
            limits.seconds = seconds(timeLimit);
            const exact::ExactResult exact = exact::solveExactly(puzzle, limits);
            solved.checkable = exact.verdict == exact::Verdict::Unique;
            if (solved.checkable) solved.solution = exact.solutions.front();
            solved.verdict = exact::verdictName(exact.verdict);
            // A rating or search cut short by the limit may finish with more time.
            settled = !blank.stopped && exact.verdict != exact::Verdict::Unknown;
        }
        if (settled) solved.key = key;
    }
    const bool checkable = solved.checkable;
    const Solution& solution = solved.solution;
    explain::Hint hint;
    if (checkable) hint = explain::nextHint(puzzle, solution, board);
    std::string json = "{\"width\":" + std::to_string(puzzle.width) +
                       ",\"height\":" + std::to_string(puzzle.height);
    json += levelFields(solved.rated, solved.level, solved.score);
    if (!checkable) json += ",\"verdict\":\"" + solved.verdict + "\"";
    return give(json + explain::hintJsonFields(hint, checkable, nullptr, true));
}

/// A puzzle to order, as the pack record of spanwright-make --format json with its
/// problem line, game ID and link besides.
EMSCRIPTEN_KEEPALIVE const char* spanwright_make(int width, int height, const char* level,
                                                 const char* symmetry, double seed,
                                                 double timeLimit) {
    maker::MakeRequest request;
    if (width < maker::MIN_SIDE || width > maker::MAX_SIDE || height < maker::MIN_SIDE ||
        height > maker::MAX_SIDE)
        return fail("the size " + std::to_string(width) + "x" + std::to_string(height) +
                    " is not from " + std::to_string(maker::MIN_SIDE) + " to " +
                    std::to_string(maker::MAX_SIDE) + " a side");
    request.width = width;
    request.height = height;
    if (!explain::parseRung(level ? level : "", request.level))
        return fail("the level '" + std::string(level ? level : "") +
                    "' is none of easy, medium, hard, expert, extreme");
    const std::string_view kind = symmetry ? symmetry : "";
    if (kind == "none" || kind.empty())
        request.symmetry = maker::Symmetry::None;
    else if (kind == "rotate")
        request.symmetry = maker::Symmetry::Rotate;
    else if (kind == "mirror")
        request.symmetry = maker::Symmetry::Mirror;
    else
        return fail("the symmetry '" + std::string(kind) + "' is none of none, rotate, mirror");
    if (!(seed >= 0 && seed <= 4294967295.0 && seed == std::floor(seed)))
        return fail("the seed is not a whole number from 0 to 4294967295");
    request.seed = std::uint32_t(seed);
    request.islandPercent = maker::defaultIslandPercent(request.level);
    request.secondsPerPuzzle = seconds(timeLimit);

    maker::MadePuzzle made;
    std::int64_t boards = 0;
    if (!maker::makePuzzle(request, 0, 0, made, boards))
        return fail("no puzzle of level " + std::string(explain::rungName(request.level)) +
                    " was found at this size within the time limit; try another level or a "
                    "larger board");

    // The same record as spanwright-make's, filled from what making the puzzle found.
    PackEntry entry;
    entry.puzzle = copyPuzzle(made.puzzle);
    entry.islands = made.islands;
    entry.grade =
        made.grade < int(DIFFICULTY_THRESHOLDS.size()) + 1 ? made.grade : packGrade(made.puzzle);
    entry.origin.made = true;
    entry.origin.seed = request.seed;
    entry.origin.index = 0;
    entry.origin.version = SPANWRIGHT_VERSION;
    entry.rating.rated = true;
    entry.rating.level = std::string(explain::rungName(made.level));
    entry.rating.score = made.score;
    if (!formatGameId(made.puzzle, entry.id, &entry.idFault)) entry.id.clear();
    entry.verdict = exact::Verdict::Unique;
    entry.solution = made.solution;
    entry.hash = made.hash;
    std::string json = packJsonLine(entry);
    while (!json.empty() && (json.back() == '\n' || json.back() == '}'))
        json.pop_back();
    std::string line = formatProblemLine(made.puzzle);
    line.pop_back();
    return give(json + ",\"line\":" + jsonString(line) +
                ",\"link\":" + jsonString(formatPuzzleLink(made.puzzle)) + "}");
}

/// The puzzle in another form: `to` is line, id, puzzlink or pencilbox, or empty for the
/// first three at once.
EMSCRIPTEN_KEEPALIVE const char* spanwright_convert(const char* text, const char* to) {
    Puzzle puzzle;
    std::string err;
    if (!readPuzzle(text, puzzle, err, false)) return fail(err);
    std::string line = formatProblemLine(puzzle);
    line.pop_back();
    std::string id, idFault;
    const bool hasId = formatGameId(puzzle, id, &idFault);
    const std::string_view form = to ? to : "";
    if (form.empty())
        return give("{\"line\":" + jsonString(line) +
                    ",\"id\":" + (hasId ? jsonString(id) : "null") +
                    ",\"link\":" + jsonString(formatPuzzleLink(puzzle)) + "}");
    std::string result;
    if (form == "line") {
        result = line;
    } else if (form == "id") {
        if (!hasId) return fail("no game ID: " + idFault);
        result = id;
    } else if (form == "puzzlink") {
        result = formatPuzzleLink(puzzle);
    } else if (form == "pencilbox") {
        result = formatPencilBox(puzzle, nullptr);
    } else {
        return fail("the form '" + std::string(form) +
                    "' is none of line, id, puzzlink, pencilbox");
    }
    return give("{\"text\":" + jsonString(result) + "}");
}

}  // extern "C"
