// Printable puzzle pages: the problems of one or more files laid out a few to a page,
// numbered, sized and rated by level, with an optional answer key, as PDF, SVG or PNG.
#include <getopt.h>
#include <strings.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <string>
#include <vector>

#include "app/cli/program.h"
#include "app/sheet/sheet_input.h"
#include "app/sheet/sheet_output.h"
#include "app/sheet/single_files.h"
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
// A bound on the work and disk one run can take: 2,000 pages hold 12,000 small puzzles, and
// at the largest resolution take about 40 minutes of CPU and 400 MB of PNG files.
constexpr long MAX_PAGES = 1000000;
constexpr long DEFAULT_MAX_PAGES = 2000;

struct Options {
    bool solutions = false;
    spanwright::Paper paper = spanwright::Paper::A4;
    long perPage = 0;
    std::string title;
    long dpi = DEFAULT_DPI;
    long maxPages = DEFAULT_MAX_PAGES;
    double timeLimit = spanwright::exact::DEFAULT_TIME_LIMIT_SECONDS;
    bool dots = true;
    std::string output;
    std::vector<std::string> files;
    spanwright::SingleOptions single;
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
        "      --max-pages N    write nothing when the book would have more than N pages,\n"
        "                       1 to %ld (default %ld)\n"
        "      --time-limit SECONDS\n"
        "                       give up the exact search for a key solution after SECONDS\n"
        "                       a puzzle (default %g, 0 for no limit); the key tile then\n"
        "                       says it was not decided\n"
        "\n"
        "Single puzzles for print layout, cropped to the board without title, caption or\n"
        "page number, numbered before the extension of OUT: sun.png gives sun-01.png,\n"
        "sun-02.png, ... and the solutions sun-01-solution.png, ... (no --paper,\n"
        "--per-page or --title; --max-pages counts files).\n"
        "      --one-per-file   write each puzzle as a file of its own; with --solutions\n"
        "                       each solution beside it; PNG at --dpi (default %ld) with\n"
        "                       its resolution, PDF and SVG sized in millimetres\n"
        "      --key-only       with --one-per-file, write only the solutions\n"
        "      --cell MM        cell size in millimetres, %g to %g (default %g)\n"
        "\n"
        "  -h, --help           show this help and exit\n"
        "  -V, --version        show the version and exit\n"
        "\n"
        "Exit status: 0 when the pages were written, 1 when a file could not be read or\n"
        "written, 2 for a usage error.\n",
        PROGRAM, MAX_PER_PAGE, MIN_DPI, MAX_DPI, DEFAULT_DPI, MAX_PAGES, DEFAULT_MAX_PAGES,
        spanwright::exact::DEFAULT_TIME_LIMIT_SECONDS, spanwright::DEFAULT_SINGLE_DPI,
        spanwright::MIN_CELL_MM, spanwright::MAX_CELL_MM, spanwright::DEFAULT_CELL_MM);
}

/// Text that cairo can set: valid UTF-8 without control characters or noncharacters
/// (U+FDD0 to U+FDEF and the last two code points of every plane), which cairo refuses as
/// invalid. Anything else would
/// put the drawing into an error state, or print as boxes.
bool isPrintableText(const std::string& text) {
    for (std::size_t i = 0; i < text.size();) {
        char32_t code = 0;
        const int length = spanwright::utf8Sequence(text, i, code);
        if (length == 0 || code < 0x20 || (code >= 0x7F && code < 0xA0)) return false;
        if ((code >= 0xFDD0 && code <= 0xFDEF) || (code & 0xFFFE) == 0xFFFE) return false;
        i += std::size_t(length);
    }
    return true;
}

/// Reads the command line into `options`; returns -1 to go on, or the exit status.
int parseOptions(int argc, char** argv, Options& options) {
    enum { NO_DOTS = 256, MAX_PAGES_OPTION, TIME_LIMIT, ONE_PER_FILE, KEY_ONLY, CELL };
    static const option longOptions[] = {
        {"output", required_argument, nullptr, 'o'},
        {"solutions", no_argument, nullptr, 's'},
        {"paper", required_argument, nullptr, 'p'},
        {"per-page", required_argument, nullptr, 'n'},
        {"title", required_argument, nullptr, 't'},
        {"dpi", required_argument, nullptr, 'r'},
        {"no-dots", no_argument, nullptr, NO_DOTS},
        {"help", no_argument, nullptr, 'h'},
        {"version", no_argument, nullptr, 'V'},
        {"max-pages", required_argument, nullptr, MAX_PAGES_OPTION},
        {"time-limit", required_argument, nullptr, TIME_LIMIT},
        {"one-per-file", no_argument, nullptr, ONE_PER_FILE},
        {"key-only", no_argument, nullptr, KEY_ONLY},
        {"cell", required_argument, nullptr, CELL},
        {nullptr, 0, nullptr, 0},
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
                options.single.pageOption = "--paper";
                if (strcasecmp(optarg, "a4") == 0)
                    options.paper = spanwright::Paper::A4;
                else if (strcasecmp(optarg, "letter") == 0)
                    options.paper = spanwright::Paper::Letter;
                else
                    return usageError(PROGRAM, "--paper '%s' is neither a4 nor letter", optarg);
                break;
            case 'n':
                options.single.pageOption = "--per-page";
                if (!spanwright::readNumber(optarg, 1, MAX_PER_PAGE, options.perPage))
                    return usageError(PROGRAM, "--per-page '%s' is not a number from 1 to %ld",
                                      optarg, MAX_PER_PAGE);
                break;
            case 't':
                options.single.pageOption = "--title";
                options.title = optarg;
                if (!isPrintableText(options.title))
                    return usageError(PROGRAM,
                                      "--title is not UTF-8 text without control characters "
                                      "and noncharacters");
                break;
            case 'r':
                options.single.dpiGiven = true;
                if (!spanwright::readNumber(optarg, MIN_DPI, MAX_DPI, options.dpi))
                    return usageError(PROGRAM, "--dpi '%s' is not a number from %ld to %ld", optarg,
                                      MIN_DPI, MAX_DPI);
                break;
            case NO_DOTS:
                options.dots = false;
                break;
            case MAX_PAGES_OPTION:
                if (!spanwright::readNumber(optarg, 1, MAX_PAGES, options.maxPages))
                    return usageError(PROGRAM, "--max-pages '%s' is not a number from 1 to %ld",
                                      optarg, MAX_PAGES);
                break;
            case TIME_LIMIT:
                if (!spanwright::readTimeLimit(PROGRAM, optarg, options.timeLimit))
                    return spanwright::USAGE_STATUS;
                break;
            case ONE_PER_FILE:
                options.single.enabled = true;
                break;
            case KEY_ONLY:
                options.single.keyOnly = true;
                break;
            case CELL:
                if (!spanwright::readCell(PROGRAM, optarg, options.single))
                    return spanwright::USAGE_STATUS;
                break;
            default:
                return spanwright::answerCommonOption(PROGRAM, choice, argv, printHelp);
        }
    }
    if (options.output.empty()) return usageError(PROGRAM, "no output file: give -o OUT");
    for (int i = optind; i < argc; ++i)
        options.files.emplace_back(argv[i]);
    if (options.files.empty()) return usageError(PROGRAM, "no problem file given");
    return spanwright::checkSingleOptions(PROGRAM, options.single);
}

// The exact solver decides every board that deduction leaves open: a unique solution goes
// into the key like any other, no solution or several get a marked tile, and so does a
// board whose search ran out of time (KeyVerdict::Unknown).
spanwright::SolutionSource exactSolutionSource(double timeLimit) {
    return [timeLimit](const spanwright::Puzzle& puzzle) {
        spanwright::exact::ExactLimits limits;
        limits.seconds = timeLimit;
        const spanwright::exact::ExactResult result =
            spanwright::exact::solveExactly(puzzle, limits);
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
            case spanwright::exact::Verdict::Unknown:
                key.verdict = spanwright::KeyVerdict::Unknown;
                break;
        }
        return key;
    };
}

/// Where a puzzle came from, as a message names it.
struct Origin {
    const std::string& file;
    long line;
};

/// Solves a puzzle for the key, warning when it gets no answer.
spanwright::KeySolution solveForKey(const spanwright::SolutionSource& exact, double timeLimit,
                                    const spanwright::Puzzle& puzzle, int number, Origin origin) {
    spanwright::KeySolution key = spanwright::findKeySolution(puzzle, exact);
    if (key.verdict == spanwright::KeyVerdict::Unique) return key;
    char why[128];
    if (key.verdict == spanwright::KeyVerdict::Unknown)
        std::snprintf(why, sizeof why,
                      "was not decided: the exact search reached its time limit of %g s",
                      timeLimit);
    else
        std::snprintf(why, sizeof why, "%s",
                      key.verdict == spanwright::KeyVerdict::None ? "has no solution"
                                                                  : "has several solutions");
    std::fprintf(stderr, "%s: %s:%ld: warning: puzzle %d %s; its key tile says so\n", PROGRAM,
                 origin.file.c_str(), origin.line, number, why);
    return key;
}

/// The puzzles that wait for the key pages, kept in an unnamed temporary file rather than in
/// memory: the key pages come after every puzzle page, so the puzzles are read twice.
class KeySpool {
  public:
    KeySpool() : file_(std::tmpfile()) {}
    ~KeySpool() {
        if (file_) std::fclose(file_);
    }
    KeySpool(const KeySpool&) = delete;
    KeySpool& operator=(const KeySpool&) = delete;

    bool ready() const { return file_ != nullptr; }

    bool put(const spanwright::Puzzle& puzzle, spanwright::PuzzleOrigin origin) {
        Record record{};  // whole, padding included, so that no byte written is undefined
        record.file = origin.file;
        record.line = origin.line;
        record.width = puzzle.width;
        record.height = puzzle.height;
        record.difficulty = puzzle.difficulty;
        return std::fwrite(&record, sizeof record, 1, file_) == 1 &&
               std::fwrite(puzzle.cells.get(), 1, std::size_t(puzzle.cellCount()), file_) ==
                   std::size_t(puzzle.cellCount());
    }

    /// Back to the first puzzle; false when what was put did not all land.
    bool rewind() { return std::fflush(file_) == 0 && std::fseek(file_, 0, SEEK_SET) == 0; }

    /// The next puzzle; false at the end.
    bool get(spanwright::Puzzle& puzzle, spanwright::PuzzleOrigin& origin) {
        Record record{};
        if (std::fread(&record, sizeof record, 1, file_) != 1) return false;
        puzzle.width = record.width;
        puzzle.height = record.height;
        puzzle.difficulty = record.difficulty;
        puzzle.allocateCells();
        origin = {record.file, record.line};
        return std::fread(puzzle.cells.get(), 1, std::size_t(puzzle.cellCount()), file_) ==
               std::size_t(puzzle.cellCount());
    }

  private:
    struct Record {
        int file;
        long line;
        std::int8_t width;
        std::int8_t height;
        std::int8_t difficulty;
    };
    std::FILE* file_;
};

/// One run: the puzzles laid out and drawn a page at a time as they are read, then the key
/// pages from the spool. Only the puzzles of the open page are held.
class BookRun {
  public:
    BookRun(const Options& options, spanwright::BookOutput& output)
        : options_(options),
          output_(output),
          layout_{options.paper, int(options.perPage), options.solutions, !options.title.empty()},
          frame_(spanwright::bookFrame(layout_)),
          puzzlePages_(layout_, spanwright::PageKind::Puzzles, 1),
          keyPages_(layout_, spanwright::PageKind::Key, 1) {
        std::transform(options.files.begin(), options.files.end(), std::back_inserter(shownNames_),
                       [](const std::string& file) { return spanwright::shownFileName(file); });
        open_.title = options.title;
        open_.dots = options.dots;
    }

    /// Draws the whole book; false once something was said to have gone wrong.
    bool run() {
        if (layout_.key && !spool_.ready()) return fail("cannot make a temporary file for the key");
        const bool read = spanwright::readPuzzles(
            PROGRAM, options_.files,
            [this](spanwright::Puzzle& puzzle, spanwright::PuzzleOrigin origin) {
                return take(puzzle, origin);
            });
        if (!read) return false;
        if (count_ == 0) return fail("no problem lines to lay out; nothing written");
        spanwright::PagePlan page;
        if (puzzlePages_.finish(page) && !drawPuzzlePage(page)) return false;
        return !layout_.key || drawKey();
    }

  private:
    bool take(spanwright::Puzzle& puzzle, spanwright::PuzzleOrigin origin) {
        const spanwright::BoardSize size{puzzle.width, puzzle.height};
        spanwright::PagePlan page;
        const bool closed = puzzlePages_.add(size, page);
        spanwright::PagePlan unused;
        if (layout_.key) {
            keyPages_.add(size, unused);
            if (!spool_.put(puzzle, origin)) return fail("cannot keep the puzzles for the key");
        }
        // The limit is known to be passed before the page that passes it is drawn.
        if (puzzlePages_.pages() + keyPages_.pages() > options_.maxPages)
            return fail(
                "the book would have more than %ld pages (see --max-pages); nothing written",
                options_.maxPages);
        if (closed && !drawPuzzlePage(page)) return false;
        // The caption names the level a player knows a puzzle by; the problem line's grade
        // weighs the solver's work, which mostly follows the size.
        const spanwright::explain::Explanation rating = spanwright::explain::explainPuzzle(puzzle);
        std::string level;
        if (rating.solved) level = spanwright::explain::rungName(rating.level);
        open_.puzzles.push_back(
            spanwright::SheetPuzzle{std::move(puzzle), ++count_, {}, std::move(level)});
        origins_.push_back(origin);
        return true;
    }

    bool drawPuzzlePage(const spanwright::PagePlan& page) {
        for (const spanwright::TilePlan& tile : page.tiles) {
            if (!tile.belowMinimum) continue;
            const spanwright::PuzzleOrigin& origin =
                origins_[std::size_t(tile.puzzle - open_.first)];
            std::fprintf(stderr,
                         "%s: %s:%ld: warning: puzzle %d is drawn at %.1f pt a cell, smaller "
                         "than the %.0f pt that stays easy to read\n",
                         PROGRAM, shownNames_[std::size_t(origin.file)].c_str(), origin.line,
                         tile.puzzle + 1, tile.cell, spanwright::MIN_PUZZLE_CELL);
        }
        return drawAndMoveOn(page);
    }

    /// Draws the page from the open puzzles, which it then lets go.
    bool drawAndMoveOn(const spanwright::PagePlan& page) {
        if (!output_.addPage(open_, frame_, page)) return false;
        open_.first += int(open_.puzzles.size());
        open_.puzzles.clear();
        origins_.clear();
        return true;
    }

    bool drawKey() {
        if (!spool_.rewind()) return fail("cannot keep the puzzles for the key");
        const spanwright::SolutionSource exact = exactSolutionSource(options_.timeLimit);
        spanwright::PageStream keyPages(layout_, spanwright::PageKind::Key,
                                        puzzlePages_.pages() + 1);
        open_.first = 0;
        spanwright::Puzzle puzzle;
        spanwright::PuzzleOrigin origin;
        spanwright::PagePlan page;
        for (int number = 1; number <= count_; ++number) {
            if (!spool_.get(puzzle, origin))
                return fail("cannot read back the puzzles for the key");
            if (keyPages.add(spanwright::BoardSize{puzzle.width, puzzle.height}, page) &&
                !drawAndMoveOn(page))
                return false;
            spanwright::KeySolution key =
                solveForKey(exact, options_.timeLimit, puzzle, number,
                            Origin{shownNames_[std::size_t(origin.file)], origin.line});
            open_.puzzles.push_back(
                spanwright::SheetPuzzle{std::move(puzzle), number, std::move(key), {}});
        }
        return !keyPages.finish(page) || drawAndMoveOn(page);
    }

    static bool fail(const char* format, ...) __attribute__((format(printf, 1, 2))) {
        va_list arguments;
        va_start(arguments, format);
        spanwright::printErrorV(PROGRAM, format, arguments);
        va_end(arguments);
        return false;
    }

    const Options& options_;
    spanwright::BookOutput& output_;
    spanwright::LayoutOptions layout_;
    spanwright::BookPlan frame_;
    spanwright::PageStream puzzlePages_;
    spanwright::PageStream keyPages_;  ///< counts the key pages while the puzzles are read
    std::vector<std::string> shownNames_;
    spanwright::Book open_;  ///< the puzzles of the page being filled
    std::vector<spanwright::PuzzleOrigin> origins_;
    int count_ = 0;
    KeySpool spool_;
};

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

    if (options.single.enabled) {
        const spanwright::SolutionSource exact = exactSolutionSource(options.timeLimit);
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
                return solveForKey(
                    exact, options.timeLimit, puzzle, number,
                    Origin{spanwright::shownFileName(options.files[std::size_t(origin.file)]),
                           origin.line});
            }};
        const int single = spanwright::writeSingleFiles(run);
        spanwright::releaseDrawingCaches();
        return single;
    }

    bool written = false;
    {
        spanwright::BookOutput output(PROGRAM, options.output, format, int(options.dpi));
        BookRun run(options, output);
        written = output.ready() && run.run() && output.publish();
    }
    spanwright::releaseDrawingCaches();
    return written ? 0 : 1;
}
