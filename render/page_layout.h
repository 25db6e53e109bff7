#pragma once

// Where everything goes on the pages of a book, in PostScript points (1/72 inch) from the
// top left corner of the sheet, computed from the board sizes alone. Nothing here draws:
// the drawing follows this plan, and the tests check the plan without pixels.

#include <vector>

namespace spanwright {

enum class Paper { A4, Letter };

/// Width and height of a sheet in points.
struct PaperSize {
    double width = 0;
    double height = 0;
};
PaperSize paperSize(Paper paper);

struct Rect {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;
};

/// Smallest cell of a puzzle board that stays comfortable to read and to draw on.
inline constexpr double MIN_PUZZLE_CELL = 10.0;
/// Smallest cell of an answer key board: it is only looked up, not solved on.
inline constexpr double MIN_KEY_CELL = 6.0;
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

enum class PageKind { Puzzles, Key };

struct PagePlan {
    PageKind kind = PageKind::Puzzles;
    int number = 0;  ///< printed page number, from 1
    bool heading = false;
    std::vector<TilePlan> tiles;
};

/// The whole book: sheet size, the fixed bands of every page, and the pages in order,
/// puzzle pages first and then the key.
struct BookPlan {
    PaperSize paper;
    Rect heading;  ///< title band; used on pages whose `heading` is set
    Rect footer;   ///< page number band
    std::vector<PagePlan> pages;
};

struct LayoutOptions {
    Paper paper = Paper::A4;
    int perPage = 0;      ///< most puzzles a page; 0 chooses by board size
    bool key = false;     ///< add answer key pages
    bool titled = false;  ///< puzzle pages carry a heading (key pages always do)
};

/// Puzzles a page when none is asked for: by the longer side of the largest board.
int defaultPerPage(int side);

/// Lays out the boards, in order, on puzzle pages and, with a key, on key pages. A page
/// holds as many boards as `perPage` (or the default for its largest board) allows, all
/// in equal tiles, but fewer where their cells would fall below the minimum: a board too
/// large for a tile of a shared page gets larger tiles or a page of its own, and where
/// even a page of its own is too small, it is scaled below the minimum and marked. Key
/// pages hold twice as many boards a page in smaller tiles.
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
    /// page for the key.
    PageStream(const LayoutOptions& options, PageKind kind, int firstPage);

    /// Takes the next board of the book. When it does not fit on the open page, that page
    /// is closed into `page`, the board opens the next one, and the result is true.
    bool add(BoardSize board, PagePlan& page);
    /// Closes the open page into `page`; false when no board is waiting.
    bool finish(PagePlan& page);
    /// Pages begun so far, the open one included.
    int pages() const { return closed_ + (members_.empty() ? 0 : 1); }

  private:
    int capacityOf(BoardSize extent) const;
    PagePlan close();

    const LayoutOptions options_;
    PageKind kind_;
    Rect area_;
    double minimum_;
    int firstPage_;
    int closed_ = 0;
    int next_ = 0;                    ///< running index of the next board
    std::vector<BoardSize> members_;  ///< boards of the open page
    BoardSize extent_{1, 1};          ///< the largest width and height among them
};

}  // namespace spanwright
