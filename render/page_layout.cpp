#include "render/page_layout.h"

#include <strings.h>

#include <algorithm>
#include <cstdlib>

namespace spanwright {
namespace {

// The fixed parts of a page, in points.
constexpr double HEADING_HEIGHT = 34.0;
constexpr double FOOTER_HEIGHT = 22.0;
constexpr double TILE_GAP = 24.0;
constexpr double CAPTION_HEIGHT = 20.0;
// Tiles of the same size compare equal within this, so that rounding never decides.
constexpr double CELL_TOLERANCE = 1e-9;
// Sheets narrower than this take the smaller margin.
constexpr double SMALL_PAPER_WIDTH = 180 * POINTS_PER_MM;

/// The room for tiles on an odd page: below the heading band, above the footer, with the
/// gutter on the left.
Rect contentArea(const LayoutOptions& options) {
    const double top = options.margin + HEADING_HEIGHT;
    return Rect{options.margin + options.gutter, top,
                options.paper.width - 2 * options.margin - options.gutter,
                options.paper.height - options.margin - FOOTER_HEIGHT - top};
}

/// How far an even page moves everything left: its gutter is on the right.
double shiftOf(const LayoutOptions& options, int pageNumber) {
    return pageNumber % 2 == 0 ? -options.gutter : 0.0;
}

Rect shifted(Rect rect, double dx) {
    rect.x += dx;
    return rect;
}

template <typename Grid>
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
/// With `filled`, only grids without an empty tile count; the cell is negative when there
/// is none.
template <typename Grid>
Grid bestGrid(const Rect& area, int capacity, BoardSize extent, bool filled, double& bestCell) {
    Grid best;
    bestCell = -1;
    int bestSlots = 0;
    double bestRoom = 0;
    for (int columns = 1; columns <= capacity; ++columns) {
        const Grid grid{columns, (capacity + columns - 1) / columns};
        const int slots = grid.columns * grid.rows;
        if (filled && slots != capacity) continue;
        const Rect tile = tileRect(area, grid, 0);
        const double cell = cellIn(tile, extent);
        const double room = std::min(tile.width, tile.height);
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

bool readPaper(const std::string& text, PaperSize& paper) {
    struct Named {
        const char* name;
        Paper paper;
    };
    static constexpr Named NAMED[] = {
        {"a4", Paper::A4}, {"letter", Paper::Letter}, {"a5", Paper::A5}, {"6x9in", Paper::Trade}};
    for (const Named& named : NAMED)
        if (strcasecmp(text.c_str(), named.name) == 0) {
            paper = paperSize(named.paper);
            return true;
        }
    // WIDTHxHEIGHTmm: two plain decimal numbers, no signs, exponents or spaces.
    const std::size_t cross = text.find_first_of("xX");
    if (cross == std::string::npos || text.size() < cross + 3 ||
        strcasecmp(text.c_str() + text.size() - 2, "mm") != 0)
        return false;
    const std::string sides[2] = {text.substr(0, cross),
                                  text.substr(cross + 1, text.size() - cross - 3)};
    double mm[2] = {0, 0};
    for (int i = 0; i < 2; ++i) {
        const std::string& side = sides[i];
        if (side.empty() || side.find_first_not_of("0123456789.") != std::string::npos ||
            side.front() == '.' || std::count(side.begin(), side.end(), '.') > 1)
            return false;
        mm[i] = std::strtod(side.c_str(), nullptr);
        if (mm[i] < MIN_PAPER_MM || mm[i] > MAX_PAPER_MM) return false;
    }
    paper = PaperSize{mm[0] * POINTS_PER_MM, mm[1] * POINTS_PER_MM};
    return true;
}

double defaultMargin(PaperSize paper) {
    return paper.width < SMALL_PAPER_WIDTH - CELL_TOLERANCE ? SMALL_PAPER_MARGIN : MARGIN;
}

int defaultPerPage(int side) {
    if (side <= 10) return 6;
    if (side <= 15) return 4;
    if (side <= 20) return 2;
    return 1;
}

int paddingPages(int pages, int padTo) {
    if (padTo <= 1) return 0;
    return (padTo - pages % padTo) % padTo;
}

PagePlan blankPage(int number) {
    PagePlan page;
    page.kind = PageKind::Blank;
    page.number = number;
    return page;
}

PagePlan frontPage(const LayoutOptions& options, PageKind kind, int number) {
    PagePlan page;
    page.kind = kind;
    page.number = number;
    const BookPlan frame = bookFrame(options);
    const double dx = shiftOf(options, number);
    page.heading = shifted(frame.heading, dx);
    page.footer = shifted(frame.footer, dx);
    return page;
}

Rect bodyOf(const PagePlan& page) {
    const double top = page.heading.y + page.heading.height;
    return Rect{page.heading.x, top, page.heading.width, page.footer.y - top};
}

int contentsLinesPerPage(const LayoutOptions& options) {
    return std::max(1, int(contentArea(options).height / CONTENTS_LINE));
}

BoardSize proofExtent(BoardSize board) {
    return BoardSize{2 * board.width + PROOF_GAP, board.height};
}

std::vector<int> prefixPages(const LayoutOptions& options, PageKind kind,
                             const std::vector<BoardSize>& boards) {
    std::vector<int> pages{0};
    PageStream stream(options, kind, 1);
    PagePlan page;
    for (const BoardSize board : boards) {
        stream.add(board, page);
        pages.push_back(stream.pages());
    }
    return pages;
}

namespace {

/// The pages of each section's first k puzzles, puzzle (or proof) and key pages together,
/// and what goes with them: all fitToPages needs to weigh a choice of counts.
struct PageTables {
    std::vector<std::vector<int>> pages;
    int front = 0;
    int padTo = 0;

    int total(int body) const { return body + paddingPages(body, padTo); }
    int bodyOf(const std::vector<int>& counts) const {
        int body = front;
        for (std::size_t s = 0; s < pages.size(); ++s)
            body += pages[s][std::size_t(counts[s])];
        return body;
    }
};

/// Fills the book up to `target` pages: one puzzle more at a time, to the section furthest
/// below its share (the divisor method of Sainte-Lague, by the sections' sizes). That
/// keeps the shares closest; when it steps over the target (two pages at once, a puzzle
/// page and a key page), `skipping` passes over a section whose next puzzle would take the
/// book past it, as another's may still fill a page already begun. A section passed over
/// stays so: the book only grows. True when the book reaches the target exactly, with the
/// counts of the largest such book in `counts`.
bool fillTo(const PageTables& tables, int target, bool skipping, std::vector<int>& counts) {
    const std::size_t sections = tables.pages.size();
    counts.assign(sections, 0);
    for (std::size_t s = 0; s < sections; ++s)
        counts[s] = tables.pages[s].size() > 1 ? 1 : 0;
    int body = tables.bodyOf(counts);
    if (tables.total(body) > target) return false;
    std::vector<bool> blocked(sections, false);
    std::vector<int> met;
    for (;;) {
        if (tables.total(body) == target) met = counts;
        std::size_t next = sections;
        double best = -1;
        for (std::size_t s = 0; s < sections; ++s) {
            const std::size_t size = tables.pages[s].size() - 1;
            if (blocked[s] || std::size_t(counts[s]) >= size) continue;
            const double priority = double(size) / (2.0 * counts[s] + 1.0);
            if (priority > best) {
                best = priority;
                next = s;
            }
        }
        if (next == sections) break;
        const std::vector<int>& pages = tables.pages[next];
        const int grown =
            body - pages[std::size_t(counts[next])] + pages[std::size_t(counts[next]) + 1];
        if (tables.total(grown) > target) {
            if (!skipping) break;
            blocked[next] = true;
            continue;
        }
        body = grown;
        ++counts[next];
    }
    if (met.empty()) return false;
    counts = met;
    return true;
}

bool fillTo(const PageTables& tables, int target, std::vector<int>& counts) {
    return fillTo(tables, target, false, counts) || fillTo(tables, target, true, counts);
}

}  // namespace

PageFit fitToPages(const std::vector<SectionBoards>& sections, int frontPages, int padTo,
                   int target) {
    PageTables tables;
    tables.front = frontPages;
    tables.padTo = padTo;
    for (const SectionBoards& section : sections) {
        const LayoutOptions& options = section.options;
        std::vector<int> pages = prefixPages(
            options, options.proof ? PageKind::Proof : PageKind::Puzzles, section.boards);
        if (options.key && !options.proof) {
            const std::vector<int> key = prefixPages(options, PageKind::Key, section.boards);
            for (std::size_t k = 0; k < pages.size(); ++k)
                pages[k] += key[k];
        }
        tables.pages.push_back(std::move(pages));
    }
    PageFit fit;
    std::vector<int> counts(sections.size(), 0);
    for (std::size_t s = 0; s < sections.size(); ++s)
        counts[s] = sections[s].boards.empty() ? 0 : 1;
    fit.fewest = tables.total(tables.bodyOf(counts));
    for (std::size_t s = 0; s < sections.size(); ++s)
        counts[s] = int(sections[s].boards.size());
    fit.most = tables.total(tables.bodyOf(counts));
    fit.met = fillTo(tables, target, fit.counts);
    if (fit.met) return fit;
    fit.counts.clear();
    // The nearest counts that can be met, looked for a few pages either way.
    constexpr int REACH = 16;
    std::vector<int> scratch;
    for (int pages = target - 1; pages >= std::max(fit.fewest, target - REACH); --pages)
        if (fillTo(tables, pages, scratch)) {
            fit.below = pages;
            break;
        }
    for (int pages = target + 1; pages <= std::min(fit.most, target + REACH); ++pages)
        if (fillTo(tables, pages, scratch)) {
            fit.above = pages;
            break;
        }
    return fit;
}

BookPlan bookFrame(const LayoutOptions& options) {
    BookPlan book;
    book.paper = options.paper;
    const Rect area = contentArea(options);
    book.heading = Rect{area.x, options.margin, area.width, HEADING_HEIGHT};
    book.footer = Rect{area.x, options.paper.height - options.margin - FOOTER_HEIGHT, area.width,
                       FOOTER_HEIGHT};
    return book;
}

BookPlan layOutSections(const std::vector<SectionBoards>& sections, int firstPage, int padTo) {
    BookPlan book = bookFrame(sections.empty() ? LayoutOptions{} : sections.front().options);
    for (const PageKind kind : {PageKind::Puzzles, PageKind::Key}) {
        int boards = 0;
        for (std::size_t s = 0; s < sections.size(); ++s) {
            const SectionBoards& section = sections[s];
            const int first = boards;
            boards += int(section.boards.size());
            if (kind == PageKind::Key && (!section.options.key || section.options.proof)) continue;
            const PageKind shown =
                kind == PageKind::Puzzles && section.options.proof ? PageKind::Proof : kind;
            PageStream stream(section.options, shown, firstPage + int(book.pages.size()), int(s),
                              first);
            PagePlan page;
            for (const BoardSize board : section.boards)
                if (stream.add(board, page)) book.pages.push_back(std::move(page));
            if (stream.finish(page)) book.pages.push_back(std::move(page));
        }
    }
    for (int blank = paddingPages(int(book.pages.size()), padTo); blank > 0; --blank)
        book.pages.push_back(blankPage(firstPage + int(book.pages.size())));
    return book;
}

BookPlan layOutBook(const std::vector<BoardSize>& boards, const LayoutOptions& options) {
    return layOutSections({SectionBoards{options, boards}}, 1, 0);
}

PageStream::PageStream(const LayoutOptions& options, PageKind kind, int firstPage, int section,
                       int firstBoard)
    : options_(options),
      kind_(kind),
      area_(contentArea(options)),
      minimum_(kind == PageKind::Key ? options.minKeyCell : options.minCell),
      firstPage_(firstPage),
      section_(section),
      next_(firstBoard) {}

// Boards join the open page in order for as long as they fit; a page's tiles are all of one
// size, set by its largest board. A board alone always fits.
bool PageStream::add(BoardSize board, PagePlan& page) {
    if (kind_ == PageKind::Proof) board = proofExtent(board);
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

int PageStream::askedFor(BoardSize extent) const {
    const int side = std::max(extent.width, extent.height);
    if (kind_ == PageKind::Proof) {
        // Half as many pairs as puzzles alone: each takes the room of two boards.
        if (options_.perPage > 0) return options_.perPage;
        return std::max(
            1, defaultPerPage(std::max((extent.width - PROOF_GAP) / 2, extent.height)) / 2);
    }
    const int puzzles = options_.perPage > 0 ? options_.perPage : defaultPerPage(side);
    if (kind_ != PageKind::Key) return puzzles;
    return options_.keyPerPage > 0 ? options_.keyPerPage : 2 * puzzles;
}

/// How many tiles a page of boards up to `extent` has: as many as asked for, or as the
/// default for their size gives, but fewer where that would draw them smaller than the
/// minimum, down to a page of their own. A key page takes a count that fills its grid,
/// as a reader looks for a solution by its place in the rows.
int PageStream::capacityOf(BoardSize extent, Grid* chosen) const {
    const bool filled = kind_ == PageKind::Key;
    int capacity = askedFor(extent);
    Grid grid;
    for (; capacity > 1; --capacity) {
        double cell = 0;
        grid = bestGrid<Grid>(area_, capacity, extent, filled, cell);
        if (cell >= minimum_ - CELL_TOLERANCE) break;
    }
    if (capacity == 1) grid = Grid{};
    if (chosen) *chosen = grid;
    return capacity;
}

PagePlan PageStream::close() {
    PagePlan page;
    page.kind = kind_;
    page.number = firstPage_ + closed_;
    page.section = section_;
    const double dx = shiftOf(options_, page.number);
    const BookPlan frame = bookFrame(options_);
    page.heading = shifted(frame.heading, dx);
    page.footer = shifted(frame.footer, dx);
    page.asked = askedFor(extent_);
    page.extent = extent_;
    Grid grid;
    page.fitted = capacityOf(extent_, &grid);
    const int first = next_ - int(members_.size());
    for (int slot = 0; slot < int(members_.size()); ++slot) {
        const Rect tile = shifted(tileRect(area_, grid, slot), dx);
        const BoardSize board = members_[std::size_t(slot)];
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
