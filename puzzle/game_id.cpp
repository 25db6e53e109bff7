#include "puzzle/game_id.h"

#include <algorithm>
#include <cstdio>

namespace spanwright {
namespace {

/// Water cells one run letter stands for at most ("z").
constexpr int LONGEST_RUN = 26;

// An ID states its bridge limit ("m2"), and the messages below name it in words; islands
// past the largest clue are written 9 and in capitals.
static_assert(MAX_BRIDGES_PER_LINE == 2 && MAX_CLUE == 8,
              "the written limit m2 and the messages say two bridges and eight at most");

bool fail(std::string* err, const std::string& message) {
    if (err) *err = message;
    return false;
}

/// A character of the ID as a message shows it: 'c' when printable, its code otherwise.
std::string shown(char c) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte < 0x7F) return std::string("'") + c + "'";
    char code[16];
    std::snprintf(code, sizeof code, "byte 0x%02X", unsigned(byte));
    return code;
}

std::string cellName(const Puzzle& puzzle, int cell) {
    return "row " + std::to_string(cell / puzzle.width + 1) + ", column " +
           std::to_string(cell % puzzle.width + 1);
}

/// A number of the ID as it was given, for a message that refuses it: its digits, the
/// first twenty of a longer run followed by "...".
std::string shownNumber(std::string_view digits) {
    return digits.size() <= 20 ? std::string(digits) : std::string(digits.substr(0, 20)) + "...";
}

/// Reads the decimal number at `place`, moving past it, with its digits in `digits`. False
/// when no digit is there. A value past any side or parameter is held at a bound, so that
/// it is refused, not wrapped; messages show the digits.
bool readNumber(std::string_view text, std::size_t& place, long& value, std::string_view& digits) {
    const std::size_t start = place;
    value = 0;
    for (; place < text.size() && text[place] >= '0' && text[place] <= '9'; ++place)
        value = std::min(value * 10 + (text[place] - '0'), 1000000L);
    digits = text.substr(start, place - start);
    return place > start;
}

/// The board size of the parameters, as values and as given.
struct BoardSize {
    long width = 0;
    long height = 0;
    std::string_view widthDigits;
    std::string_view heightDigits;
};

bool readParameters(std::string_view parameters, BoardSize& size, std::string* err) {
    std::size_t place = 0;
    if (!readNumber(parameters, place, size.width, size.widthDigits))
        return fail(err, "the ID does not start with the board width");
    size.height = size.width;
    size.heightDigits = size.widthDigits;
    if (place < parameters.size() && parameters[place] == 'x' &&
        !readNumber(parameters, ++place, size.height, size.heightDigits))
        return fail(err, "no board height after the 'x'");

    // What follows the size tunes the collection's generator (i: island share, e:
    // expansion, d: difficulty) and has no effect on the board, or sets rules: m the most
    // bridges between two islands, L no loops. A rule other than ours would give the same
    // board other solutions, so such IDs are refused rather than misread.
    while (place < parameters.size()) {
        const char key = parameters[place++];
        if (key == 'L')
            return fail(err, "the ID sets the no-loops rule (L), which this system does not have");
        if (key != 'i' && key != 'e' && key != 'd' && key != 'm')
            return fail(err, "unknown parameter " + shown(key) + " before the ':'");
        long value = 0;
        std::string_view digits;
        if (!readNumber(parameters, place, value, digits))
            return fail(err, std::string("parameter '") + key + "' has no number");
        if (key == 'm' && value != MAX_BRIDGES_PER_LINE)
            return fail(err, "bridge limit m" + shownNumber(digits) +
                                 "; the rules here allow 1 or 2 bridges between two islands (m2)");
    }
    return true;
}

bool readDescription(Puzzle& puzzle, std::string_view description, std::size_t offset,
                     std::string* err) {
    const int cellCount = puzzle.cellCount();
    int cell = 0;
    for (std::size_t i = 0; i < description.size(); ++i) {
        const char c = description[i];
        const auto where = [&] { return "character " + std::to_string(offset + i + 1); };
        if (cell == cellCount)
            return fail(err, "the description goes on past the last cell, at " + where());
        if (c >= 'a' && c <= 'z') {
            const int run = c - 'a' + 1;
            if (cell + run > cellCount)
                return fail(err, "the water run " + shown(c) + " at " + where() +
                                     " goes past the last cell");
            cell += run;  // the cells are water already
        } else if (c >= '1' && c <= '0' + MAX_CLUE) {
            puzzle.cells[cell++] = std::uint8_t(ISLAND_BASE + (c - '0'));
        } else if (c == '9' || (c >= 'A' && c <= 'Z')) {
            // The collection writes islands of 10 and more as capitals, for its larger
            // bridge limits; with at most 2 bridges each way no island takes more than 8.
            return fail(err, "the island " + shown(c) + " at " + cellName(puzzle, cell) +
                                 " needs more than 8 bridges");
        } else {
            return fail(err, "unexpected " + shown(c) + " at " + where());
        }
    }
    if (cell < cellCount)
        return fail(err, "the description covers " + std::to_string(cell) + " of the " +
                             std::to_string(cellCount) + " cells of the board");
    return true;
}

/// Appends a run of `count` water cells: "z" for every full 26, a letter for the rest.
void appendWater(std::string& id, int count) {
    for (; count > 0; count -= LONGEST_RUN)
        id += char('a' + std::min(count, LONGEST_RUN) - 1);
}

}  // namespace

bool parseGameId(Puzzle& puzzle, std::string_view id, std::string* err) {
    const std::size_t colon = id.find_first_of(":#");
    if (colon == std::string_view::npos)
        return fail(err, "no ':' between the parameters and the description");
    if (id[colon] == '#')
        return fail(err,
                    "a random-seed ID (parameters#seed) names no board; ask the app that made it "
                    "for the descriptive ID (parameters:description)");

    BoardSize size;
    if (!readParameters(id.substr(0, colon), size, err)) return false;
    if (size.width < 1 || size.width > MAX_BOARD_SIDE || size.height < 1 ||
        size.height > MAX_BOARD_SIDE)
        return fail(err, "the board is " + shownNumber(size.widthDigits) + " x " +
                             shownNumber(size.heightDigits) + "; sides run from 1 to " +
                             std::to_string(MAX_BOARD_SIDE));

    puzzle.width = std::int8_t(size.width);
    puzzle.height = std::int8_t(size.height);
    puzzle.difficulty = 0;
    puzzle.allocateCells();
    return readDescription(puzzle, id.substr(colon + 1), colon + 1, err);
}

bool formatGameId(const Puzzle& puzzle, std::string& id, std::string* err) {
    const int width = puzzle.width;
    const int height = puzzle.height;
    if (width < GAME_ID_MIN_SIDE || height < GAME_ID_MIN_SIDE)
        return fail(err, "the board is " + std::to_string(width) + " x " + std::to_string(height) +
                             "; the collection's apps open boards of 3 x 3 and more");
    const auto isIsland = [&](int cell) { return puzzle.cells[cell] != 0; };
    int islands = 0;
    for (int cell = 0; cell < puzzle.cellCount(); ++cell) {
        if (!isIsland(cell)) continue;
        ++islands;
        // Islands side by side can never be bridged here; the apps refuse such boards.
        const bool rightTouches = cell % width + 1 < width && isIsland(cell + 1);
        const bool belowTouches = cell + width < puzzle.cellCount() && isIsland(cell + width);
        if (rightTouches || belowTouches)
            return fail(err, "the islands at " + cellName(puzzle, cell) + " and " +
                                 cellName(puzzle, rightTouches ? cell + 1 : cell + width) +
                                 " touch; the collection's apps refuse such boards");
    }
    if (islands < GAME_ID_MIN_ISLANDS)
        return fail(err, "the board has " + std::to_string(islands) +
                             " island(s); the collection's apps need at least 2");

    id = std::to_string(width) + 'x' + std::to_string(height) + "m2:";
    int water = 0;
    for (int cell = 0; cell < puzzle.cellCount(); ++cell) {
        const std::uint8_t value = puzzle.cells[cell];
        if (value == 0) {
            ++water;
            continue;
        }
        appendWater(id, water);
        water = 0;
        id += char('0' + value - ISLAND_BASE);
    }
    appendWater(id, water);
    return true;
}

}  // namespace spanwright
