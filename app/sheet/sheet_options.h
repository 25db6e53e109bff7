#pragma once

// The command line of spanwright-sheet, read apart from the drawing so that it can be tried
// on any bytes. Every option is one row of a table, from which both getopt_long's list and
// the --help text are made, so that the two cannot drift apart.

#include <string>
#include <vector>

#include "exact/exact_solver.h"
#include "render/caption.h"
#include "render/page_layout.h"

namespace spanwright::sheet {

inline constexpr const char* PROGRAM = "spanwright-sheet";

inline constexpr long MAX_PER_PAGE = 30;
inline constexpr long MIN_DPI = 30;
inline constexpr long MAX_DPI = 600;
inline constexpr long DEFAULT_DPI = 150;
// A bound on the work and disk one run can take: 2,000 pages hold 12,000 small puzzles, and
// at the largest resolution take about 40 minutes of CPU and 400 MB of PNG files.
inline constexpr long MAX_PAGES = 1000000;
inline constexpr long DEFAULT_MAX_PAGES = 2000;
// Lengths on the page, in millimetres.
inline constexpr double MAX_MARGIN_MM = 100;
inline constexpr double MIN_CELL_LOW_MM = 1;
inline constexpr double MIN_CELL_HIGH_MM = 20;
inline constexpr double DEFAULT_MIN_CELL_MM = 5;
inline constexpr double DEFAULT_MIN_KEY_CELL_MM = 3;
// The least room left for tiles once the margins, the gutter and the bands of the heading
// and the page number (about 20 mm together) are taken.
inline constexpr double MIN_CONTENT_MM = 40;
inline constexpr double BANDS_MM = 20;
inline constexpr long MAX_FIRST = 1000000;
inline constexpr long MAX_PAD_TO = 64;
/// The longest step between the dates of two puzzles: a year.
inline constexpr long MAX_DATE_STEP_DAYS = 366;

// Single puzzles (--one-per-file).
inline constexpr double MIN_CELL_MM = 2.0;  ///< still room for a ring and a double bridge
inline constexpr double MAX_CELL_MM = 20.0;
inline constexpr double DEFAULT_CELL_MM = 6.0;
inline constexpr long DEFAULT_SINGLE_DPI = 300;  ///< what print layout expects

/// The options of the single puzzle files, as the command line gave them.
struct SingleOptions {
    bool enabled = false;  ///< --one-per-file
    bool keyOnly = false;  ///< --key-only: the solutions without their puzzles
    bool cellGiven = false;
    double cellMm = DEFAULT_CELL_MM;
    bool dpiGiven = false;
    const char* pageOption = nullptr;  ///< an option of whole pages that was given, if any
};

/// Where the files of a section go, as the options before them set it.
struct Section {
    std::string heading;
    long perPage = 0;
    long keyPerPage = 0;
};

struct Options {
    bool solutions = false;
    bool strict = false;
    bool proof = false;  ///< each puzzle beside its solution, instead of a key at the back
    PaperSize paper = paperSize(Paper::A4);
    double margin = -1;  ///< in mm; below 0 for the default of the paper
    double gutter = 0;
    double minCell = DEFAULT_MIN_CELL_MM;
    double minKeyCell = DEFAULT_MIN_KEY_CELL_MM;
    long firstNumber = 1;
    long firstPage = 1;
    long padTo = 1;
    long pages = 0;  ///< --pages: the page count to lay the book out to; 0 for any
    std::string title;
    std::string titlePage;  ///< the text of the title page; empty for none
    bool rules = false;
    bool contents = false;
    CaptionTemplate caption;
    long firstDay = NO_DAY;  ///< --date, as a day count
    long dateStep = 1;       ///< days from one puzzle's date to the next's
    long dpi = DEFAULT_DPI;
    long maxPages = DEFAULT_MAX_PAGES;
    double timeLimit = exact::DEFAULT_TIME_LIMIT_SECONDS;
    bool dots = true;
    std::string output;  ///< as given: it may name fields, see fillOutputName
    std::vector<Section> sections;
    std::vector<std::string> files;
    std::vector<int> fileSections;  ///< the section of each file
    SingleOptions single;
};

/// readSheetOptions's answer when the run goes on.
inline constexpr int GO_ON = -1;

/// Reads the command line into `options`. Returns GO_ON for a run to carry out, or the
/// status to exit with: 0 after --help or --version, 2 after a message on standard error
/// for a command line the program does not take.
int readSheetOptions(int argc, char** argv, Options& options);

/// Text that cairo can set: valid UTF-8 without control characters or noncharacters.
bool isPrintableText(const std::string& text);

/// The output name with its fields filled: {number} with the puzzle's number, {date} and
/// {weekday} with its day. A name without fields is returned as it is.
std::string fillOutputName(const std::string& name, long number, long day);

/// Whether the output name has fields to fill.
bool isNameTemplate(const std::string& name);

/// The largest PNG page side in pixels at `dpi` for the sheet, as the writer rounds it.
long pagePixels(double points, long dpi);

}  // namespace spanwright::sheet
