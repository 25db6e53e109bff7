#include "render/single_image.h"

#include <cairo-pdf.h>
#include <cairo-svg.h>
#include <cairo.h>

#include <array>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <memory>

#include "render/book_writer.h"
#include "render/cairo_handles.h"
#include "render/page_drawing.h"

namespace spanwright {
namespace {

constexpr double MM_PER_INCH = 25.4;

// CRC-32 as PNG chunks carry it (ISO 3309, reflected, polynomial 0xEDB88320).
constexpr std::array<std::uint32_t, 256> CRC_TABLE = [] {
    std::array<std::uint32_t, 256> table{};
    for (std::uint32_t n = 0; n < 256; ++n) {
        std::uint32_t c = n;
        for (int k = 0; k < 8; ++k)
            c = (c & 1U) != 0 ? 0xEDB88320U ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}();

std::uint32_t crc32(const std::string& bytes) {
    std::uint32_t c = 0xFFFFFFFFU;
    for (const char byte : bytes)
        c = CRC_TABLE[(c ^ std::uint8_t(byte)) & 0xFFU] ^ (c >> 8);
    return c ^ 0xFFFFFFFFU;
}

void appendBigEndian(std::string& bytes, std::uint32_t value) {
    for (int shift = 24; shift >= 0; shift -= 8)
        bytes.push_back(char((value >> shift) & 0xFFU));
}

/// The pHYs chunk: the same number of pixels a metre across and down, the unit a metre.
std::string physChunk(long perMetre) {
    std::string typeAndData = "pHYs";
    appendBigEndian(typeAndData, std::uint32_t(perMetre));
    appendBigEndian(typeAndData, std::uint32_t(perMetre));
    typeAndData.push_back('\1');
    std::string chunk;
    appendBigEndian(chunk, 9);
    chunk += typeAndData;
    appendBigEndian(chunk, crc32(typeAndData));
    return chunk;
}

/// Draws the image on white in points from its top left corner.
void drawImage(cairo_t* cr, const SheetPuzzle& entry, const SingleImage& image) {
    cairo_set_source_rgb(cr, 1, 1, 1);
    cairo_paint(cr);
    TilePlan tile;
    tile.cell = image.cellMm * POINTS_PER_MM;
    tile.board = Rect{SINGLE_MARGIN_MM * POINTS_PER_MM, SINGLE_MARGIN_MM * POINTS_PER_MM,
                      entry.puzzle.width * tile.cell, entry.puzzle.height * tile.cell};
    drawBoard(cr, entry, tile, image.kind, image.dots);
}

/// The picture of an RGB24 surface as an A8 one of the same size whose values are the grey
/// of each pixel (luma, ITU-R BT.601), which cairo writes as a greyscale PNG: ink that
/// prints on black alone, where RGB black may be separated into all four printing inks.
Surface greyCopy(cairo_surface_t* colour) {
    const int width = cairo_image_surface_get_width(colour);
    const int height = cairo_image_surface_get_height(colour);
    Surface grey(cairo_image_surface_create(CAIRO_FORMAT_A8, width, height));
    if (cairo_surface_status(grey.get()) != CAIRO_STATUS_SUCCESS) return grey;
    cairo_surface_flush(colour);
    cairo_surface_flush(grey.get());
    const unsigned char* from = cairo_image_surface_get_data(colour);
    unsigned char* to = cairo_image_surface_get_data(grey.get());
    const int fromStride = cairo_image_surface_get_stride(colour);
    const int toStride = cairo_image_surface_get_stride(grey.get());
    for (int y = 0; y < height; ++y) {
        const auto* row =
            reinterpret_cast<const std::uint32_t*>(from + std::ptrdiff_t(y) * fromStride);
        unsigned char* out = to + std::ptrdiff_t(y) * toStride;
        for (int x = 0; x < width; ++x) {
            const std::uint32_t pixel = row[x];
            const std::uint32_t red = (pixel >> 16) & 0xFFU;
            const std::uint32_t green = (pixel >> 8) & 0xFFU;
            const std::uint32_t blue = pixel & 0xFFU;
            out[x] =
                static_cast<unsigned char>((299 * red + 587 * green + 114 * blue + 500) / 1000);
        }
    }
    cairo_surface_mark_dirty(grey.get());
    return grey;
}

/// Draws on a vector surface and finishes it.
bool drawAndFinish(cairo_surface_t* surface, double scale, const SheetPuzzle& entry,
                   const SingleImage& image, const StreamSink& sink, std::string& error) {
    {
        const Context cr(cairo_create(surface));
        cairo_scale(cr.get(), scale, scale);
        drawImage(cr.get(), entry, image);
        cairo_show_page(cr.get());
        if (!succeeded(cairo_status(cr.get()), sink, error)) return false;
    }
    cairo_surface_finish(surface);
    return succeeded(cairo_surface_status(surface), sink, error);
}

}  // namespace

ImageSize singleImageSize(BoardSize board, double cellMm) {
    return {board.width * cellMm + 2 * SINGLE_MARGIN_MM,
            board.height * cellMm + 2 * SINGLE_MARGIN_MM};
}

PixelSize singleImagePixels(BoardSize board, double cellMm, int dpi) {
    const ImageSize size = singleImageSize(board, cellMm);
    return {std::lround(size.width / MM_PER_INCH * dpi),
            std::lround(size.height / MM_PER_INCH * dpi)};
}

long pixelsPerMetre(int dpi) {
    return std::lround(dpi * 1000.0 / MM_PER_INCH);
}

bool writeSinglePdf(std::FILE* out, const SheetPuzzle& entry, const SingleImage& image,
                    std::string& error) {
    StreamSink sink(out);
    const ImageSize size = singleImageSize({entry.puzzle.width, entry.puzzle.height}, image.cellMm);
    const Surface surface(cairo_pdf_surface_create_for_stream(
        writeToSink, &sink, size.width * POINTS_PER_MM, size.height * POINTS_PER_MM));
    return drawAndFinish(surface.get(), 1.0, entry, image, sink, error);
}

bool writeSingleSvg(std::FILE* out, const SheetPuzzle& entry, const SingleImage& image,
                    std::string& error) {
    StreamSink sink(out);
    const ImageSize size = singleImageSize({entry.puzzle.width, entry.puzzle.height}, image.cellMm);
    // The document unit is only written after the surface's width and height, which become
    // the view box too: a surface measured in millimetres gives width="...mm" and a user unit
    // of a millimetre, into which the drawing in points is scaled.
    const Surface surface(
        cairo_svg_surface_create_for_stream(writeToSink, &sink, size.width, size.height));
    cairo_svg_surface_set_document_unit(surface.get(), CAIRO_SVG_UNIT_MM);
    return drawAndFinish(surface.get(), 1.0 / POINTS_PER_MM, entry, image, sink, error);
}

bool writeSinglePng(std::FILE* out, const SheetPuzzle& entry, const SingleImage& image, int dpi,
                    std::string& error) {
    const PixelSize pixels =
        singleImagePixels({entry.puzzle.width, entry.puzzle.height}, image.cellMm, dpi);
    if (pixels.width > MAX_IMAGE_PIXELS || pixels.height > MAX_IMAGE_PIXELS) {
        error = "the image would be " + std::to_string(pixels.width) + " x " +
                std::to_string(pixels.height) + " pixels, more than " +
                std::to_string(MAX_IMAGE_PIXELS) + " a side";
        return false;
    }
    StreamSink sink(out);
    sink.chunk = physChunk(pixelsPerMetre(dpi));
    const Surface surface(
        cairo_image_surface_create(CAIRO_FORMAT_RGB24, int(pixels.width), int(pixels.height)));
    {
        const Context cr(cairo_create(surface.get()));
        const double scale = dpi / 72.0;
        cairo_scale(cr.get(), scale, scale);
        drawImage(cr.get(), entry, image);
        if (!succeeded(cairo_status(cr.get()), sink, error)) return false;
    }
    const Surface grey = greyCopy(surface.get());
    if (!succeeded(cairo_surface_write_to_png_stream(grey.get(), writeToSink, &sink), sink, error))
        return false;
    if (sink.chunk.empty()) return true;
    error = "the PNG writer ended before its header was complete";
    return false;
}

}  // namespace spanwright
