#include "explain/hint.h"

#include <algorithm>
#include <string>

#include "explain/model.h"

namespace spanwright::explain {

namespace {

std::string cellName(int row, int column) {
    return "(" + std::to_string(row + 1) + "," + std::to_string(column + 1) + ")";
}

/// The peer's moves name columns before rows.
std::string lineMove(char kind, int row1, int column1, int row2, int column2) {
    return std::string(1, kind) + std::to_string(column1) + "," + std::to_string(row1) + "," +
           std::to_string(column2) + "," + std::to_string(row2);
}

/// The board as a hint reads and changes it: per line the bridges laid and whether it is
/// marked empty, per island whether it is marked finished.
struct Shown {
    std::vector<int> count;
    std::vector<char> empty, finished;

    Shown(const Geometry& g, const PlayerBoard& board)
        : count(std::size_t(g.lineCount()), 0),
          empty(std::size_t(g.lineCount()), 0),
          finished(std::size_t(g.islandCount()), 0) {
        for (const Bridge& b : board.laid) {
            const int l = g.lineBetween(b.row1, b.column1, b.row2, b.column2);
            if (l >= 0) count[std::size_t(l)] = b.bridges;
        }
        for (const Bridge& b : board.markedEmpty) {
            const int l = g.lineBetween(b.row1, b.column1, b.row2, b.column2);
            if (l >= 0) empty[std::size_t(l)] = 1;
        }
        for (const auto& [row, column] : board.markedFinished) {
            if (row < 0 || row >= g.height || column < 0 || column >= g.width) continue;
            const int x =
                g.islandAtCell[std::size_t(row) * std::size_t(g.width) + std::size_t(column)];
            if (x >= 0) finished[std::size_t(x)] = 1;
        }
    }

    PlayerBoard board(const Geometry& g) const {
        PlayerBoard out;
        for (int l = 0; l < g.lineCount(); ++l) {
            const int a = g.lineA[std::size_t(l)], b = g.lineB[std::size_t(l)];
            const Bridge ends{g.row[std::size_t(a)], g.column[std::size_t(a)],
                              g.row[std::size_t(b)], g.column[std::size_t(b)],
                              count[std::size_t(l)]};
            if (count[std::size_t(l)] > 0) out.laid.push_back(ends);
            if (empty[std::size_t(l)])
                out.markedEmpty.push_back({ends.row1, ends.column1, ends.row2, ends.column2, 0});
        }
        for (int x = 0; x < g.islandCount(); ++x)
            if (finished[std::size_t(x)])
                out.markedFinished.emplace_back(g.row[std::size_t(x)], g.column[std::size_t(x)]);
        return out;
    }
};

}  // namespace

Hint nextHint(const Puzzle& puzzle, const Solution& solution, const PlayerBoard& board) {
    Geometry g;
    g.build(puzzle);
    Shown shown(g, board);
    std::vector<int> right(std::size_t(g.lineCount()), 0);
    for (const Bridge& b : solution) {
        const int l = g.lineBetween(b.row1, b.column1, b.row2, b.column2);
        if (l >= 0) right[std::size_t(l)] = b.bridges;
    }
    const auto ends = [&](int l) {
        const int a = g.lineA[std::size_t(l)], b = g.lineB[std::size_t(l)];
        return std::array<int, 4>{g.row[std::size_t(a)], g.column[std::size_t(a)],
                                  g.row[std::size_t(b)], g.column[std::size_t(b)]};
    };
    Hint hint;

    // What the solution contradicts comes first: a bridge too many, a line marked empty
    // that holds a bridge, an island marked finished that still lacks some.
    for (int l = 0; l < g.lineCount(); ++l) {
        const auto [r1, c1, r2, c2] = ends(l);
        const std::string between = cellName(r1, c1) + " and " + cellName(r2, c2);
        const int laid = shown.count[std::size_t(l)], want = right[std::size_t(l)];
        if (laid > want) {
            hint.wrong.push_back(
                want == 0 ? (laid == 2 ? "the double bridge between " : "the bridge between ") +
                                between + " is wrong"
                          : "the double bridge between " + between +
                                " is wrong: only one bridge belongs there");
            hint.moves.push_back(lineMove('L', r1, c1, r2, c2) + "," + std::to_string(want));
            hint.wrongLines.push_back({r1, c1, r2, c2, laid});
            shown.count[std::size_t(l)] = want;
        }
        if (shown.empty[std::size_t(l)] && want > 0) {
            hint.wrong.push_back("the line between " + between +
                                 " is marked empty, but a bridge belongs there");
            hint.moves.push_back(lineMove('N', r1, c1, r2, c2));
            hint.wrongLines.push_back({r1, c1, r2, c2, 0});
            shown.empty[std::size_t(l)] = 0;
        }
    }
    for (int x = 0; x < g.islandCount(); ++x) {
        if (!shown.finished[std::size_t(x)]) continue;
        int laid = 0;
        for (const int l : g.lineAt[std::size_t(x)])
            // cppcheck-suppress useStlAlgorithm
            if (l >= 0) laid += shown.count[std::size_t(l)];
        if (laid == g.need[std::size_t(x)]) continue;
        const int r = g.row[std::size_t(x)], c = g.column[std::size_t(x)];
        hint.wrong.push_back("the island at " + cellName(r, c) +
                             " is marked finished, but it lacks some of its bridges");
        hint.moves.push_back("M" + std::to_string(c) + "," + std::to_string(r));
        shown.finished[std::size_t(x)] = 0;
    }
    if (!hint.wrong.empty()) {
        hint.kind = Hint::Kind::TakeBack;
        hint.after = shown.board(g);
        return hint;
    }
    bool done = true;
    for (int l = 0; l < g.lineCount(); ++l)
        done = done && shown.count[std::size_t(l)] == right[std::size_t(l)];
    if (done) {
        hint.kind = Hint::Kind::Solved;
        hint.after = shown.board(g);
        return hint;
    }

    // Everything the board shows is known: the bridges as laid, the marked lines empty, the
    // lines of a finished island as they are.
    Options options;
    options.laid = board.laid;
    for (int l = 0; l < g.lineCount(); ++l) {
        const auto [r1, c1, r2, c2] = ends(l);
        const int a = g.lineA[std::size_t(l)], b = g.lineB[std::size_t(l)];
        if (shown.empty[std::size_t(l)])
            options.given.push_back({r1, c1, r2, c2, 0, 0});
        else if (shown.finished[std::size_t(a)] || shown.finished[std::size_t(b)])
            options.given.push_back(
                {r1, c1, r2, c2, shown.count[std::size_t(l)], shown.count[std::size_t(l)]});
    }
    const Explanation e = explainPuzzle(puzzle, options);
    for (std::size_t k = 0; k < e.steps.size(); ++k) {
        const Step& step = e.steps[k];
        std::vector<std::string> moves;
        for (const LineBounds& b : step.sets) {
            const int l = g.lineBetween(b.row1, b.column1, b.row2, b.column2);
            if (l < 0) continue;
            if (b.least > shown.count[std::size_t(l)]) {
                moves.push_back(lineMove('L', b.row1, b.column1, b.row2, b.column2) + "," +
                                std::to_string(b.least));
                shown.count[std::size_t(l)] = b.least;
            }
            if (b.most == 0 && !shown.empty[std::size_t(l)] && shown.count[std::size_t(l)] == 0) {
                moves.push_back(lineMove('N', b.row1, b.column1, b.row2, b.column2));
                shown.empty[std::size_t(l)] = 1;
            }
        }
        if (step.technique == "finished-island" && !step.islands.empty()) {
            const auto [r, c] = step.islands.front();
            const int x = g.islandAtCell[std::size_t(r) * std::size_t(g.width) + std::size_t(c)];
            if (x >= 0 && !shown.finished[std::size_t(x)]) {
                moves.push_back("M" + std::to_string(c) + "," + std::to_string(r));
                shown.finished[std::size_t(x)] = 1;
            }
        }
        if (moves.empty()) {  // nothing the board can show: the player needs it all the same
            hint.unseen.push_back(step);
            continue;
        }
        hint.kind = Hint::Kind::Step;
        hint.step = step;
        hint.moves = std::move(moves);
        hint.after = shown.board(g);
        if (step.supposes) {
            // The chain: from everything known before the trial, with its supposition.
            Options supposing = options;
            for (std::size_t j = 0; j < k; ++j)
                supposing.given.insert(supposing.given.end(), e.steps[j].sets.begin(),
                                       e.steps[j].sets.end());
            supposing.given.push_back(step.supposed);
            supposing.highest = Rung::Expert;
            hint.chain = explainPuzzle(puzzle, supposing).steps;
        }
        return hint;
    }
    // The ladder stops short of the solution from here: lay one of its bridges.
    hint.unseen.clear();
    hint.kind = Hint::Kind::Reveal;
    for (int l = 0; l < g.lineCount(); ++l) {
        if (shown.count[std::size_t(l)] >= right[std::size_t(l)]) continue;
        const auto [r1, c1, r2, c2] = ends(l);
        hint.moves.push_back(lineMove('L', r1, c1, r2, c2) + "," +
                             std::to_string(right[std::size_t(l)]));
        shown.count[std::size_t(l)] = right[std::size_t(l)];
        break;
    }
    hint.after = shown.board(g);
    return hint;
}

}  // namespace spanwright::explain
