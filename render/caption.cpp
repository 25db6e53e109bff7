#include "render/caption.h"

#include <cstdio>
#include <iterator>

#include "render/sheet.h"

namespace spanwright {

bool CaptionTemplate::read(const std::string& text, std::string& fault) {
    parts_.clear();
    custom_ = true;
    std::size_t at = 0;
    while (at < text.size()) {
        const std::size_t open = text.find('{', at);
        if (open != at) {
            parts_.push_back(Part{Field::Text, text.substr(at, open - at)});
            if (open == std::string::npos) break;
        }
        const std::size_t close = text.find('}', open);
        if (close == std::string::npos) {
            fault = text.substr(open);
            return false;
        }
        const std::string name = text.substr(open + 1, close - open - 1);
        Part part;
        for (std::size_t i = 0; i < std::size(FIELDS); ++i)
            if (name == FIELDS[i]) part.field = Field(i + 1);
        if (part.field == Field::Text) {
            fault = "{" + name + "}";
            return false;
        }
        parts_.push_back(part);
        at = close + 1;
    }
    return true;
}

namespace {

/// Text that reads as a bracket or quote, which only makes sense around its field.
bool enclosing(const std::string& text) {
    return text.find_first_of("()[]{}<>\"") != std::string::npos;
}

/// The one separator to keep between two fields once those between them are empty: the
/// first that encloses nothing, or a space when both do ("{number} ({level}) {width}").
std::string joinedSeparator(const std::string& after, const std::string& before) {
    if (!enclosing(after)) return after;
    if (!enclosing(before)) return before;
    return after.find(' ') != std::string::npos || before.find(' ') != std::string::npos ? " " : "";
}

}  // namespace

std::vector<CaptionRun> CaptionTemplate::fill(const SheetPuzzle& entry) const {
    // U+00B7 MIDDLE DOT and U+00D7 MULTIPLICATION SIGN, both in every DejaVu face.
    const std::string dot = " \u00B7 ";
    const std::string number = std::to_string(entry.number);
    const std::string width = std::to_string(entry.puzzle.width);
    const std::string height = std::to_string(entry.puzzle.height);
    if (!custom_) {
        std::vector<CaptionRun> runs{{number, true}, {dot + width + " \u00D7 " + height, false}};
        if (!entry.level.empty()) runs.back().text += dot + entry.level;
        return runs;
    }
    // Each field's value, and the literal text before each field and after the last.
    std::vector<CaptionRun> fields;
    std::vector<std::string> texts{""};
    for (const Part& part : parts_) {
        CaptionRun run;
        switch (part.field) {
            case Field::Text:
                texts.back() += part.text;
                continue;
            case Field::Number:
                run = CaptionRun{number, true};
                break;
            case Field::Width:
                run.text = width;
                break;
            case Field::Height:
                run.text = height;
                break;
            case Field::Level:
                run.text = entry.level;
                break;
            case Field::Grade:
                run.text = std::to_string(entry.puzzle.difficulty);
                break;
            case Field::Score:
                if (!entry.level.empty()) {
                    char score[32];
                    std::snprintf(score, sizeof score, "%.1f", entry.score);
                    run.text = score;
                }
                break;
            case Field::Date:
                if (entry.day != NO_DAY) run.text = isoDate(entry.day);
                break;
            case Field::Weekday:
                if (entry.day != NO_DAY) run.text = weekdayName(entry.day);
                break;
        }
        fields.push_back(std::move(run));
        texts.emplace_back();
    }
    std::vector<CaptionRun> runs;
    const auto add = [&runs](CaptionRun run) {
        if (run.text.empty()) return;
        // Neighbouring plain runs join, so that text is measured and set in one piece.
        if (!run.number && !runs.empty() && !runs.back().number)
            runs.back().text += run.text;
        else
            runs.push_back(std::move(run));
    };
    // texts[k] stands before fields[k]; texts.back() after the last field. Text at the start
    // or the end goes when its field is empty; between two fields that are kept, with
    // empty ones between them, one separator stays.
    const std::size_t count = fields.size();
    if (count == 0 || !fields.front().text.empty()) add({texts.front(), false});
    std::size_t last = count;  // the last field kept so far
    for (std::size_t k = 0; k < count; ++k) {
        if (fields[k].text.empty()) continue;
        if (last != count)
            add({last + 1 == k ? texts[k] : joinedSeparator(texts[last + 1], texts[k]), false});
        add(fields[k]);
        last = k;
    }
    if (count > 0 && !fields.back().text.empty()) add({texts.back(), false});
    return runs;
}

bool readDate(const std::string& text, long& day) {
    // YYYY-MM-DD, digits only where digits stand.
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return false;
    for (const std::size_t at : {0, 1, 2, 3, 5, 6, 8, 9})
        // cppcheck-suppress useStlAlgorithm
        if (text[at] < '0' || text[at] > '9') return false;
    const long year = std::stol(text.substr(0, 4));
    const long month = std::stol(text.substr(5, 2));
    const long date = std::stol(text.substr(8, 2));
    const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
    static constexpr int LENGTHS[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (year < 1 || month < 1 || month > 12 || date < 1 ||
        date > LENGTHS[month - 1] + (month == 2 && leap ? 1 : 0))
        return false;
    // Days from the civil date, counting years from March so that the leap day comes last.
    const long y = month <= 2 ? year - 1 : year;
    const long era = y / 400;
    const long yearOfEra = y - era * 400;
    const long dayOfYear = (153 * (month + (month > 2 ? -3 : 9)) + 2) / 5 + date - 1;
    const long dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    day = era * 146097 + dayOfEra - 719468;
    return true;
}

std::string isoDate(long day) {
    const long shifted = day + 719468;
    const long era = (shifted >= 0 ? shifted : shifted - 146096) / 146097;
    const long dayOfEra = shifted - era * 146097;
    const long yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const long dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const long monthFromMarch = (5 * dayOfYear + 2) / 153;
    const long date = dayOfYear - (153 * monthFromMarch + 2) / 5 + 1;
    const long month = monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9;
    const long year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
    char text[80];
    std::snprintf(text, sizeof text, "%04ld-%02ld-%02ld", year, month, date);
    return text;
}

const char* weekdayName(long day) {
    // 1970-01-01 was a Thursday.
    static constexpr const char* NAMES[] = {"Thursday", "Friday",  "Saturday", "Sunday",
                                            "Monday",   "Tuesday", "Wednesday"};
    return NAMES[((day % 7) + 7) % 7];
}

std::string joinRuns(const std::vector<CaptionRun>& runs) {
    std::string text;
    for (const CaptionRun& run : runs)
        text += run.text;
    return text;
}

}  // namespace spanwright
