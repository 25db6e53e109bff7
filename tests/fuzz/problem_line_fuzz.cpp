// Arbitrary bytes as a problem line, and as a line of an archive. The reader must never read
// outside the text, leak or crash, and every line it accepts must survive a write and a
// second read unchanged.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

#include "puzzle/archive_reader.h"
#include "puzzle/canonical.h"
#include "puzzle/fingerprint.h"
#include "puzzle/problem_line.h"
#include "puzzle/puzzle_input.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

using spanwright::ISLAND_BASE;
using spanwright::LineFault;
using spanwright::MAX_BOARD_SIDE;
using spanwright::Puzzle;

bool sameRecord(const Puzzle& a, const Puzzle& b) {
    return a.width == b.width && a.height == b.height && a.difficulty == b.difficulty &&
           std::memcmp(a.cells.get(), b.cells.get(), std::size_t(a.cellCount())) == 0;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // The view covers exactly the fuzzer's buffer, so any read past its end is caught.
    const std::string_view line(reinterpret_cast<const char*>(data), size);

    // The same bytes as a line that may also be a game ID: a refusal says why, and every
    // image of an accepted board shares its canonical form.
    Puzzle either;
    std::string err;
    if (spanwright::readPuzzleLine(either, line, &err)) {
        const std::uint64_t hash = spanwright::canonicalForm(either).hash;
        const Puzzle turned = spanwright::applyImage(either, spanwright::Image::QuarterTurn);
        FUZZ_CHECK(spanwright::canonicalForm(turned).hash == hash, "a turn changed the hash");
    } else {
        FUZZ_CHECK(!err.empty(), "a refused line says why");
    }

    // The same bytes as a line of an archive, where a pack record may hold the puzzle: a
    // refusal says why, and every image of an accepted board has its fingerprint.
    Puzzle kept;
    std::string keptErr;
    if (spanwright::readArchiveLine(kept, line, keptErr)) {
        const spanwright::Fingerprint print = spanwright::fingerprintOf(kept);
        for (const spanwright::Image image : spanwright::ALL_IMAGES)
            FUZZ_CHECK(spanwright::fingerprintOf(spanwright::applyImage(kept, image)) == print,
                       "an image changed the fingerprint");
    } else {
        FUZZ_CHECK(!keptErr.empty(), "a refused archive line says why");
    }

    Puzzle puzzle;
    LineFault fault = LineFault::MissingCells;
    const bool accepted = spanwright::parseProblemLine(puzzle, line, &fault);
    FUZZ_CHECK(spanwright::describeLineFault(fault) != nullptr, "every fault has a sentence");

    // The solve mode may hand over a line with or without its line end; a line end adds
    // no header slash and no cell, so it may not change the verdict or the record.
    Puzzle withLineEnd;
    LineFault faultWithLineEnd = LineFault::None;
    const bool acceptedWithLineEnd =
        spanwright::parseProblemLine(withLineEnd, std::string(line) + "\r\n", &faultWithLineEnd);
    FUZZ_CHECK(acceptedWithLineEnd == accepted, "a line end changed the verdict");
    FUZZ_CHECK(faultWithLineEnd == fault, "a line end changed the fault");

    if (!accepted) {
        FUZZ_CHECK(fault != LineFault::None, "a refused line names its fault");
        return 0;
    }
    FUZZ_CHECK(fault == LineFault::None, "an accepted line reports a fault");
    FUZZ_CHECK(sameRecord(puzzle, withLineEnd), "a line end changed the record");

    // The solver relies on these bounds: it borders the board in signed 8-bit sides and
    // reads every non-zero cell as an island of 1 to 8.
    FUZZ_CHECK(puzzle.width >= 1 && puzzle.width <= MAX_BOARD_SIDE, "width out of range");
    FUZZ_CHECK(puzzle.height >= 1 && puzzle.height <= MAX_BOARD_SIDE, "height out of range");
    FUZZ_CHECK(puzzle.cells != nullptr, "an accepted record has cells");
    for (int i = 0; i < puzzle.cellCount(); ++i) {
        const std::uint8_t v = puzzle.cells[i];
        FUZZ_CHECK(v == 0 || (v >= ISLAND_BASE + 1 && v <= ISLAND_BASE + 8),
                   "a cell is neither water nor an island of 1 to 8");
    }

    const std::string written = spanwright::formatProblemLine(puzzle);
    Puzzle reread;
    FUZZ_CHECK(spanwright::parseProblemLine(reread, written), "a written line is refused");
    FUZZ_CHECK(sameRecord(puzzle, reread), "a written line reads back differently");
    FUZZ_CHECK(spanwright::formatProblemLine(reread) == written, "writing is not stable");
    return 0;
}
