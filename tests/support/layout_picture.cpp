#include "tests/support/layout_picture.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <sstream>
#include <string>
#include <vector>

namespace spanwright {
namespace generator_testing {

std::int32_t modelStep(std::int32_t state) {
    const std::uint64_t next = 1103515245ull * static_cast<std::uint32_t>(state) + 12345ull;
    return static_cast<std::int32_t>(next % 2147483648ull);
}

std::int32_t modelMap(std::int32_t v, std::int32_t n) {
    return static_cast<std::int32_t>((v + 1.0) / 2147483649.0 * n);
}

namespace {

const std::string SYMBOLS = ".-?|?,O*";  // indexed by generator cell code

}  // namespace

std::int32_t seedGiving(const std::vector<Draw>& draws) {
    for (std::int32_t seed = 1; seed < 50000000; ++seed) {
        std::int32_t state = seed;
        bool matches = true;
        for (const Draw& draw : draws) {
            state = modelStep(state);
            const std::int32_t value = modelMap(state, draw.bound);
            if (value < draw.least || value > draw.most) {
                matches = false;
                break;
            }
        }
        if (matches) return seed;
    }
    ADD_FAILURE() << "no seed gives the wanted draws";
    return 0;
}

int drawsSince(RandomSource& source, std::int32_t seed) {
    const std::int32_t probe = source.drawBelow(INT32_MAX);
    std::int32_t state = seed;
    for (int made = 0; made < 100000; ++made) {
        state = modelStep(state);
        if (modelMap(state, INT32_MAX) == probe) return made;
    }
    ADD_FAILURE() << "the source left the sequence of its seed";
    return -1;
}

void loadPicture(GeneratorBoard& board, RandomSource& source, const std::string& rows) {
    const int side = static_cast<int>(rows.find(' '));
    ASSERT_EQ(static_cast<int>(rows.size()), side * (side + 1) - 1) << rows;
    board.setUp(source, side);
    board.resetLayout();
    for (int r = 0; r < side; ++r) {
        for (int c = 0; c < side; ++c) {
            const std::size_t code = SYMBOLS.find(rows[r * (side + 1) + c]);
            ASSERT_NE(code, std::string::npos) << rows;
            board.layout[(r + 1) * board.size + c + 1] = static_cast<std::uint8_t>(code);
        }
    }
}

std::string picture(const GeneratorBoard& board) {
    const int w = board.size;
    std::string rows;
    for (int r = 1; r < w - 1; ++r) {
        if (r > 1) rows += ' ';
        for (int c = 1; c < w - 1; ++c) {
            const std::uint8_t code = board.layout[r * w + c];
            rows += code < SYMBOLS.size() ? SYMBOLS[code] : '?';
        }
    }
    return rows;
}

std::string layoutFaults(const GeneratorBoard& board, bool finished) {
    const int w = board.size;
    const std::vector<std::uint8_t>& plane = board.layout;
    std::ostringstream faults;
    const auto isIsland = [&](int p) {
        return finished ? plane[p] > ISLAND_BASE : plane[p] == GEN_ISLAND;
    };
    const auto fault = [&](int p) -> std::ostream& {
        return faults << "(" << p / w << "," << p % w << ") ";
    };

    std::vector<int> ends(plane.size(), 0);
    std::vector<int> parent(plane.size());
    for (std::size_t i = 0; i < parent.size(); ++i)
        parent[i] = static_cast<int>(i);
    const auto root = [&parent](int x) {
        while (parent[x] != x)
            x = parent[x] = parent[parent[x]];
        return x;
    };

    for (int p = 0; p < w * w; ++p) {
        const int r = p / w;
        const int c = p % w;
        if (r == 0 || r == w - 1 || c == 0 || c == w - 1) {
            const std::uint8_t wall = (r == 0 || r == w - 1) ? GEN_H_BRIDGE : GEN_V_BRIDGE;
            if (plane[p] != wall) fault(p) << "broken wall\n";
            continue;
        }
        const bool nearIsland =
            isIsland(p - 1) || isIsland(p + 1) || isIsland(p - w) || isIsland(p + w);
        if (isIsland(p)) {
            if (isIsland(p + 1) || isIsland(p + w)) fault(p) << "islands touch\n";
        } else if (plane[p] == GEN_EMPTY) {
            if (!finished && nearIsland) fault(p) << "empty cell next to an island\n";
        } else if (plane[p] == GEN_RESERVED) {
            if (finished || !nearIsland) fault(p) << "reserved cell left\n";
        } else if (plane[p] != GEN_H_BRIDGE && plane[p] != GEN_V_BRIDGE) {
            fault(p) << "code " << int(plane[p]) << "\n";
        }
        // A bridge: the maximal run of one orientation that starts here.
        for (const int s : {1, w}) {
            const std::uint8_t code = s == 1 ? GEN_H_BRIDGE : GEN_V_BRIDGE;
            if (plane[p] != code || plane[p - s] == code) continue;
            int q = p;
            while (plane[q] == code)
                q += s;
            if (q - p > 3 * s) fault(p) << "bridge longer than 3 cells\n";
            if (!isIsland(p - s) || !isIsland(q)) {
                fault(p) << "bridge not between two islands\n";
                continue;
            }
            ++ends[p - s];
            ++ends[q];
            parent[root(p - s)] = root(q);
        }
    }

    if (finished) {
        int first = -1;
        for (int p = 0; p < w * w; ++p) {
            if (!isIsland(p)) continue;
            if (plane[p] - ISLAND_BASE != ends[p]) fault(p) << ends[p] << " bridge ends\n";
            if (first < 0) first = root(p);
            if (root(p) != first) fault(p) << "not connected\n";
        }
        if (first < 0) faults << "no island\n";
    }
    return faults.str();
}

}  // namespace generator_testing
}  // namespace spanwright
