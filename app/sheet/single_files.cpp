#include "app/sheet/single_files.h"

#include <algorithm>
#include <cstdio>

#include "app/cli/program.h"
#include "app/cli/staged_output.h"
#include "render/single_image.h"

namespace spanwright {

std::vector<std::string> singleFileNames(const std::string& path, int count, bool puzzles,
                                         bool solutions, long firstDay, long dateStep) {
    const std::size_t dot = path.rfind('.');
    const std::string stem = path.substr(0, dot);
    const std::string extension = path.substr(dot);
    if (sheet::isNameTemplate(path)) {
        std::vector<std::string> names;
        for (int number = 1; number <= count; ++number) {
            const long day = firstDay == NO_DAY ? NO_DAY : firstDay + (number - 1) * dateStep;
            const std::string name = sheet::fillOutputName(stem, number, day);
            if (puzzles) names.push_back(name + extension);
            if (solutions) names.push_back(std::string(name).append("-solution").append(extension));
        }
        return names;
    }
    const std::size_t digits = std::max<std::size_t>(2, std::to_string(count).size());
    std::vector<std::string> names;
    for (int number = 1; number <= count; ++number) {
        const std::string shown = std::to_string(number);
        std::string name = stem;
        name += '-';
        name.append(digits - shown.size(), '0');
        name += shown;
        if (puzzles) names.push_back(name + extension);
        if (solutions) names.push_back(name.append("-solution") + extension);
    }
    return names;
}

std::vector<std::string> earlierSingleFiles(const std::string& path) {
    const std::size_t dot = path.rfind('.');
    const std::string stem = path.substr(0, dot);
    const std::string extension = path.substr(dot);
    std::vector<std::string> names;
    // Numbers of 2 digits up to 99 puzzles, 3 up to 999 and so on; each width a series.
    for (std::size_t digits = 2; digits <= 6; ++digits) {
        const std::vector<std::string> series = standingSeries([&](int number) {
            const std::string number_ = std::to_string(number);
            std::string name = stem;
            name += '-';
            name.append(digits - std::min(digits, number_.size()), '0').append(number_);
            return std::vector<std::string>{
                name + extension, std::string(name).append("-solution").append(extension)};
        });
        names.insert(names.end(), series.begin(), series.end());
    }
    return names;
}

namespace {

class SingleWriter {
  public:
    explicit SingleWriter(const SingleRun& run)
        : run_(run),
          puzzles_(!run.options.keyOnly),
          solutions_(run.options.keyOnly || run.solutions),
          staged_(run.output) {}

    bool write() {
        if (!staged_.ready()) return failed(run_.output, staged_.error());
        const bool read = readPuzzles(
            run_.program, run_.files,
            [this](Puzzle& puzzle, PuzzleOrigin origin) { return take(puzzle, origin); },
            bool(run_.strict));
        if (!read) return false;
        if (count_ == 0) {
            std::fprintf(stderr, "%s: no problem lines to draw; nothing written\n", run_.program);
            return false;
        }
        if (refused_ > 0) {
            std::fprintf(stderr, "%s: --strict: %d puzzle%s cannot be published; nothing written\n",
                         run_.program, refused_, refused_ == 1 ? "" : "s");
            return false;
        }
        return publish();
    }

  private:
    bool take(Puzzle& puzzle, PuzzleOrigin origin) {
        ++count_;
        const long files = long(count_) * ((puzzles_ ? 1 : 0) + (solutions_ ? 1 : 0));
        if (files > run_.maxFiles) {
            std::fprintf(stderr,
                         "%s: there would be more than %ld files (see --max-pages); nothing "
                         "written\n",
                         run_.program, run_.maxFiles);
            return false;
        }
        if (run_.format == SheetFormat::Png) {
            const PixelSize pixels =
                singleImagePixels({puzzle.width, puzzle.height}, run_.options.cellMm, run_.dpi);
            if (pixels.width > MAX_IMAGE_PIXELS || pixels.height > MAX_IMAGE_PIXELS) {
                std::fprintf(stderr,
                             "%s: %s:%ld: puzzle %d would be %ld x %ld pixels at %g mm a cell "
                             "and %d dpi, more than %d a side: choose a smaller --cell or "
                             "--dpi; nothing written\n",
                             run_.program,
                             shownFileName(run_.files[std::size_t(origin.file)]).c_str(),
                             origin.line, count_, pixels.width, pixels.height, run_.options.cellMm,
                             run_.dpi, MAX_IMAGE_PIXELS);
                return false;
            }
        }
        // Once --strict has refused a puzzle nothing more is drawn, but every puzzle is
        // still looked at, so that all of them are told at once.
        if (run_.strict && !run_.strict(puzzle, count_, origin)) ++refused_;
        if (refused_ > 0) return true;
        SheetPuzzle entry{std::move(puzzle), count_, {}, {}};
        if (puzzles_ && !draw(entry, PageKind::Puzzles)) return false;
        if (!solutions_) return true;
        entry.key = run_.solve(entry.puzzle, count_, origin);
        return draw(entry, PageKind::Key);
    }

    bool draw(const SheetPuzzle& entry, PageKind kind) {
        std::FILE* file = staged_.stage();
        if (!file) return failed(run_.output, staged_.error());
        const SingleImage image{run_.options.cellMm, kind, run_.dots};
        std::string error;
        bool drawn = false;
        switch (run_.format) {
            case SheetFormat::Pdf:
                drawn = writeSinglePdf(file, entry, image, error);
                break;
            case SheetFormat::Svg:
                drawn = writeSingleSvg(file, entry, image, error);
                break;
            case SheetFormat::Png:
                drawn = writeSinglePng(file, entry, image, run_.dpi, error);
                break;
        }
        const bool landed = staged_.finish(file);
        if (drawn && !landed) error = staged_.error();
        return (drawn && landed) || failed(run_.output, error);
    }

    bool publish() {
        const std::vector<std::string> targets = singleFileNames(
            run_.output, count_, puzzles_, solutions_, run_.firstDay, run_.dateStep);
        // Names made from fields may repeat ({weekday} past a week): one file would then
        // stand for two puzzles.
        std::vector<std::string> sorted = targets;
        std::sort(sorted.begin(), sorted.end());
        const auto repeat = std::adjacent_find(sorted.begin(), sorted.end());
        if (repeat != sorted.end()) {
            std::fprintf(stderr,
                         "%s: -o '%s' names two files %s: add {number} or a --date-step that "
                         "gives each puzzle its own date; nothing written\n",
                         run_.program, printableName(run_.output).c_str(),
                         printableName(*repeat).c_str());
            return false;
        }
        switch (staged_.publish(targets, earlierSingleFiles(run_.output))) {
            case PublishOutcome::Published:
                return true;
            case PublishOutcome::Untouched:
                return failed(staged_.failedTarget(),
                              staged_.error() +
                                  "; nothing was written, what stood there is "
                                  "untouched");
            case PublishOutcome::Restored:
                return failed(staged_.failedTarget(),
                              staged_.error() +
                                  "; nothing was written, the old files were put "
                                  "back");
            case PublishOutcome::Mixed:
                return failed(staged_.failedTarget(),
                              staged_.error() +
                                  "; the old files could not all be put back: some files are new" +
                                  keptOldText(staged_));
        }
        return false;
    }

    bool failed(const std::string& name, const std::string& why) const {
        std::fprintf(stderr, "%s: cannot write %s: %s\n", run_.program, printableName(name).c_str(),
                     why.c_str());
        return false;
    }

    const SingleRun& run_;
    const bool puzzles_;
    const bool solutions_;
    StagedOutput staged_;
    int count_ = 0;
    int refused_ = 0;
};

}  // namespace

int writeSingleFiles(const SingleRun& run) {
    SingleWriter writer(run);
    return writer.write() ? 0 : 1;
}

}  // namespace spanwright
