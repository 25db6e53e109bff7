// Printable puzzle pages: the problems of one or more files laid out a few to a page,
// numbered, sized and graded, with an optional answer key, as PDF, SVG or PNG.
#include <getopt.h>
#include <strings.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "app/cli/program.h"
#include "app/sheet/sheet_input.h"
#include "app/sheet/sheet_output.h"
#include "exact/exact_solver.h"
#include "explain/explain.h"
#include "render/answer_key.h"
#include "render/book_writer.h"
#include "render/page_layout.h"

namespace {

using spanwright::usageError;

constexpr const char* PROGRAM = "spanwright-sheet";
constexpr long MAX_PER_PAGE = 30;
constexpr long MIN_DPI = 30;
constexpr long MAX_DPI = 600;
constexpr long DEFAULT_DPI = 150;

struct Options {
    bool solutions = false;
    spanwright::Paper paper = spanwright::Paper::A4;
    long perPage = 0;
    std::string title;
    long dpi = DEFAULT_DPI;
    bool dots = true;
    std::string output;
    std::vector<std::string> files;
};

void printHelp() {
    std::printf(
        "Usage: %s [OPTION]... -o OUT FILE...\n"
        "Lay out the problems of the FILEs (\"-\" for standard input) as printable pages:\n"
        "numbered puzzles, a few to a page, with an optional answer key at the back.\n"
        "The extension of OUT chooses the format: .pdf writes one document; .svg and .png\n"
        "write one file a page, OUT itself for a single page, OUT-1, OUT-2, ... otherwise\n"
        "(book-1.svg for book.svg).\n"
        "\n"
        "  -o, --output OUT     where to write the pages (required)\n"
        "  -s, --solutions      add answer key pages after the puzzles\n"
        "  -p, --paper SIZE     a4 (default) or letter\n"
        "  -n, --per-page N     at most N puzzles a page, 1 to %ld, fewer when they would\n"
        "                       be too small to read (default: 6 of side 10 or less,\n"
        "                       4 of side 15, 2 of side 20, 1 of larger boards)\n"
        "  -t, --title TEXT     a heading on every page\n"
        "  -r, --dpi N          resolution of PNG pages, %ld to %ld (default %ld)\n"
        "      --no-dots        leave out the faint dot in each empty cell\n"
        "  -h, --help           show this help and exit\n"
        "  -V, --version        show the version and exit\n"
        "\n"
        "Exit status: 0 when the pages were written, 1 when a file could not be read or\n"
        "written, 2 for a usage error.\n",
        PROGRAM, MAX_PER_PAGE, MIN_DPI, MAX_DPI, DEFAULT_DPI);
}

/// Text that cairo can set: valid UTF-8 without control characters. Anything else would
/// put the drawing into an error state, or print as boxes.
bool isPrintableText(const std::string& text) {
    for (std::size_t i = 0; i < text.size();) {
        char32_t code = 0;
        const int length = spanwright::utf8Sequence(text, i, code);
        if (length == 0 || code < 0x20 || (code >= 0x7F && code < 0xA0)) return false;
        i += std::size_t(length);
    }
    return true;
}

/// Reads the command line into `options`; returns -1 to go on, or the exit status.
int parseOptions(int argc, char** argv, Options& options) {
    enum { NO_DOTS = 256 };
    static const option longOptions[] = {
        {"output", required_argument, nullptr, 'o'}, {"solutions", no_argument, nullptr, 's'},
        {"paper", required_argument, nullptr, 'p'},  {"per-page", required_argument, nullptr, 'n'},
        {"title", required_argument, nullptr, 't'},  {"dpi", required_argument, nullptr, 'r'},
        {"no-dots", no_argument, nullptr, NO_DOTS},  {"help", no_argument, nullptr, 'h'},
        {"version", no_argument, nullptr, 'V'},      {nullptr, 0, nullptr, 0},
    };
    opterr = 0;
    for (;;) {
        // The front end runs on one thread; getopt's shared state is safe here.
        // NOLINTNEXTLINE(concurrency-mt-unsafe)
        const int choice = getopt_long(argc, argv, ":o:sp:n:t:r:hV", longOptions, nullptr);
        if (choice == -1) break;
        switch (choice) {
            case 'o':
                options.output = optarg;
                break;
            case 's':
                options.solutions = true;
                break;
            case 'p':
                if (strcasecmp(optarg, "a4") == 0)
                    options.paper = spanwright::Paper::A4;
                else if (strcasecmp(optarg, "letter") == 0)
                    options.paper = spanwright::Paper::Letter;
                else
                    return usageError(PROGRAM, "--paper '%s' is neither a4 nor letter", optarg);
                break;
            case 'n':
                if (!spanwright::readNumber(optarg, 1, MAX_PER_PAGE, options.perPage))
                    return usageError(PROGRAM, "--per-page '%s' is not a number from 1 to %ld",
                                      optarg, MAX_PER_PAGE);
                break;
            case 't':
                options.title = optarg;
                if (!isPrintableText(options.title))
                    return usageError(PROGRAM,
                                      "--title is not UTF-8 text without control characters");
                break;
            case 'r':
                if (!spanwright::readNumber(optarg, MIN_DPI, MAX_DPI, options.dpi))
                    return usageError(PROGRAM, "--dpi '%s' is not a number from %ld to %ld", optarg,
                                      MIN_DPI, MAX_DPI);
                break;
            case NO_DOTS:
                options.dots = false;
                break;
            default:
                return spanwright::answerCommonOption(PROGRAM, choice, argv, printHelp);
        }
    }
    if (options.output.empty()) return usageError(PROGRAM, "no output file: give -o OUT");
    for (int i = optind; i < argc; ++i)
        options.files.emplace_back(argv[i]);
    if (options.files.empty()) return usageError(PROGRAM, "no problem file given");
    return -1;
}

// The exact solver decides every board that deduction leaves open: a unique solution goes
// into the key like any other, no solution or several get a marked tile.
spanwright::SolutionSource exactSolutionSource() {
    return [](const spanwright::Puzzle& puzzle) {
        const spanwright::exact::ExactResult result = spanwright::exact::solveExactly(puzzle);
        spanwright::KeySolution key;
        switch (result.verdict) {
            case spanwright::exact::Verdict::None:
                key.verdict = spanwright::KeyVerdict::None;
                break;
            case spanwright::exact::Verdict::Multiple:
                key.verdict = spanwright::KeyVerdict::Several;
                break;
            case spanwright::exact::Verdict::Unique:
                key.verdict = spanwright::KeyVerdict::Unique;
                key.bridges = result.solutions.front();
                break;
        }
        return key;
    };
}

/// Solves every puzzle for the key, warning about those that get no answer.
void solveForKey(spanwright::Book& book, const std::vector<spanwright::PuzzleOrigin>& origins) {
    const spanwright::SolutionSource exact = exactSolutionSource();
    for (std::size_t i = 0; i < book.puzzles.size(); ++i) {
        spanwright::SheetPuzzle& entry = book.puzzles[i];
        entry.key = spanwright::findKeySolution(entry.puzzle, exact);
        if (entry.key.verdict == spanwright::KeyVerdict::Unique) continue;
        const char* why = entry.key.verdict == spanwright::KeyVerdict::None ? "has no solution"
                          : entry.key.verdict == spanwright::KeyVerdict::Several
                              ? "has several solutions"
                              : "was not solved by deduction";
        std::fprintf(stderr, "%s: %s:%ld: warning: puzzle %d %s; its key tile says so\n", PROGRAM,
                     origins[i].file.c_str(), origins[i].line, entry.number, why);
    }
}

/// Warns about boards drawn smaller than is comfortable, once each.
void warnAboutSmallBoards(const spanwright::Book& book, const spanwright::BookPlan& plan,
                          const std::vector<spanwright::PuzzleOrigin>& origins) {
    for (const spanwright::PagePlan& page : plan.pages) {
        if (page.kind != spanwright::PageKind::Puzzles) continue;
        for (const spanwright::TilePlan& tile : page.tiles) {
            if (!tile.belowMinimum) continue;
            const spanwright::PuzzleOrigin& origin = origins[tile.puzzle];
            std::fprintf(stderr,
                         "%s: %s:%ld: warning: puzzle %d is drawn at %.1f pt a cell, smaller "
                         "than the %.0f pt that stays easy to read\n",
                         PROGRAM, origin.file.c_str(), origin.line,
                         book.puzzles[tile.puzzle].number, tile.cell, spanwright::MIN_PUZZLE_CELL);
        }
    }
}

}  // namespace

int main(int argc, char** argv) {
    spanwright::secureStandardDescriptors();
    Options options;
    const int status = parseOptions(argc, argv, options);
    if (status >= 0) return status;
    spanwright::SheetFormat format = spanwright::SheetFormat::Pdf;
    if (!spanwright::formatOfPath(options.output, format))
        return usageError(PROGRAM, "cannot tell the format of '%s': name it .pdf, .svg or .png",
                          spanwright::printableName(options.output).c_str());

    spanwright::Book book;
    book.title = options.title;
    book.dots = options.dots;
    std::vector<spanwright::PuzzleOrigin> origins;
    if (!spanwright::readPuzzles(PROGRAM, options.files, book, origins)) return 1;
    if (book.puzzles.empty()) {
        std::fprintf(stderr, "%s: no problem lines to lay out; nothing written\n", PROGRAM);
        return 1;
    }
    // The caption names the level a player knows a puzzle by; the problem line's grade
    // weighs the solver's work, which mostly follows the size.
    for (spanwright::SheetPuzzle& entry : book.puzzles) {
        const spanwright::explain::Explanation rating =
            spanwright::explain::explainPuzzle(entry.puzzle);
        if (rating.solved) entry.level = spanwright::explain::rungName(rating.level);
    }
    if (options.solutions) solveForKey(book, origins);

    spanwright::LayoutOptions layout;
    layout.paper = options.paper;
    layout.perPage = int(options.perPage);
    layout.key = options.solutions;
    layout.titled = !options.title.empty();
    std::vector<spanwright::BoardSize> sizes(book.puzzles.size());
    std::transform(book.puzzles.begin(), book.puzzles.end(), sizes.begin(),
                   [](const spanwright::SheetPuzzle& entry) {
                       return spanwright::BoardSize{entry.puzzle.width, entry.puzzle.height};
                   });
    const spanwright::BookPlan plan = spanwright::layOutBook(sizes, layout);
    warnAboutSmallBoards(book, plan, origins);

    const bool written =
        spanwright::writeBook(PROGRAM, options.output, format, book, plan, int(options.dpi));
    spanwright::releaseDrawingCaches();
    return written ? 0 : 1;
}
