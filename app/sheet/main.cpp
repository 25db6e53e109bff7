// Printable puzzle pages: the problems of one or more files laid out a few to a page,
// numbered, sized and rated by level, with an optional answer key, as PDF, SVG or PNG.
#include <getopt.h>

#include <algorithm>
#include <cerrno>
#include <cstdarg>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <memory>
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

/// Where the files of a section go, as the options before them set it.
struct Section {
    std::string heading;
    long perPage = 0;
    long keyPerPage = 0;
};

// Lengths on the page, in millimetres.
constexpr double MAX_MARGIN_MM = 100;
constexpr double MIN_CELL_LOW_MM = 1;
constexpr double MIN_CELL_HIGH_MM = 20;
constexpr double DEFAULT_MIN_CELL_MM = 5;
constexpr double DEFAULT_MIN_KEY_CELL_MM = 3;
// The least room left for tiles once the margins, the gutter and the bands of the heading
// and the page number (about 20 mm together) are taken.
constexpr double MIN_CONTENT_MM = 40;
constexpr double BANDS_MM = 20;
constexpr long MAX_FIRST = 1000000;
constexpr long MAX_PAD_TO = 64;

struct Options {
    bool solutions = false;
    bool strict = false;
    spanwright::PaperSize paper = spanwright::paperSize(spanwright::Paper::A4);
    double margin = -1;  ///< in mm; below 0 for the default of the paper
    double gutter = 0;
    double minCell = DEFAULT_MIN_CELL_MM;
    double minKeyCell = DEFAULT_MIN_KEY_CELL_MM;
    long firstNumber = 1;
    long firstPage = 1;
    long padTo = 1;
    std::string title;
    spanwright::CaptionTemplate caption;
    long dpi = DEFAULT_DPI;
    long maxPages = DEFAULT_MAX_PAGES;
    double timeLimit = spanwright::exact::DEFAULT_TIME_LIMIT_SECONDS;
    bool dots = true;
    std::string output;
    std::vector<Section> sections;
    std::vector<std::string> files;
    std::vector<int> fileSections;  ///< the section of each file
    spanwright::SingleOptions single;
};

void printHelp() {
    std::printf(
        "Usage: %s [OPTION]... -o OUT [SECTION OPTION]... FILE...\n"
        "Lay out the problems of the FILEs (\"-\" for standard input) as printable pages:\n"
        "numbered puzzles, a few to a page, with an optional answer key at the back. A\n"
        "FILE holds problem lines, game IDs or puzz.link links, or is a pencil-box or\n"
        "benchmark file.\n"
        "The extension of OUT chooses the format: .pdf writes one document; .svg and .png\n"
        "write one file a page, OUT itself for a single page, OUT-1, OUT-2, ... otherwise\n"
        "(book-1.svg for book.svg).\n"
        "\n"
        "Section options apply to the FILEs after them until changed (after the last FILE,\n"
        "to the last section). Each --section, and each change of density between two\n"
        "FILEs, starts a new section on a new page; its key pages start a new page too.\n"
        "      --section TEXT   the heading of the section's pages (default: the title)\n"
        "  -n, --per-page N     at most N puzzles a page, 1 to %ld (default: 6 of side 10 or\n"
        "                       less, 4 of side 15, 2 of side 20, 1 of larger boards)\n"
        "      --key-per-page N at most N solutions a key page, 1 to %ld (default: twice\n"
        "                       the puzzles a page), in a grid without gaps\n"
        "\n"
        "Book options:\n"
        "  -o, --output OUT     where to write the pages (required)\n"
        "  -s, --solutions      add answer key pages after the puzzles\n"
        "      --strict         write nothing when a puzzle has no single solution or\n"
        "                       deduction cannot solve it (without it, the key marks\n"
        "                       puzzles without a single solution and goes on)\n"
        "  -t, --title TEXT     the heading of pages without a section heading, and the\n"
        "                       PDF's title (default title: the name of OUT)\n"
        "      --caption TEMPLATE\n"
        "                       the line under each board, with fields {number}, {width},\n"
        "                       {height}, {level}, {grade} and {score} (default\n"
        "                       \"{number} \u00B7 {width} \u00D7 {height} \u00B7 {level}\")\n"
        "      --first-number N number the puzzles from N (default 1)\n"
        "      --first-page N   number the pages from N (default 1)\n"
        "      --pad-to K       add blank pages to make the page count a multiple of K,\n"
        "                       1 to %ld\n"
        "  -p, --paper SIZE     a4 (default), letter, a5, 6x9in, or WxHmm (%g to %g mm)\n"
        "      --margin MM      the margin on every side (default 15, 12 on sheets\n"
        "                       narrower than 180 mm)\n"
        "      --gutter MM      more inside margin for binding: on the left of odd pages,\n"
        "                       the right of even ones (default 0)\n"
        "      --min-cell MM    the smallest cell of a puzzle (default %g); a page takes\n"
        "                       fewer puzzles rather than go below it, and says so\n"
        "      --min-key-cell MM\n"
        "                       the smallest cell of a key board (default %g)\n"
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
        "      --strict         as for a book: no file is written when a puzzle is unfit\n"
        "\n"
        "  -h, --help           show this help and exit\n"
        "  -V, --version        show the version and exit\n"
        "\n"
        "Exit status: 0 when the pages were written, 1 when a file could not be read or\n"
        "written or --strict refused a puzzle, 2 for a usage error.\n",
        PROGRAM, MAX_PER_PAGE, 2 * MAX_PER_PAGE, MAX_PAD_TO, spanwright::MIN_PAPER_MM,
        spanwright::MAX_PAPER_MM, DEFAULT_MIN_CELL_MM, DEFAULT_MIN_KEY_CELL_MM, MIN_DPI, MAX_DPI,
        DEFAULT_DPI, MAX_PAGES, DEFAULT_MAX_PAGES, spanwright::exact::DEFAULT_TIME_LIMIT_SECONDS,
        spanwright::DEFAULT_SINGLE_DPI, spanwright::MIN_CELL_MM, spanwright::MAX_CELL_MM,
        spanwright::DEFAULT_CELL_MM);
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

/// The options that shape the sections, read in the order they come: each applies to the
/// FILEs after it, and a change starts a new section at the next FILE.
class SectionReader {
  public:
    explicit SectionReader(Options& options) : options_(options) {}

    void heading(const char* text) {
        current_.heading = text;
        changed_ |= HEADING;
        fresh_ = true;
    }
    void perPage(long value) {
        fresh_ = fresh_ || value != current_.perPage;
        current_.perPage = value;
        changed_ |= PER_PAGE;
    }
    void keyPerPage(long value) {
        fresh_ = fresh_ || value != current_.keyPerPage;
        current_.keyPerPage = value;
        changed_ |= KEY_PER_PAGE;
    }
    void file(const char* path) {
        if (fresh_ || options_.sections.empty()) options_.sections.push_back(current_);
        fresh_ = false;
        changed_ = 0;
        options_.files.emplace_back(path);
        options_.fileSections.push_back(int(options_.sections.size()) - 1);
    }
    /// Options after the last FILE apply to the last section, as a command line with one
    /// section reads them wherever they stand.
    void finish() {
        if (options_.sections.empty()) return;
        Section& last = options_.sections.back();
        if (changed_ & HEADING) last.heading = current_.heading;
        if (changed_ & PER_PAGE) last.perPage = current_.perPage;
        if (changed_ & KEY_PER_PAGE) last.keyPerPage = current_.keyPerPage;
    }

  private:
    enum : unsigned { HEADING = 1, PER_PAGE = 2, KEY_PER_PAGE = 4 };
    Options& options_;
    Section current_;
    bool fresh_ = true;
    unsigned changed_ = 0;
};

/// Checks the lengths against the sheet once all are known; -1 when they fit.
int checkRoom(Options& options) {
    if (options.margin < 0)
        options.margin = spanwright::defaultMargin(options.paper) / spanwright::POINTS_PER_MM;
    const double width = options.paper.width / spanwright::POINTS_PER_MM;
    const double height = options.paper.height / spanwright::POINTS_PER_MM;
    if (width - 2 * options.margin - options.gutter < MIN_CONTENT_MM ||
        height - 2 * options.margin - BANDS_MM < MIN_CONTENT_MM)
        return usageError(PROGRAM,
                          "--margin %g and --gutter %g leave less than %g mm for puzzles on a "
                          "sheet of %.0f x %.0f mm",
                          options.margin, options.gutter, MIN_CONTENT_MM, width, height);
    return -1;
}

/// Reads the command line into `options`; returns -1 to go on, or the exit status.
int parseOptions(int argc, char** argv, Options& options) {
    enum {
        NO_DOTS = 256,
        MAX_PAGES_OPTION,
        TIME_LIMIT,
        SECTION,
        KEY_PER_PAGE,
        STRICT,
        CAPTION,
        FIRST_NUMBER,
        FIRST_PAGE,
        PAD_TO,
        MARGIN,
        GUTTER,
        MIN_CELL,
        MIN_KEY_CELL,
        ONE_PER_FILE,
        KEY_ONLY,
        CELL,
    };
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
        // The book.
        {"section", required_argument, nullptr, SECTION},
        {"key-per-page", required_argument, nullptr, KEY_PER_PAGE},
        {"strict", no_argument, nullptr, STRICT},
        {"caption", required_argument, nullptr, CAPTION},
        {"first-number", required_argument, nullptr, FIRST_NUMBER},
        {"first-page", required_argument, nullptr, FIRST_PAGE},
        {"pad-to", required_argument, nullptr, PAD_TO},
        {"margin", required_argument, nullptr, MARGIN},
        {"gutter", required_argument, nullptr, GUTTER},
        {"min-cell", required_argument, nullptr, MIN_CELL},
        {"min-key-cell", required_argument, nullptr, MIN_KEY_CELL},
        // Single puzzles.
        {"one-per-file", no_argument, nullptr, ONE_PER_FILE},
        {"key-only", no_argument, nullptr, KEY_ONLY},
        {"cell", required_argument, nullptr, CELL},
        {nullptr, 0, nullptr, 0},
    };
    opterr = 0;
    SectionReader sections(options);
    long number = 0;
    for (;;) {
        // A leading '-' hands FILEs over in their place among the options, as the section
        // options before a FILE apply to it.
        // The front end runs on one thread; getopt's shared state is safe here.
        // NOLINTNEXTLINE(concurrency-mt-unsafe)
        const int choice = getopt_long(argc, argv, "-:o:sp:n:t:r:hV", longOptions, nullptr);
        if (choice == -1) break;
        switch (choice) {
            case 1:
                sections.file(optarg);
                break;
            case 'o':
                options.output = optarg;
                break;
            case 's':
                options.solutions = true;
                break;
            case 'p':
                options.single.pageOption = "--paper";
                if (!spanwright::readPaper(optarg, options.paper))
                    return usageError(PROGRAM,
                                      "--paper '%s' is none of a4, letter, a5, 6x9in or WxHmm "
                                      "with sides of %g to %g mm",
                                      optarg, spanwright::MIN_PAPER_MM, spanwright::MAX_PAPER_MM);
                break;
            case 'n':
                options.single.pageOption = "--per-page";
                if (!spanwright::readNumber(optarg, 1, MAX_PER_PAGE, number))
                    return usageError(PROGRAM, "--per-page '%s' is not a number from 1 to %ld",
                                      optarg, MAX_PER_PAGE);
                sections.perPage(number);
                break;
            case KEY_PER_PAGE:
                options.single.pageOption = "--key-per-page";
                if (!spanwright::readNumber(optarg, 1, 2 * MAX_PER_PAGE, number))
                    return usageError(PROGRAM, "--key-per-page '%s' is not a number from 1 to %ld",
                                      optarg, 2 * MAX_PER_PAGE);
                sections.keyPerPage(number);
                break;
            case SECTION:
                options.single.pageOption = "--section";
                if (!isPrintableText(optarg))
                    return usageError(PROGRAM,
                                      "--section is not UTF-8 text without control characters "
                                      "and noncharacters");
                sections.heading(optarg);
                break;
            case 't':
                options.single.pageOption = "--title";
                options.title = optarg;
                if (!isPrintableText(options.title))
                    return usageError(PROGRAM,
                                      "--title is not UTF-8 text without control characters "
                                      "and noncharacters");
                break;
            case CAPTION: {
                options.single.pageOption = "--caption";
                std::string fault;
                if (!isPrintableText(optarg))
                    return usageError(PROGRAM,
                                      "--caption is not UTF-8 text without control characters "
                                      "and noncharacters");
                if (!options.caption.read(optarg, fault))
                    return usageError(PROGRAM,
                                      "--caption: unknown field %s; the fields are {number}, "
                                      "{width}, {height}, {level}, {grade} and {score}",
                                      spanwright::printableName(fault).c_str());
                break;
            }
            case STRICT:
                options.strict = true;
                break;
            case FIRST_NUMBER:
                options.single.pageOption = "--first-number";
                if (!spanwright::readNumber(optarg, 1, MAX_FIRST, options.firstNumber))
                    return usageError(PROGRAM, "--first-number '%s' is not a number from 1 to %ld",
                                      optarg, MAX_FIRST);
                break;
            case FIRST_PAGE:
                options.single.pageOption = "--first-page";
                if (!spanwright::readNumber(optarg, 1, MAX_FIRST, options.firstPage))
                    return usageError(PROGRAM, "--first-page '%s' is not a number from 1 to %ld",
                                      optarg, MAX_FIRST);
                break;
            case PAD_TO:
                options.single.pageOption = "--pad-to";
                if (!spanwright::readNumber(optarg, 1, MAX_PAD_TO, options.padTo))
                    return usageError(PROGRAM, "--pad-to '%s' is not a number from 1 to %ld",
                                      optarg, MAX_PAD_TO);
                break;
            case MARGIN:
            case GUTTER:
                options.single.pageOption = choice == MARGIN ? "--margin" : "--gutter";
                if (!spanwright::readDecimal(optarg, 0, MAX_MARGIN_MM,
                                             choice == MARGIN ? options.margin : options.gutter))
                    return usageError(PROGRAM, "--%s '%s' is not a length from 0 to %g mm",
                                      choice == MARGIN ? "margin" : "gutter", optarg,
                                      MAX_MARGIN_MM);
                break;
            case MIN_CELL:
            case MIN_KEY_CELL:
                options.single.pageOption = choice == MIN_CELL ? "--min-cell" : "--min-key-cell";
                if (!spanwright::readDecimal(
                        optarg, MIN_CELL_LOW_MM, MIN_CELL_HIGH_MM,
                        choice == MIN_CELL ? options.minCell : options.minKeyCell))
                    return usageError(PROGRAM, "--%s '%s' is not a length from %g to %g mm",
                                      choice == MIN_CELL ? "min-cell" : "min-key-cell", optarg,
                                      MIN_CELL_LOW_MM, MIN_CELL_HIGH_MM);
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
    for (int i = optind; i < argc; ++i)
        sections.file(argv[i]);
    sections.finish();
    if (options.output.empty()) return usageError(PROGRAM, "no output file: give -o OUT");
    if (options.files.empty()) return usageError(PROGRAM, "no problem file given");
    if (const int single = spanwright::checkSingleOptions(PROGRAM, options.single); single >= 0)
        return single;
    return checkRoom(options);
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

/// Why `key` keeps a puzzle from the book: "" when nothing does.
std::string faultOf(const spanwright::KeySolution& key, double timeLimit) {
    switch (key.verdict) {
        case spanwright::KeyVerdict::Unique:
            return "";
        case spanwright::KeyVerdict::None:
            return "has no solution";
        case spanwright::KeyVerdict::Several:
            return "has several solutions";
        case spanwright::KeyVerdict::Unknown:
            break;
    }
    return spanwright::formatText(
        "was not decided: the exact search reached its time limit of %g s", timeLimit);
}

/// Solves a puzzle for the key, warning when it gets no answer, and when only the exact
/// search found it: a puzzle that deduction cannot finish asks a guess of the player.
spanwright::KeySolution solveForKey(const spanwright::SolutionSource& exact, double timeLimit,
                                    const spanwright::Puzzle& puzzle, long number, Origin origin) {
    spanwright::KeySolution key = spanwright::solveByDeduction(puzzle);
    if (key.verdict == spanwright::KeyVerdict::Unique) return key;
    key = exact(puzzle);
    if (key.verdict == spanwright::KeyVerdict::Unique) {
        std::fprintf(stderr,
                     "%s: %s:%ld: warning: puzzle %ld has one solution, but deduction cannot "
                     "reach it; its key tile shows the solution\n",
                     PROGRAM, origin.file.c_str(), origin.line, number);
        return key;
    }
    std::fprintf(stderr, "%s: %s:%ld: warning: puzzle %ld %s; its key tile says so\n", PROGRAM,
                 origin.file.c_str(), origin.line, number, faultOf(key, timeLimit).c_str());
    return key;
}

/// With --strict, a puzzle is published only when deduction solves it, which proves its one
/// solution; anything else is told, with the reason the exact search finds, and the run is
/// refused once every puzzle has been looked at.
bool fitForStrict(const spanwright::Puzzle& puzzle, long number, Origin origin, double timeLimit) {
    if (spanwright::solveByDeduction(puzzle).verdict == spanwright::KeyVerdict::Unique) return true;
    const spanwright::KeySolution key = exactSolutionSource(timeLimit)(puzzle);
    std::string why = faultOf(key, timeLimit);
    if (why.empty()) why = "has one solution, but deduction cannot reach it";
    std::fprintf(stderr, "%s: %s:%ld: error: puzzle %ld %s\n", PROGRAM, origin.file.c_str(),
                 origin.line, number, why.c_str());
    return false;
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

/// The layout of each section: the book's sheet and lengths with the section's densities.
std::vector<spanwright::LayoutOptions> sectionLayouts(const Options& options) {
    std::vector<spanwright::LayoutOptions> layouts;
    for (const Section& section : options.sections) {
        spanwright::LayoutOptions layout;
        layout.paper = options.paper;
        layout.perPage = int(section.perPage);
        layout.keyPerPage = int(section.keyPerPage);
        layout.key = options.solutions;
        layout.margin = options.margin * spanwright::POINTS_PER_MM;
        layout.gutter = options.gutter * spanwright::POINTS_PER_MM;
        layout.minCell = options.minCell * spanwright::POINTS_PER_MM;
        layout.minKeyCell = options.minKeyCell * spanwright::POINTS_PER_MM;
        layouts.push_back(layout);
    }
    return layouts;
}

/// One run: the puzzles laid out and drawn a page at a time as they are read, section by
/// section, then the key pages from the spool, then any blank pages. Only the puzzles of
/// the open page are held.
class BookRun {
  public:
    BookRun(const Options& options, spanwright::BookOutput& output)
        : options_(options),
          output_(output),
          layouts_(sectionLayouts(options)),
          frame_(spanwright::bookFrame(layouts_.front())) {
        std::transform(options.files.begin(), options.files.end(), std::back_inserter(shownNames_),
                       [](const std::string& file) { return spanwright::shownFileName(file); });
        open_.title = options.title;
        open_.dots = options.dots;
        open_.caption = options.caption;
        std::transform(options.sections.begin(), options.sections.end(),
                       std::back_inserter(open_.sections),
                       [](const Section& section) { return section.heading; });
    }

    /// Draws the whole book; false once something was said to have gone wrong.
    bool run() {
        if (options_.solutions && !spool_.ready())
            return fail("cannot make a temporary file for the key");
        const bool read = spanwright::readPuzzles(
            PROGRAM, options_.files,
            [this](spanwright::Puzzle& puzzle, spanwright::PuzzleOrigin origin) {
                return take(puzzle, origin);
            });
        if (!read) return false;
        if (count_ == 0) return fail("no problem lines to lay out; nothing written");
        if (!endSection()) return false;
        if (refused_ > 0)
            return fail("--strict: %d puzzle%s cannot go into the book; nothing written", refused_,
                        refused_ == 1 ? "" : "s");
        if (options_.solutions && !drawKey()) return false;
        const int pages = puzzlePages_ + keyPages_;
        for (int blank = 0; blank < spanwright::paddingPages(pages, int(options_.padTo)); ++blank)
            if (!drawAndMoveOn(spanwright::blankPage(pageNumber(pages + blank)))) return false;
        return true;
    }

  private:
    int pageNumber(int index) const { return int(options_.firstPage) + index; }
    long numberOf(int index) const { return options_.firstNumber + index; }

    /// Closes the open section's last page.
    bool endSection() {
        if (!puzzleStream_) return true;
        spanwright::PagePlan page;
        if (puzzleStream_->finish(page) && !drawPuzzlePage(page)) return false;
        puzzlePages_ += puzzleStream_->pages();
        if (keyCount_) keyPages_ += keyCount_->pages();
        puzzleStream_.reset();
        keyCount_.reset();
        return true;
    }

    bool take(spanwright::Puzzle& puzzle, spanwright::PuzzleOrigin origin) {
        const int section = options_.fileSections[std::size_t(origin.file)];
        if (section != section_) {
            // A section starts on a page of its own.
            if (!endSection()) return false;
            section_ = section;
            const spanwright::LayoutOptions& layout = layouts_[std::size_t(section)];
            puzzleStream_ = std::make_unique<spanwright::PageStream>(
                layout, spanwright::PageKind::Puzzles, pageNumber(puzzlePages_), section, count_);
            if (options_.solutions)
                keyCount_ = std::make_unique<spanwright::PageStream>(
                    layout, spanwright::PageKind::Key, 1, section, count_);
        }
        const spanwright::BoardSize size{puzzle.width, puzzle.height};
        spanwright::PagePlan page;
        const bool closed = puzzleStream_->add(size, page);
        spanwright::PagePlan unused;
        if (keyCount_) {
            keyCount_->add(size, unused);
            if (!spool_.put(puzzle, origin)) return fail("cannot keep the puzzles for the key");
        }
        // The limit is known to be passed before the page that passes it is drawn.
        const int pages = puzzlePages_ + puzzleStream_->pages() + keyPages_ +
                          (keyCount_ ? keyCount_->pages() : 0);
        if (pages + spanwright::paddingPages(pages, int(options_.padTo)) > options_.maxPages)
            return fail(
                "the book would have more than %ld pages (see --max-pages); nothing written",
                options_.maxPages);
        if (closed && !drawPuzzlePage(page)) return false;
        if (options_.strict)
            if (!fitForStrict(puzzle, numberOf(count_),
                              Origin{shownNames_[std::size_t(origin.file)], origin.line},
                              options_.timeLimit))
                ++refused_;
        // The caption names the level a player knows a puzzle by; the problem line's grade
        // weighs the solver's work, which mostly follows the size.
        const spanwright::explain::Explanation rating = spanwright::explain::explainPuzzle(puzzle);
        std::string level;
        if (rating.solved) level = spanwright::explain::rungName(rating.level);
        open_.puzzles.push_back(spanwright::SheetPuzzle{
            std::move(puzzle), int(numberOf(count_)), {}, std::move(level), rating.score});
        origins_.push_back(origin);
        ++count_;
        return true;
    }

    bool drawPuzzlePage(const spanwright::PagePlan& page) {
        for (const spanwright::TilePlan& tile : page.tiles) {
            if (!tile.belowMinimum) continue;
            const spanwright::PuzzleOrigin& origin =
                origins_[std::size_t(tile.puzzle - open_.first)];
            std::fprintf(stderr,
                         "%s: %s:%ld: warning: puzzle %ld is drawn at %.1f mm a cell, smaller "
                         "than the %.1f mm asked for (see --min-cell)\n",
                         PROGRAM, shownNames_[std::size_t(origin.file)].c_str(), origin.line,
                         numberOf(tile.puzzle), tile.cell / spanwright::POINTS_PER_MM,
                         options_.minCell);
        }
        return drawAndMoveOn(page);
    }

    /// Says, once for each section and size, that a page takes fewer boards than asked
    /// for: the smallest cell is kept rather than the count.
    void noteShortfall(const spanwright::PagePlan& page) {
        if (page.fitted >= page.asked) return;
        const bool key = page.kind == spanwright::PageKind::Key;
        const std::string said =
            spanwright::formatText("%d %d %d %dx%d", page.section, int(key), page.asked,
                                   page.extent.width, page.extent.height);
        if (std::find(noted_.begin(), noted_.end(), said) != noted_.end()) return;
        noted_.push_back(said);
        const std::string& heading = options_.sections[std::size_t(page.section)].heading;
        const std::string where =
            heading.empty() ? (options_.sections.size() > 1
                                   ? spanwright::formatText("section %d: ", page.section + 1)
                                   : std::string())
                            : heading + ": ";
        std::fprintf(stderr,
                     "%s: note: %s%s of %dx%d go %d a page, not %d: more would be drawn "
                     "smaller than %.1f mm a cell%s (see %s)\n",
                     PROGRAM, where.c_str(), key ? "key boards" : "puzzles", page.extent.width,
                     page.extent.height, page.fitted, page.asked,
                     key ? options_.minKeyCell : options_.minCell,
                     key ? " or leave a gap in the grid" : "",
                     key ? "--min-key-cell" : "--min-cell");
    }

    /// Draws the page from the open puzzles, which it then lets go.
    bool drawAndMoveOn(const spanwright::PagePlan& page) {
        // Once --strict has refused a puzzle nothing more is drawn: the book is not made,
        // but every puzzle is still looked at, so that all of them are told at once.
        if (refused_ == 0) {
            noteShortfall(page);
            if (!output_.addPage(open_, frame_, page)) return false;
        }
        open_.first += int(open_.puzzles.size());
        open_.puzzles.clear();
        origins_.clear();
        return true;
    }

    bool drawKey() {
        if (!spool_.rewind()) return fail("cannot keep the puzzles for the key");
        const spanwright::SolutionSource exact = exactSolutionSource(options_.timeLimit);
        std::unique_ptr<spanwright::PageStream> keyPages;
        int drawn = 0;  // key pages of the sections before
        int section = -1;
        open_.first = 0;
        spanwright::Puzzle puzzle;
        spanwright::PuzzleOrigin origin;
        spanwright::PagePlan page;
        for (int index = 0; index < count_; ++index) {
            if (!spool_.get(puzzle, origin))
                return fail("cannot read back the puzzles for the key");
            const int next = options_.fileSections[std::size_t(origin.file)];
            if (!keyPages || next != section) {
                if (keyPages) {
                    if (keyPages->finish(page) && !drawAndMoveOn(page)) return false;
                    drawn += keyPages->pages();
                }
                section = next;
                keyPages = std::make_unique<spanwright::PageStream>(
                    layouts_[std::size_t(section)], spanwright::PageKind::Key,
                    pageNumber(puzzlePages_ + drawn), section, index);
            }
            if (keyPages->add(spanwright::BoardSize{puzzle.width, puzzle.height}, page) &&
                !drawAndMoveOn(page))
                return false;
            spanwright::KeySolution key =
                solveForKey(exact, options_.timeLimit, puzzle, numberOf(index),
                            Origin{shownNames_[std::size_t(origin.file)], origin.line});
            open_.puzzles.push_back(spanwright::SheetPuzzle{
                std::move(puzzle), int(numberOf(index)), std::move(key), {}, 0});
        }
        return !keyPages || !keyPages->finish(page) || drawAndMoveOn(page);
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
    std::vector<spanwright::LayoutOptions> layouts_;
    spanwright::BookPlan frame_;
    std::unique_ptr<spanwright::PageStream> puzzleStream_;  ///< the open section's pages
    std::unique_ptr<spanwright::PageStream> keyCount_;      ///< counts its key pages as it is read
    int section_ = -1;
    int puzzlePages_ = 0;  ///< puzzle pages of the sections closed
    int keyPages_ = 0;     ///< key pages they will have
    std::vector<std::string> shownNames_;
    spanwright::Book open_;  ///< the puzzles of the page being filled
    std::vector<spanwright::PuzzleOrigin> origins_;
    int count_ = 0;
    int refused_ = 0;
    std::vector<std::string> noted_;
    KeySpool spool_;
};

/// The PDF's title: the book's, or the name of the output without its folder and extension.
std::string documentTitle(const Options& options) {
    if (!options.title.empty()) return options.title;
    std::string name = options.output.substr(options.output.rfind('/') + 1);
    const std::size_t dot = name.rfind('.');
    if (dot != std::string::npos) name.resize(dot);
    return isPrintableText(name) ? name : spanwright::printableName(name);
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
            },
            {}};
        if (options.strict)
            run.strict = [&](const spanwright::Puzzle& puzzle, int number,
                             spanwright::PuzzleOrigin origin) {
                return fitForStrict(
                    puzzle, number,
                    Origin{spanwright::shownFileName(options.files[std::size_t(origin.file)]),
                           origin.line},
                    options.timeLimit);
            };
        const int single = spanwright::writeSingleFiles(run);
        spanwright::releaseDrawingCaches();
        return single;
    }

    bool written = false;
    {
        spanwright::BookOutput output(PROGRAM, options.output, format, int(options.dpi));
        output.setPdfMetadata(
            {documentTitle(options), std::string(PROGRAM) + " " + spanwright::VERSION});
        BookRun run(options, output);
        written = output.ready() && run.run() && output.publish();
    }
    spanwright::releaseDrawingCaches();
    return written ? 0 : 1;
}
