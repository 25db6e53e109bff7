#include "puzzle/repeat_log.h"

namespace spanwright {

std::optional<std::string> RepeatLog::add(const Puzzle& puzzle, const std::string& file,
                                          long line) {
    if (files_.empty() || files_.back() != file) files_.push_back(file);
    const auto repeat = finder_.add(puzzle, places_.size());
    if (!repeat) {
        places_.push_back({files_.size() - 1, line});
        return std::nullopt;
    }
    const Place& earlier = places_[repeat->tag];
    const std::string& earlierFile = files_[earlier.file];
    std::string text = "repeats ";
    if (earlier.line == 0)
        text += earlierFile;
    else if (earlierFile == file)
        text += "line " + std::to_string(earlier.line);
    else
        text += earlierFile + ":" + std::to_string(earlier.line);
    const std::string_view words = imageWords(repeat->image);
    if (!words.empty()) text += ", " + std::string(words);
    return text;
}

}  // namespace spanwright
