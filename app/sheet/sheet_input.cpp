#include "app/sheet/sheet_input.h"

#include <algorithm>
#include <cstdio>
#include <string_view>
#include <system_error>

#include "app/cli/input_file.h"
#include "app/cli/program.h"
#include "generator/derivation.h"
#include "puzzle/line_reader.h"
#include "puzzle/problem_line.h"
#include "puzzle/puzzle_input.h"

namespace spanwright {
namespace {

/// Says why a problem file gave nothing to read; true when it can be read.
bool isReadable(const char* program, const InputFile& file, const std::string& shown) {
    if (file.fault() == InputFile::Fault::CannotOpen)
        std::fprintf(stderr, "%s: cannot open %s: %s\n", program, shown.c_str(),
                     file.reason().c_str());
    if (file.fault() == InputFile::Fault::Directory)
        std::fprintf(stderr, "%s: cannot read %s: it is a directory\n", program, shown.c_str());
    return file.fault() == InputFile::Fault::None;
}

bool readFile(const char* program, const std::string& path, Book& book,
              std::vector<PuzzleOrigin>& origins) {
    const std::string shown = path == "-" ? "standard input" : printableName(path);
    const InputFile file(path);
    if (!isReadable(program, file, shown)) return false;
    LineReader reader(file.get());
    for (long lineNumber = 1;; ++lineNumber) {
        std::string_view line;
        const LineReader::Status status = reader.next(line);
        if (status == LineReader::Status::End) return true;
        if (status == LineReader::Status::ReadError) {
            std::fprintf(stderr, "%s: %s:%ld: read error: %s\n", program, shown.c_str(), lineNumber,
                         std::generic_category().message(reader.error()).c_str());
            return false;
        }
        std::string err =
            std::string("not a problem line: ") + describeLineFault(LineFault::TooLong);
        SheetPuzzle entry;
        if (status == LineReader::Status::Line) {
            if (isBlankLine(line)) continue;
            if (readPuzzleLine(entry.puzzle, line, &err)) err.clear();
        }
        if (!err.empty()) {
            std::fprintf(stderr, "%s: %s:%ld: %s\n", program, shown.c_str(), lineNumber,
                         err.c_str());
            return false;
        }
        gradeIfUngraded(entry.puzzle);
        entry.number = int(book.puzzles.size()) + 1;
        book.puzzles.push_back(std::move(entry));
        origins.push_back({shown, lineNumber});
    }
}

}  // namespace

bool readPuzzles(const char* program, const std::vector<std::string>& paths, Book& book,
                 std::vector<PuzzleOrigin>& origins) {
    return std::all_of(paths.begin(), paths.end(), [&](const std::string& path) {
        return readFile(program, path, book, origins);
    });
}

}  // namespace spanwright
