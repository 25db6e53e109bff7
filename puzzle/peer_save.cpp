#include "puzzle/peer_save.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <vector>

#include "puzzle/game_id.h"

namespace spanwright {
namespace {

constexpr std::string_view SAVE_SIGNATURE = "Simon Tatham's Portable Puzzle Collection";
constexpr std::string_view GAME_NAME = "Bridges";
/// Keys are padded to this width; a longer one is damage, not a key.
constexpr std::size_t KEY_WIDTH = 8;

static_assert(MAX_BRIDGES_PER_LINE == 2, "the refusal of a move says \"more than two\"");

/// A value or key as a message quotes it: printable ASCII kept, the rest as '?', and a
/// long one cut, so that a damaged file cannot fill the terminal or drive it.
std::string quoted(std::string_view text) {
    constexpr std::size_t LONGEST = 40;
    std::string shown = "'";
    for (std::size_t i = 0; i < std::min(text.size(), LONGEST); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        shown += byte >= 0x20 && byte < 0x7F ? char(byte) : '?';
    }
    if (text.size() > LONGEST) shown += "...";
    return shown + "'";
}

/// Reads a whole decimal number, held at `cap` so that a long one is refused, not wrapped.
bool readWhole(std::string_view text, long cap, long& value) {
    if (text.empty()) return false;
    value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') return false;
        value = std::min(value * 10 + (c - '0'), cap);
    }
    return true;
}

/// The bridges on the board while the history is replayed: for every island the count on
/// its line to the right and on its line down, flat over the cells.
class Position {
  public:
    explicit Position(const Puzzle& puzzle)
        : puzzle_(puzzle),
          right_(std::size_t(puzzle.cellCount()), 0),
          down_(std::size_t(puzzle.cellCount()), 0),
          marks_(std::size_t(puzzle.cellCount()), 0) {}

    void clear() {
        std::fill(right_.begin(), right_.end(), 0);
        std::fill(down_.begin(), down_.end(), 0);
        std::fill(marks_.begin(), marks_.end(), 0);
    }

    /// Checks one move and, when `apply`, carries it out. Returns an empty string or the
    /// reason the move was refused.
    std::string play(std::string_view move, bool apply) {
        if (move == "S") return "";
        if (move.empty()) return "an empty move";
        const char kind = move[0];
        std::array<long, 5> numbers{};
        std::size_t count = 0;
        for (std::size_t start = 1; start <= move.size(); ++count) {
            const std::size_t comma = std::min(move.find(',', start), move.size());
            if (count == numbers.size() ||
                !readWhole(move.substr(start, comma - start), 1000, numbers[count]))
                return "move " + quoted(move) + " is not a move of this game";
            start = comma + 1;
        }
        const std::size_t wanted = kind == 'L' ? 5 : kind == 'N' ? 4 : kind == 'M' ? 2 : 0;
        if (wanted == 0 || count != wanted)
            return "move " + quoted(move) + " is not a move of this game";
        if (kind == 'M') {
            if (!isIsland(numbers[0], numbers[1]))
                return "move " + quoted(move) + " marks a cell that is no island";
            if (apply) marks_[std::size_t(cell(numbers[0], numbers[1]))] ^= FINISHED;
            return "";
        }
        const std::string fault = checkLine(numbers[0], numbers[1], numbers[2], numbers[3]);
        if (!fault.empty()) return "move " + quoted(move) + ": " + fault;
        const int first = cell(std::min(numbers[0], numbers[2]), std::min(numbers[1], numbers[3]));
        if (kind == 'N') {
            if (apply) marks_[std::size_t(first)] ^= numbers[1] == numbers[3] ? NO_RIGHT : NO_DOWN;
            return "";
        }
        if (numbers[4] > MAX_BRIDGES_PER_LINE)
            return "move " + quoted(move) + " lays more than two bridges between two islands";
        // Columns before rows in the move; the line is kept at its upper or left end.
        if (apply)
            (numbers[1] == numbers[3] ? right_ : down_)[std::size_t(first)] =
                std::uint8_t(numbers[4]);
        return "";
    }

    /// The lines marked empty, in Solution order.
    Solution emptyMarks() const {
        Solution marked;
        const int width = puzzle_.width;
        for (int i = 0; i < puzzle_.cellCount(); ++i) {
            if (puzzle_.cells[i] == 0) continue;
            if (marks_[std::size_t(i)] & NO_RIGHT)
                marked.push_back({i / width, i % width, i / width, nextIsland(i, 1) % width, 0});
            if (marks_[std::size_t(i)] & NO_DOWN)
                marked.push_back(
                    {i / width, i % width, nextIsland(i, width) / width, i % width, 0});
        }
        return marked;
    }

    std::vector<std::pair<int, int>> finishedMarks() const {
        std::vector<std::pair<int, int>> marked;
        for (int i = 0; i < puzzle_.cellCount(); ++i)
            if (marks_[std::size_t(i)] & FINISHED)
                marked.emplace_back(i / puzzle_.width, i % puzzle_.width);
        return marked;
    }

    Solution bridges() const {
        Solution laid;
        const int width = puzzle_.width;
        for (int i = 0; i < puzzle_.cellCount(); ++i) {
            if (right_[std::size_t(i)] != 0)
                laid.push_back({i / width, i % width, i / width, nextIsland(i, 1) % width,
                                right_[std::size_t(i)]});
            if (down_[std::size_t(i)] != 0)
                laid.push_back({i / width, i % width, nextIsland(i, width) / width, i % width,
                                down_[std::size_t(i)]});
        }
        return laid;
    }

  private:
    int cell(long x, long y) const { return int(y) * puzzle_.width + int(x); }

    bool isIsland(long x, long y) const {
        return x < puzzle_.width && y < puzzle_.height && puzzle_.cells[cell(x, y)] != 0;
    }

    /// The first island after cell `from` in steps of `step` (1 right, width down).
    int nextIsland(int from, int step) const {
        int at = from + step;
        while (puzzle_.cells[at] == 0)
            at += step;
        return at;
    }

    /// Why (x1,y1)-(x2,y2) is no line between two neighbouring islands, or "".
    std::string checkLine(long x1, long y1, long x2, long y2) const {
        if (!isIsland(x1, y1) || !isIsland(x2, y2)) return "one of its ends is no island";
        if ((x1 == x2) == (y1 == y2)) return "its ends are not two cells of one row or column";
        const int step = x1 == x2 ? puzzle_.width : 1;
        const int from = std::min(cell(x1, y1), cell(x2, y2));
        if (nextIsland(from, step) != std::max(cell(x1, y1), cell(x2, y2)))
            return "another island stands between its ends";
        return "";
    }

    static constexpr std::uint8_t FINISHED = 1, NO_RIGHT = 2, NO_DOWN = 4;

    const Puzzle& puzzle_;
    std::vector<std::uint8_t> right_;
    std::vector<std::uint8_t> down_;
    std::vector<std::uint8_t> marks_;  ///< per cell: FINISHED, NO_RIGHT, NO_DOWN
};

class SaveReader {
  public:
    SaveReader(std::string_view text, PeerSave& save) : text_(text), save_(save) {}

    bool read(PeerSaveFault* fault) {
        const bool read = readRecords();
        if (!read && fault) *fault = {line_, message_};
        return read;
    }

  private:
    bool fail(std::string message) {
        message_ = std::move(message);
        return false;
    }

    bool readRecords() {
        for (long record = 0; at_ < text_.size(); ++record) {
            // White space after the last record is what an editor or a copy may leave.
            if (text_.find_first_not_of(" \t\r\n", at_) == std::string_view::npos) break;
            std::string_view key;
            std::string_view value;
            if (!nextRecord(key, value)) return false;
            if (record == 0 && (key != "SAVEFILE" || value != SAVE_SIGNATURE))
                return fail("not a saved game: it does not start with a SAVEFILE record");
            if (!take(key, value)) return false;
            // The record's own line is named in messages; the next one starts after it.
            line_ += 1 + std::count(value.begin(), value.end(), '\n');
        }
        if (!sawGame_) return fail("the save names no game (no GAME record)");
        if (!board_) return fail("the save holds no board (no DESC record)");
        if (states_ == 0 || position_ == 0)
            return fail("the save has no NSTATES or no STATEPOS record");
        if (moves_ + 1 != states_)
            return fail("the save gives " + std::to_string(states_) +
                        " states (NSTATES) but holds " + std::to_string(moves_ + 1));
        save_.laid = board_->bridges();
        save_.markedEmpty = board_->emptyMarks();
        save_.markedFinished = board_->finishedMarks();
        return true;
    }

    /// Splits off the record at the reading place: "KEY:LENGTH:VALUE" and a line end.
    bool nextRecord(std::string_view& key, std::string_view& value) {
        const std::string_view rest = text_.substr(at_);
        // Not found is past the widest key too.
        const std::size_t colon = rest.find(':');
        if (colon > KEY_WIDTH || rest.substr(0, colon).find('\n') != std::string_view::npos)
            return fail("not a record: no key of up to 8 characters followed by ':'");
        key = rest.substr(0, colon);
        key = key.substr(0, key.find_last_not_of(' ') + 1);
        const std::size_t lengthEnd = rest.find(':', colon + 1);
        long length = 0;
        if (lengthEnd == std::string_view::npos ||
            !readWhole(rest.substr(colon + 1, lengthEnd - colon - 1), long(MAX_PEER_SAVE_SIZE),
                       length))
            return fail("record " + quoted(key) + " has no length");
        if (std::size_t(length) > rest.size() - lengthEnd - 1)
            return fail("record " + quoted(key) + " is cut short: the file ends inside it");
        value = rest.substr(lengthEnd + 1, std::size_t(length));
        std::size_t end = lengthEnd + 1 + std::size_t(length);
        // The last record may lack its line end; a save that crossed systems may have CR LF.
        if (end < rest.size() && rest[end] == '\r') ++end;
        if (end < rest.size() && rest[end] != '\n')
            return fail("record " + quoted(key) + " goes on past the length it gives");
        at_ += std::min(end + 1, rest.size());
        return true;
    }

    bool take(std::string_view key, std::string_view value) {
        if (key == "VERSION" && value != "1")
            return fail("save file version " + quoted(value) + "; only version '1' is known");
        if (key == "GAME") {
            if (value != GAME_NAME)
                return fail("a saved game of " + quoted(value) + ", not of Bridges");
            sawGame_ = true;
        }
        if (key == "PARAMS") parameters_ = std::string(value);
        if (key == "DESC") return takeBoard(value);
        if (key == "NSTATES" || key == "STATEPOS") {
            long number = 0;
            // More states than the file has lines cannot be: every state has its record.
            if (!readWhole(value, long(text_.size()), number) || number < 1)
                return fail(std::string(key) + " is not a count: " + quoted(value));
            if (!board_) return fail(std::string(key) + " comes before the board (DESC)");
            if (key == "NSTATES") states_ = number;
            if (key == "STATEPOS") {
                if (states_ == 0 || number > states_)
                    return fail("STATEPOS " + quoted(value) + " is not one of the NSTATES states");
                position_ = number;
            }
        }
        if (key == "MOVE" || key == "SOLVE" || key == "RESTART") return takeState(key, value);
        return true;
    }

    bool takeBoard(std::string_view description) {
        if (board_) return fail("a second board (DESC record)");
        if (!sawGame_ || parameters_.empty())
            return fail("the board (DESC) comes before the GAME or PARAMS record");
        std::string err;
        if (!parseGameId(save_.puzzle, parameters_ + ":" + std::string(description), &err))
            return fail("the board " + quoted(description) + " cannot be read: " + err);
        save_.boardLine = line_;
        board_.emplace(save_.puzzle);
        return true;
    }

    /// One record of the history: state moves_ + 2. Only the states up to STATEPOS are on
    /// the board; the later ones are checked all the same.
    bool takeState(std::string_view key, std::string_view value) {
        if (position_ == 0) return fail(std::string(key) + " comes before NSTATES and STATEPOS");
        if (++moves_ >= states_)
            return fail("more history than the " + std::to_string(states_) +
                        " states the save gives (NSTATES)");
        const bool onBoard = moves_ < position_;
        if (key == "RESTART") {
            // The collection restarts the game it is playing; another board here is damage.
            Puzzle restarted;
            if (!parseGameId(restarted, parameters_ + ":" + std::string(value), nullptr) ||
                restarted.cellCount() != save_.puzzle.cellCount() ||
                !std::equal(restarted.cells.get(), restarted.cells.get() + restarted.cellCount(),
                            save_.puzzle.cells.get()))
                return fail("RESTART names another board than DESC");
            if (onBoard) board_->clear();
            return true;
        }
        for (std::size_t start = 0; start <= value.size();) {
            const std::size_t end = std::min(value.find(';', start), value.size());
            const std::string fault = board_->play(value.substr(start, end - start), onBoard);
            if (!fault.empty()) return fail(fault);
            start = end + 1;
        }
        return true;
    }

    std::string_view text_;
    PeerSave& save_;
    std::size_t at_ = 0;
    long line_ = 1;
    std::string message_;
    bool sawGame_ = false;
    std::string parameters_;
    std::optional<Position> board_;
    long states_ = 0;
    long position_ = 0;
    long moves_ = 0;
};

}  // namespace

bool looksLikePeerSave(std::string_view text) {
    return text.substr(0, 9) == "SAVEFILE:";
}

bool parsePeerSave(std::string_view text, PeerSave& save, PeerSaveFault* fault) {
    save = PeerSave{};
    return SaveReader(text, save).read(fault);
}

}  // namespace spanwright
