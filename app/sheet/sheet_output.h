#pragma once

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "app/cli/staged_output.h"
#include "render/book_writer.h"
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

/// The files an earlier book of images under `path` left standing, in either naming
/// (`path` itself for one page, numbered pages from 1 on): what publishing a new book
/// removes where it does not replace them, so that no page of the old book stays.
std::vector<std::string> earlierPaths(const std::string& path, SheetFormat format);

/// The pages of a book, written as they are drawn into files staged beside the output and
/// published as one set once the book is done (see StagedOutput): after the run either the
/// whole new book stands or the old one does, and an interrupt leaves nothing behind. Every
/// failure is told on standard error as `program`, naming the output and what stands there.
class BookOutput {
  public:
    BookOutput(const char* program, const std::string& path, SheetFormat format, int dpi);
    ~BookOutput();
    BookOutput(const BookOutput&) = delete;
    BookOutput& operator=(const BookOutput&) = delete;

    /// The title and creator a PDF names in its document information.
    void setPdfMetadata(const PdfMetadata& metadata) { metadata_ = metadata; }
    /// False, said why, when the output's directory takes no staged file.
    bool ready();
    /// Draws `page` in the frame of `plan` from the puzzles of `book`.
    bool addPage(const Book& book, const BookPlan& plan, const PagePlan& page);
    /// Publishes the pages drawn; nothing is left staged either way.
    bool publish();

  private:
    bool failed(const std::string& name, const std::string& why);

    const char* program_;
    std::string path_;
    SheetFormat format_;
    int dpi_;
    int pages_ = 0;
    StagedOutput staged_;
    std::FILE* pdfFile_ = nullptr;
    std::unique_ptr<PdfDocument> pdf_;
    PdfMetadata metadata_;
};

}  // namespace spanwright
