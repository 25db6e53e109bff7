#pragma once

// The one drawing routine of the book: a page of the plan onto any cairo surface. The
// PDF, SVG and PNG writers (book_writer.h) only choose the surface.

#include <cairo.h>

#include <string>

#include "render/page_layout.h"
#include "render/sheet.h"

namespace spanwright {

/// The default caption under a board: "7 · 15 × 15 · medium", without the level when the
/// puzzle has none (the stepwise solver could not rate it).
std::string captionOf(const SheetPuzzle& entry);

/// The heading of a page: its section's, or the book's title for a section without one;
/// key pages add "Solutions". "" for none.
std::string headingOf(const Book& book, const PagePlan& page);

/// Draws `page` on a sheet of the size of `plan`; the page carries its own bands, which
/// move with the gutter. The user space of
/// `cr` is in points with the origin at the top left corner of the sheet.
void drawPage(cairo_t* cr, const Book& book, const BookPlan& plan, const PagePlan& page);

/// Draws one board alone in `tile.board`, without its caption: the puzzle (with a dot in
/// each water cell when `dots`) or, for PageKind::Key, its solution or its marked board.
/// For pictures of a single puzzle; the background is left to the caller.
void drawBoard(cairo_t* cr, const SheetPuzzle& entry, const TilePlan& tile, PageKind kind,
               bool dots);

}  // namespace spanwright
