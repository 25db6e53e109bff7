#pragma once

// The book onto cairo's surfaces: a PDF document of every page, or one SVG or PNG image
// of a single page. Each writes to a stream the caller opened, so that the caller decides
// where the bytes land (a temporary file renamed into place once all went well).

#include <cstdio>
#include <string>

#include "render/page_layout.h"
#include "render/sheet.h"

namespace spanwright {

/// Each returns false when drawing or writing failed, with the reason in `error`.
bool writePdf(std::FILE* out, const Book& book, const BookPlan& plan, std::string& error);
bool writeSvgPage(std::FILE* out, const Book& book, const BookPlan& plan, int page,
                  std::string& error);
/// A PNG image of the page at `dpi` pixels an inch.
bool writePngPage(std::FILE* out, const Book& book, const BookPlan& plan, int page, int dpi,
                  std::string& error);

/// Releases the font caches cairo keeps for the life of the process, so that a leak
/// checker sees only real leaks. Call once, after the last drawing.
void releaseDrawingCaches();

}  // namespace spanwright
