#pragma once

// The line under each board, from a template an editor writes: "No. {number}",
// "{number} · {level}". Fields are read once, when the template is, so that a mistyped
// field is refused before any page is drawn. A field can be empty (a key tile has no
// level, a book without --date no date); the text that only separated it from its
// neighbours goes with it, so that no caption reads "Puzzle 13 ·".

#include <string>
#include <vector>

namespace spanwright {

struct SheetPuzzle;

/// A stretch of caption text; the puzzle number is set larger and bold, so that a reader
/// finds a puzzle by it at a glance.
struct CaptionRun {
    std::string text;
    bool number = false;
};

class CaptionTemplate {
  public:
    /// The fields a template may name, without their braces.
    static constexpr const char* FIELDS[] = {"number", "width", "height", "level",
                                             "grade",  "score", "date",   "weekday"};

    /// The caption of old: "7 · 15 × 15 · medium", without the level when there is none.
    CaptionTemplate() = default;

    /// Reads `text`: literal text with fields in braces. False for a field not in FIELDS or
    /// a brace left open, with the offending field (or the text from the open brace) in
    /// `fault`.
    bool read(const std::string& text, std::string& fault);

    /// The caption of `entry`, in runs. An unrated puzzle has an empty level and score.
    std::vector<CaptionRun> fill(const SheetPuzzle& entry) const;

  private:
    enum class Field { Text, Number, Width, Height, Level, Grade, Score, Date, Weekday };
    struct Part {
        Field field = Field::Text;
        std::string text;
    };
    bool custom_ = false;
    std::vector<Part> parts_;
};

/// The runs as one line of text.
std::string joinRuns(const std::vector<CaptionRun>& runs);

/// Days are counted from 1970-01-01 (day 0), in the proleptic Gregorian calendar.
inline constexpr long NO_DAY = -1000000000L;
inline constexpr long MIN_DAY = -719162;  ///< 0001-01-01
inline constexpr long MAX_DAY = 2932896;  ///< 9999-12-31

/// Reads a date written YYYY-MM-DD (a real day of a year 1 to 9999) into its day count;
/// false for anything else.
bool readDate(const std::string& text, long& day);
/// The day as YYYY-MM-DD.
std::string isoDate(long day);
/// The English name of the day's weekday ("Monday").
const char* weekdayName(long day);

}  // namespace spanwright
