// Printable puzzle pages: the problems of one or more files laid out a few to a page,
// numbered, sized and rated by level, with optional front matter and an answer key, as PDF,
// SVG or PNG.
#include <string>

#include "app/cli/program.h"
#include "app/sheet/book_run.h"
#include "app/sheet/sheet_input.h"
#include "app/sheet/sheet_options.h"
#include "app/sheet/sheet_output.h"
#include "app/sheet/single_files.h"
#include "render/book_writer.h"

namespace {

using spanwright::sheet::Options;
using spanwright::sheet::Origin;
using spanwright::sheet::PROGRAM;

/// The PDF's title: the book's, that of its title page, or the name of the output without
/// its folder and extension.
std::string documentTitle(const Options& options, const std::string& output) {
    if (!options.title.empty()) return options.title;
    if (!options.titlePage.empty()) return options.titlePage;
    std::string name = output.substr(output.rfind('/') + 1);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos) name.resize(dot);
    return spanwright::sheet::isPrintableText(name) ? name : spanwright::printableName(name);
}

}  // namespace

int main(int argc, char** argv) {
    spanwright::secureStandardDescriptors();
    Options options;
    const int status = spanwright::sheet::readSheetOptions(argc, argv, options);
    if (status != spanwright::sheet::GO_ON) return status;
    spanwright::SheetFormat format = spanwright::SheetFormat::Pdf;
    if (!spanwright::formatOfPath(options.output, format))
        return spanwright::usageError(PROGRAM,
                                      "cannot tell the format of '%s': name it .pdf, .svg or .png",
                                      spanwright::printableName(options.output).c_str());

    if (options.single.enabled) {
        const spanwright::SolutionSource exact =
            spanwright::sheet::exactSolutionSource(options.timeLimit);
        spanwright::SingleRun run{
            PROGRAM,
            options.output,
            format,
            options.single,
            options.solutions,
            options.dots,
            int(options.single.dpiGiven ? options.dpi : spanwright::DEFAULT_SINGLE_DPI),
            options.maxPages,
            options.files,
            [&](const spanwright::Puzzle& puzzle, int number, spanwright::PuzzleOrigin origin) {
                return spanwright::sheet::solveForKey(
                    exact, options.timeLimit, puzzle, number,
                    Origin{spanwright::shownFileName(options.files[std::size_t(origin.file)]),
                           origin.line});
            },
            {},
            options.firstDay,
            options.dateStep};
        if (options.strict)
            run.strict = [&](const spanwright::Puzzle& puzzle, int number,
                             spanwright::PuzzleOrigin origin) {
                return spanwright::sheet::fitForStrict(
                    puzzle, number,
                    Origin{spanwright::shownFileName(options.files[std::size_t(origin.file)]),
                           origin.line},
                    options.timeLimit);
            };
        const int single = spanwright::writeSingleFiles(run);
        spanwright::releaseDrawingCaches();
        return single;
    }

    // A book is one name: its fields are those of its first puzzle.
    const std::string output =
        spanwright::sheet::fillOutputName(options.output, options.firstNumber, options.firstDay);
    bool written = false;
    {
        spanwright::BookOutput bookOutput(PROGRAM, output, format, int(options.dpi));
        bookOutput.setPdfMetadata(
            {documentTitle(options, output), std::string(PROGRAM) + " " + spanwright::VERSION});
        written = bookOutput.ready() && spanwright::sheet::writeBook(options, bookOutput) &&
                  bookOutput.publish();
    }
    spanwright::releaseDrawingCaches();
    return written ? 0 : 1;
}
