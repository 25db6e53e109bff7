#include "exact/reasoning.h"

#include <algorithm>
#include <numeric>

#include "exact/counting.h"

namespace spanwright::exact {
namespace {

constexpr CountSet SOME_BRIDGE = CountSet(ANY_COUNT & ~countBit(0));
constexpr CountSet EVEN_COUNT = [] {
    CountSet set = 0;
    for (int count = 0; count <= MAX_BRIDGES_PER_LINE; count += 2)
        set |= countBit(count);
    return set;
}();
constexpr CountSet ODD_COUNT = CountSet(ANY_COUNT & ~EVEN_COUNT);
constexpr bool settled(CountSet set) {
    return set != 0 && (set & (set - 1)) == 0;
}

/// The counts from `low` to `high`, within 0 to MAX_BRIDGES_PER_LINE.
CountSet countsBetween(int low, int high) {
    CountSet set = 0;
    for (int v = std::max(low, 0); v <= std::min(high, MAX_BRIDGES_PER_LINE); ++v)
        set |= countBit(v);
    return set;
}

/// Depth-first search over the links that `open` selects, from every island not yet
/// reached, without recursion: a lattice of thousands of islands would otherwise need as
/// deep a stack. `onCut(link, below)` hears of every link whose removal splits its part,
/// with the sum of `weight` over the side away from the root; `onPart(total)` of every
/// part with its whole sum.
class CutFinder {
  public:
    explicit CutFinder(const BridgeModel& model) : model_(model) {}

    template <class OnCut, class OnPart>
    void run(const std::vector<char>& open, const std::vector<long>& weight, OnCut onCut,
             OnPart onPart) {
        const std::vector<Island>& islands = model_.islands();
        const std::vector<Link>& links = model_.links();
        const int n = int(islands.size());
        order_.assign(std::size_t(n), -1);
        low_.assign(std::size_t(n), 0);
        below_.assign(std::size_t(n), 0);
        int visited = 0;
        for (int root = 0; root < n; ++root) {
            if (order_[root] >= 0) continue;
            enter(root, -1, weight, visited);
            while (!stack_.empty()) {
                Frame& top = stack_.back();
                const std::vector<int>& around = islands[top.island].links;
                if (top.next < int(around.size())) {
                    const int l = around[std::size_t(top.next++)];
                    if (!open[l] || l == top.via) continue;
                    const int other =
                        links[l].first == top.island ? links[l].second : links[l].first;
                    if (order_[other] < 0) {
                        enter(other, l, weight, visited);  // `top` is not used after this
                    } else {
                        low_[top.island] = std::min(low_[top.island], order_[other]);
                    }
                    continue;
                }
                const Frame done = top;
                stack_.pop_back();
                if (stack_.empty()) break;
                const int parent = stack_.back().island;
                low_[parent] = std::min(low_[parent], low_[done.island]);
                below_[parent] += below_[done.island];
                if (low_[done.island] > order_[parent]) onCut(done.via, below_[done.island]);
            }
            onPart(below_[root]);
        }
    }

  private:
    struct Frame {
        int island;
        int via;   ///< the link it was reached by, -1 for a root
        int next;  ///< the next of its links to look at
    };

    void enter(int island, int via, const std::vector<long>& weight, int& visited) {
        order_[island] = low_[island] = visited++;
        below_[island] = weight[island];
        stack_.push_back({island, via, 0});
    }

    const BridgeModel& model_;
    std::vector<int> order_;  ///< when each island was reached, -1 before
    std::vector<int> low_;    ///< the earliest island reached from its subtree by one link
    std::vector<long> below_;
    std::vector<Frame> stack_;
};

class LineReasoner {
  public:
    LineReasoner(const BridgeModel& model, bool counting)
        : model_(model),
          counting_(counting),
          crossers_(model.links().size()),
          queued_(model.islands().size(), 0),
          cuts_(model) {
        result_.counts.assign(model.links().size(), ANY_COUNT);
        for (const auto& [a, b] : model.crossings()) {
            crossers_[std::size_t(a)].push_back(b);
            crossers_[std::size_t(b)].push_back(a);
        }
    }

    Reasoning run() {
        const std::vector<Island>& islands = model_.islands();
        const std::vector<Link>& links = model_.links();
        if (islands.size() > 2) {
            for (int l = 0; l < int(links.size()); ++l) {
                const int need = islands[links[l].first].need;
                if (need == islands[links[l].second].need && need >= 1 && need <= 2)
                    narrow(l, CountSet(ANY_COUNT & ~countBit(need)), result_.fired.pairs);
            }
        }
        for (int i = 0; i < int(islands.size()); ++i)
            enqueue(i);
        while (result_.possible && !queue_.empty()) {
            propagateSums();
            if (result_.possible) reasonOverGraph();
            if (result_.possible && counting_) spreadBridges();
            // The counting costs a flow over the board: only once the cheap rules are done.
            if (result_.possible && counting_ && queue_.empty()) countEnds();
        }
        return std::move(result_);
    }

  private:
    void enqueue(int island) {
        if (queued_[island]) return;
        queued_[island] = 1;
        queue_.push_back(island);
    }

    /// Keeps only the counts of link `l` in `allowed`, charging `rule` when that removes any.
    void narrow(int l, CountSet allowed, std::int64_t& rule) {
        CountSet& set = result_.counts[l];
        const CountSet narrowed = set & allowed;
        if (narrowed == set) return;
        set = narrowed;
        ++rule;
        if (narrowed == 0) {
            result_.possible = false;
            return;
        }
        enqueue(model_.links()[l].first);
        enqueue(model_.links()[l].second);
        if (!(narrowed & countBit(0)))
            for (const int other : crossers_[l])
                narrow(other, countBit(0), result_.fired.crossings);
    }

    /// Every island's links must add up to its number: each link keeps the counts that the
    /// others' least and greatest sums leave room for.
    void propagateSums() {
        const std::vector<Island>& islands = model_.islands();
        while (result_.possible && !queue_.empty()) {
            const int i = queue_.back();
            queue_.pop_back();
            queued_[i] = 0;
            const Island& island = islands[i];
            int least = 0;
            int most = 0;
            for (const int l : island.links) {
                least += lowestCount(result_.counts[l]);
                most += highestCount(result_.counts[l]);
            }
            if (least > island.need || most < island.need) {
                result_.possible = false;
                return;
            }
            for (const int l : island.links) {
                const CountSet set = result_.counts[l];
                narrow(l,
                       countsBetween(island.need - (most - highestCount(set)),
                                     island.need - (least - lowestCount(set))),
                       result_.fired.sums);
            }
        }
    }

    void reasonOverGraph() {
        const std::vector<Island>& islands = model_.islands();
        const std::vector<Link>& links = model_.links();
        std::vector<CountSet>& counts = result_.counts;
        const std::vector<long> noWeight(islands.size(), 0);

        // Every island must be reached by the links that may carry bridges, and a link
        // that alone holds two halves together must carry one.
        open_.assign(links.size(), 0);
        for (std::size_t l = 0; l < links.size(); ++l)
            open_[l] = char((counts[l] & SOME_BRIDGE) != 0);
        int parts = 0;
        cuts_.run(
            open_, noWeight, [&](int l, long) { narrow(l, SOME_BRIDGE, result_.fired.cutLines); },
            [&](long) { ++parts; });
        if (parts > 1) {
            ++result_.fired.disconnected;
            result_.possible = false;
        }
        if (!result_.possible) return;

        // Over the links not yet settled, each island still wants its number less the
        // bridges of its settled links. A part of these links gets twice their bridges.
        std::vector<long> wanted(islands.size());
        for (std::size_t i = 0; i < islands.size(); ++i) {
            const std::vector<int>& around = islands[i].links;
            wanted[i] = std::accumulate(
                around.begin(), around.end(), long(islands[i].need), [&](long want, int l) {
                    return settled(counts[l]) ? want - lowestCount(counts[l]) : want;
                });
        }
        for (std::size_t l = 0; l < links.size(); ++l)
            open_[l] = char(!settled(counts[l]));
        bool odd = false;
        cuts_.run(
            open_, wanted,
            [&](int l, long below) {
                narrow(l, below % 2 != 0 ? ODD_COUNT : EVEN_COUNT, result_.fired.parity);
            },
            [&](long total) { odd = odd || total % 2 != 0; });
        if (odd) {
            ++result_.fired.oddParts;
            result_.possible = false;
        }
    }

    /// A connected board of n islands uses at least n - 1 links, so of its bridges (half
    /// the numbers' total) at most total / 2 - (n - 1) can be second bridges on a link.
    void spreadBridges() {
        const std::vector<Island>& islands = model_.islands();
        const long total = std::accumulate(islands.begin(), islands.end(), 0L,
                                           [](long sum, const Island& i) { return sum + i.need; });
        const long spare = total / 2 - long(islands.size() - 1);
        const long doubles = std::count_if(result_.counts.begin(), result_.counts.end(),
                                           [](CountSet set) { return lowestCount(set) == 2; });
        if (doubles > spare) {
            ++result_.fired.spread;
            result_.possible = false;
        } else if (doubles == spare) {
            for (int l = 0; l < int(result_.counts.size()) && result_.possible; ++l)
                if (lowestCount(result_.counts[l]) != 2)
                    narrow(l, CountSet(ANY_COUNT & ~countBit(2)), result_.fired.spread);
        }
    }

    void countEnds() {
        std::vector<CountSet> counted = result_.counts;
        const CountingOutcome outcome = narrowByCounting(model_, counted);
        if (!outcome.possible) {
            ++result_.fired.unmatched;
            result_.possible = false;
            return;
        }
        for (int l = 0; l < int(counted.size()) && result_.possible; ++l)
            narrow(l, counted[l], result_.fired.counting);
    }

    const BridgeModel& model_;
    const bool counting_;
    std::vector<std::vector<int>> crossers_;  ///< per link, the links it crosses
    std::vector<char> queued_;
    std::vector<int> queue_;  ///< islands whose sums are to be looked at again
    std::vector<char> open_;
    CutFinder cuts_;
    Reasoning result_;
};

}  // namespace

Reasoning reasonAboutLines(const BridgeModel& model, bool counting) {
    return LineReasoner(model, counting).run();
}

}  // namespace spanwright::exact
