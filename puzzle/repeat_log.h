#pragma once

// Repeats named where puzzles pass from file to file: every program that reads a run of
// puzzles tells each one that repeats an earlier one of the run, as it is or turned or
// mirrored, in the same words.

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "puzzle/canonical.h"
#include "puzzle/puzzle.h"

namespace spanwright {

class RepeatLog {
  public:
    /// Words for a warning when `puzzle`, read at `line` of `file` (a name as messages show
    /// it; line 0 for a file that is one puzzle), repeats an earlier puzzle: "repeats line
    /// 12, turned a half turn" within one file, "repeats old.txt:12" across files; nothing
    /// for a puzzle seen first, which is remembered.
    std::optional<std::string> add(const Puzzle& puzzle, const std::string& file, long line);

  private:
    struct Place {
        std::size_t file;  ///< in files_
        long line;
    };
    RepeatFinder finder_;
    std::vector<Place> places_;
    std::vector<std::string> files_;
};

}  // namespace spanwright
