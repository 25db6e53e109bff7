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

/// The smallest cell any of `members` gets in the tiles of `grid`.
double smallestCell(const Rect& area, Grid grid, const std::vector<BoardSize>& boards,
                    const std::vector<int>& members) {
    const Rect tile = tileRect(area, grid, 0);
    double smallest = MAX_CELL;
    for (const int member : members)
        smallest = std::min(smallest, cellIn(tile, boards[member]));
    return smallest;
}

/// The arrangement of `capacity` tiles that gives the members the largest cells; among
/// equals, the one with fewest empty tiles, then the one with the roomiest tiles.
Grid bestGrid(const Rect& area, int capacity, const std::vector<BoardSize>& boards,
              const std::vector<int>& members) {
    Grid best;
    double bestCell = -1;
    int bestSlots = 0;
    double bestRoom = 0;
    for (int columns = 1; columns <= capacity; ++columns) {
        const Grid grid{columns, (capacity + columns - 1) / columns};
        const double cell = smallestCell(area, grid, boards, members);
        const Rect tile = tileRect(area, grid, 0);
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

int longerSide(BoardSize board) {
    return std::max(board.width, board.height);
}

/// Lays out pages of one kind: puzzles or key.
class PageFiller {
  public:
    PageFiller(const std::vector<BoardSize>& boards, const LayoutOptions& options, PageKind kind,
               const PaperSize& paper)
        : boards_(boards),
          options_(options),
          kind_(kind),
          area_(contentArea(paper, kind == PageKind::Key || options.titled)),
          minimum_(kind == PageKind::Key ? MIN_KEY_CELL : MIN_PUZZLE_CELL) {}

    void fill(std::vector<PagePlan>& pages) {
        std::vector<int> current;
        for (int index = 0; index < int(boards_.size()); ++index) {
            std::vector<int> candidate = current;
            candidate.push_back(index);
            if (fits(candidate, capacityOf(candidate))) {
                current = std::move(candidate);
                continue;
            }
            if (!current.empty()) addPage(pages, current, capacityOf(current));
            current = {index};
            // Too large for a tile of a shared page: it gets a page of its own.
            if (!fits(current, capacityOf(current))) {
                addPage(pages, current, 1);
                current.clear();
            }
        }
        if (!current.empty()) addPage(pages, current, capacityOf(current));
    }

  private:
    int capacityOf(const std::vector<int>& members) const {
        int side = 0;
        for (const int member : members)
            side = std::max(side, longerSide(boards_[member]));
        const int puzzles = options_.perPage > 0 ? options_.perPage : defaultPerPage(side);
        return kind_ == PageKind::Key ? 2 * puzzles : puzzles;
    }

    bool fits(const std::vector<int>& members, int capacity) const {
        if (int(members.size()) > capacity) return false;
        const Grid grid = bestGrid(area_, capacity, boards_, members);
        return smallestCell(area_, grid, boards_, members) >= minimum_ - CELL_TOLERANCE;
    }

    void addPage(std::vector<PagePlan>& pages, const std::vector<int>& members,
                 int capacity) const {
        PagePlan page;
        page.kind = kind_;
        page.number = int(pages.size()) + 1;
        page.heading = kind_ == PageKind::Key || options_.titled;
        const Grid grid = bestGrid(area_, capacity, boards_, members);
        for (int slot = 0; slot < int(members.size()); ++slot) {
            const Rect tile = tileRect(area_, grid, slot);
            const BoardSize board = boards_[members[slot]];
            TilePlan plan;
            plan.puzzle = members[slot];
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
        pages.push_back(std::move(page));
    }

    const std::vector<BoardSize>& boards_;
    const LayoutOptions& options_;
    PageKind kind_;
    Rect area_;
    double minimum_;
};

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

BookPlan layOutBook(const std::vector<BoardSize>& boards, const LayoutOptions& options) {
    BookPlan book;
    book.paper = paperSize(options.paper);
    book.heading = Rect{MARGIN, MARGIN, book.paper.width - 2 * MARGIN, HEADING_HEIGHT};
    book.footer = Rect{MARGIN, book.paper.height - MARGIN - FOOTER_HEIGHT,
                       book.paper.width - 2 * MARGIN, FOOTER_HEIGHT};
    PageFiller(boards, options, PageKind::Puzzles, book.paper).fill(book.pages);
    if (options.key) PageFiller(boards, options, PageKind::Key, book.paper).fill(book.pages);
    return book;
}

}  // namespace spanwright
