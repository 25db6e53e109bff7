#include "maker/canonical_form.h"

#include <algorithm>

namespace spanwright::maker {
namespace {

/// The image of the board under transform t: bit 0 mirrors the columns, bit 1 mirrors the
/// rows, bit 2 swaps rows and columns (only for a square, where the shape stays).
std::string imageUnder(const Puzzle& puzzle, int t) {
    const int w = puzzle.width;
    const int h = puzzle.height;
    const bool swap = (t & 4) != 0;
    const int outWidth = swap ? h : w;
    const int outHeight = swap ? w : h;
    std::string image(2 + std::size_t(w * h), '\0');
    image[0] = char(outWidth);
    image[1] = char(outHeight);
    for (int r = 0; r < outHeight; ++r) {
        for (int c = 0; c < outWidth; ++c) {
            int sr = swap ? c : r;
            int sc = swap ? r : c;
            if (t & 1) sc = w - 1 - sc;
            if (t & 2) sr = h - 1 - sr;
            image[2 + std::size_t(r * outWidth + c)] = char(puzzle.cells[std::size_t(sr * w + sc)]);
        }
    }
    return image;
}

}  // namespace

std::string canonicalForm(const Puzzle& puzzle) {
    const int transforms = puzzle.width == puzzle.height ? 8 : 4;
    std::string best = imageUnder(puzzle, 0);
    for (int t = 1; t < transforms; ++t)
        best = std::min(best, imageUnder(puzzle, t));
    return best;
}

std::uint64_t canonicalHash(const Puzzle& puzzle) {
    std::uint64_t hash = 14695981039346656037ull;
    for (const char byte : canonicalForm(puzzle)) {
        hash ^= std::uint8_t(byte);
        hash *= 1099511628211ull;
    }
    return hash;
}

}  // namespace spanwright::maker
