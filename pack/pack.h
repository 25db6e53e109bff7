#pragma once

// Packs for apps: for every puzzle one record that holds everything an app shows or checks
// (the board, its game ID, its solution, its labels), written as JSON Lines or CSV. The
// fields and their order are a stable format, documented in spanwright-convert(1); a
// program that writes packs writes them through this, so that every pack reads alike.

#include <cstdint>
#include <string>
#include <vector>

#include "exact/exact_solver.h"
#include "puzzle/puzzle.h"
#include "puzzle/solution.h"

namespace spanwright {

/// The level and score of the rating ladder, when it rated the puzzle.
struct PackRating {
    bool rated = false;
    std::string level;  ///< "easy" to "extreme"
    double score = 0;
};

/// The rating ladder's level and score for `puzzle`, from the explain library's stepwise
/// solve; unrated when that does not solve it. The one place a pack asks for them.
/// With `cpuSeconds` above 0 the rating stops after that much CPU time, unrated.
PackRating ratePuzzleForPack(const Puzzle& puzzle, double cpuSeconds = 0);

/// Where a made puzzle came from: spanwright-make's seed, the puzzle's index in its run
/// (from 0) and the version that made it; together they make it again.
struct PackOrigin {
    bool made = false;  ///< false for a puzzle read from elsewhere: the fields are null
    std::uint32_t seed = 0;
    std::int64_t index = 0;
    std::string version;
};

/// One puzzle of a pack, every field filled in.
struct PackEntry {
    Puzzle puzzle;  ///< its difficulty graded by deduction when it came with 0
    int islands = 0;
    int grade = 0;  ///< deduction's grade, 1 to 5; 0 when deduction does not solve it
    PackRating rating;
    std::string id;       ///< the game ID; empty when the board has none
    std::string idFault;  ///< why it has none
    exact::Verdict verdict = exact::Verdict::None;
    Solution solution;       ///< the one solution, when the verdict is Unique
    std::uint64_t hash = 0;  ///< of the canonical form under turns and mirrors
    PackOrigin origin;
};

/// The grade a pack gives `puzzle`: deduction's, 1 to 5, or 0 (null) when deduction does
/// not solve it. Every program that writes packs grades through this, so that a puzzle
/// gets the same grade from each (a problem line's difficulty of 5 also stands for
/// "deduction does not finish", which is no grade of deduction's).
int packGrade(const Puzzle& puzzle);

/// Fills in every field for `puzzle`: grades it, solves it exactly within `limits` (the
/// verdict Unknown when the search runs out of time), finds its ID and hash.
PackEntry makePackEntry(const Puzzle& puzzle, const exact::ExactLimits& limits = {});

/// What is missing from an entry, one sentence each, for warnings: no solution, several or
/// not decided in time (the solution field is then null), no game ID (with the reason).
std::vector<std::string> packEntryFaults(const PackEntry& entry);

/// The entry as one JSON object on one line, line feed included.
std::string packJsonLine(const PackEntry& entry);

/// The header line of a CSV pack, line feed included.
std::string packCsvHeader();

/// The entry as one CSV record, line feed included.
std::string packCsvLine(const PackEntry& entry);

}  // namespace spanwright
