#include "puzzle/fingerprint.h"

#include <algorithm>

namespace spanwright {
namespace {

/// Where an image's walk starts in the source board and how far it moves for a step
/// along the image's row and for a step down to its next row, for each image in
/// canonical.h's order (same, half turn, the two mirrors, the two quarter turns, the two
/// diagonal mirrors). The last four exchange width and height.
struct Walk {
    bool lastRow;     ///< starts on the source's last row
    bool lastColumn;  ///< starts on the source's last column
    int stepAlong;    ///< +1/-1: along a source row; +2/-2: along a source column
    int stepDown;
};
constexpr Walk WALKS[8] = {
    {false, false, +1, +2}, {true, true, -1, -2},  {false, true, -1, +2},  {true, false, +1, -2},
    {true, false, -2, +1},  {false, true, +2, -1}, {false, false, +2, +1}, {true, true, -2, -1},
};

/// SplitMix64's finaliser, to spread the last bits of a running hash over all of it.
std::uint64_t mixed(std::uint64_t x) {
    x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ULL;
    x = (x ^ (x >> 27)) * 0x94D049BB133111EBULL;
    return x ^ (x >> 31);
}

Fingerprint imagePrint(const Puzzle& puzzle, const Walk& walk) {
    const int w = puzzle.width;
    const int h = puzzle.height;
    const auto offset = [&](int step) { return step == 1 || step == -1 ? step : step / 2 * w; };
    const long along = offset(walk.stepAlong);
    const long down = offset(walk.stepDown);
    const bool transposes = walk.stepAlong == 2 || walk.stepAlong == -2;
    const int imageWidth = transposes ? h : w;
    const int imageHeight = transposes ? w : h;
    long start = (walk.lastRow ? long(h - 1) * w : 0) + (walk.lastColumn ? w - 1 : 0);
    // The cells go sixteen to a 64-bit word (four bits each), and each word into two
    // running hashes of different kinds, so that a weakness of one is not shared by the
    // other; the sides go first.
    std::uint64_t a = 0xcbf29ce484222325ULL;
    std::uint64_t b = 0x9E3779B97F4A7C15ULL;
    const auto add = [&](std::uint64_t word) {
        a = (a ^ word) * 0x100000001b3ULL;
        a ^= a >> 29;
        b = (b + word + 1) * 0xD6E8FEB86659FD93ULL;
        b ^= b >> 32;
    };
    add(std::uint64_t(imageWidth) << 8 | std::uint64_t(imageHeight));
    std::uint64_t word = 0;
    int inWord = 0;
    for (int row = 0; row < imageHeight; ++row, start += down) {
        long at = start;
        for (int column = 0; column < imageWidth; ++column, at += along) {
            // A cell holds 0 or ISLAND_BASE + clue, under 16: four bits as it is.
            word = word << 4 | puzzle.cells[std::size_t(at)];
            if (++inWord == 16) {
                add(word);
                word = 0;
                inWord = 0;
            }
        }
    }
    add(word);
    return Fingerprint{mixed(a ^ (b >> 32)), mixed(b ^ a)};
}

}  // namespace

Fingerprint fingerprintOf(const Puzzle& puzzle) {
    Fingerprint smallest = imagePrint(puzzle, WALKS[0]);
    for (int k = 1; k < 8; ++k)
        smallest = std::min(smallest, imagePrint(puzzle, WALKS[k]));
    return smallest;
}

void FingerprintSet::seal() {
    std::sort(prints_.begin(), prints_.end());
    prints_.erase(std::unique(prints_.begin(), prints_.end()), prints_.end());
    prints_.shrink_to_fit();
}

bool FingerprintSet::contains(const Fingerprint& print) const {
    return std::binary_search(prints_.begin(), prints_.end(), print);
}

}  // namespace spanwright
