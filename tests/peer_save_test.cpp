// Games saved by the collection's Bridges program: the saves in tests/data/peer were written
// by that program while it was played (undo, redo, restart, marks, its own solver), and the
// damaged ones below are each refused with the line at fault.

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>

#include "exact/exact_solver.h"
#include "puzzle/peer_save.h"

namespace spanwright {
namespace {

std::string peerFile(const std::string& name) {
    std::ifstream file(std::string(SPANWRIGHT_TEST_DATA) + "/peer/" + name, std::ios::binary);
    std::ostringstream text;
    text << file.rdbuf();
    return text.str();
}

TEST(PeerSave, TheBridgesOnTheBoardAtTheSavedState) {
    const struct {
        const char* file;
        Solution laid;
    } cases[] = {
        // Two restarts earlier in its history; one bridge since the last.
        {"right.sav", {{0, 0, 0, 2, 1}}},
        {"halfway.sav",
         {{0, 0, 0, 2, 2}, {0, 0, 2, 0, 2}, {0, 2, 4, 2, 1}, {0, 5, 4, 5, 2}, {6, 2, 6, 6, 1}}},
        {"wrong.sav", {{0, 0, 0, 2, 2}, {0, 2, 4, 2, 2}, {2, 0, 4, 0, 1}}},
        // Undone twice: the two states after STATEPOS are on no board. A bridge taken away
        // (L...,0) and the marks (M, N) leave one bridge.
        {"undone.sav", {{0, 0, 2, 0, 1}}},
    };
    for (const auto& c : cases) {
        PeerSave save;
        PeerSaveFault fault;
        ASSERT_TRUE(parsePeerSave(peerFile(c.file), save, &fault)) << c.file << fault.message;
        EXPECT_EQ(save.laid, c.laid) << c.file;
        EXPECT_EQ(save.puzzle.width, 7);
        EXPECT_EQ(save.boardLine, 6);
    }
}

TEST(PeerSave, TheProgramsOwnSolutionIsTheExactOne) {
    // Its solver's record, the last line without a line end as the program writes it.
    PeerSave save;
    ASSERT_TRUE(parsePeerSave(peerFile("solved.sav"), save));
    const exact::ExactResult exact = exact::solveExactly(save.puzzle);
    ASSERT_EQ(exact.verdict, exact::Verdict::Unique);
    EXPECT_EQ(save.laid, exact.solutions.front());
}

TEST(PeerSave, DamageIsRefusedWithItsLine) {
    const std::string head =
        "SAVEFILE:41:Simon Tatham's Portable Puzzle Collection\n"
        "VERSION :1:1\nGAME    :7:Bridges\nPARAMS  :5:3x3m2\n";
    // The board 2 . 2 / . . . / 1 . 1, whose lines are its four sides.
    const std::string good = head + "DESC    :7:2a2c1a1\nNSTATES :1:2\nSTATEPOS:1:2\n";
    const struct {
        std::string text;
        long line;
        const char* message;
    } cases[] = {
        {"SAVEFILE:3:abc\n", 1, "does not start with a SAVEFILE record"},
        {head.substr(0, 54) + "VERSION :1:2\n", 2, "version '2'"},
        {head.substr(0, 67) + "GAME    :3:Net\n", 3, "of 'Net', not of Bridges"},
        {head + "DESC    :7:2a2c1a", 5, "cut short"},
        {head + "DESC    :5:2a2c1a1\n", 5, "goes on past the length"},
        {head + "DESC    :x:2\n", 5, "has no length"},
        {head + "DESCRIPTION:1:2\n", 5, "no key of up to 8 characters"},
        {head + "DESC    :7:2a2c9a1\n", 5, "cannot be read"},
        {head + "NSTATES :1:2\n", 5, "before the board"},
        {good + "MOVE    :12:L0,0,2,0,1", 8, "cut short"},
        {good + "MOVE    :10:L0,0,2,0,3\n", 8, "more than two bridges"},
        {good + "MOVE    :10:L0,0,1,1,1\n", 8, "no island"},
        {good + "MOVE    :10:L0,0,2,2,1\n", 8, "not two cells of one row or column"},
        {good + "MOVE    :4:M1,1\n", 8, "marks a cell that is no island"},
        {good + "MOVE    :6:X0,0,2\n", 8, "not a move of this game"},
        {good + "MOVE    :11:L0,0,2,0,1,\n", 8, "not a move of this game"},
        {good + "MOVE    :23:L0,0,2,0,1;L99999999999\n", 8, "not a move of this game"},
        {good + "RESTART :7:2a2c1a2\n", 8, "another board"},
        {good + "MOVE    :1:S\nMOVE    :1:S\n", 9, "more history than the 2 states"},
        {good, 8, "gives 2 states (NSTATES) but holds 1"},
        {head + "DESC    :7:2a2c1a1\nNSTATES :1:2\nSTATEPOS:1:3\n", 7, "not one of the NSTATES"},
        {head + "DESC    :7:2a2c1a1\nNSTATES :1:2\nMOVE    :1:S\n", 7,
         "before NSTATES and STATEPOS"},
        {head, 5, "no board"},
    };
    for (const auto& c : cases) {
        PeerSave save;
        PeerSaveFault fault;
        EXPECT_FALSE(parsePeerSave(c.text, save, &fault)) << c.text;
        EXPECT_EQ(fault.line, c.line) << c.text << fault.message;
        EXPECT_NE(fault.message.find(c.message), std::string::npos) << c.text << fault.message;
    }
    // A line down the left side; a blank line after the last record is passed over.
    PeerSave save;
    PeerSaveFault fault;
    EXPECT_TRUE(parsePeerSave(good + "MOVE    :10:L0,0,0,2,2\n\n", save, &fault)) << fault.message;
    EXPECT_EQ(save.laid, (Solution{{0, 0, 2, 0, 2}}));
}

}  // namespace
}  // namespace spanwright
