#include "puzzle/problem_line.h"

#include <cstdint>
#include <limits>

namespace spanwright {
namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

/// Decimal conversion of a header field as the C library does it: leading white space,
/// an optional sign, then digits up to the first other character. No digits give 0; a
/// value beyond 32 bits is clamped, so that a huge width is refused rather than wrapped.
std::int32_t convertField(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && isBlank(text[i]))
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    constexpr std::int64_t limit = std::int64_t(std::numeric_limits<std::int32_t>::max()) + 1;
    std::int64_t value = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        value = value * 10 + (text[i] - '0');
        if (value > limit) value = limit;
    }
    if (negative) return std::int32_t(-value);
    return value >= limit ? std::numeric_limits<std::int32_t>::max() : std::int32_t(value);
}

/// The low 8 bits of a header value, read as signed.
std::int8_t lowByte(std::int32_t value) {
    return std::int8_t(std::uint8_t(value & 0xFF));
}

bool fail(LineFault* fault, LineFault why) {
    if (fault) *fault = why;
    return false;
}

}  // namespace

const char* describeLineFault(LineFault fault) {
    switch (fault) {
        case LineFault::None:
            return "no fault";
        case LineFault::MissingHeader:
            return "the line ends before its header (difficulty/height/width/) is complete";
        case LineFault::BoardSize:
            return "the board size is outside 1 to 125";
        case LineFault::MissingCells:
            return "the line ends before all its cells";
        case LineFault::TooLong:
            return "the line is longer than 1 MiB";
    }
    return "unknown fault";
}

bool parseProblemLine(Puzzle& puzzle, std::string_view line, LineFault* fault) {
    if (fault) *fault = LineFault::None;
    line = line.substr(0, line.find('\0'));

    std::int32_t header[3];
    std::size_t place = 0;
    for (std::int32_t& field : header) {
        std::size_t slash = line.find('/', place);
        if (slash == std::string_view::npos) return fail(fault, LineFault::MissingHeader);
        field = convertField(line.substr(place, slash - place));
        place = slash + 1;
    }
    const std::int32_t height = header[1];
    const std::int32_t width = header[2];
    if (width < 1 || width > MAX_BOARD_SIDE || height < 1 || height > MAX_BOARD_SIDE)
        return fail(fault, LineFault::BoardSize);

    puzzle.difficulty = lowByte(header[0]);
    puzzle.height = lowByte(height);
    puzzle.width = lowByte(width);
    puzzle.allocateCells();

    const int needed = puzzle.cellCount();
    int stored = 0;
    for (; stored < needed && place < line.size(); ++place) {
        char c = line[place];
        if (c == '.')
            puzzle.cells[stored++] = 0;
        else if (c >= '1' && c <= '0' + MAX_CLUE)
            puzzle.cells[stored++] = std::uint8_t(c - '0' + ISLAND_BASE);
    }
    if (stored < needed) return fail(fault, LineFault::MissingCells);
    return true;
}

std::string formatProblemLine(const Puzzle& puzzle) {
    std::string text = std::to_string(puzzle.difficulty) + '/' + std::to_string(puzzle.height) +
                       '/' + std::to_string(puzzle.width) + '/';
    for (int r = 0; r < puzzle.height; ++r) {
        for (int c = 0; c < puzzle.width; ++c) {
            std::uint8_t v = puzzle.cells[r * puzzle.width + c];
            // Islands 6..13 become the digits "1".."8".
            text += v == 0 ? '.' : char(v + 43);
        }
        text += '/';
    }
    text += '\n';
    return text;
}

bool writeProblemLine(std::FILE* file, const Puzzle& puzzle) {
    std::string text = formatProblemLine(puzzle);
    return std::fwrite(text.data(), 1, text.size(), file) == text.size();
}

}  // namespace spanwright
