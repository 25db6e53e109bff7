// What spanwright-sheet's command line may ask for.
#include "app/sheet/sheet_options.h"

#include <getopt.h>

#include <cmath>
#include <cstdio>
#include <cstring>
#include <iterator>
#include <string_view>

#include "app/cli/option_table.h"
#include "app/cli/program.h"

namespace spanwright::sheet {
namespace {

enum OptionId : int {
    SOLUTIONS = 's',
    OUTPUT = 'o',
    PAPER = 'p',
    PER_PAGE = 'n',
    TITLE = 't',
    DPI = 'r',
    HELP = 'h',
    VERSION = 'V',
    NO_DOTS = FIRST_LONG_ONLY,
    MAX_PAGES_OPTION,
    TIME_LIMIT,
    SECTION,
    KEY_PER_PAGE,
    STRICT,
    PROOF,
    CAPTION,
    TITLE_PAGE,
    RULES,
    CONTENTS,
    PAGES,
    DATE,
    DATE_STEP,
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

constexpr OptionRow ROWS[] = {
    {0, nullptr, nullptr,
     "Section options apply to the FILEs after them until changed (after the last FILE,\n"
     "to the last section). Each --section, and each change of density between two\n"
     "FILEs, starts a new section on a new page; its key pages start a new page too."},
    {SECTION, "section", "TEXT", "the heading of the section's pages (default: the title)"},
    {PER_PAGE, "per-page", "N",
     "at most N puzzles a page, 1 to 30 (default: 6 of side 10 or\n"
     "less, 4 of side 15, 2 of side 20, 1 of larger boards)"},
    {KEY_PER_PAGE, "key-per-page", "N",
     "at most N solutions a key page, 1 to 60 (default: twice\n"
     "the puzzles a page), in a grid without gaps"},
    {0, nullptr, nullptr, "Book options:"},
    {OUTPUT, "output", "OUT",
     "where to write the pages (required); it may name {date},\n"
     "{weekday} and {number}, filled from the first puzzle"},
    {SOLUTIONS, "solutions", nullptr, "add answer key pages after the puzzles"},
    {PROOF, "proof", nullptr,
     "a proof for checking: each puzzle beside its solution on\n"
     "the same page, instead of a key at the back"},
    {STRICT, "strict", nullptr,
     "write nothing when a puzzle has no single solution,\n"
     "deduction cannot solve it or it repeats an earlier one\n"
     "turned or mirrored (without it, the key marks puzzles\n"
     "without a single solution, a repeat is warned of, and\n"
     "the book goes on); with --one-per-file too"},
    {TITLE, "title", "TEXT",
     "the heading of pages without a section heading, and the\n"
     "PDF's title (default title: the name of OUT)"},
    {TITLE_PAGE, "title-page", "TEXT", "open the book with a title page showing TEXT"},
    {RULES, "rules", nullptr,
     "add a page with the rules and a small worked example,\n"
     "drawn blank and solved"},
    {CONTENTS, "contents", nullptr, "add a contents page: the sections and their first pages"},
    {PAGES, "pages", "N",
     "lay the book out to exactly N pages, front matter and key\n"
     "included, taking from each section's FILEs as many puzzles\n"
     "as fit in their proportions; or say why N cannot be met\n"
     "and which counts can"},
    {CAPTION, "caption", "TEMPLATE",
     "the line under each board, with fields {number}, {width},\n"
     "{height}, {level}, {grade}, {score}, {date} and {weekday}\n"
     "(default \"{number} \u00B7 {width} \u00D7 {height} \u00B7 {level}\"); text\n"
     "between fields goes with an empty one"},
    {DATE, "date", "YYYY-MM-DD", "the date of the first puzzle, for {date} and {weekday}"},
    {DATE_STEP, "date-step", "STEP",
     "from one puzzle's date to the next, in days (3d) or weeks\n"
     "(2w), up to a year (default 1d)"},
    {FIRST_NUMBER, "first-number", "N", "number the puzzles from N (default 1)"},
    {FIRST_PAGE, "first-page", "N", "number the pages from N (default 1)"},
    {PAD_TO, "pad-to", "K",
     "add blank pages to make the page count a multiple of K,\n"
     "1 to 64"},
    {PAPER, "paper", "SIZE", "a4 (default), letter, a5, 6x9in, or WxHmm (50 to 1200 mm)"},
    {MARGIN, "margin", "MM",
     "the margin on every side (default 15, 12 on sheets\n"
     "narrower than 180 mm)"},
    {GUTTER, "gutter", "MM",
     "more inside margin for binding: on the left of odd pages,\n"
     "the right of even ones (default 0)"},
    {MIN_CELL, "min-cell", "MM",
     "the smallest cell of a puzzle (default 5); a page takes\n"
     "fewer puzzles rather than go below it, and says so"},
    {MIN_KEY_CELL, "min-key-cell", "MM", "the smallest cell of a key board (default 3)"},
    {DPI, "dpi", "N",
     "resolution of PNG pages, 30 to 600 (default 150); a page\n"
     "or image may have at most 10000 pixels a side"},
    {NO_DOTS, "no-dots", nullptr, "leave out the faint dot in each empty cell"},
    {MAX_PAGES_OPTION, "max-pages", "N",
     "write nothing when the book would have more than N pages,\n"
     "1 to 1000000 (default 2000)"},
    {TIME_LIMIT, "time-limit", "SECONDS",
     "CPU time all the work on one puzzle may take: its rating\n"
     "and its key's exact search (default 60, 0 for no limit);\n"
     "past it the caption has no level, the key tile says it\n"
     "was not decided"},
    {0, nullptr, nullptr,
     "Single puzzles for print layout, cropped to the board without title, caption or\n"
     "page number, numbered before the extension of OUT: sun.png gives sun-01.png,\n"
     "sun-02.png, ... and the solutions sun-01-solution.png, ...; an OUT with fields\n"
     "names each file: -o 'sun-{date}.png' --date 2026-12-07 gives sun-2026-12-07.png,\n"
     "sun-2026-12-08.png, ... (no --paper, --per-page or --title; --max-pages counts\n"
     "files)."},
    {ONE_PER_FILE, "one-per-file", nullptr,
     "write each puzzle as a file of its own; with --solutions\n"
     "each solution beside it; PNG at --dpi (default 300) with\n"
     "its resolution, PDF and SVG sized in millimetres"},
    {KEY_ONLY, "key-only", nullptr, "with --one-per-file, write only the solutions"},
    {CELL, "cell", "MM", "cell size in millimetres, 2 to 20 (default 6)"},
    {0, nullptr, nullptr, ""},
    {HELP, "help", nullptr, "show this help and exit"},
    {VERSION, "version", nullptr, "show the version and exit"},
};

static_assert(isSoundTable(ROWS));

/// Where the text of each option starts in the help.
constexpr int HELP_COLUMN = 23;

// The help texts above spell out these values; a change here must be made there too.
static_assert(MAX_PER_PAGE == 30 && MIN_DPI == 30 && MAX_DPI == 600 && DEFAULT_DPI == 150);
static_assert(MAX_PAD_TO == 64 && DEFAULT_MAX_PAGES == 2000 && MAX_PAGES == 1000000);
static_assert(DEFAULT_MIN_CELL_MM == 5 && DEFAULT_MIN_KEY_CELL_MM == 3);
static_assert(MIN_CELL_MM == 2 && MAX_CELL_MM == 20 && DEFAULT_CELL_MM == 6);
static_assert(DEFAULT_SINGLE_DPI == 300 && MAX_IMAGE_PIXELS == 10000);

void printHelp() {
    std::printf(
        "Usage: %s [OPTION]... -o OUT [SECTION OPTION]... FILE...\n"
        "Lay out the problems of the FILEs (\"-\" for standard input) as printable pages:\n"
        "numbered puzzles, a few to a page, with an optional answer key at the back. A\n"
        "FILE holds problem lines, game IDs or puzz.link links, or is a pencil-box or\n"
        "benchmark file.\n"
        "The extension of OUT chooses the format: .pdf writes one document; .svg and .png\n"
        "write one file a page, OUT itself for a single page, OUT-1, OUT-2, ... otherwise\n"
        "(book-1.svg for book.svg).\n",
        PROGRAM);
    std::fputs(optionHelp(ROWS, HELP_COLUMN).c_str(), stdout);
    std::printf(
        "\nExit status: 0 when the pages were written, 1 when a file could not be read or\n"
        "written, --strict refused a puzzle or --pages could not be met, 2 for a usage "
        "error.\n");
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
        changed_ |= PER_PAGE_SET;
    }
    void keyPerPage(long value) {
        fresh_ = fresh_ || value != current_.keyPerPage;
        current_.keyPerPage = value;
        changed_ |= KEY_PER_PAGE_SET;
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
        if (changed_ & PER_PAGE_SET) last.perPage = current_.perPage;
        if (changed_ & KEY_PER_PAGE_SET) last.keyPerPage = current_.keyPerPage;
    }

  private:
    enum : unsigned { HEADING = 1, PER_PAGE_SET = 2, KEY_PER_PAGE_SET = 4 };
    Options& options_;
    Section current_;
    bool fresh_ = true;
    unsigned changed_ = 0;
};

/// Checks the lengths against the sheet once all are known; GO_ON when they fit.
int checkRoom(Options& options) {
    if (options.margin < 0) options.margin = defaultMargin(options.paper) / POINTS_PER_MM;
    const double width = options.paper.width / POINTS_PER_MM;
    const double height = options.paper.height / POINTS_PER_MM;
    if (width - 2 * options.margin - options.gutter < MIN_CONTENT_MM ||
        height - 2 * options.margin - BANDS_MM < MIN_CONTENT_MM)
        return usageError(PROGRAM,
                          "--margin %g and --gutter %g leave less than %g mm for puzzles on a "
                          "sheet of %.0f x %.0f mm",
                          options.margin, options.gutter, MIN_CONTENT_MM, width, height);
    return GO_ON;
}

/// Checks what only the whole command line tells; GO_ON when it goes together.
int checkTogether(Options& options) {
    if (options.output.empty()) return usageError(PROGRAM, "no output file: give -o OUT");
    if (options.files.empty()) return usageError(PROGRAM, "no problem file given");
    const SingleOptions& single = options.single;
    if (!single.enabled) {
        if (single.keyOnly) return usageError(PROGRAM, "--key-only needs --one-per-file");
        if (single.cellGiven) return usageError(PROGRAM, "--cell needs --one-per-file");
    } else if (single.pageOption) {
        return usageError(PROGRAM, "%s is for books of pages, not for --one-per-file",
                          single.pageOption);
    }
    if (options.proof && options.solutions)
        return usageError(PROGRAM,
                          "--proof shows each solution beside its puzzle: leave out --solutions");
    if (options.dateStep != 1 && options.firstDay == NO_DAY)
        return usageError(PROGRAM, "--date-step needs --date");
    // The name may carry fields in its last part only: the folder must be one place.
    const std::string& output = options.output;
    const std::size_t slash = output.rfind('/');
    if (output.find_first_of("{}") < (slash == std::string::npos ? 0 : slash))
        return usageError(PROGRAM, "-o '%s': fields may stand only in the file's name",
                          printableName(output).c_str());
    for (std::size_t at = output.find('{'); at != std::string::npos;
         at = output.find('{', at + 1)) {
        const std::size_t close = output.find('}', at);
        const std::string field =
            output.substr(at, close == std::string::npos ? std::string::npos : close - at + 1);
        if (field != "{number}" && field != "{date}" && field != "{weekday}")
            return usageError(PROGRAM,
                              "-o: unknown field %s; a name may hold {number}, {date} and "
                              "{weekday}",
                              printableName(field).c_str());
        if (field != "{number}" && options.firstDay == NO_DAY)
            return usageError(PROGRAM, "-o names %s: give the first date with --date",
                              field.c_str());
    }
    if (single.enabled) return GO_ON;
    // A PNG page is drawn whole in memory before it is written.
    const long across = pagePixels(options.paper.width, options.dpi);
    const long down = pagePixels(options.paper.height, options.dpi);
    std::string extension = output.substr(output.rfind('.') + 1);
    for (char& c : extension)
        c = char(std::tolower(static_cast<unsigned char>(c)));
    if (extension == "png" && std::max(across, down) > MAX_IMAGE_PIXELS) {
        const double longer = std::max(options.paper.width, options.paper.height);
        return usageError(PROGRAM,
                          "a PNG page of %.0f x %.0f mm at %ld dpi would be %ld x %ld pixels, "
                          "more than %d a side: give --dpi %ld or less, or smaller --paper",
                          options.paper.width / POINTS_PER_MM, options.paper.height / POINTS_PER_MM,
                          options.dpi, across, down, MAX_IMAGE_PIXELS,
                          long(std::floor((MAX_IMAGE_PIXELS - 0.5) * 72.0 / longer)));
    }
    return checkRoom(options);
}

int readText(const char* option, const char* text, std::string& into) {
    if (!isPrintableText(text))
        return usageError(
            PROGRAM, "%s is not UTF-8 text without control characters and noncharacters", option);
    into = text;
    return GO_ON;
}

int readCount(const char* option, const char* text, long low, long high, long& value) {
    if (readNumber(text, low, high, value)) return GO_ON;
    return usageError(PROGRAM, "%s '%s' is not a number from %ld to %ld", option, text, low, high);
}

int readLength(const char* option, const char* text, double low, double high, double& value) {
    if (readDecimal(text, low, high, value)) return GO_ON;
    return usageError(PROGRAM, "%s '%s' is not a length from %g to %g mm", option, text, low, high);
}

/// A step of days, 3d, or of weeks, 2w.
int readDateStep(const char* text, long& days) {
    const std::string_view step(text);
    if (step.size() >= 2 && (step.back() == 'd' || step.back() == 'w')) {
        const std::string number(step.substr(0, step.size() - 1));
        const long unit = step.back() == 'w' ? 7 : 1;
        long count = 0;
        if (number.find_first_not_of("0123456789") == std::string::npos &&
            readNumber(number.c_str(), 0, MAX_DATE_STEP_DAYS / unit, count)) {
            days = count * unit;
            return GO_ON;
        }
    }
    return usageError(PROGRAM,
                      "--date-step '%s' is not a number of days (such as 1d) or weeks (1w) up to "
                      "a year",
                      text);
}

/// Reads one option into `options`; GO_ON, or the status to exit with.
int readOption(int choice, char** argv, SectionReader& sections, Options& options) {
    SingleOptions& single = options.single;
    long number = 0;
    int status = GO_ON;
    switch (choice) {
        case 1:
            sections.file(optarg);
            break;
        case OUTPUT:
            options.output = optarg;
            break;
        case SOLUTIONS:
            options.solutions = true;
            break;
        case PROOF:
            single.pageOption = "--proof";
            options.proof = true;
            break;
        case STRICT:
            options.strict = true;
            break;
        case PAPER:
            single.pageOption = "--paper";
            if (!readPaper(optarg, options.paper))
                return usageError(PROGRAM,
                                  "--paper '%s' is none of a4, letter, a5, 6x9in or WxHmm with "
                                  "sides of %g to %g mm",
                                  optarg, MIN_PAPER_MM, MAX_PAPER_MM);
            break;
        case PER_PAGE:
            single.pageOption = "--per-page";
            status = readCount("--per-page", optarg, 1, MAX_PER_PAGE, number);
            if (status == GO_ON) sections.perPage(number);
            break;
        case KEY_PER_PAGE:
            single.pageOption = "--key-per-page";
            status = readCount("--key-per-page", optarg, 1, 2 * MAX_PER_PAGE, number);
            if (status == GO_ON) sections.keyPerPage(number);
            break;
        case SECTION: {
            single.pageOption = "--section";
            std::string heading;
            status = readText("--section", optarg, heading);
            if (status == GO_ON) sections.heading(optarg);
            break;
        }
        case TITLE:
            single.pageOption = "--title";
            status = readText("--title", optarg, options.title);
            break;
        case TITLE_PAGE:
            single.pageOption = "--title-page";
            status = readText("--title-page", optarg, options.titlePage);
            if (status == GO_ON && options.titlePage.empty())
                return usageError(PROGRAM, "--title-page needs the text of the title");
            break;
        case RULES:
            single.pageOption = "--rules";
            options.rules = true;
            break;
        case CONTENTS:
            single.pageOption = "--contents";
            options.contents = true;
            break;
        case PAGES:
            single.pageOption = "--pages";
            status = readCount("--pages", optarg, 1, MAX_PAGES, options.pages);
            break;
        case CAPTION: {
            single.pageOption = "--caption";
            std::string text;
            std::string fault;
            status = readText("--caption", optarg, text);
            if (status == GO_ON && !options.caption.read(text, fault))
                return usageError(PROGRAM,
                                  "--caption: unknown field %s; the fields are {number}, "
                                  "{width}, {height}, {level}, {grade}, {score}, {date} and "
                                  "{weekday}",
                                  printableName(fault).c_str());
            break;
        }
        case DATE:
            if (!readDate(optarg, options.firstDay))
                return usageError(
                    PROGRAM, "--date '%s' is not a day of the calendar written YYYY-MM-DD", optarg);
            break;
        case DATE_STEP:
            status = readDateStep(optarg, options.dateStep);
            break;
        case FIRST_NUMBER:
            single.pageOption = "--first-number";
            status = readCount("--first-number", optarg, 1, MAX_FIRST, options.firstNumber);
            break;
        case FIRST_PAGE:
            single.pageOption = "--first-page";
            status = readCount("--first-page", optarg, 1, MAX_FIRST, options.firstPage);
            break;
        case PAD_TO:
            single.pageOption = "--pad-to";
            status = readCount("--pad-to", optarg, 1, MAX_PAD_TO, options.padTo);
            break;
        case MARGIN:
            single.pageOption = "--margin";
            status = readLength("--margin", optarg, 0, MAX_MARGIN_MM, options.margin);
            break;
        case GUTTER:
            single.pageOption = "--gutter";
            status = readLength("--gutter", optarg, 0, MAX_MARGIN_MM, options.gutter);
            break;
        case MIN_CELL:
            single.pageOption = "--min-cell";
            status = readLength("--min-cell", optarg, MIN_CELL_LOW_MM, MIN_CELL_HIGH_MM,
                                options.minCell);
            break;
        case MIN_KEY_CELL:
            single.pageOption = "--min-key-cell";
            status = readLength("--min-key-cell", optarg, MIN_CELL_LOW_MM, MIN_CELL_HIGH_MM,
                                options.minKeyCell);
            break;
        case DPI:
            single.dpiGiven = true;
            status = readCount("--dpi", optarg, MIN_DPI, MAX_DPI, options.dpi);
            break;
        case NO_DOTS:
            options.dots = false;
            break;
        case MAX_PAGES_OPTION:
            status = readCount("--max-pages", optarg, 1, MAX_PAGES, options.maxPages);
            break;
        case TIME_LIMIT:
            if (!readTimeLimit(PROGRAM, optarg, options.timeLimit)) return USAGE_STATUS;
            break;
        case ONE_PER_FILE:
            single.enabled = true;
            break;
        case KEY_ONLY:
            single.keyOnly = true;
            break;
        case CELL:
            if (!readDecimal(optarg, MIN_CELL_MM, MAX_CELL_MM, single.cellMm))
                return usageError(PROGRAM,
                                  "--cell '%s' is not a number of millimetres from %g to %g",
                                  optarg, MIN_CELL_MM, MAX_CELL_MM);
            single.cellGiven = true;
            break;
        default:
            return answerCommonOption(PROGRAM, choice, argv, printHelp);
    }
    return status;
}

}  // namespace

bool isPrintableText(const std::string& text) {
    // cairo refuses invalid UTF-8, control characters and noncharacters (U+FDD0 to U+FDEF
    // and the last two code points of every plane): anything else would put the drawing
    // into an error state, or print as boxes.
    for (std::size_t i = 0; i < text.size();) {
        char32_t code = 0;
        const int length = utf8Sequence(text, i, code);
        if (length == 0 || code < 0x20 || (code >= 0x7F && code < 0xA0)) return false;
        if ((code >= 0xFDD0 && code <= 0xFDEF) || (code & 0xFFFE) == 0xFFFE) return false;
        i += std::size_t(length);
    }
    return true;
}

bool isNameTemplate(const std::string& name) {
    return name.find('{') != std::string::npos;
}

std::string fillOutputName(const std::string& name, long number, long day) {
    std::string filled;
    for (std::size_t at = 0; at < name.size();) {
        const auto field = [&](const char* text) {
            return name.compare(at, std::strlen(text), text) == 0;
        };
        if (field("{number}")) {
            filled += std::to_string(number);
            at += 8;
        } else if (field("{date}")) {
            filled += day == NO_DAY ? "" : isoDate(day);
            at += 6;
        } else if (field("{weekday}")) {
            filled += day == NO_DAY ? "" : weekdayName(day);
            at += 9;
        } else {
            filled += name[at++];
        }
    }
    return filled;
}

long pagePixels(double points, long dpi) {
    return std::lround(points * double(dpi) / 72.0);
}

int readSheetOptions(int argc, char** argv, Options& options) {
    static const OptionReader reader(ROWS, "-:");
    SectionReader sections(options);
    for (;;) {
        // A leading '-' hands FILEs over in their place among the options, as the section
        // options before a FILE apply to it.
        const int choice = reader.next(argc, argv);
        if (choice == -1) break;
        const int status = readOption(choice, argv, sections, options);
        if (status != GO_ON) return status;
    }
    for (int i = optind; i < argc; ++i)
        sections.file(argv[i]);
    sections.finish();
    return checkTogether(options);
}

}  // namespace spanwright::sheet
