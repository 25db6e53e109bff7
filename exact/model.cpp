#include "exact/model.h"

#include <algorithm>
#include <iterator>

namespace spanwright::exact {
namespace {

// The sum of at most four links, each carrying 0, 1 or 2 bridges, encoded without
// auxiliary variables: every way to exceed the number, and every way to fall short of it,
// that is minimal is forbidden by one clause. With count(l) read from the variables as
// "count(l) >= 1" = ONE(l) and "count(l) >= 2" = TWO(l):
//   too many: for each bound vector a with sum(a) = need + 1, some count(l) < a(l);
//   too few:  for each bound vector b with sum(b) = need - 1, some count(l) > b(l),
//             or, when even two bridges on every link fall short, the empty clause.
// Unit propagation on these clauses finds every count the sum forces.
void addSum(const Island& island, std::vector<int>& out) {
    constexpr int COUNTS = MAX_BRIDGES_PER_LINE + 1;  // 0 to the most a link carries
    const int k = int(island.links.size());
    int vectors = 1;
    for (int i = 0; i < k; ++i)
        vectors *= COUNTS;
    int bound[4] = {0, 0, 0, 0};
    for (int v = 0; v < vectors; ++v) {
        int sum = 0;
        for (int i = 0, rest = v; i < k; ++i, rest /= COUNTS) {
            bound[i] = rest % COUNTS;
            sum += bound[i];
        }
        if (sum == island.need + 1) {
            for (int i = 0; i < k; ++i)
                if (bound[i] > 0)
                    out.push_back(-(bound[i] == 1 ? BridgeModel::one(island.links[i])
                                                  : BridgeModel::two(island.links[i])));
            out.push_back(0);
        }
        const bool allDouble = sum == MAX_BRIDGES_PER_LINE * k;
        if (sum == island.need - 1 || (allDouble && sum < island.need - 1)) {
            for (int i = 0; i < k; ++i)
                if (bound[i] < MAX_BRIDGES_PER_LINE)
                    out.push_back(bound[i] == 0 ? BridgeModel::one(island.links[i])
                                                : BridgeModel::two(island.links[i]));
            out.push_back(0);
        }
    }
}

}  // namespace

BridgeModel::BridgeModel(const Puzzle& puzzle) {
    const int width = puzzle.width;
    const int height = puzzle.height;
    std::vector<int> islandAt(std::size_t(puzzle.cellCount()), -1);
    for (int r = 0; r < height; ++r) {
        for (int c = 0; c < width; ++c) {
            const int code = puzzle.cells[r * width + c];
            if (code == 0) continue;
            islandAt[r * width + c] = int(islands_.size());
            const bool unknown = code == UNKNOWN_ISLAND;
            islands_.push_back(
                {r, c, code > ISLAND_BASE && !unknown ? code - ISLAND_BASE : 0, {}, unknown});
        }
    }

    // Each island looks right and down to the first island on its row and column, so that
    // every link is found once. The link through a water cell is remembered per direction:
    // a cell that lies on a horizontal and a vertical link is where the two cross.
    std::vector<int> horizontalAt(islandAt.size(), -1);
    std::vector<int> verticalAt(islandAt.size(), -1);
    auto addLink = [&](int a, int b, bool horizontal) {
        const int l = int(links_.size());
        links_.push_back({a, b, horizontal});
        islands_[a].links.push_back(l);
        islands_[b].links.push_back(l);
        return l;
    };
    for (int i = 0; i < int(islands_.size()); ++i) {
        const int r = islands_[i].row;
        const int c = islands_[i].column;
        int right = c + 1;
        while (right < width && islandAt[r * width + right] < 0)
            ++right;
        if (right < width && right > c + 1) {
            const int l = addLink(i, islandAt[r * width + right], true);
            for (int x = c + 1; x < right; ++x)
                horizontalAt[r * width + x] = l;
        }
        int below = r + 1;
        while (below < height && islandAt[below * width + c] < 0)
            ++below;
        if (below < height && below > r + 1) {
            const int l = addLink(i, islandAt[below * width + c], false);
            for (int y = r + 1; y < below; ++y)
                verticalAt[y * width + c] = l;
        }
    }
    for (std::size_t cell = 0; cell < islandAt.size(); ++cell)
        if (horizontalAt[cell] >= 0 && verticalAt[cell] >= 0)
            crossings_.emplace_back(horizontalAt[cell], verticalAt[cell]);
}

std::vector<int> BridgeModel::clauses() const {
    std::vector<int> out;
    for (int l = 0; l < int(links_.size()); ++l)
        out.insert(out.end(), {-two(l), one(l), 0});
    for (const auto& [a, b] : crossings_)
        out.insert(out.end(), {-one(a), -one(b), 0});
    for (const Island& island : islands_) {
        if (!island.unknown) {
            addSum(island, out);
            continue;
        }
        // Any number from 1 to 8: at least one bridge; four links carry 8 at most anyway.
        std::transform(island.links.begin(), island.links.end(), std::back_inserter(out), one);
        out.push_back(0);
    }
    // Two islands that give each other all their bridges form a group of their own.
    if (islands_.size() > 2) {
        for (int l = 0; l < int(links_.size()); ++l) {
            // An unknown island has need 0 and so never matches here.
            const int needA = islands_[links_[l].first].need;
            const int needB = islands_[links_[l].second].need;
            if (needA == 1 && needB == 1) out.insert(out.end(), {-one(l), 0});
            if (needA == MAX_BRIDGES_PER_LINE && needB == MAX_BRIDGES_PER_LINE)
                out.insert(out.end(), {-two(l), 0});
        }
    }
    return out;
}

}  // namespace spanwright::exact
