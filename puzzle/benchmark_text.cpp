#include "puzzle/benchmark_text.h"

#include <algorithm>
#include <vector>

namespace spanwright {
namespace {

/// Largest island number, and the most bridges an island can take.
constexpr long MAX_ISLAND = 8;

bool isBlank(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f';
}

bool failAt(int line, const std::string& message, int* errLine, std::string* err) {
    if (errLine) *errLine = line;
    if (err) *err = message;
    return false;
}

/// A word of the file as a message shows it: at most 20 characters, anything but
/// printable ASCII as "?", so that a binary file cannot drive the terminal.
std::string shownWord(std::string_view word) {
    std::string shown;
    for (const char c : word.substr(0, 20))
        shown += c >= 0x20 && c < 0x7F ? c : '?';
    return "'" + shown + (word.size() > 20 ? "...'" : "'");
}

/// A number of the file as it was given, for a message that refuses it: its digits, the
/// first twenty of a longer run followed by "...".
std::string shownNumber(std::string_view digits) {
    return digits.size() <= 20 ? std::string(digits) : std::string(digits.substr(0, 20)) + "...";
}

/// The numbers of one line, with their digits as given in `words`. A value past any side or
/// count is held at a bound, so that it is refused, not wrapped; messages show the digits.
bool readNumbers(std::string_view line, std::vector<long>& numbers,
                 std::vector<std::string_view>& words, std::string& message) {
    numbers.clear();
    words.clear();
    std::size_t place = 0;
    for (;;) {
        while (place < line.size() && isBlank(line[place]))
            ++place;
        if (place == line.size()) return true;
        const std::size_t start = place;
        while (place < line.size() && !isBlank(line[place]))
            ++place;
        const std::string_view word = line.substr(start, place - start);
        long value = 0;
        for (const char c : word) {
            if (c < '0' || c > '9') {
                message = shownWord(word) + " is not a number";
                return false;
            }
            value = std::min(value * 10 + (c - '0'), 1000000L);
        }
        numbers.push_back(value);
        words.push_back(word);
    }
}

}  // namespace

bool parseBenchmarkText(Puzzle& puzzle, std::string_view text, int* errLine, std::string* err) {
    std::vector<long> numbers;
    std::vector<std::string_view> words;
    std::string islandsGiven;
    std::string message;
    int lineNumber = 0;
    int headerLine = 0;
    long rows = 0;
    long columns = 0;
    long islands = 0;
    long row = 0;
    long islandsFound = 0;
    for (std::size_t start = 0; start < text.size();) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        const std::string_view line = text.substr(start, end - start);
        start = end + 1;
        ++lineNumber;
        if (!readNumbers(line, numbers, words, message))
            return failAt(lineNumber, message, errLine, err);
        if (numbers.empty()) continue;

        if (headerLine == 0) {
            if (numbers.size() != 3)
                return failAt(lineNumber,
                              "the first line should be three numbers: rows columns islands",
                              errLine, err);
            rows = numbers[0];
            columns = numbers[1];
            islands = numbers[2];
            islandsGiven = shownNumber(words[2]);
            if (rows < 1 || rows > MAX_BOARD_SIDE || columns < 1 || columns > MAX_BOARD_SIDE)
                return failAt(lineNumber,
                              "the board is " + shownNumber(words[0]) + " rows by " +
                                  shownNumber(words[1]) + " columns; sides run from 1 to " +
                                  std::to_string(MAX_BOARD_SIDE),
                              errLine, err);
            headerLine = lineNumber;
            puzzle.width = std::int8_t(columns);
            puzzle.height = std::int8_t(rows);
            puzzle.difficulty = 0;
            puzzle.allocateCells();
            continue;
        }
        if (row == rows)
            return failAt(lineNumber,
                          "more rows than the " + std::to_string(rows) + " the first line gives",
                          errLine, err);
        if (long(numbers.size()) != columns)
            return failAt(lineNumber,
                          "row " + std::to_string(row + 1) + " has " +
                              std::to_string(numbers.size()) + " numbers, not " +
                              std::to_string(columns),
                          errLine, err);
        for (long column = 0; column < columns; ++column) {
            const long value = numbers[std::size_t(column)];
            if (value > MAX_ISLAND)
                return failAt(lineNumber,
                              "the island of " + shownNumber(words[std::size_t(column)]) +
                                  " in column " + std::to_string(column + 1) +
                                  " needs more than 8 bridges",
                              errLine, err);
            if (value > 0) ++islandsFound;
            puzzle.cells[std::size_t(row * columns + column)] =
                value == 0 ? 0 : std::uint8_t(ISLAND_BASE + value);
        }
        ++row;
    }
    if (headerLine == 0)
        return failAt(std::max(lineNumber, 1), "the file holds no numbers", errLine, err);
    if (row < rows)
        return failAt(lineNumber,
                      "the file ends after " + std::to_string(row) + " of its " +
                          std::to_string(rows) + " rows",
                      errLine, err);
    if (islandsFound != islands)
        return failAt(headerLine,
                      "the first line gives " + islandsGiven + " islands, the rows hold " +
                          std::to_string(islandsFound),
                      errLine, err);
    return true;
}

bool looksLikeBenchmarkText(std::string_view line) {
    std::vector<long> numbers;
    std::vector<std::string_view> words;
    std::string message;
    return readNumbers(line.substr(0, line.find('\n')), numbers, words, message) &&
           numbers.size() == 3;
}

std::string formatBenchmarkText(const Puzzle& puzzle) {
    int islands = 0;
    for (int cell = 0; cell < puzzle.cellCount(); ++cell)
        islands += puzzle.cells[cell] != 0;
    std::string text = std::to_string(puzzle.height) + " " + std::to_string(puzzle.width) + " " +
                       std::to_string(islands) + "\n";
    for (int cell = 0; cell < puzzle.cellCount(); ++cell) {
        const std::uint8_t value = puzzle.cells[cell];
        text += value == 0 ? '0' : char('0' + value - ISLAND_BASE);
        text += cell % puzzle.width == puzzle.width - 1 ? '\n' : ' ';
    }
    return text;
}

}  // namespace spanwright
