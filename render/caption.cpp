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
    std::vector<CaptionRun> runs;
    for (const Part& part : parts_) {
        CaptionRun run;
        switch (part.field) {
            case Field::Text:
                run.text = part.text;
                break;
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
        }
        // Neighbouring plain runs join, so that text is measured and set in one piece.
        if (!run.number && !runs.empty() && !runs.back().number)
            runs.back().text += run.text;
        else
            runs.push_back(std::move(run));
    }
    return runs;
}

std::string joinRuns(const std::vector<CaptionRun>& runs) {
    std::string text;
    for (const CaptionRun& run : runs)
        text += run.text;
    return text;
}

}  // namespace spanwright
