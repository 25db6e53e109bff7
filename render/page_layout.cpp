#include "render/page_layout.h"

#include <algorithm>

namespace spanwright {
namespace {

// The fixed parts of a page, in points. A 15 mm margin leaves room for any printer's
// unprintable edge and for binding.
constexpr double MARGIN = 42.5;
constexpr double HEADING_HEIGHT = 34.0;
constexpr double FOOTER_HEIGHT = 22.0;
constexpr double TILE_GAP = 24.0;
constexpr double CAPTION_HEIGHT = 20.0;
// Tiles of the same size compare equal within this, so that rounding never decides.
constexpr double CELL_TOLERANCE = 1e-9;

struct Grid {
    int columns = 1;
    int rows = 1;
};

/// The room for tiles on a page.
Rect contentArea(PaperSize paper, bool heading) {
    const double top = MARGIN + (heading ? HEADING_HEIGHT : 0.0);
    return Rect{MARGIN, top, paper.width - 2 * MARGIN, paper.height - MARGIN - FOOTER_HEIGHT - top};
}

Rect tileRect(const Rect& area, Grid grid, int index) {
    const double width = (area.width - (grid.columns - 1) * TILE_GAP) / grid.columns;
    const double height = (area.height - (grid.rows - 1) * TILE_GAP) / grid.rows;
    const int column = index % grid.columns;
    const int row = index / grid.columns;
    return Rect{area.x + column * (width + TILE_GAP), area.y + row * (height + TILE_GAP), width,
                height};
}

/// The cell a board gets in a tile: the board and its caption fit, up to the largest cell.
double cellIn(const Rect& tile, BoardSize board) {
    const double across = tile.width / std::max(board.width, 1);
    const double down = (tile.height - CAPTION_HEIGHT) / std::max(board.height, 1);
    return std::max(0.0, std::min({MAX_CELL, across, down}));
}

/// The arrangement of `capacity` tiles that gives a board of `extent` the largest cell;
/// among equals, the one with fewest empty tiles, then the one with the roomiest tiles.
Grid bestGrid(const Rect& area, int capacity, BoardSize extent) {
    Grid best;
    double bestCell = -1;
    int bestSlots = 0;
    double bestRoom = 0;
    for (int columns = 1; columns <= capacity; ++columns) {
        const Grid grid{columns, (capacity + columns - 1) / columns};
        const Rect tile = tileRect(area, grid, 0);
        const double cell = cellIn(tile, extent);
        const double room = std::min(tile.width, tile.height);
        const int slots = grid.columns * grid.rows;
        const bool better =
            cell > bestCell + CELL_TOLERANCE ||
            (cell > bestCell - CELL_TOLERANCE &&
             (slots < bestSlots || (slots == bestSlots && room > bestRoom + CELL_TOLERANCE)));
        if (better) {
            best = grid;
            bestCell = cell;
            bestSlots = slots;
            bestRoom = room;
        }
    }
    return best;
}

}  // namespace

PaperSize paperSize(Paper paper) {
    // A4 is 210 x 297 mm; Letter 8.5 x 11 inches.
    constexpr double POINTS_PER_MM = 72.0 / 25.4;
    return paper == Paper::A4 ? PaperSize{210 * POINTS_PER_MM, 297 * POINTS_PER_MM}
                              : PaperSize{612.0, 792.0};
}

int defaultPerPage(int side) {
    if (side <= 10) return 6;
    if (side <= 15) return 4;
    if (side <= 20) return 2;
    return 1;
}

BookPlan bookFrame(const LayoutOptions& options) {
    BookPlan book;
    book.paper = paperSize(options.paper);
    book.heading = Rect{MARGIN, MARGIN, book.paper.width - 2 * MARGIN, HEADING_HEIGHT};
    book.footer = Rect{MARGIN, book.paper.height - MARGIN - FOOTER_HEIGHT,
                       book.paper.width - 2 * MARGIN, FOOTER_HEIGHT};
    return book;
}

BookPlan layOutBook(const std::vector<BoardSize>& boards, const LayoutOptions& options) {
    BookPlan book = bookFrame(options);
    for (const PageKind kind : {PageKind::Puzzles, PageKind::Key}) {
        if (kind == PageKind::Key && !options.key) break;
        PageStream stream(options, kind, int(book.pages.size()) + 1);
        PagePlan page;
        for (const BoardSize board : boards)
            if (stream.add(board, page)) book.pages.push_back(std::move(page));
        if (stream.finish(page)) book.pages.push_back(std::move(page));
    }
    return book;
}

PageStream::PageStream(const LayoutOptions& options, PageKind kind, int firstPage)
    : options_(options),
      kind_(kind),
      area_(contentArea(paperSize(options.paper), kind == PageKind::Key || options.titled)),
      minimum_(kind == PageKind::Key ? MIN_KEY_CELL : MIN_PUZZLE_CELL),
      firstPage_(firstPage) {}

// Boards join the open page in order for as long as they fit; a page's tiles are all of one
// size, set by its largest board. A board alone always fits.
bool PageStream::add(BoardSize board, PagePlan& page) {
    const BoardSize extent{std::max(extent_.width, board.width),
                           std::max(extent_.height, board.height)};
    const bool closes = !members_.empty() && capacityOf(extent) < int(members_.size()) + 1;
    if (closes) page = close();
    members_.push_back(board);
    extent_ =
        BoardSize{std::max(extent_.width, board.width), std::max(extent_.height, board.height)};
    ++next_;
    return closes;
}

bool PageStream::finish(PagePlan& page) {
    if (members_.empty()) return false;
    page = close();
    return true;
}

/// How many tiles a page of boards up to `extent` has: as many as asked for, or as the
/// default for their size gives, but fewer where that would draw them smaller than the
/// minimum, down to a page of their own. Key pages take twice as many.
int PageStream::capacityOf(BoardSize extent) const {
    const int side = std::max(extent.width, extent.height);
    const int puzzles = options_.perPage > 0 ? options_.perPage : defaultPerPage(side);
    int capacity = kind_ == PageKind::Key ? 2 * puzzles : puzzles;
    for (; capacity > 1; --capacity) {
        const Grid grid = bestGrid(area_, capacity, extent);
        if (cellIn(tileRect(area_, grid, 0), extent) >= minimum_ - CELL_TOLERANCE) break;
    }
    return capacity;
}

PagePlan PageStream::close() {
    PagePlan page;
    page.kind = kind_;
    page.number = firstPage_ + closed_;
    page.heading = kind_ == PageKind::Key || options_.titled;
    const Grid grid = bestGrid(area_, capacityOf(extent_), extent_);
    const int first = next_ - int(members_.size());
    for (int slot = 0; slot < int(members_.size()); ++slot) {
        const Rect tile = tileRect(area_, grid, slot);
        const BoardSize board = members_[slot];
        TilePlan plan;
        plan.puzzle = first + slot;
        plan.cell = cellIn(tile, board);
        plan.belowMinimum = plan.cell < minimum_ - CELL_TOLERANCE;
        const double width = board.width * plan.cell;
        const double height = board.height * plan.cell;
        // Board and caption together are centred in the tile.
        const double top = tile.y + (tile.height - height - CAPTION_HEIGHT) / 2;
        plan.board = Rect{tile.x + (tile.width - width) / 2, top, width, height};
        plan.caption = Rect{tile.x, top + height, tile.width, CAPTION_HEIGHT};
        page.tiles.push_back(plan);
    }
    ++closed_;
    members_.clear();
    extent_ = BoardSize{1, 1};
    return page;
}

}  // namespace spanwright
