// Hints as a player follows them: each one changes what the board shows, none repeats,
// and following every hint from any correct position ends with the solution laid.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "exact/exact_solver.h"
#include "explain/hint.h"
#include "maker/maker.h"
#include "puzzle/game_id.h"
#include "puzzle/peer_save.h"
#include "tests/support/run_command.h"

namespace spanwright::explain {
namespace {

/// The player's board, changed by the peer's moves exactly as its game would: an
/// independent reading of the move strings, not the hint's own idea of its result.
struct Board {
    std::set<std::vector<int>> laid;   // {r1, c1, r2, c2, n}
    std::set<std::vector<int>> empty;  // {r1, c1, r2, c2}
    std::set<std::pair<int, int>> finished;

    static std::vector<int> ends(int x1, int y1, int x2, int y2) {
        if (y2 < y1 || (y2 == y1 && x2 < x1)) std::swap(x1, x2), std::swap(y1, y2);
        return {y1, x1, y2, x2};
    }
    void play(const std::string& move) {
        std::istringstream in(move.substr(1));
        std::vector<int> n;
        for (std::string field; std::getline(in, field, ',');)
            n.push_back(std::stoi(field));
        if (move[0] == 'M') {
            const std::pair<int, int> island{n[1], n[0]};
            if (!finished.erase(island)) finished.insert(island);
            return;
        }
        const std::vector<int> line = ends(n[0], n[1], n[2], n[3]);
        if (move[0] == 'N') {
            if (!empty.erase(line)) empty.insert(line);
            return;
        }
        for (auto it = laid.begin(); it != laid.end();)
            it = std::equal(line.begin(), line.end(), it->begin()) ? laid.erase(it) : std::next(it);
        if (n[4] > 0) {
            std::vector<int> bridge = line;
            bridge.push_back(n[4]);
            laid.insert(bridge);
        }
    }
    PlayerBoard player() const {
        PlayerBoard board;
        for (const auto& b : laid)
            board.laid.push_back({b[0], b[1], b[2], b[3], b[4]});
        for (const auto& e : empty)
            board.markedEmpty.push_back({e[0], e[1], e[2], e[3], 0});
        board.markedFinished.assign(finished.begin(), finished.end());
        return board;
    }
    bool operator==(const Board& other) const {
        return laid == other.laid && empty == other.empty && finished == other.finished;
    }
};

struct Followed {
    int hints = 0, reveals = 0;
};

/// Follows every hint from `start` to the end of the game.
Followed follow(const Puzzle& puzzle, const Solution& solution, Board board) {
    Followed result;
    std::set<std::string> seen;
    for (int guard = 0; guard < 2000; ++guard) {
        const Hint hint = nextHint(puzzle, solution, board.player());
        if (hint.kind == Hint::Kind::Solved) {
            std::set<std::vector<int>> want;
            for (const Bridge& b : solution)
                want.insert({b.row1, b.column1, b.row2, b.column2, b.bridges});
            EXPECT_EQ(board.laid, want);
            return result;
        }
        EXPECT_NE(hint.kind, Hint::Kind::TakeBack) << "a hint led astray: " << hint.wrong[0];
        EXPECT_FALSE(hint.moves.empty());
        std::string said = hint.step.reason;
        for (const std::string& move : hint.moves)
            said += " | " + move;
        EXPECT_TRUE(seen.insert(said).second) << "given twice: " << said;
        const Board before = board;
        for (const std::string& move : hint.moves)
            board.play(move);
        EXPECT_FALSE(board == before) << "changes nothing: " << said;
        if (::testing::Test::HasFailure()) return result;
        ++result.hints;
        result.reveals += hint.kind == Hint::Kind::Reveal;
    }
    ADD_FAILURE() << "the game never ended";
    return result;
}

/// Half the solution's bridges laid (every other one), and the islands they finish marked.
Board halfSolved(const Solution& solution, int parity) {
    Board board;
    for (std::size_t k = 0; k < solution.size(); ++k)
        if (int(k % 2) == parity) {
            const Bridge& b = solution[k];
            board.laid.insert({b.row1, b.column1, b.row2, b.column2, b.bridges});
        }
    return board;
}

TEST(Hints, FollowingEveryHintFinishesEveryGame) {
    int games = 0, hints = 0, reveals = 0, unnumbered = 0;
    for (int rung = int(Rung::Easy); rung <= int(Rung::Extreme); ++rung) {
        for (const int side : {7, 10}) {
            // expert needs room for a group's reasoning: 7 x 7 rarely has it
            if (rung == int(Rung::Expert) && side == 7) continue;
            maker::MakeRequest request;
            request.width = request.height = side;
            request.level = Rung(rung);
            request.islandPercent = maker::defaultIslandPercent(request.level);
            request.seed = 29;
            maker::MadePuzzle made;
            std::int64_t boards = 0;
            ASSERT_TRUE(maker::makePuzzle(request, 0, 0, made, boards));
            for (const Board& start :
                 {Board{}, halfSolved(made.solution, 0), halfSolved(made.solution, 1)}) {
                SCOPED_TRACE(std::string(rungName(Rung(rung))) + " " + std::to_string(side));
                const Followed f = follow(made.puzzle, made.solution, start);
                ++games, hints += f.hints, reveals += f.reveals;
            }
            // The same game with its first island's number not given, where it stays unique.
            Puzzle open = copyPuzzle(made.puzzle);
            *std::find_if(&open.cells[0], &open.cells[open.cellCount()],
                          [](std::uint8_t cell) { return cell != 0; }) = UNKNOWN_ISLAND;
            if (exact::solveExactly(open).verdict != exact::Verdict::Unique) continue;
            for (const Board& start : {Board{}, halfSolved(made.solution, 1)}) {
                const Followed f = follow(open, made.solution, start);
                ++games, ++unnumbered, hints += f.hints, reveals += f.reveals;
            }
        }
    }
    EXPECT_EQ(reveals, 0);  // the ladder reaches the solution from every correct position
    EXPECT_GE(unnumbered, 10);
    RecordProperty("games", games);
    RecordProperty("hints", hints);
}

TEST(Hints, SavedGamesFinishAndWrongMarksComeBackFirst) {
    for (const char* name : {"right.sav", "halfway.sav", "undone.sav", "wrong.sav"}) {
        SCOPED_TRACE(name);
        PeerSave save;
        ASSERT_TRUE(parsePeerSave(
            testing::runCommand("/bin/cat", {std::string(SPANWRIGHT_TEST_DATA) + "/peer/" + name})
                .out,
            save));
        const Explanation blank = explainPuzzle(save.puzzle);
        ASSERT_TRUE(blank.solved);
        Board board;
        for (const Bridge& b : save.laid)
            board.laid.insert({b.row1, b.column1, b.row2, b.column2, b.bridges});
        for (const Bridge& b : save.markedEmpty)
            board.empty.insert({b.row1, b.column1, b.row2, b.column2});
        board.finished.insert(save.markedFinished.begin(), save.markedFinished.end());
        const Hint first = nextHint(save.puzzle, blank.solution, board.player());
        if (std::string(name) == "undone.sav" || std::string(name) == "wrong.sav") {
            // A contradicted mark is named like a wrong bridge, and taken back first.
            ASSERT_EQ(first.kind, Hint::Kind::TakeBack);
            for (const std::string& move : first.moves)
                board.play(move);
        }
        follow(save.puzzle, blank.solution, board);
    }
}

}  // namespace
}  // namespace spanwright::explain
