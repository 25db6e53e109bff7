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

}  // namespace spanwright
