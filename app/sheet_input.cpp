#include "app/sheet_input.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>
#include <string_view>
#include <system_error>

#include "app/program.h"
#include "puzzle/line_reader.h"
#include "puzzle/problem_line.h"

namespace spanwright {
namespace {

struct FileCloser {
    void operator()(std::FILE* file) const {
        if (file != stdin) std::fclose(file);
    }
};
using File = std::unique_ptr<std::FILE, FileCloser>;

bool isBlankLine(std::string_view line) {
    return line.find_first_not_of(" \t\r\n\v\f") == std::string_view::npos;
}

/// Opens a problem file, or says why not.
File openProblemFile(const char* program, const std::string& path, const std::string& shown) {
    if (path == "-") return File(stdin);
    errno = 0;
    File file(std::fopen(path.c_str(), "rb"));
    if (!file) {
        std::fprintf(stderr, "%s: cannot open %s: %s\n", program, shown.c_str(),
                     std::generic_category().message(errno).c_str());
        return nullptr;
    }
    // A directory opens here but is no problem file; reading it would fail obscurely.
    struct stat info {};
    if (fstat(fileno(file.get()), &info) == 0 && S_ISDIR(info.st_mode)) {
        std::fprintf(stderr, "%s: cannot read %s: it is a directory\n", program, shown.c_str());
        return nullptr;
    }
    return file;
}

bool readFile(const char* program, const std::string& path, Book& book,
              std::vector<PuzzleOrigin>& origins) {
    const std::string shown = path == "-" ? "standard input" : printableName(path);
    const File file = openProblemFile(program, path, shown);
    if (!file) return false;
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
        LineFault fault = LineFault::TooLong;
        SheetPuzzle entry;
        if (status == LineReader::Status::Line) {
            if (isBlankLine(line)) continue;
            if (parseProblemLine(entry.puzzle, line, &fault)) fault = LineFault::None;
        }
        if (fault != LineFault::None) {
            std::fprintf(stderr, "%s: %s:%ld: not a problem line: %s\n", program, shown.c_str(),
                         lineNumber, describeLineFault(fault));
            return false;
        }
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
