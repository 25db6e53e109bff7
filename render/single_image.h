#pragma once

// One board alone, cropped to it with a small white margin and nothing else on it: no
// heading, caption or page number. This is what a newspaper places in its own page, so
// the image states its physical size: a PDF page and an SVG document in millimetres, and
// a PNG with its resolution in a pHYs chunk, without which layout software takes it for
// 72 dpi and places a 300 dpi picture four times too large.

#include <cstdio>
#include <string>

#include "render/page_layout.h"
#include "render/sheet.h"

namespace spanwright {

/// White space on each side of the board, enough for the ring of an edge island.
inline constexpr double SINGLE_MARGIN_MM = 2.0;

/// How one board is drawn alone.
struct SingleImage {
    double cellMm = 6.0;
    PageKind kind = PageKind::Puzzles;  ///< the puzzle, or its solution (PageKind::Key)
    bool dots = true;                   ///< a faint dot in each water cell of a puzzle
};

/// Physical size of the image of a board, margins included, in millimetres.
struct ImageSize {
    double width = 0;
    double height = 0;
};
ImageSize singleImageSize(BoardSize board, double cellMm);

/// Pixels of the PNG image of a board at `dpi` pixels an inch, each side rounded to the
/// nearest pixel.
struct PixelSize {
    long width = 0;
    long height = 0;
};
PixelSize singleImagePixels(BoardSize board, double cellMm, int dpi);

/// The resolution a PNG states for `dpi`, in pixels a metre (11811 for 300 dpi).
long pixelsPerMetre(int dpi);

/// Each writes the image of `entry` to `out` and returns false, with the reason in
/// `error`, when drawing or writing failed.
bool writeSinglePdf(std::FILE* out, const SheetPuzzle& entry, const SingleImage& image,
                    std::string& error);
bool writeSingleSvg(std::FILE* out, const SheetPuzzle& entry, const SingleImage& image,
                    std::string& error);
/// An 8-bit greyscale PNG, so that it prints on black ink alone. Refuses, before drawing,
/// an image with a side of more than MAX_IMAGE_PIXELS.
bool writeSinglePng(std::FILE* out, const SheetPuzzle& entry, const SingleImage& image, int dpi,
                    std::string& error);

}  // namespace spanwright
