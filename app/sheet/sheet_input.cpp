#include "app/sheet/sheet_input.h"

#include <cstdio>
#include <string_view>
#include <system_error>

#include "app/cli/input_file.h"
#include "app/cli/program.h"
#include "puzzle/line_reader.h"
#include "puzzle/problem_line.h"
#include "puzzle/puzzle_input.h"
#include "puzzle/repeat_log.h"

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

/// The repeats of one run: every one is named; with `refuse`, as an error, and counted.
struct RepeatCheck {
    RepeatLog log;
    bool refuse = false;
    int found = 0;

    /// Names `puzzle` on standard error when it repeats an earlier one of the run.
    void note(const char* program, const Puzzle& puzzle, const std::string& shown, long line) {
        if (const auto repeat = log.add(puzzle, shown, line)) {
            ++found;
            std::fprintf(stderr, "%s: %s:%ld: %s: %s\n", program, shown.c_str(), line,
                         refuse ? "error" : "warning", repeat->c_str());
        }
    }
};

bool readWholeFile(const char* program, const std::string& shown, int index, PuzzleFileForm form,
                   std::string_view firstLine, long lineNumber, std::FILE* file,
                   const std::function<bool(Puzzle&, PuzzleOrigin)>& take, RepeatCheck& repeats) {
    std::vector<FilePuzzle> puzzles;
    long errLine = 0;
    std::string err;
    if (!readPuzzleFile(form, firstLine, lineNumber, file, puzzles, errLine, err)) {
        std::fprintf(stderr, "%s: %s:%ld: %s\n", program, shown.c_str(), errLine, err.c_str());
        return false;
    }
    for (FilePuzzle& entry : puzzles) {
        repeats.note(program, entry.puzzle, shown, entry.line);
        if (!take(entry.puzzle, PuzzleOrigin{index, entry.line})) return false;
    }
    return true;
}

bool readFile(const char* program, const std::string& path, int index,
              const std::function<bool(Puzzle&, PuzzleOrigin)>& take, RepeatCheck& repeats) {
    const std::string shown = shownFileName(path);
    const InputFile file(path);
    if (!isReadable(program, file, shown)) return false;
    LineReader reader(file.get());
    bool firstLine = true;
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
        Puzzle puzzle;
        if (status == LineReader::Status::Line) {
            if (isBlankLine(line)) continue;
            // A pencil-box or benchmark file is told by its first line and read whole.
            const PuzzleFileForm form = puzzleFileForm(line);
            if (firstLine && form != PuzzleFileForm::Lines)
                return readWholeFile(program, shown, index, form, line, lineNumber, file.get(),
                                     take, repeats);
            firstLine = false;
            if (readPuzzleLine(puzzle, line, &err)) err.clear();
        }
        if (!err.empty()) {
            std::fprintf(stderr, "%s: %s:%ld: %s\n", program, shown.c_str(), lineNumber,
                         err.c_str());
            return false;
        }
        repeats.note(program, puzzle, shown, lineNumber);
        if (!take(puzzle, PuzzleOrigin{index, lineNumber})) return false;
    }
}

}  // namespace

std::string shownFileName(const std::string& path) {
    return path == "-" ? "standard input" : printableName(path);
}

bool readPuzzles(const char* program, const std::vector<std::string>& paths,
                 const std::function<bool(Puzzle&, PuzzleOrigin)>& take, bool refuseRepeats) {
    RepeatCheck repeats;
    repeats.refuse = refuseRepeats;
    for (std::size_t i = 0; i < paths.size(); ++i)
        if (!readFile(program, paths[i], int(i), take, repeats)) return false;
    if (refuseRepeats && repeats.found > 0) {
        std::fprintf(stderr, "%s: --strict: %d puzzle%s repeat%s an earlier one; nothing written\n",
                     program, repeats.found, repeats.found == 1 ? "" : "s",
                     repeats.found == 1 ? "s" : "");
        return false;
    }
    return true;
}

}  // namespace spanwright
