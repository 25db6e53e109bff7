#include "puzzle/pencil_box.h"

#include <algorithm>

namespace spanwright {
namespace {

/// Largest answer value: two bridges down and two across would cross, but the format
/// has room for both.
constexpr long MAX_ANSWER_VALUE = 15;
/// The cell that stands for an island whose number is not given.
constexpr char UNKNOWN_CELL = '9';

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

/// A word of the text as a message shows it: at most 20 characters, anything but
/// printable ASCII as "?".
std::string shownWord(std::string_view word) {
    std::string shown;
    for (const char c : word.substr(0, 20))
        shown += c >= 0x20 && c < 0x7F ? c : '?';
    return "'" + shown + (word.size() > 20 ? "...'" : "'");
}

std::vector<std::string_view> wordsOf(std::string_view line) {
    std::vector<std::string_view> words;
    std::size_t place = 0;
    for (;;) {
        while (place < line.size() && isBlank(line[place]))
            ++place;
        if (place == line.size()) return words;
        const std::size_t start = place;
        while (place < line.size() && !isBlank(line[place]))
            ++place;
        words.push_back(line.substr(start, place - start));
    }
}

/// A whole number of at most six digits, with an optional minus sign.
bool readWhole(std::string_view word, long& value) {
    const bool negative = !word.empty() && word[0] == '-';
    if (negative) word.remove_prefix(1);
    if (word.empty() || word.size() > 6) return false;
    value = 0;
    for (const char c : word) {
        if (c < '0' || c > '9') return false;
        value = value * 10 + (c - '0');
    }
    if (negative) value = -value;
    return true;
}

/// The non-blank lines of a text with their 1-based numbers; "/" ends a line too.
struct TextLine {
    std::string_view text;
    int number = 0;
};

std::vector<TextLine> linesOf(std::string_view text) {
    std::vector<TextLine> lines;
    int number = 0;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        ++number;
        std::string_view line = text.substr(start, end - start);
        start = end + 1;
        for (;;) {
            const std::size_t slash = line.find('/');
            const std::string_view piece = line.substr(0, slash);
            if (!wordsOf(piece).empty()) lines.push_back({piece, number});
            if (slash == std::string_view::npos) break;
            line.remove_prefix(slash + 1);
        }
    }
    return lines;
}

bool failAt(int line, const std::string& message, int* errLine, std::string* err) {
    if (errLine) *errLine = line;
    if (err) *err = message;
    return false;
}

/// Whether the line is an answer row of `columns` values.
bool isAnswerRow(std::string_view line, long columns) {
    const std::vector<std::string_view> words = wordsOf(line);
    long value = 0;
    return long(words.size()) == columns &&
           std::all_of(words.begin(), words.end(),
                       [&value](std::string_view word) { return readWhole(word, value); });
}

}  // namespace

bool looksLikePencilBox(std::string_view line) {
    const std::vector<std::string_view> words = wordsOf(line.substr(0, line.find('\n')));
    long value = 0;
    return words.size() == 1 && readWhole(words[0], value) && value >= 0;
}

bool parsePencilBox(std::string_view text, std::vector<PencilBoxPuzzle>& puzzles, int* errLine,
                    std::string* err) {
    puzzles.clear();
    const std::vector<TextLine> lines = linesOf(text);
    std::size_t next = 0;
    while (next < lines.size()) {
        const int headerLine = lines[next].number;
        long sides[2] = {0, 0};
        for (long& side : sides) {
            if (next == lines.size())
                return failAt(lines.back().number, "the text ends before the column count", errLine,
                              err);
            const std::vector<std::string_view> words = wordsOf(lines[next].text);
            if (words.size() != 1 || !readWhole(words[0], side))
                return failAt(lines[next].number,
                              "a puzzle starts with its row count and column count, one "
                              "number a line, not " +
                                  shownWord(lines[next].text),
                              errLine, err);
            if (side < 1 || side > MAX_BOARD_SIDE)
                return failAt(lines[next].number,
                              "a side of " + shownWord(words[0]) + "; sides run from 1 to " +
                                  std::to_string(MAX_BOARD_SIDE),
                              errLine, err);
            ++next;
        }
        const long rows = sides[0];
        const long columns = sides[1];
        PencilBoxPuzzle entry;
        entry.line = headerLine;
        Puzzle& puzzle = entry.puzzle;
        puzzle.width = std::int8_t(columns);
        puzzle.height = std::int8_t(rows);
        puzzle.difficulty = 0;
        puzzle.allocateCells();
        for (long row = 0; row < rows; ++row, ++next) {
            if (next == lines.size())
                return failAt(lines.back().number,
                              "the text ends after " + std::to_string(row) + " of the " +
                                  std::to_string(rows) + " rows",
                              errLine, err);
            const std::vector<std::string_view> words = wordsOf(lines[next].text);
            if (long(words.size()) != columns)
                return failAt(lines[next].number,
                              "row " + std::to_string(row + 1) + " has " +
                                  std::to_string(words.size()) + " cells, not " +
                                  std::to_string(columns),
                              errLine, err);
            for (long column = 0; column < columns; ++column) {
                const std::string_view word = words[std::size_t(column)];
                std::uint8_t& cell = puzzle.cells[std::size_t(row * columns + column)];
                if (word == ".")
                    cell = 0;
                else if (word.size() == 1 && word[0] >= '1' && word[0] <= '8')
                    cell = std::uint8_t(ISLAND_BASE + (word[0] - '0'));
                else if (word.size() == 1 && word[0] == UNKNOWN_CELL)
                    cell = UNKNOWN_ISLAND;
                else
                    return failAt(lines[next].number,
                                  "the cell " + shownWord(word) + " in column " +
                                      std::to_string(column + 1) +
                                      " is neither '.', an island of 1 to 8 nor '9' (an "
                                      "island whose number is not given)",
                                  errLine, err);
            }
        }
        // The answer, when there is one, is as many rows of numbers; a row count of the
        // next puzzle is a single number, so a board of one column cannot tell the two
        // apart, and the answer is taken (the editor always writes one).
        if (next < lines.size() && isAnswerRow(lines[next].text, columns)) {
            for (long row = 0; row < rows; ++row, ++next) {
                if (next == lines.size() || !isAnswerRow(lines[next].text, columns))
                    return failAt(next == lines.size() ? lines.back().number : lines[next].number,
                                  "answer row " + std::to_string(row + 1) + " is not " +
                                      std::to_string(columns) + " numbers",
                                  errLine, err);
                for (const std::string_view word : wordsOf(lines[next].text)) {
                    long value = 0;
                    readWhole(word, value);
                    if (value < 0 || value > MAX_ANSWER_VALUE)
                        return failAt(lines[next].number,
                                      "the answer value " + shownWord(word) + " is outside 0 to 15",
                                      errLine, err);
                }
            }
        }
        puzzles.push_back(std::move(entry));
    }
    if (puzzles.empty()) return failAt(1, "the text holds no puzzle", errLine, err);
    return true;
}

std::string formatPencilBox(const Puzzle& puzzle, const Solution* solution) {
    const int width = puzzle.width;
    std::string text = std::to_string(puzzle.height) + "\n" + std::to_string(width) + "\n";
    for (int cell = 0; cell < puzzle.cellCount(); ++cell) {
        const std::uint8_t value = puzzle.cells[cell];
        text += value == 0                ? '.'
                : value == UNKNOWN_ISLAND ? UNKNOWN_CELL
                                          : char('0' + value - ISLAND_BASE);
        text += cell % width == width - 1 ? " \n" : " ";
    }
    std::vector<int> answer(std::size_t(puzzle.cellCount()), 0);
    if (solution) {
        for (const Bridge& bridge : *solution) {
            const bool across = bridge.row1 == bridge.row2;
            const int step = across ? 1 : width;
            const int first = bridge.row1 * width + bridge.column1;
            const int last = bridge.row2 * width + bridge.column2;
            for (int cell = first + step; cell < last; cell += step)
                answer[std::size_t(cell)] += across ? bridge.bridges << 2 : bridge.bridges;
        }
    }
    for (int cell = 0; cell < puzzle.cellCount(); ++cell) {
        text += std::to_string(answer[std::size_t(cell)]);
        text += cell % width == width - 1 ? " \n" : " ";
    }
    return text;
}

}  // namespace spanwright
