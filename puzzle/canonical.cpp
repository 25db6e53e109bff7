#include "puzzle/canonical.h"

#include <algorithm>
#include <cstdio>

namespace spanwright {
namespace {

struct ImageInfo {
    std::string_view name;
    std::string_view words;
    Image inverse;
    bool transposes;  ///< width and height exchange
};

constexpr ImageInfo IMAGE_INFO[IMAGE_COUNT] = {
    {"same", "", Image::Same, false},
    {"half-turn", "turned a half turn", Image::HalfTurn, false},
    {"mirror-left-right", "mirrored left to right", Image::MirrorLeftRight, false},
    {"mirror-top-bottom", "mirrored top to bottom", Image::MirrorTopBottom, false},
    {"quarter-turn", "turned a quarter turn clockwise", Image::QuarterTurnBack, true},
    {"quarter-turn-back", "turned a quarter turn anticlockwise", Image::QuarterTurn, true},
    {"mirror-diagonal", "mirrored in the diagonal from the top left", Image::MirrorDiagonal, true},
    {"mirror-anti-diagonal", "mirrored in the diagonal from the top right",
     Image::MirrorAntiDiagonal, true},
};

const ImageInfo& info(Image image) {
    return IMAGE_INFO[static_cast<int>(image)];
}

/// Where the cell (r, c) of an h x w board lands in its image.
void mapCell(Image image, int h, int w, int r, int c, int& row, int& column) {
    switch (image) {
        case Image::Same:
            row = r, column = c;
            return;
        case Image::HalfTurn:
            row = h - 1 - r, column = w - 1 - c;
            return;
        case Image::MirrorLeftRight:
            row = r, column = w - 1 - c;
            return;
        case Image::MirrorTopBottom:
            row = h - 1 - r, column = c;
            return;
        case Image::QuarterTurn:
            row = c, column = h - 1 - r;
            return;
        case Image::QuarterTurnBack:
            row = w - 1 - c, column = r;
            return;
        case Image::MirrorDiagonal:
            row = c, column = r;
            return;
        case Image::MirrorAntiDiagonal:
            row = w - 1 - c, column = h - 1 - r;
            return;
    }
}

/// The clue of a cell: 0 for water, 1 to 8 for an island.
std::uint8_t clue(std::uint8_t cell) {
    return cell == 0 ? 0 : std::uint8_t(cell - ISLAND_BASE);
}

/// -1, 0 or 1 as `a` orders before, with or after `b` (width, height, then cells).
int compareBoards(const Puzzle& a, const Puzzle& b) {
    if (a.width != b.width) return a.width < b.width ? -1 : 1;
    if (a.height != b.height) return a.height < b.height ? -1 : 1;
    const int count = a.cellCount();
    for (int i = 0; i < count; ++i) {
        const std::uint8_t x = clue(a.cells[i]);
        const std::uint8_t y = clue(b.cells[i]);
        if (x != y) return x < y ? -1 : 1;
    }
    return 0;
}

std::uint64_t fnv1a(const Puzzle& puzzle) {
    constexpr std::uint64_t OFFSET_BASIS = 0xcbf29ce484222325ULL;
    constexpr std::uint64_t PRIME = 0x100000001b3ULL;
    std::uint64_t hash = OFFSET_BASIS;
    const auto add = [&](std::uint8_t byte) {
        hash ^= byte;
        hash *= PRIME;
    };
    add(std::uint8_t(puzzle.width));
    add(std::uint8_t(puzzle.height));
    for (int i = 0; i < puzzle.cellCount(); ++i)
        add(clue(puzzle.cells[i]));
    return hash;
}

/// The islands of a board, compactly: for each, the water cells before it since the last
/// island (seven bits a byte, the high bit set on every byte but the last), then its clue.
std::string packIslands(const Puzzle& puzzle) {
    std::string text;
    std::size_t water = 0;
    for (int i = 0; i < puzzle.cellCount(); ++i) {
        if (puzzle.cells[i] == 0) {
            ++water;
            continue;
        }
        for (; water >= 0x80; water >>= 7)
            text += char(0x80 | (water & 0x7F));
        text += char(water);
        text += char(clue(puzzle.cells[i]));
        water = 0;
    }
    return text;
}

Puzzle unpackIslands(std::int8_t width, std::int8_t height, const std::string& islands) {
    Puzzle puzzle;
    puzzle.width = width;
    puzzle.height = height;
    puzzle.allocateCells();
    std::size_t cell = 0;
    for (std::size_t i = 0; i < islands.size();) {
        std::size_t water = 0;
        int shift = 0;
        for (; static_cast<unsigned char>(islands[i]) & 0x80; ++i, shift += 7)
            water |= std::size_t(islands[i] & 0x7F) << shift;
        water |= std::size_t(islands[i++]) << shift;
        cell += water;
        puzzle.cells[cell++] = std::uint8_t(ISLAND_BASE + islands[i++]);
    }
    return puzzle;
}

}  // namespace

std::string_view imageName(Image image) {
    return info(image).name;
}

std::string_view imageWords(Image image) {
    return info(image).words;
}

Image inverseImage(Image image) {
    return info(image).inverse;
}

Puzzle applyImage(const Puzzle& puzzle, Image image) {
    const int h = puzzle.height;
    const int w = puzzle.width;
    Puzzle result;
    result.difficulty = puzzle.difficulty;
    result.width = info(image).transposes ? puzzle.height : puzzle.width;
    result.height = info(image).transposes ? puzzle.width : puzzle.height;
    result.allocateCells();
    for (int r = 0; r < h; ++r)
        for (int c = 0; c < w; ++c) {
            int row = 0;
            int column = 0;
            mapCell(image, h, w, r, c, row, column);
            result.cells[row * result.width + column] = puzzle.cells[r * w + c];
        }
    return result;
}

bool sameBoard(const Puzzle& a, const Puzzle& b) {
    return a.width == b.width && a.height == b.height &&
           std::equal(a.cells.get(), a.cells.get() + a.cellCount(), b.cells.get());
}

CanonicalForm canonicalForm(const Puzzle& puzzle) {
    CanonicalForm form;
    for (const Image image : ALL_IMAGES) {
        Puzzle candidate = applyImage(puzzle, image);
        if (image == Image::Same || compareBoards(candidate, form.puzzle) < 0) {
            form.puzzle = std::move(candidate);
            form.image = image;
        }
    }
    form.hash = fnv1a(form.puzzle);
    return form;
}

bool findImage(const Puzzle& from, const Puzzle& to, Image& image) {
    const auto found = std::find_if(ALL_IMAGES.begin(), ALL_IMAGES.end(), [&](Image candidate) {
        return sameBoard(applyImage(from, candidate), to);
    });
    if (found == ALL_IMAGES.end()) return false;
    image = *found;
    return true;
}

std::string hashText(std::uint64_t hash) {
    char text[17];
    std::snprintf(text, sizeof text, "%016llx", static_cast<unsigned long long>(hash));
    return text;
}

std::optional<RepeatFinder::Repeat> RepeatFinder::add(const Puzzle& puzzle, std::size_t tag) {
    CanonicalForm form = canonicalForm(puzzle);
    std::string islands = packIslands(form.puzzle);
    const auto [first, last] = kept_.equal_range(form.hash);
    for (auto it = first; it != last; ++it) {
        const Kept& kept = it->second;
        if (kept.width != form.puzzle.width || kept.height != form.puzzle.height ||
            kept.islands != islands)
            continue;
        // The earlier board itself, back from its canonical form, says how the new one
        // was made from it.
        const Puzzle earlier = applyImage(unpackIslands(kept.width, kept.height, kept.islands),
                                          inverseImage(kept.image));
        Image image = Image::Same;
        findImage(earlier, puzzle, image);
        return Repeat{kept.tag, image};
    }
    // Only the first of equal puzzles is kept, so a hit is always the earliest.
    kept_.emplace(form.hash,
                  Kept{tag, form.image, form.puzzle.width, form.puzzle.height, std::move(islands)});
    return std::nullopt;
}

}  // namespace spanwright
