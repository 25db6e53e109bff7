#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace spanwright {

/// A set of island indices, one bit each, read in index order.
struct IslandSet {
    std::vector<std::uint64_t> words;

    /// Sizes the set for `count` islands, all of them in it or none.
    void reset(std::size_t count, bool full) {
        words.assign((count + 63) / 64, full ? ~std::uint64_t{0} : 0);
        if (full && count % 64 != 0) words.back() = (std::uint64_t{1} << (count % 64)) - 1;
    }
    /// Takes the members of `other`. Sets of boards with the same islands are a word or
    /// a few long, so a plain loop beats a call to copy them.
    void copyFrom(const IslandSet& other) {
        if (words.size() != other.words.size()) {
            words.assign(other.words.begin(), other.words.end());
            return;
        }
        for (std::size_t i = 0; i < words.size(); ++i)
            words[i] = other.words[i];
    }
    void insert(std::size_t i) { words[i >> 6] |= std::uint64_t{1} << (i & 63); }
    void erase(std::size_t i) { words[i >> 6] &= ~(std::uint64_t{1} << (i & 63)); }
    bool contains(std::size_t i) const { return (words[i >> 6] >> (i & 63)) & 1; }
    /// The first member at `from` or after it, or -1 when there is none.
    int next(int from) const {
        std::size_t word = std::size_t(from) >> 6;
        if (word >= words.size()) return -1;
        std::uint64_t bits = words[word] & (~std::uint64_t{0} << (from & 63));
        while (bits == 0) {
            if (++word == words.size()) return -1;
            bits = words[word];
        }
        return int(word * 64) + __builtin_ctzll(bits);
    }
    /// The first member at `from` or after it that is in `other` too, or -1.
    int nextAlsoIn(const IslandSet& other, int from) const {
        std::size_t word = std::size_t(from) >> 6;
        if (word >= words.size()) return -1;
        std::uint64_t bits = words[word] & other.words[word] & (~std::uint64_t{0} << (from & 63));
        while (bits == 0) {
            if (++word == words.size()) return -1;
            bits = words[word] & other.words[word];
        }
        return int(word * 64) + __builtin_ctzll(bits);
    }
};

}  // namespace spanwright
