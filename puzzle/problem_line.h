#pragma once

#include <cstdio>
#include <string>
#include <string_view>

#include "puzzle/puzzle.h"

namespace spanwright {

/// Why a line was not read as a problem.
enum class LineFault {
    None,
    MissingHeader,  ///< the line ends before the third "/" of its header
    BoardSize,      ///< width or height outside 1 to MAX_BOARD_SIDE
    MissingCells,   ///< the line ends before width x height cell symbols
    TooLong,        ///< the line is longer than any problem line can be (LineReader)
};

/// A sentence that tells a user what is wrong with a refused line.
const char* describeLineFault(LineFault fault);

/// Reads one problem line ("difficulty/height/width/row/row/.../", line end optional)
/// into `puzzle`. Only "." and "1" to "8" count as cells; every other character of the
/// cell part is passed over, and whatever follows the last needed cell is ignored. The
/// text ends at its first NUL byte. Returns false, with the reason in `fault` when given,
/// for a line that is not a problem; the record may then hold a partly filled array.
bool parseProblemLine(Puzzle& puzzle, std::string_view line, LineFault* fault = nullptr);

/// The text of `puzzle` as a problem line, line feed included.
std::string formatProblemLine(const Puzzle& puzzle);

/// Appends the line of `puzzle` to `file`. Returns false when the write failed.
bool writeProblemLine(std::FILE* file, const Puzzle& puzzle);

}  // namespace spanwright
