#pragma once

// One form for a puzzle and all its turned and mirrored copies, so that a collection can
// tell a repeat that was only rotated or reflected, and a stable hash of that form that
// other programs can store and compare.
//
// The eight images of a board are the turns and mirrors of the square; every board has
// all eight, a rectangle included: a 10 x 7 board turned a quarter is the same puzzle
// shown as 7 x 10, and a person who met both would call it a repeat. The images are
// ordered by (width, height, then the clue of every cell row by row from the top left,
// water 0 and islands 1 to 8), and the canonical form is the smallest; its width is
// therefore never greater than its height.
//
// The hash is 64-bit FNV-1a (offset basis 0xcbf29ce484222325, prime 0x100000001b3) over
// the bytes: width, height, then width x height clues row by row (0 for water, 1 to 8),
// of the canonical form. It is written as 16 lowercase hexadecimal digits.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>

#include "puzzle/puzzle.h"

namespace spanwright {

/// The turns and mirrors of a board, in the order a search for one tries them (the
/// plainest first).
enum class Image : std::uint8_t {
    Same,                ///< the board as it is
    HalfTurn,            ///< turned through 180 degrees
    MirrorLeftRight,     ///< left and right exchanged
    MirrorTopBottom,     ///< top and bottom exchanged
    QuarterTurn,         ///< turned a quarter clockwise; width and height exchange
    QuarterTurnBack,     ///< turned a quarter anticlockwise
    MirrorDiagonal,      ///< mirrored in the diagonal from the top left (rows become columns)
    MirrorAntiDiagonal,  ///< mirrored in the diagonal from the top right
};

inline constexpr int IMAGE_COUNT = 8;
inline constexpr std::array<Image, IMAGE_COUNT> ALL_IMAGES = {
    Image::Same,        Image::HalfTurn,        Image::MirrorLeftRight, Image::MirrorTopBottom,
    Image::QuarterTurn, Image::QuarterTurnBack, Image::MirrorDiagonal,  Image::MirrorAntiDiagonal,
};

/// A short stable name for programs: "same", "half-turn", "mirror-left-right",
/// "mirror-top-bottom", "quarter-turn", "quarter-turn-back", "mirror-diagonal",
/// "mirror-anti-diagonal".
std::string_view imageName(Image image);

/// Words for people, completing "repeats line 12, ...": "turned a half turn", "mirrored
/// left to right" and so on; empty for Image::Same.
std::string_view imageWords(Image image);

/// The image that undoes `image`.
Image inverseImage(Image image);

/// `puzzle` turned or mirrored as `image` says, its difficulty kept.
Puzzle applyImage(const Puzzle& puzzle, Image image);

/// Same size and the same cells (the difficulty does not count).
bool sameBoard(const Puzzle& a, const Puzzle& b);

struct CanonicalForm {
    Puzzle puzzle;              ///< the smallest image, difficulty kept
    Image image = Image::Same;  ///< the first image of the input (in ALL_IMAGES order)
                                ///< that gives it
    std::uint64_t hash = 0;     ///< FNV-1a of the form, as described above
};

/// The canonical form of `puzzle` and its hash.
CanonicalForm canonicalForm(const Puzzle& puzzle);

/// The first image, in ALL_IMAGES order, that turns `from` into `to`; false when none does.
bool findImage(const Puzzle& from, const Puzzle& to, Image& image);

/// A hash as 16 lowercase hexadecimal digits.
std::string hashText(std::uint64_t hash);

/// Remembers the puzzles of a collection by their canonical forms and tells a new one that
/// repeats an earlier one, turned or mirrored or not. Keyed by the hash; every hit is
/// confirmed on the boards themselves, so that two puzzles whose hashes collide are never
/// taken for each other. Each kept board costs about two bytes an island.
class RepeatFinder {
  public:
    struct Repeat {
        std::size_t tag;  ///< the tag the earlier puzzle was added with
        Image image;      ///< how the earlier puzzle is turned or mirrored into the new one
    };

    /// The earlier puzzle that `puzzle` repeats (the first of them, when it repeats several);
    /// otherwise remembers `puzzle` under `tag` and returns nothing.
    std::optional<Repeat> add(const Puzzle& puzzle, std::size_t tag);

  private:
    struct Kept {
        std::size_t tag;
        Image image;        ///< the image of the kept puzzle that gives its canonical form
        std::int8_t width;  ///< of the canonical form
        std::int8_t height;
        std::string islands;  ///< the canonical form's islands: water before each, and clue
    };
    std::unordered_multimap<std::uint64_t, Kept> kept_;
};

}  // namespace spanwright
