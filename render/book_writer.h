#pragma once

// The book onto cairo's surfaces: a PDF document of every page, or one SVG or PNG image
// of a single page. Each writes to a stream the caller opened, so that the caller decides
// where the bytes land (a temporary file renamed into place once all went well).

#include <cairo.h>

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

/// The same for a page drawn in the frame of `plan` as it is laid out, whether or not the
/// plan holds it: a book drawn as it is read has no plan of all its pages.
bool writeSvgPage(std::FILE* out, const Book& book, const BookPlan& plan, const PagePlan& page,
                  std::string& error);
bool writePngPage(std::FILE* out, const Book& book, const BookPlan& plan, const PagePlan& page,
                  int dpi, std::string& error);

/// Where cairo's stream surfaces write, and the first write error met. For a PNG with
/// `chunk` set, the signature and header are held back until they are whole and checked,
/// and the chunk is written after them; the rest passes straight through, so no image waits
/// in memory.
struct StreamSink {
    explicit StreamSink(std::FILE* out) : file(out) {}
    std::FILE* file;
    int error = 0;
    std::string chunk;  ///< still to be put after the PNG header; empty once written or for none
    std::string header;
    bool strangeHeader = false;  ///< the PNG did not start as every PNG does
};

/// cairo's write function over a StreamSink (the closure).
cairo_status_t writeToSink(void* closure, const unsigned char* data, unsigned int length);

/// True when nothing failed; otherwise the reason in `error`, a write error first.
bool succeeded(cairo_status_t status, const StreamSink& sink, std::string& error);

/// What a PDF says of itself in its document information: a reader shows the title in its
/// window and a printer's queue; the creator names the program and its version.
struct PdfMetadata {
    std::string title;
    std::string creator;
};

/// A PDF document written a page at a time: cairo sends each page to the stream as it is
/// done, so that a long book never waits in memory.
class PdfDocument {
  public:
    PdfDocument(std::FILE* out, PaperSize paper, const PdfMetadata& metadata = {});
    ~PdfDocument();
    PdfDocument(const PdfDocument&) = delete;
    PdfDocument& operator=(const PdfDocument&) = delete;

    /// Draws the next page; false with the reason when drawing or writing failed.
    bool addPage(const Book& book, const BookPlan& plan, const PagePlan& page, std::string& error);
    /// Ends the document; false with the reason when its last bytes did not land.
    bool finish(std::string& error);

  private:
    StreamSink sink_;
    cairo_surface_t* surface_ = nullptr;
    cairo_t* cr_ = nullptr;
};

/// Releases the font caches cairo keeps for the life of the process, so that a leak
/// checker sees only real leaks. Call once, after the last drawing.
void releaseDrawingCaches();

}  // namespace spanwright
