#include "puzzle/puzzle_link.h"

#include <algorithm>
#include <cstdio>

namespace spanwright {
namespace {

/// Water cells one run letter stands for at most ("z").
constexpr int LONGEST_RUN = 20;
/// The letter of a run of one water cell; "z" is a run of LONGEST_RUN.
constexpr char FIRST_RUN_LETTER = 'g';
/// Largest island number.
constexpr int MAX_ISLAND = 8;

/// The hosts and pages a link may name before its '?'.
constexpr std::string_view LINK_PAGES[] = {"puzz.link/p", "puzz.link/p.html", "pzv.jp/p",
                                           "pzv.jp/p.html"};

bool fail(std::string* err, const std::string& message) {
    if (err) *err = message;
    return false;
}

/// Part of the link as a message shows it: at most 30 characters, anything but printable
/// ASCII as "?", so that a binary line cannot drive the terminal.
std::string shownText(std::string_view text) {
    std::string shown;
    for (const char c : text.substr(0, 30))
        shown += c >= 0x20 && c < 0x7F ? c : '?';
    return "'" + shown + (text.size() > 30 ? "...'" : "'");
}

std::string_view trimmed(std::string_view text) {
    const std::size_t first = text.find_first_not_of(" \t\r\n\v\f");
    if (first == std::string_view::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t\r\n\v\f") - first + 1);
}

bool startsWith(std::string_view text, std::string_view start) {
    return text.substr(0, start.size()) == start;
}

/// Whatever comes before the '?': nothing, "p", "p.html", or a known page with or
/// without its scheme (and "www.").
bool isLinkPage(std::string_view page) {
    if (page.empty() || page == "p" || page == "p.html") return true;
    for (const std::string_view scheme : {"https://", "http://"})
        if (startsWith(page, scheme)) page.remove_prefix(scheme.size());
    if (startsWith(page, "www.")) page.remove_prefix(4);
    return std::find(std::begin(LINK_PAGES), std::end(LINK_PAGES), page) != std::end(LINK_PAGES);
}

/// A side of the board: decimal digits, 1 to MAX_BOARD_SIDE.
bool readSide(std::string_view digits, int& side) {
    if (digits.empty() || digits.size() > 4) return false;
    int value = 0;
    for (const char c : digits) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    side = value;
    return value >= 1 && value <= MAX_BOARD_SIDE;
}

int hexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

bool readBody(Puzzle& puzzle, std::string_view body, std::string* err) {
    const int cellCount = puzzle.cellCount();
    int cell = 0;
    for (std::size_t i = 0; i < body.size(); ++i) {
        const char c = body[i];
        if (cell == cellCount)
            return fail(err,
                        "the body goes on past the last cell, at " + shownText(body.substr(i)));
        if (c >= FIRST_RUN_LETTER && c <= 'z') {
            const int run = c - FIRST_RUN_LETTER + 1;
            if (cell + run > cellCount)
                return fail(err,
                            "the water run '" + std::string(1, c) + "' goes past the last cell");
            cell += run;  // the cells are water already
            continue;
        }
        if (c == '.') {
            puzzle.cells[cell++] = UNKNOWN_ISLAND;
            continue;
        }
        // One hex digit, or a longer number after '-' (two digits) or '+', '=' or '%'
        // (three; the last two add 4096 and 8192). Every one of them but 1 to 8 is
        // refused, so only how far the number runs matters for the message.
        long value = hexValue(c);
        if (c == '-' || c == '+' || c == '=' || c == '%') {
            const int digits = c == '-' ? 2 : 3;
            if (body.size() - i - 1 < std::size_t(digits))
                return fail(err, "the number after '" + std::string(1, c) + "' at " +
                                     cellPlace(puzzle, cell) + " is cut short");
            value = 0;
            for (int k = 1; k <= digits; ++k) {
                const int digit = hexValue(body[i + std::size_t(k)]);
                if (digit < 0)
                    return fail(err, "the number after '" + std::string(1, c) + "' at " +
                                         cellPlace(puzzle, cell) + " is not hexadecimal");
                value = value * 16 + digit;
            }
            value += c == '=' ? 4096 : c == '%' ? 8192 : 0;
            i += std::size_t(digits);
        } else if (value < 0) {
            return fail(err, "unexpected " + shownText(std::string_view(&body[i], 1)) + " at " +
                                 cellPlace(puzzle, cell));
        }
        if (value < 1 || value > MAX_ISLAND)
            return fail(err, "the island at " + cellPlace(puzzle, cell) + " needs " +
                                 std::to_string(value) + " bridges; islands need 1 to 8");
        puzzle.cells[cell++] = std::uint8_t(ISLAND_BASE + value);
    }
    if (cell < cellCount)
        return fail(err, "the body covers " + std::to_string(cell) + " of the " +
                             std::to_string(cellCount) + " cells of the board");
    return true;
}

/// Appends a run of `count` water cells: "z" for every full LONGEST_RUN, a letter for
/// the rest.
void appendWater(std::string& body, int count) {
    for (; count > 0; count -= LONGEST_RUN)
        body += char(FIRST_RUN_LETTER + std::min(count, LONGEST_RUN) - 1);
}

}  // namespace

bool looksLikeLink(std::string_view text) {
    const std::size_t mark = text.find('?');
    return mark != std::string_view::npos && mark + 1 < text.size() && text[mark + 1] >= 'a' &&
           text[mark + 1] <= 'z';
}

std::string cellPlace(const Puzzle& puzzle, int cell) {
    return "row " + std::to_string(cell / puzzle.width + 1) + ", column " +
           std::to_string(cell % puzzle.width + 1);
}

int firstUnknownIsland(const Puzzle& puzzle) {
    for (int cell = 0; cell < puzzle.cellCount(); ++cell)
        if (puzzle.cells[cell] == UNKNOWN_ISLAND) return cell;
    return -1;
}

bool parsePuzzleLink(Puzzle& puzzle, std::string_view text, std::string* err) {
    const std::string_view link = trimmed(text);
    const std::size_t mark = link.find('?');
    if (mark == std::string_view::npos)
        return fail(err, "no '?' before the puzzle kind (https://puzz.link/p?hashikake/...)");
    if (!isLinkPage(link.substr(0, mark)))
        return fail(err, shownText(link.substr(0, mark)) +
                             " is not a puzz.link or pzv.jp page (https://puzz.link/p?...)");

    // KIND[/FLAGS]/COLS/ROWS/BODY; the editor's flags change nothing for this kind.
    std::string_view rest = link.substr(mark + 1);
    const auto nextPart = [&rest]() {
        const std::size_t slash = rest.find('/');
        const std::string_view part = rest.substr(0, slash);
        rest = slash == std::string_view::npos ? std::string_view() : rest.substr(slash + 1);
        return part;
    };
    const std::string_view kind = nextPart();
    if (std::find(std::begin(LINK_KINDS), std::end(LINK_KINDS), kind) == std::end(LINK_KINDS))
        return fail(err, "the link is to a " + shownText(kind) +
                             " puzzle, not a bridge puzzle (hashikake)");
    std::string_view columns = nextPart();
    if (!columns.empty() && (columns[0] < '0' || columns[0] > '9')) columns = nextPart();
    const std::string_view rows = nextPart();
    int width = 0;
    int height = 0;
    if (!readSide(columns, width) || !readSide(rows, height))
        return fail(err, "the board is " + shownText(columns) + " columns by " + shownText(rows) +
                             " rows; sides run from 1 to " + std::to_string(MAX_BOARD_SIDE));
    puzzle.width = std::int8_t(width);
    puzzle.height = std::int8_t(height);
    puzzle.difficulty = 0;
    puzzle.allocateCells();
    return readBody(puzzle, rest, err);
}

std::string formatPuzzleLink(const Puzzle& puzzle) {
    std::string link = "https://puzz.link/p?" + std::string(LINK_KINDS[0]) + "/" +
                       std::to_string(puzzle.width) + "/" + std::to_string(puzzle.height) + "/";
    int water = 0;
    for (int cell = 0; cell < puzzle.cellCount(); ++cell) {
        const std::uint8_t value = puzzle.cells[cell];
        if (value == 0) {
            ++water;
            continue;
        }
        appendWater(link, water);
        water = 0;
        link += value == UNKNOWN_ISLAND ? '.' : char('0' + value - ISLAND_BASE);
    }
    appendWater(link, water);
    return link;
}

}  // namespace spanwright
