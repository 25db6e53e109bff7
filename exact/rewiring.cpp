#include "exact/rewiring.h"

#include <algorithm>
#include <numeric>

namespace spanwright::exact {

Rewirer::Rewirer(const BridgeModel& model, const std::vector<CountSet>& counts)
    : model_(model), counts_(counts), crossers_(model.links().size()) {
    for (const auto& [a, b] : model.crossings()) {
        crossers_[std::size_t(a)].push_back(b);
        crossers_[std::size_t(b)].push_back(a);
    }
    const std::vector<Island>& islands = model.islands();
    const std::vector<Link>& links = model.links();
    auto across = [&](int l, int from) {
        return links[l].first == from ? links[l].second : links[l].first;
    };
    // Each cycle a-b-d-c once: from its least island a, with b < c.
    for (int a = 0; a < int(islands.size()); ++a)
        for (const int ab : islands[a].links)
            for (const int ac : islands[a].links) {
                const int b = across(ab, a);
                const int c = across(ac, a);
                if (b >= c || b < a || c < a) continue;
                for (const int bd : islands[b].links) {
                    const int d = across(bd, b);
                    if (d <= a || d == c) continue;
                    for (const int dc : islands[d].links)
                        if (across(dc, d) == c && dc != bd) squares_.push_back({ab, bd, dc, ac});
                }
            }
}

bool Rewirer::apply(std::vector<int>& bridges, Move move) const {
    const std::vector<int>& square = squares_[std::size_t(move.square)];
    // Take bridges away first, so that a link they free may be crossed by one gaining.
    for (int k = 0; k < 4; ++k) {
        const int change = (k % 2 == 0 ? move.sign : -move.sign);
        const int next = bridges[square[k]] + change;
        if (next < 0 || next > MAX_BRIDGES_PER_LINE || !(counts_[square[k]] & countBit(next)))
            return false;
    }
    for (int k = 0; k < 4; ++k) {
        const int l = square[k];
        if ((k % 2 == 0 ? move.sign : -move.sign) > 0 && bridges[l] == 0)
            for (const int other : crossers_[l]) {
                const bool freed = std::count(square.begin(), square.end(), other) > 0;
                if (bridges[other] > 0 && !freed) return false;
            }
    }
    for (int k = 0; k < 4; ++k)
        bridges[square[k]] += (k % 2 == 0 ? move.sign : -move.sign);
    return true;
}

void Rewirer::undo(std::vector<int>& bridges, Move move) const {
    const std::vector<int>& square = squares_[std::size_t(move.square)];
    for (int k = 0; k < 4; ++k)
        bridges[square[k]] -= (k % 2 == 0 ? move.sign : -move.sign);
}

int Rewirer::parts(const std::vector<int>& bridges, std::vector<int>* label) const {
    const std::vector<Link>& links = model_.links();
    std::vector<int> root(model_.islands().size());
    std::iota(root.begin(), root.end(), 0);
    auto find = [&](int i) {
        while (root[i] != i)
            i = root[i] = root[root[i]];
        return i;
    };
    int count = int(root.size());
    for (int l = 0; l < int(links.size()); ++l) {
        if (bridges[l] == 0) continue;
        const int a = find(links[l].first);
        const int b = find(links[l].second);
        if (a != b) {
            root[a] = b;
            --count;
        }
    }
    if (label) {
        label->resize(root.size());
        for (int i = 0; i < int(root.size()); ++i)
            (*label)[i] = find(i);
    }
    return count;
}

bool Rewirer::join(std::vector<int>& bridges, int budget) {
    std::vector<int> label;
    int count = parts(bridges, &label);
    if (count == 1) return true;
    const std::vector<int> given = bridges;
    const std::vector<Link>& links = model_.links();
    std::vector<Move> level;
    Move last{-1, 0};
    for (int step = 0; step < budget; ++step) {
        // Only a move that bridges two parts can join them.
        std::vector<Move> candidates;
        for (int s = 0; s < int(squares_.size()); ++s)
            for (const int sign : {1, -1}) {
                const std::vector<int>& square = squares_[std::size_t(s)];
                const int gainA = sign > 0 ? square[0] : square[1];
                const int gainB = sign > 0 ? square[2] : square[3];
                if (label[links[gainA].first] != label[links[gainA].second] ||
                    label[links[gainB].first] != label[links[gainB].second])
                    candidates.push_back({s, sign});
            }
        std::shuffle(candidates.begin(), candidates.end(), random_);
        level.clear();
        bool improved = false;
        for (const Move move : candidates) {
            if ((move.square == last.square && move.sign == -last.sign) || !apply(bridges, move))
                continue;
            const int after = parts(bridges);
            if (after < count) {
                improved = true;
                last = move;
                break;
            }
            if (after == count) level.push_back(move);
            undo(bridges, move);
        }
        if (!improved) {
            if (level.empty()) break;
            last = level[std::uniform_int_distribution<std::size_t>(0, level.size() - 1)(random_)];
            apply(bridges, last);
        }
        count = parts(bridges, &label);
        if (count == 1) return true;
    }
    bridges = given;
    return false;
}

bool Rewirer::neighbour(const std::vector<int>& bridges, std::vector<int>& other) const {
    other = bridges;
    for (int s = 0; s < int(squares_.size()); ++s)
        for (const int sign : {1, -1}) {
            const Move move{s, sign};
            if (!apply(other, move)) continue;
            if (parts(other) == 1) return true;
            undo(other, move);
        }
    return false;
}

bool Rewirer::solves(const std::vector<int>& bridges) const {
    const std::vector<Island>& islands = model_.islands();
    for (const Island& island : islands) {
        int sum = 0;
        for (const int l : island.links)
            // cppcheck-suppress useStlAlgorithm
            sum += bridges[l];
        if (sum != island.need) return false;
    }
    for (const auto& [a, b] : model_.crossings())
        if (bridges[a] > 0 && bridges[b] > 0) return false;
    return parts(bridges) == 1;
}

}  // namespace spanwright::exact
