#pragma once

// A short fingerprint of a puzzle that is the same for all its turns and mirrors, for sets
// of puzzles too large to keep whole: an archive of a million published puzzles is held as
// a million fingerprints of 16 bytes, and a new puzzle is looked up among them.
//
// The fingerprint is the smallest, over the eight images of the board, of a 128-bit hash of
// the image (its width, height and clues row by row). The eight images of a board are the
// same set whichever of them one starts from, so every image gets the same smallest.
// Two different puzzles share a fingerprint with a chance of about 2^-128 a pair: an
// archive that meets it costs one fresh puzzle passed over, never a repeat let through.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "puzzle/puzzle.h"

namespace spanwright {

struct Fingerprint {
    std::uint64_t high = 0;
    std::uint64_t low = 0;

    bool operator==(const Fingerprint& other) const {
        return high == other.high && low == other.low;
    }
    bool operator<(const Fingerprint& other) const {
        return high != other.high ? high < other.high : low < other.low;
    }
};

/// The fingerprint of `puzzle`, the same for every turn and mirror of it (the difficulty
/// does not count).
Fingerprint fingerprintOf(const Puzzle& puzzle);

/// A set of fingerprints, filled first and then looked up: a sorted flat array, 16 bytes a
/// puzzle, that any number of threads may read once it is sealed.
class FingerprintSet {
  public:
    void add(const Puzzle& puzzle) { prints_.push_back(fingerprintOf(puzzle)); }
    /// Sorts and drops doubles; call before contains().
    void seal();
    bool contains(const Fingerprint& print) const;
    bool contains(const Puzzle& puzzle) const { return contains(fingerprintOf(puzzle)); }
    std::size_t size() const { return prints_.size(); }
    bool empty() const { return prints_.empty(); }

  private:
    std::vector<Fingerprint> prints_;
};

}  // namespace spanwright
