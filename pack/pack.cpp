#include "pack/pack.h"

#include <cstdio>
#include <ctime>

#include "explain/explain.h"
#include "generator/derivation.h"
#include "puzzle/canonical.h"
#include "puzzle/cpu_time.h"
#include "puzzle/game_id.h"
#include "puzzle/problem_line.h"

namespace spanwright {
namespace {

/// The problem line without its line end.
std::string problemText(const Puzzle& puzzle) {
    std::string line = formatProblemLine(puzzle);
    line.pop_back();
    return line;
}

std::vector<std::string> rowsOf(const Puzzle& puzzle) {
    std::vector<std::string> rows;
    for (int r = 0; r < puzzle.height; ++r) {
        std::string row;
        for (int c = 0; c < puzzle.width; ++c) {
            const std::uint8_t cell = puzzle.cells[r * puzzle.width + c];
            row += cell == 0 ? '.' : char('0' + cell - ISLAND_BASE);
        }
        rows.push_back(std::move(row));
    }
    return rows;
}

/// The solution as nested arrays, [[r1,c1,r2,c2,n],...]; "null" when there is not one.
std::string solutionText(const PackEntry& entry) {
    if (entry.verdict != exact::Verdict::Unique) return "null";
    std::string text = "[";
    for (const Bridge& b : entry.solution) {
        if (text.size() > 1) text += ',';
        text += '[' + std::to_string(b.row1) + ',' + std::to_string(b.column1) + ',' +
                std::to_string(b.row2) + ',' + std::to_string(b.column2) + ',' +
                std::to_string(b.bridges) + ']';
    }
    return text + ']';
}

/// A score with the one decimal the ladder rounds it to, the same text on every machine.
std::string scoreText(double score) {
    char text[64];
    std::snprintf(text, sizeof text, "%.1f", score);
    return text;
}

/// Quotes a CSV field when it holds a comma, a quote or a line end (RFC 4180).
std::string csvField(const std::string& text) {
    if (text.find_first_of(",\"\r\n") == std::string::npos) return text;
    std::string quoted = "\"";
    for (const char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    return quoted + '"';
}

}  // namespace

PackRating ratePuzzleForPack(const Puzzle& puzzle, double cpuSeconds) {
    explain::Options options;
    options.cpuSeconds = cpuSeconds;
    const explain::Explanation explanation = explain::explainPuzzle(puzzle, options);
    if (!explanation.solved) return {};
    return {true, std::string(explain::rungName(explanation.level)), explanation.score};
}

int packGrade(const Puzzle& puzzle) {
    return gradeByDeduction(puzzle);
}

PackEntry makePackEntry(const Puzzle& puzzle, const exact::ExactLimits& limits) {
    PackEntry entry;
    entry.puzzle = copyPuzzle(puzzle);
    for (int i = 0; i < puzzle.cellCount(); ++i)
        entry.islands += puzzle.cells[i] != 0;

    entry.grade = packGrade(puzzle);
    if (entry.puzzle.difficulty == 0) entry.puzzle.difficulty = std::int8_t(entry.grade);
    // The limit bounds the whole entry: the rating first, the search with what is left; a
    // rating that runs out leaves the verdict unknown.
    const double started = threadCpuSeconds();
    entry.rating = ratePuzzleForPack(puzzle, limits.seconds);
    if (!formatGameId(puzzle, entry.id, &entry.idFault)) entry.id.clear();
    exact::ExactLimits rest = limits;
    if (limits.seconds > 0) rest.seconds = limits.seconds - (threadCpuSeconds() - started);
    exact::ExactResult exact;
    exact.verdict = exact::Verdict::Unknown;
    if (limits.seconds <= 0 || rest.seconds > 0) exact = exact::solveExactly(puzzle, rest);
    entry.verdict = exact.verdict;
    if (exact.verdict == exact::Verdict::Unique) entry.solution = std::move(exact.solutions[0]);
    entry.hash = canonicalForm(puzzle).hash;
    return entry;
}

std::vector<std::string> packEntryFaults(const PackEntry& entry) {
    std::vector<std::string> faults;
    if (entry.verdict == exact::Verdict::None)
        faults.emplace_back("the puzzle has no solution; its solution is null");
    if (entry.verdict == exact::Verdict::Multiple)
        faults.emplace_back("the puzzle has several solutions; its solution is null");
    if (entry.verdict == exact::Verdict::Unknown)
        faults.emplace_back(
            "the exact search reached its time limit (unknown); its solution is null");
    if (entry.id.empty()) faults.push_back("no game ID (" + entry.idFault + "); its id is null");
    return faults;
}

std::string packJsonLine(const PackEntry& entry) {
    const Puzzle& p = entry.puzzle;
    std::string json = "{\"width\":" + std::to_string(p.width) +
                       ",\"height\":" + std::to_string(p.height) + ",\"level\":";
    json += entry.rating.rated ? '"' + entry.rating.level + '"' : std::string("null");
    json += ",\"score\":";
    json += entry.rating.rated ? scoreText(entry.rating.score) : std::string("null");
    json += ",\"grade\":";
    json += entry.grade > 0 ? std::to_string(entry.grade) : std::string("null");
    json += ",\"islands\":" + std::to_string(entry.islands);
    // Problem lines and IDs hold digits, letters and punctuation that JSON takes as it is.
    json += ",\"problem\":\"" + problemText(p) + '"';
    json += ",\"id\":";
    json += entry.id.empty() ? std::string("null") : '"' + entry.id + '"';
    json += ",\"rows\":[";
    bool first = true;
    for (const std::string& row : rowsOf(p)) {
        json += (first ? "\"" : ",\"") + row + '"';
        first = false;
    }
    json += "],\"solution\":" + solutionText(entry);
    json += ",\"hash\":\"" + hashText(entry.hash) + '"';
    const PackOrigin& origin = entry.origin;
    if (origin.made)
        json += ",\"seed\":" + std::to_string(origin.seed) +
                ",\"index\":" + std::to_string(origin.index) + ",\"version\":\"" + origin.version +
                '"';
    else
        json += ",\"seed\":null,\"index\":null,\"version\":null";
    return json + "}\n";
}

std::string packCsvHeader() {
    return "width,height,level,score,grade,islands,problem,id,rows,solution,hash,seed,index,"
           "version\n";
}

std::string packCsvLine(const PackEntry& entry) {
    const Puzzle& p = entry.puzzle;
    std::string rows;
    for (const std::string& row : rowsOf(p))
        rows += (rows.empty() ? "" : "/") + row;
    const std::string solution = solutionText(entry);
    const std::string fields[] = {
        std::to_string(p.width),
        std::to_string(p.height),
        entry.rating.rated ? entry.rating.level : "",
        entry.rating.rated ? scoreText(entry.rating.score) : "",
        entry.grade > 0 ? std::to_string(entry.grade) : "",
        std::to_string(entry.islands),
        problemText(p),
        entry.id,
        rows,
        solution == "null" ? "" : solution,
        hashText(entry.hash),
        entry.origin.made ? std::to_string(entry.origin.seed) : "",
        entry.origin.made ? std::to_string(entry.origin.index) : "",
        entry.origin.made ? entry.origin.version : "",
    };
    std::string line;
    for (const std::string& field : fields)
        line += (line.empty() ? "" : ",") + csvField(field);
    return line + '\n';
}

}  // namespace spanwright
