#pragma once

// Where everything goes on the pages of a book, in PostScript points (1/72 inch) from the
// top left corner of the sheet, computed from the board sizes alone. Nothing here draws:
// the drawing follows this plan, and the tests check the plan without pixels.

#include <string>
#include <vector>

namespace spanwright {

inline constexpr double POINTS_PER_MM = 72.0 / 25.4;

/// The named sheets: A4 and A5, US Letter, and the 6 x 9 inch trade book.
enum class Paper { A4, Letter, A5, Trade };

/// Width and height of a sheet in points.
struct PaperSize {
    double width = 0;
    double height = 0;
};
constexpr PaperSize paperSize(Paper paper) {
    switch (paper) {
        case Paper::Letter:
            return PaperSize{612.0, 792.0};
        case Paper::A5:
            return PaperSize{148 * POINTS_PER_MM, 210 * POINTS_PER_MM};
        case Paper::Trade:
            return PaperSize{6 * 72.0, 9 * 72.0};
        case Paper::A4:
            break;
    }
    return PaperSize{210 * POINTS_PER_MM, 297 * POINTS_PER_MM};
}

/// The least and most side of a sheet given as WxHmm: a playing card to a poster.
inline constexpr double MIN_PAPER_MM = 50;
inline constexpr double MAX_PAPER_MM = 1200;

/// The longest side of any PNG image, a page or a single puzzle: A3 at 600 dpi and a 125 x 125
/// board at 6 mm a cell and 300 dpi fit, and the image buffer stays under 400 MB.
inline constexpr int MAX_IMAGE_PIXELS = 10000;

/// Reads a sheet: a4, letter, a5, 6x9in (in any letter case) or WIDTHxHEIGHTmm with each side
/// from MIN_PAPER_MM to MAX_PAPER_MM ("170x240mm", decimals allowed); false for anything else.
bool readPaper(const std::string& text, PaperSize& paper);

struct Rect {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;
};

/// Smallest cell of a puzzle board by default: 5 mm leaves room to pencil a double bridge
/// between two circles.
inline constexpr double MIN_PUZZLE_CELL = 5.0 * POINTS_PER_MM;
/// Smallest cell of an answer key board by default: it is only looked up, not solved on.
inline constexpr double MIN_KEY_CELL = 3.0 * POINTS_PER_MM;
/// The margin on every side of the page but the inside one, which adds the gutter: 15 mm
/// leaves room for any printer's unprintable edge; small sheets take 12 mm.
inline constexpr double MARGIN = 15.0 * POINTS_PER_MM;
inline constexpr double SMALL_PAPER_MARGIN = 12.0 * POINTS_PER_MM;
/// The default margin of a sheet of this size.
double defaultMargin(PaperSize paper);
/// Largest cell: a small board drawn huge looks like a children's book.
inline constexpr double MAX_CELL = 30.0;

/// A board's size in cells.
struct BoardSize {
    int width = 0;
    int height = 0;
};

/// One board on a page. The board fills `board` exactly: width x cell by height x cell.
struct TilePlan {
    int puzzle = 0;  ///< index of the board in the book
    double cell = 0;
    Rect board;
    Rect caption;               ///< the line of text under the board
    bool belowMinimum = false;  ///< even a page of its own gives it less than the minimum cell
};

/// Puzzle pages, answer key pages, and the blank pages that pad a book to a multiple of
/// pages (no number, nothing drawn); proof pages show each puzzle beside its solution; the
/// front matter is a title page, a page of rules and the contents.
enum class PageKind { Puzzles, Key, Blank, Proof, Title, Rules, Contents };

struct PagePlan {
    PageKind kind = PageKind::Puzzles;
    int number = 0;   ///< printed page number
    int section = 0;  ///< index of the section the page belongs to
    /// The heading and page number bands of this page: they move with the gutter, which
    /// is on the left of odd pages and on the right of even ones.
    Rect heading;
    Rect footer;
    std::vector<TilePlan> tiles;
    /// Boards a page that were asked for (or the default for their size), and how many
    /// the page takes at no less than the smallest cell: fewer when they would not fit.
    int asked = 0;
    int fitted = 0;
    BoardSize extent;  ///< the largest width and height among the page's boards
    /// A contents page: the lines of the contents it shows.
    int firstLine = 0;
    int lines = 0;
};

/// The whole book: sheet size, the bands of an odd page, and the pages in order, puzzle
/// pages first, then the key, then any blank pages.
struct BookPlan {
    PaperSize paper;
    Rect heading;  ///< title band of an odd page, reserved on every page
    Rect footer;   ///< page number band of an odd page
    std::vector<PagePlan> pages;
};

/// How the pages of a section are laid out. Every page reserves the heading band, so that
/// the page count never depends on whether there is a heading to show.
struct LayoutOptions {
    PaperSize paper = paperSize(Paper::A4);
    int perPage = 0;     ///< most puzzles a page; 0 chooses by board size
    bool key = false;    ///< add answer key pages
    int keyPerPage = 0;  ///< most key boards a page; 0 for twice the puzzles a page
    double margin = MARGIN;
    double gutter = 0;  ///< added to the inside margin
    double minCell = MIN_PUZZLE_CELL;
    double minKeyCell = MIN_KEY_CELL;
    bool proof = false;  ///< puzzle pages are proof pages (each puzzle beside its solution)
};

/// One section of a book: its layout and its boards, in order.
struct SectionBoards {
    LayoutOptions options;
    std::vector<BoardSize> boards;
};

/// Blank pages that bring `pages` to a multiple of `padTo` (0 or 1 for none).
int paddingPages(int pages, int padTo);

/// A blank page with the given number.
PagePlan blankPage(int number);

/// A page of the front matter (a title, rules or contents page) with its bands.
PagePlan frontPage(const LayoutOptions& options, PageKind kind, int number);

/// The room between a page's heading and its footer: where front matter is set.
Rect bodyOf(const PagePlan& page);

/// Lines of the contents a page holds.
int contentsLinesPerPage(const LayoutOptions& options);
inline constexpr double CONTENTS_LINE = 20.0;

/// A proof tile holds the puzzle and, PROOF_GAP cells to its right, its solution: laid out
/// as one board of this size. Two cells keep the two apart at a glance.
inline constexpr int PROOF_GAP = 2;
BoardSize proofExtent(BoardSize board);

/// The pages the first k boards of a section take, for every k from 0 to all of them, on
/// pages of `kind`.
std::vector<int> prefixPages(const LayoutOptions& options, PageKind kind,
                             const std::vector<BoardSize>& boards);

/// How many puzzles each section gives a book of an exact page count.
struct PageFit {
    bool met = false;
    std::vector<int> counts;  ///< puzzles of each section, when met
    int fewest = 0;           ///< the pages of the smallest book (a puzzle from each section)
    int most = 0;             ///< the pages of the book of every puzzle
    /// When not met: the nearest page counts under and over the target that can be met,
    /// within a few pages; 0 for none.
    int below = 0;
    int above = 0;
};

/// Chooses how many puzzles each section gets, the first ones of each in order, so that
/// the book (`frontPages` before the puzzles, the key or proof as the sections' options
/// say, blank pages to a multiple of `padTo`) has exactly `target` pages: at least one from
/// each section, shared in the proportions of the sections' sizes as far as whole puzzles
/// and whole pages allow, and as many as fit.
PageFit fitToPages(const std::vector<SectionBoards>& sections, int frontPages, int padTo,
                   int target);
/// Puzzles a page when none is asked for: by the longer side of the largest board.
int defaultPerPage(int side);

/// The sections of a book laid out in order: the puzzle pages of each section, each
/// starting a new page, then, with a key, the key pages of each section the same way, then
/// blank pages up to a multiple of `padTo`. Pages are numbered from `firstPage`; the gutter
/// and margins are those of the first section.
BookPlan layOutSections(const std::vector<SectionBoards>& sections, int firstPage, int padTo);

/// Lays out the boards, in order, on puzzle pages and, with a key, on key pages. A page
/// holds as many boards as `perPage` (or the default for its largest board) allows, all
/// in equal tiles, but fewer where their cells would fall below the minimum: a board too
/// large for a tile of a shared page gets larger tiles or a page of its own, and where
/// even a page of its own is too small, it is scaled below the minimum and marked. Key
/// pages hold twice as many boards a page in smaller tiles, in full grids of rows and
/// columns: never eight on a grid of nine with a hole.
BookPlan layOutBook(const std::vector<BoardSize>& boards, const LayoutOptions& options);

/// The parts of the plan that every page shares (paper, heading and footer bands), with no
/// pages yet: the frame a book laid out page by page is drawn in.
BookPlan bookFrame(const LayoutOptions& options);

/// The pages of one kind laid out as the boards arrive, one page at a time, exactly as
/// layOutBook lays them out: a page closes when the next board no longer fits on it, so
/// only the boards of the open page are held, however long the book.
class PageStream {
  public:
    /// Pages are numbered from `firstPage`: 1 for the puzzles, one past the last puzzle
    /// page for the key. Each page is marked as one of `section`; boards take running
    /// indexes from `firstBoard`.
    PageStream(const LayoutOptions& options, PageKind kind, int firstPage, int section = 0,
               int firstBoard = 0);

    /// Takes the next board of the book. When it does not fit on the open page, that page
    /// is closed into `page`, the board opens the next one, and the result is true.
    bool add(BoardSize board, PagePlan& page);
    /// Closes the open page into `page`; false when no board is waiting.
    bool finish(PagePlan& page);
    /// Pages begun so far, the open one included.
    int pages() const { return closed_ + (members_.empty() ? 0 : 1); }

  private:
    struct Grid {
        int columns = 1;
        int rows = 1;
    };
    /// Boards a page asked for, or the default, for boards up to `extent`.
    int askedFor(BoardSize extent) const;
    /// How many boards up to `extent` a page takes, and their grid.
    int capacityOf(BoardSize extent, Grid* chosen = nullptr) const;
    PagePlan close();

    const LayoutOptions options_;
    PageKind kind_;
    Rect area_;
    double minimum_;
    int firstPage_;
    int section_;
    int closed_ = 0;
    int next_ = 0;                    ///< running index of the next board
    std::vector<BoardSize> members_;  ///< boards of the open page
    BoardSize extent_{1, 1};          ///< the largest width and height among them
};

}  // namespace spanwright
