// Arbitrary bytes as a book: the first byte picks the page options, the rest are problem
// lines. The boards the reader accepts (up to 30 x 30, 40 of them) are laid out page by
// page and every page is drawn in memory onto a tiny image surface, puzzle pages and key
// pages. The page-by-page layout must equal the layout of the whole book at once, every
// board must appear once on the puzzle pages and once in the key, inside the sheet, and
// cairo must end every page without an error.

#include <cairo.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "puzzle/problem_line.h"
#include "render/answer_key.h"
#include "render/book_writer.h"
#include "render/page_drawing.h"
#include "render/page_layout.h"
#include "render/sheet.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

constexpr int MAX_FUZZED_SIDE = 30;
constexpr int MAX_PUZZLES = 40;
// About 4 pixels to a centimetre: the drawing runs every path, the pixels cost nothing.
constexpr double SCALE = 0.15;

bool sameRect(const spanwright::Rect& a, const spanwright::Rect& b) {
    return a.x == b.x && a.y == b.y && a.width == b.width && a.height == b.height;
}

bool samePage(const spanwright::PagePlan& a, const spanwright::PagePlan& b) {
    if (a.kind != b.kind || a.number != b.number || !sameRect(a.heading, b.heading) ||
        a.tiles.size() != b.tiles.size())
        return false;
    for (std::size_t i = 0; i < a.tiles.size(); ++i) {
        const spanwright::TilePlan& s = a.tiles[i];
        const spanwright::TilePlan& t = b.tiles[i];
        if (s.puzzle != t.puzzle || s.cell != t.cell || s.belowMinimum != t.belowMinimum ||
            !sameRect(s.board, t.board) || !sameRect(s.caption, t.caption))
            return false;
    }
    return true;
}

/// Draws one page as the sheet does, from the puzzles of `book` alone.
void drawPage(const spanwright::Book& book, const spanwright::BookPlan& frame,
              const spanwright::PagePlan& page) {
    const double tolerance = 1e-6;
    for (const spanwright::TilePlan& tile : page.tiles) {
        FUZZ_CHECK(tile.puzzle >= book.first && tile.puzzle < book.first + int(book.puzzles.size()),
                   "a tile of a puzzle the page does not hold");
        FUZZ_CHECK(tile.board.x >= -tolerance && tile.board.y >= -tolerance &&
                       tile.board.x + tile.board.width <= frame.paper.width + tolerance &&
                       tile.board.y + tile.board.height <= frame.paper.height + tolerance,
                   "a board outside the sheet");
    }
    cairo_surface_t* surface =
        cairo_image_surface_create(CAIRO_FORMAT_RGB24, int(frame.paper.width * SCALE) + 1,
                                   int(frame.paper.height * SCALE) + 1);
    cairo_t* cr = cairo_create(surface);
    cairo_scale(cr, SCALE, SCALE);
    spanwright::drawPage(cr, book, frame, page);
    FUZZ_CHECK(cairo_status(cr) == CAIRO_STATUS_SUCCESS, "cairo failed to draw the page");
    cairo_destroy(cr);
    cairo_surface_destroy(surface);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    // cairo's font caches go at exit, so that the leak checker sees only real leaks.
    static const int released = std::atexit(spanwright::releaseDrawingCaches);
    (void)released;
    if (size == 0) return 0;
    const std::uint8_t flags = data[0];
    spanwright::LayoutOptions options;
    options.paper =
        spanwright::paperSize(flags & 1 ? spanwright::Paper::Letter : spanwright::Paper::A4);
    options.key = (flags & 2) != 0;
    options.gutter = (flags & 4) != 0 ? 10 * spanwright::POINTS_PER_MM : 0.0;
    options.perPage = (flags >> 3) % 31;  // 0 chooses by board size, as without --per-page

    std::vector<spanwright::SheetPuzzle> puzzles;
    std::vector<spanwright::BoardSize> sizes;
    const std::string_view text(reinterpret_cast<const char*>(data + 1), size - 1);
    for (std::size_t start = 0; start < text.size() && int(puzzles.size()) < MAX_PUZZLES;) {
        const std::size_t end = std::min(text.find('\n', start), text.size());
        spanwright::SheetPuzzle entry;
        if (spanwright::parseProblemLine(entry.puzzle, text.substr(start, end - start)) &&
            entry.puzzle.width <= MAX_FUZZED_SIDE && entry.puzzle.height <= MAX_FUZZED_SIDE) {
            entry.number = int(puzzles.size()) + 1;
            if (options.key) entry.key = spanwright::solveByDeduction(entry.puzzle);
            sizes.push_back({entry.puzzle.width, entry.puzzle.height});
            puzzles.push_back(std::move(entry));
        }
        start = end + 1;
    }
    if (puzzles.empty()) return 0;

    const spanwright::BookPlan whole = spanwright::layOutBook(sizes, options);
    const spanwright::BookPlan frame = spanwright::bookFrame(options);
    spanwright::Book book;
    book.title = flags & 4 ? "Fuzz \u00B7 book" : "";
    book.dots = (flags & 128) == 0;
    std::size_t pageIndex = 0;
    for (const spanwright::PageKind kind :
         {spanwright::PageKind::Puzzles, spanwright::PageKind::Key}) {
        if (kind == spanwright::PageKind::Key && !options.key) break;
        spanwright::PageStream stream(options, kind, int(pageIndex) + 1);
        std::vector<int> seen(puzzles.size(), 0);
        book.puzzles.clear();
        book.first = 0;
        const auto draw = [&](const spanwright::PagePlan& page) {
            FUZZ_CHECK(pageIndex < whole.pages.size() && samePage(page, whole.pages[pageIndex]),
                       "the page-by-page layout differs from the whole book's");
            ++pageIndex;
            for (const spanwright::TilePlan& tile : page.tiles)
                ++seen[std::size_t(tile.puzzle)];
            drawPage(book, frame, page);
            book.first += int(book.puzzles.size());
            book.puzzles.clear();
        };
        spanwright::PagePlan page;
        for (std::size_t i = 0; i < puzzles.size(); ++i) {
            if (stream.add(sizes[i], page)) draw(page);
            spanwright::SheetPuzzle copy;
            copy.number = puzzles[i].number;
            copy.key = puzzles[i].key;
            copy.puzzle.width = puzzles[i].puzzle.width;
            copy.puzzle.height = puzzles[i].puzzle.height;
            copy.puzzle.difficulty = puzzles[i].puzzle.difficulty;
            copy.puzzle.allocateCells();
            std::copy(puzzles[i].puzzle.cells.get(),
                      puzzles[i].puzzle.cells.get() + puzzles[i].puzzle.cellCount(),
                      copy.puzzle.cells.get());
            book.puzzles.push_back(std::move(copy));
        }
        if (stream.finish(page)) draw(page);
        for (const int count : seen)
            FUZZ_CHECK(count == 1, "a board missing from its pages, or on two");
    }
    FUZZ_CHECK(pageIndex == whole.pages.size(), "the whole book has more pages");
    return 0;
}
