#pragma once

#include <string>
#include <vector>

#include "render/page_layout.h"
#include "render/sheet.h"

namespace spanwright {

enum class SheetFormat { Pdf, Svg, Png };

/// The format named by the extension of `path` (.pdf, .svg or .png, in any letter case);
/// false for any other.
bool formatOfPath(const std::string& path, SheetFormat& format);

/// The files a book of `pages` pages goes to: `path` itself for a PDF or a single page;
/// otherwise one file a page with the page number before the extension, book-1.svg,
/// book-2.svg and so on.
std::vector<std::string> outputPaths(const std::string& path, SheetFormat format, int pages);

/// Writes the book to the files of outputPaths. Everything is written to temporary files
/// beside the targets first and renamed into place only once all were written, so that a
/// failure, or an interrupt (SIGINT, SIGTERM, SIGHUP) during the writing, leaves no
/// half-written file; an interrupt then ends the program as the signal would have. On
/// failure, says why on standard error as `program` and returns false.
bool writeBook(const char* program, const std::string& path, SheetFormat format, const Book& book,
               const BookPlan& plan, int dpi);

}  // namespace spanwright
