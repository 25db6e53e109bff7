#pragma once
// The ladder in one place: its rungs (with how the maker draws boards for each) and its
// techniques (with the rung each belongs to and what its steps add to the score). Every
// count is derived from these tables, and a table with a row missing or out of order does
// not compile, so a technique moves between rungs, or changes weight, here and only here.
//
// The three lower rungs are the levels players of the open Bridges game of Simon Tatham's
// Portable Puzzle Collection already know: a puzzle is easy, medium or hard for this
// ladder when that game's own solver finishes it at that level and not below. Expert is
// reasoning about groups and regions beyond that game's hard level, still without
// supposing anything; extreme supposes one line's count and follows it to a contradiction.

#include <array>
#include <cstddef>
#include <string_view>

namespace spanwright::explain {

/// The rungs of the ladder, easiest first.
enum class Rung { Easy = 1, Medium, Hard, Expert, Extreme };

/// One rung: its name, what a player needs for it, and how the maker draws boards for it.
/// The shares, loops and doubles were measured for the fewest boards drawn per puzzle met:
/// extra loops and single bridges make a board harder, so the easy rungs want many doubles
/// and no loops. Expert wants a sparser board with few doubles: its own reasoning is needed
/// only where the rungs below stick, and a dense board sticks in many places at once, whose
/// mending most often takes that one spot away (at 25 % and 35 % doubles, an expert 60 x 60
/// took about nine times as long). The top rung wants some loops, and a board much denser
/// than its share is rarely finished by a trial at all, so its share is below the hard one.
struct RungRow {
    Rung rung;
    std::string_view name;
    std::string_view needs;  ///< what a player needs for it, for help texts (short)
    int islandPercent;       ///< the maker's default share of cells that are islands
    int loopPercent;         ///< chance of an extra bridge between islands in sight
    int doublePercent;       ///< chance that a drawn bridge is double
};

inline constexpr RungRow RUNGS[] = {
    {Rung::Easy, "easy", "one island at a time: full lines, a bridge each way, crossings", 16, 0,
     85},
    {Rung::Medium, "medium", "also a first bridge where the other lines fall short", 22, 0, 60},
    {Rung::Hard, "hard", "also neighbours' room, pairs and groups that would seal off", 25, 0, 35},
    {Rung::Expert, "expert", "also a group's only way out, any way an island would seal", 20, 0,
     15},
    {Rung::Extreme, "extreme", "also one supposition followed to a contradiction", 22, 15, 20},
};
inline constexpr int RUNG_COUNT = int(std::size(RUNGS));
static_assert(RUNG_COUNT == int(Rung::Extreme), "one row per rung");

/// The one rung whose steps may suppose something and refute it; every rung below it only
/// deduces.
inline constexpr Rung SUPPOSING_RUNG = Rung::Extreme;

/// Techniques, easiest rung first; within a rung in the order of the procedures that find
/// them, which is the order those are tried in.
enum Technique {
    FINISHED_ISLAND,
    FULL_LINES,
    ONE_EACH_WAY,
    CROSSED_LINE,
    AT_LEAST,
    NEIGHBOUR_CAPACITY,
    ISOLATED_PAIR,
    ISOLATED_GROUP,
    WOULD_STRAND,
    KEEP_OPEN,
    ONLY_EXIT,
    KEEP_CONNECTED,
    TRIAL,
};

/// The procedures that find steps; each finds the techniques whose rows name it.
enum Procedure {
    CLUE_RULE,
    CROSS_RULE,
    AT_LEAST_RULE,
    CAPACITY_RULE,
    PAIR_SEAL,
    LOOKAHEAD_RULE,
    KEEP_OPEN_RULE,
    ONLY_EXIT_RULE,
    ISLAND_SEAL,
    TRIAL_RULE,
    PROCEDURE_COUNT
};

/// One technique: its stable name, the procedure that finds it, its rung, and what each of
/// its steps adds to the score (see roundScore): nothing for the easy steps that settle
/// lines, a little for the easy ones that only give lines a first bridge, then about three
/// times as much for each rung up.
struct TechniqueRow {
    Technique technique;
    std::string_view name;
    Procedure procedure;
    Rung rung;
    double weight;
};

inline constexpr TechniqueRow TECHNIQUES[] = {
    {FINISHED_ISLAND, "finished-island", CLUE_RULE, Rung::Easy, 0},
    {FULL_LINES, "full-lines", CLUE_RULE, Rung::Easy, 0},
    {ONE_EACH_WAY, "one-each-way", CLUE_RULE, Rung::Easy, 0.05},
    {CROSSED_LINE, "crossed-line", CROSS_RULE, Rung::Easy, 0.05},
    {AT_LEAST, "at-least", AT_LEAST_RULE, Rung::Medium, 1},
    {NEIGHBOUR_CAPACITY, "neighbour-capacity", CAPACITY_RULE, Rung::Hard, 3},
    {ISOLATED_PAIR, "isolated-pair", PAIR_SEAL, Rung::Hard, 3},
    {ISOLATED_GROUP, "isolated-group", PAIR_SEAL, Rung::Hard, 3},
    {WOULD_STRAND, "would-strand", LOOKAHEAD_RULE, Rung::Hard, 3},
    {KEEP_OPEN, "keep-open", KEEP_OPEN_RULE, Rung::Hard, 3},
    {ONLY_EXIT, "only-exit", ONLY_EXIT_RULE, Rung::Expert, 9},
    {KEEP_CONNECTED, "keep-connected", ISLAND_SEAL, Rung::Expert, 9},
    {TRIAL, "trial", TRIAL_RULE, SUPPOSING_RUNG, 27},
};
inline constexpr int TECHNIQUE_COUNT = int(std::size(TECHNIQUES));

namespace ladder_detail {
constexpr bool rowsInOrder() {
    for (int k = 0; k < RUNG_COUNT; ++k)
        if (int(RUNGS[k].rung) != k + 1) return false;
    for (int k = 0; k < TECHNIQUE_COUNT; ++k)
        if (int(TECHNIQUES[k].technique) != k) return false;
    return true;
}
/// Every procedure finds techniques of one rung only, and the rungs never go down.
constexpr bool proceduresInOneRung() {
    for (int k = 1; k < TECHNIQUE_COUNT; ++k) {
        if (TECHNIQUES[k].rung < TECHNIQUES[k - 1].rung) return false;
        for (int j = 0; j < k; ++j)
            if (TECHNIQUES[j].procedure == TECHNIQUES[k].procedure &&
                TECHNIQUES[j].rung != TECHNIQUES[k].rung)
                return false;
    }
    return true;
}
constexpr bool everyProcedureUsed() {
    for (int p = 0; p < PROCEDURE_COUNT; ++p) {
        bool used = false;
        for (const TechniqueRow& row : TECHNIQUES)
            used = used || row.procedure == Procedure(p);
        if (!used) return false;
    }
    return true;
}
}  // namespace ladder_detail
static_assert(TECHNIQUE_COUNT == int(TRIAL) + 1, "one row per technique");
static_assert(ladder_detail::rowsInOrder(), "the rows in the order of their enumerations");
static_assert(ladder_detail::proceduresInOneRung(), "a procedure belongs to one rung");
static_assert(ladder_detail::everyProcedureUsed(), "every procedure finds some technique");

/// The rung of a procedure: that of the techniques it finds.
constexpr Rung procedureRung(Procedure procedure) {
    for (const TechniqueRow& row : TECHNIQUES)
        // cppcheck-suppress useStlAlgorithm
        if (row.procedure == procedure) return row.rung;
    return SUPPOSING_RUNG;
}

constexpr const RungRow& rungRow(Rung rung) {
    return RUNGS[int(rung) - 1];
}

}  // namespace spanwright::explain
