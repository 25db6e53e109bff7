#include "render/book_writer.h"

#include <cairo-pdf.h>
#include <cairo-svg.h>
#include <cairo.h>
#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <memory>
#include <system_error>

#include "render/cairo_handles.h"
#include "render/page_drawing.h"

namespace spanwright {
namespace {

// A PNG starts with its 8-byte signature and then its header chunk, IHDR: a 4-byte length
// of 13, the type, 13 bytes of data and a 4-byte CRC. Any chunk that must come before the
// image data goes right after the header, where every PNG writer puts it.
constexpr char PNG_SIGNATURE[] = "\x89PNG\r\n\x1a\n";
constexpr char IHDR_START[] = "\0\0\0\x0dIHDR";
constexpr std::size_t SIGNATURE_LENGTH = 8;
constexpr std::size_t IHDR_START_LENGTH = 8;
constexpr std::size_t PNG_HEADER_END = SIGNATURE_LENGTH + 4 + 4 + 13 + 4;

bool put(StreamSink& sink, const void* data, std::size_t length) {
    errno = 0;
    if (std::fwrite(data, 1, length, sink.file) == length) return true;
    sink.error = errno != 0 ? errno : EIO;
    return false;
}

}  // namespace

cairo_status_t writeToSink(void* closure, const unsigned char* data, unsigned int length) {
    auto* sink = static_cast<StreamSink*>(closure);
    if (sink->error != 0 || sink->strangeHeader) return CAIRO_STATUS_WRITE_ERROR;
    std::size_t rest = length;
    if (!sink->chunk.empty()) {
        const std::size_t taken = std::min(rest, PNG_HEADER_END - sink->header.size());
        sink->header.append(reinterpret_cast<const char*>(data), taken);
        data += taken;
        rest -= taken;
        if (sink->header.size() < PNG_HEADER_END) return CAIRO_STATUS_SUCCESS;
        if (sink->header.compare(0, SIGNATURE_LENGTH, PNG_SIGNATURE, SIGNATURE_LENGTH) != 0 ||
            sink->header.compare(SIGNATURE_LENGTH, IHDR_START_LENGTH, IHDR_START,
                                 IHDR_START_LENGTH) != 0) {
            sink->strangeHeader = true;
            return CAIRO_STATUS_WRITE_ERROR;
        }
        if (!put(*sink, sink->header.data(), sink->header.size()) ||
            !put(*sink, sink->chunk.data(), sink->chunk.size()))
            return CAIRO_STATUS_WRITE_ERROR;
        sink->chunk.clear();
    }
    return put(*sink, data, rest) ? CAIRO_STATUS_SUCCESS : CAIRO_STATUS_WRITE_ERROR;
}

bool succeeded(cairo_status_t status, const StreamSink& sink, std::string& error) {
    if (sink.error != 0) {
        error = std::generic_category().message(sink.error);
        return false;
    }
    if (sink.strangeHeader) {
        error = "the PNG writer did not begin with a PNG header";
        return false;
    }
    if (status != CAIRO_STATUS_SUCCESS) {
        error = cairo_status_to_string(status);
        return false;
    }
    return true;
}

bool writePdf(std::FILE* out, const Book& book, const BookPlan& plan, std::string& error) {
    PdfDocument document(out, plan.paper);
    const bool added = std::all_of(plan.pages.begin(), plan.pages.end(), [&](const PagePlan& page) {
        return document.addPage(book, plan, page, error);
    });
    return added && document.finish(error);
}

bool writeSvgPage(std::FILE* out, const Book& book, const BookPlan& plan, int page,
                  std::string& error) {
    return writeSvgPage(out, book, plan, plan.pages[std::size_t(page)], error);
}

bool writePngPage(std::FILE* out, const Book& book, const BookPlan& plan, int page, int dpi,
                  std::string& error) {
    return writePngPage(out, book, plan, plan.pages[std::size_t(page)], dpi, error);
}

bool writeSvgPage(std::FILE* out, const Book& book, const BookPlan& plan, const PagePlan& page,
                  std::string& error) {
    StreamSink sink{out};
    const Surface surface(cairo_svg_surface_create_for_stream(writeToSink, &sink, plan.paper.width,
                                                              plan.paper.height));
    // Sizes in points, so that the image prints at the size of the sheet.
    cairo_svg_surface_set_document_unit(surface.get(), CAIRO_SVG_UNIT_PT);
    {
        const Context cr(cairo_create(surface.get()));
        drawPage(cr.get(), book, plan, page);
        cairo_show_page(cr.get());
        if (!succeeded(cairo_status(cr.get()), sink, error)) return false;
    }
    cairo_surface_finish(surface.get());
    return succeeded(cairo_surface_status(surface.get()), sink, error);
}

bool writePngPage(std::FILE* out, const Book& book, const BookPlan& plan, const PagePlan& page,
                  int dpi, std::string& error) {
    StreamSink sink{out};
    const double scale = dpi / 72.0;
    const long width = std::lround(plan.paper.width * scale);
    const long height = std::lround(plan.paper.height * scale);
    // The page is drawn whole in memory first: 4 bytes a pixel.
    if (width > MAX_IMAGE_PIXELS || height > MAX_IMAGE_PIXELS) {
        error = "the page would be " + std::to_string(width) + " x " + std::to_string(height) +
                " pixels, more than " + std::to_string(MAX_IMAGE_PIXELS) + " a side";
        return false;
    }
    const Surface surface(cairo_image_surface_create(CAIRO_FORMAT_RGB24, int(width), int(height)));
    {
        const Context cr(cairo_create(surface.get()));
        cairo_scale(cr.get(), scale, scale);
        drawPage(cr.get(), book, plan, page);
        if (!succeeded(cairo_status(cr.get()), sink, error)) return false;
    }
    cairo_surface_flush(surface.get());
    return succeeded(cairo_surface_write_to_png_stream(surface.get(), writeToSink, &sink), sink,
                     error);
}

PdfDocument::PdfDocument(std::FILE* out, PaperSize paper, const PdfMetadata& metadata)
    : sink_{out} {
    surface_ = cairo_pdf_surface_create_for_stream(writeToSink, &sink_, paper.width, paper.height);
    if (!metadata.title.empty())
        cairo_pdf_surface_set_metadata(surface_, CAIRO_PDF_METADATA_TITLE, metadata.title.c_str());
    if (!metadata.creator.empty())
        cairo_pdf_surface_set_metadata(surface_, CAIRO_PDF_METADATA_CREATOR,
                                       metadata.creator.c_str());
    cr_ = cairo_create(surface_);
}

PdfDocument::~PdfDocument() {
    cairo_destroy(cr_);
    cairo_surface_destroy(surface_);
}

bool PdfDocument::addPage(const Book& book, const BookPlan& plan, const PagePlan& page,
                          std::string& error) {
    drawPage(cr_, book, plan, page);
    cairo_show_page(cr_);
    return succeeded(cairo_status(cr_), sink_, error);
}

bool PdfDocument::finish(std::string& error) {
    cairo_surface_finish(surface_);
    return succeeded(cairo_surface_status(surface_), sink_, error);
}

void releaseDrawingCaches() {
    cairo_debug_reset_static_data();
    FcFini();
}

}  // namespace spanwright
