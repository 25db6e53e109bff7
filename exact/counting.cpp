#include "exact/counting.h"

#include <algorithm>
#include <limits>
#include <numeric>
#include <vector>

#include "exact/model.h"

namespace spanwright::exact {
namespace {

/// Maximum flow by shortest augmenting paths in layers (Dinic), on a graph of a few
/// thousand nodes with small capacities.
class FlowNetwork {
  public:
    explicit FlowNetwork(int nodes) : first_(std::size_t(nodes), -1) {}

    /// Adds an arc and returns its number; its reverse is the number with the last bit
    /// flipped.
    int addEdge(int from, int to, int capacity) {
        edges_.push_back({to, capacity, first_[from]});
        first_[from] = int(edges_.size()) - 1;
        edges_.push_back({from, 0, first_[to]});
        first_[to] = int(edges_.size()) - 1;
        return int(edges_.size()) - 2;
    }

    int nodes() const { return int(first_.size()); }
    int arcs() const { return int(edges_.size()); }
    /// What arc `e` can still carry.
    int residual(int e) const { return edges_[e].capacity; }
    int head(int e) const { return edges_[e].to; }
    int firstOut(int node) const { return first_[node]; }
    int nextOut(int e) const { return edges_[e].nextOut; }

    long maximumFlow(int source, int sink) {
        long total = 0;
        while (buildLevels(source, sink)) {
            next_ = first_;
            while (const int pushed = augment(source, sink))
                total += pushed;
        }
        return total;
    }

  private:
    struct Edge {
        int to;
        int capacity;  ///< what is left
        int nextOut;   ///< the next edge out of the same node, or -1
    };

    bool buildLevels(int source, int sink) {
        level_.assign(first_.size(), -1);
        std::vector<int> queue{source};
        level_[source] = 0;
        for (std::size_t next = 0; next < queue.size(); ++next)
            for (int e = first_[queue[next]]; e >= 0; e = edges_[e].nextOut)
                if (edges_[e].capacity > 0 && level_[edges_[e].to] < 0) {
                    level_[edges_[e].to] = level_[queue[next]] + 1;
                    queue.push_back(edges_[e].to);
                }
        return level_[sink] >= 0;
    }

    /// One augmenting path along the levels, found without recursion so that a long
    /// path cannot exhaust the stack. Returns what it carried, 0 when none is left.
    int augment(int source, int sink) {
        std::vector<int> path;  // edges from the source
        int node = source;
        for (;;) {
            if (node == sink) {
                int amount = std::numeric_limits<int>::max();
                for (const int e : path)
                    amount = std::min(amount, edges_[e].capacity);
                for (const int e : path) {
                    edges_[e].capacity -= amount;
                    edges_[e ^ 1].capacity += amount;
                }
                return amount;
            }
            int& e = next_[node];
            while (e >= 0 && (edges_[e].capacity == 0 || level_[edges_[e].to] != level_[node] + 1))
                e = edges_[e].nextOut;
            if (e >= 0) {
                path.push_back(e);
                node = edges_[e].to;
                continue;
            }
            // A dead end: no later path goes through this node in this phase.
            level_[node] = -1;
            if (path.empty()) return 0;
            node = edges_[path.back() ^ 1].to;
            path.pop_back();
        }
    }

    std::vector<Edge> edges_;
    std::vector<int> first_;
    std::vector<int> next_;
    std::vector<int> level_;
};

}  // namespace

// A fractional assignment x(l) in [0, 2] with the right sums exists exactly when the
// bipartite copy (every island once as a sender, once as a receiver, each link an arc of
// capacity 2 both ways) carries a flow that fills every island: x(l) is then the mean of
// the flows along the link's two arcs. On a board whose links join two colours only, as
// in a lattice, this is the plain count: both colours must need as many bridges.
bool sumsCanBeMet(const BridgeModel& model) {
    const std::vector<Island>& islands = model.islands();
    const int n = int(islands.size());
    const long total = std::accumulate(islands.begin(), islands.end(), 0L,
                                       [](long sum, const Island& i) { return sum + i.need; });
    if (total % 2 != 0) return false;

    const int source = 2 * n;
    const int sink = 2 * n + 1;
    FlowNetwork network(2 * n + 2);
    for (int i = 0; i < n; ++i) {
        network.addEdge(source, i, islands[i].need);
        network.addEdge(n + i, sink, islands[i].need);
    }
    for (const Link& link : model.links()) {
        network.addEdge(link.first, n + link.second, MAX_BRIDGES_PER_LINE);
        network.addEdge(link.second, n + link.first, MAX_BRIDGES_PER_LINE);
    }
    return network.maximumFlow(source, sink) == total;
}

namespace {

constexpr int sizeOf(CountSet set) {
    int size = 0;
    for (int count = 0; count <= MAX_BRIDGES_PER_LINE; ++count)
        size += (set & countBit(count)) != 0;
    return size;
}

/// More assignments of the links within one colour than this and the counting is not
/// tried: each costs a flow over the whole board.
constexpr long MAX_ODD_ASSIGNMENTS = 81;

/// Searches for a path around a link, each over the whole residual graph, per counting:
/// a bound on the time a large board with many open links costs.
constexpr long MAX_REROUTES = 4000;

/// Open links whose islands share a colour.
int sameColourLinks(const BridgeModel& model, const std::vector<char>& open,
                    const std::vector<char>& colour) {
    int same = 0;
    for (std::size_t l = 0; l < open.size(); ++l)
        same += open[l] && colour[model.links()[l].first] == colour[model.links()[l].second];
    return same;
}

/// Recolours single islands while that leaves fewer open links within one colour.
void improveColouring(const BridgeModel& model, const std::vector<char>& open,
                      std::vector<char>& colour) {
    const std::vector<Island>& islands = model.islands();
    const std::vector<Link>& links = model.links();
    for (bool changed = true; changed;) {
        changed = false;
        for (int i = 0; i < int(islands.size()); ++i) {
            int same = 0;
            int other = 0;
            for (const int l : islands[i].links) {
                const int j = links[l].first == i ? links[l].second : links[l].first;
                if (open[l]) ++(colour[j] == colour[i] ? same : other);
            }
            if (same > other) {
                colour[i] = char(1 - colour[i]);
                changed = true;
            }
        }
    }
}

/// Colours the islands so that few open links join one colour: the best of a
/// breadth-first colouring per part and of the two checkerboards of the cells (islands
/// on every cell, or on every other one), each then improved island by island. On a
/// lattice with a hole the search may first reach an island by the line across the hole
/// and so colour a whole region wrongly, where the checkerboard is right.
std::vector<char> colourIslands(const BridgeModel& model, const std::vector<char>& open) {
    const std::vector<Island>& islands = model.islands();
    const std::vector<Link>& links = model.links();
    std::vector<char> best(islands.size(), -1);
    std::vector<int> queue;
    for (int root = 0; root < int(islands.size()); ++root) {
        if (best[root] >= 0) continue;
        best[root] = 0;
        queue.assign(1, root);
        for (std::size_t head = 0; head < queue.size(); ++head)
            for (const int l : islands[queue[head]].links) {
                const int other = links[l].first == queue[head] ? links[l].second : links[l].first;
                if (!open[l] || best[other] >= 0) continue;
                best[other] = char(1 - best[queue[head]]);
                queue.push_back(other);
            }
    }
    improveColouring(model, open, best);
    int fewest = sameColourLinks(model, open, best);
    for (const int step : {1, 2}) {
        std::vector<char> colour(islands.size());
        for (std::size_t i = 0; i < islands.size(); ++i)
            colour[i] = char((islands[i].row / step + islands[i].column / step) % 2);
        improveColouring(model, open, colour);
        const int same = sameColourLinks(model, open, colour);
        if (same < fewest) {
            fewest = same;
            best = std::move(colour);
        }
    }
    return best;
}

/// Whether `units` more can flow from `from` to `to` along the residual arcs of
/// `network`, arc `skip` and its reverse aside. `taken` is scratch space of one entry per
/// arc, all 0, and is left so.
bool canReroute(const FlowNetwork& network, int from, int to, int units, int skip,
                std::vector<int>& taken) {
    std::vector<int> via(std::size_t(network.nodes()));
    std::vector<int> queue;
    std::vector<int> touched;
    bool reached = true;
    for (int found = 0; found < units && reached; ++found) {
        std::fill(via.begin(), via.end(), -2);
        via[from] = -1;
        queue.assign(1, from);
        for (std::size_t head = 0; head < queue.size() && via[to] == -2; ++head)
            for (int e = network.firstOut(queue[head]); e >= 0; e = network.nextOut(e)) {
                if ((e | 1) == (skip | 1) || via[network.head(e)] != -2) continue;
                if (network.residual(e) - taken[e] + taken[e ^ 1] <= 0) continue;
                via[network.head(e)] = e;
                queue.push_back(network.head(e));
            }
        reached = via[to] != -2;
        if (reached)
            for (int node = to; node != from; node = network.head(via[node] ^ 1)) {
                ++taken[via[node]];
                touched.push_back(via[node]);
            }
    }
    for (const int e : touched)
        taken[e] = 0;
    return reached;
}

/// Strongly connected parts of the residual graph (Tarjan's, without recursion).
std::vector<int> residualParts(const FlowNetwork& network) {
    const int n = network.nodes();
    std::vector<int> order(std::size_t(n), -1);
    std::vector<int> low(std::size_t(n), 0);
    std::vector<int> part(std::size_t(n), -1);
    std::vector<char> onStack(std::size_t(n), 0);
    std::vector<int> stack;
    std::vector<std::pair<int, int>> calls;  // (node, next arc to look at)
    int visited = 0;
    int parts = 0;
    for (int root = 0; root < n; ++root) {
        if (order[root] >= 0) continue;
        calls.emplace_back(root, network.firstOut(root));
        order[root] = low[root] = visited++;
        stack.push_back(root);
        onStack[root] = 1;
        while (!calls.empty()) {
            auto& [node, e] = calls.back();
            if (e >= 0) {
                const int arc = e;
                e = network.nextOut(e);
                if (network.residual(arc) <= 0) continue;
                const int next = network.head(arc);
                if (order[next] < 0) {
                    order[next] = low[next] = visited++;
                    stack.push_back(next);
                    onStack[next] = 1;
                    calls.emplace_back(next, network.firstOut(next));
                } else if (onStack[next]) {
                    low[node] = std::min(low[node], order[next]);
                }
                continue;
            }
            const int done = node;
            calls.pop_back();
            if (!calls.empty())
                low[calls.back().first] = std::min(low[calls.back().first], low[done]);
            if (low[done] != order[done]) continue;
            for (int member = -1; member != done;) {
                member = stack.back();
                stack.pop_back();
                onStack[member] = 0;
                part[member] = parts;
            }
            ++parts;
        }
    }
    return part;
}

class Counter {
  public:
    Counter(const BridgeModel& model, const std::vector<CountSet>& counts)
        : model_(model),
          counts_(counts),
          open_(counts.size()),
          crossers_(counts.size()),
          seen_(counts.size(), 0) {
        for (std::size_t l = 0; l < counts.size(); ++l)
            open_[l] = char((counts[l] & ~countBit(0)) != 0);
        for (const auto& [a, b] : model.crossings()) {
            crossers_[std::size_t(a)].push_back(b);
            crossers_[std::size_t(b)].push_back(a);
        }
        colour_ = colourIslands(model, open_);
        for (int l = 0; l < int(counts.size()); ++l)
            if (open_[l] && colour_[model.links()[l].first] == colour_[model.links()[l].second])
                odd_.push_back(l);
    }

    long assignments() const {
        long total = 1;
        for (const int l : odd_) {
            total *= sizeOf(counts_[l]);
            if (total > MAX_ODD_ASSIGNMENTS) break;
        }
        return total;
    }

    /// Tries every assignment of the links within one colour; false when none leaves
    /// a feasible flow.
    bool run() {
        std::vector<int> value(odd_.size());
        for (std::size_t k = 0; k < odd_.size(); ++k)
            value[k] = lowestCount(counts_[odd_[k]]);
        bool any = false;
        for (;;) {
            if (crossingsRespected(value) && tryAssignment(value)) {
                any = true;
                for (std::size_t k = 0; k < odd_.size(); ++k)
                    seen_[odd_[k]] |= countBit(value[k]);
            }
            // The next assignment, the first link counting fastest.
            std::size_t k = 0;
            for (; k < odd_.size(); ++k) {
                int next = value[k] + 1;
                while (next <= MAX_BRIDGES_PER_LINE && !(counts_[odd_[k]] & countBit(next)))
                    ++next;
                if (next <= MAX_BRIDGES_PER_LINE) {
                    value[k] = next;
                    break;
                }
                value[k] = lowestCount(counts_[odd_[k]]);
            }
            if (k == odd_.size()) break;
        }
        return any;
    }

    /// The counts some assignment uses, per open link.
    const std::vector<CountSet>& seen() const { return seen_; }
    const std::vector<char>& open() const { return open_; }

  private:
    bool crossingsRespected(const std::vector<int>& value) const {
        for (std::size_t k = 0; k < odd_.size(); ++k)
            for (std::size_t j = k + 1; j < odd_.size(); ++j)
                if (value[k] > 0 && value[j] > 0 &&
                    std::count(crossers_[odd_[k]].begin(), crossers_[odd_[k]].end(), odd_[j]))
                    return false;
        return true;
    }

    /// The flow from black to white islands of what the links between them carry beyond
    /// their least counts; when it meets every island, the counts each such link can take
    /// in some assignment go into seen_.
    bool tryAssignment(const std::vector<int>& value) {
        const std::vector<Island>& islands = model_.islands();
        const std::vector<Link>& links = model_.links();
        const int n = int(islands.size());
        std::vector<long> rest(islands.size());
        for (int i = 0; i < n; ++i)
            rest[i] = islands[i].need;
        std::vector<char> closed(links.size(), 0);  // crossed by an odd link with bridges
        for (std::size_t k = 0; k < odd_.size(); ++k) {
            rest[links[odd_[k]].first] -= value[k];
            rest[links[odd_[k]].second] -= value[k];
            if (value[k] > 0)
                for (const int other : crossers_[odd_[k]])
                    closed[other] = 1;
        }
        std::vector<int> low(links.size(), 0);
        std::vector<int> high(links.size(), 0);
        for (int l = 0; l < int(links.size()); ++l) {
            if (!open_[l] || isOdd(l)) continue;
            low[l] = lowestCount(counts_[l]);
            high[l] = closed[l] ? 0 : highestCount(counts_[l]);
            if (low[l] > high[l]) return false;
            rest[links[l].first] -= low[l];
            rest[links[l].second] -= low[l];
        }
        const int source = n;
        const int sink = n + 1;
        FlowNetwork network(n + 2);
        long supply = 0;
        long demand = 0;
        for (int i = 0; i < n; ++i) {
            if (rest[i] < 0) return false;
            if (colour_[i] == 0) {
                network.addEdge(source, i, int(rest[i]));
                supply += rest[i];
            } else {
                network.addEdge(i, sink, int(rest[i]));
                demand += rest[i];
            }
        }
        if (supply != demand) return false;
        std::vector<int> arc(links.size(), -1);
        for (int l = 0; l < int(links.size()); ++l) {
            if (!open_[l] || isOdd(l) || high[l] == low[l]) continue;
            const bool firstBlack = colour_[links[l].first] == 0;
            arc[l] =
                network.addEdge(firstBlack ? links[l].first : links[l].second,
                                firstBlack ? links[l].second : links[l].first, high[l] - low[l]);
        }
        if (network.maximumFlow(source, sink) != supply) return false;

        // A link's flow can rise by one exactly when a residual path runs back from its
        // white end to its black end without the link itself: when both ends share a
        // strongly connected part and the link's reverse arc carries nothing, that is so;
        // otherwise such a path is looked for. Two more need two such paths at once.
        const std::vector<int> part = residualParts(network);
        taken_.assign(std::size_t(network.arcs()), 0);
        for (int l = 0; l < int(links.size()); ++l) {
            if (!open_[l] || isOdd(l)) continue;
            const int e = arc[l];
            const int x = low[l] + (e >= 0 ? network.residual(e ^ 1) : 0);
            seen_[l] |= countBit(x);
            const CountSet wanted = CountSet(counts_[l] & bitsBetween(low[l], high[l]));
            if (e < 0 || (seen_[l] & wanted) == wanted) continue;
            const int black = network.head(e ^ 1);
            const int white = network.head(e);
            if (part[black] != part[white]) continue;
            for (const int direction : {1, -1}) {
                const bool alone = network.residual(direction > 0 ? e ^ 1 : e) == 0;
                const int from = direction > 0 ? white : black;
                const int to = direction > 0 ? black : white;
                for (int units = 1; units <= MAX_BRIDGES_PER_LINE; ++units) {
                    const int target = x + direction * units;
                    if (target < low[l] || target > high[l]) break;
                    if (seen_[l] & countBit(target)) continue;
                    // Past the budget a count is kept unproven: keeping is always sound.
                    if (!(units == 1 && alone) && reroutes_ < MAX_REROUTES) {
                        ++reroutes_;
                        if (!canReroute(network, from, to, units, e, taken_))
                            break;  // nor further, then: the feasible counts are an interval
                    }
                    seen_[l] |= countBit(target);
                }
            }
        }
        return true;
    }

    static CountSet bitsBetween(int low, int high) {
        CountSet set = 0;
        for (int v = low; v <= high; ++v)
            set |= countBit(v);
        return set;
    }

    bool isOdd(int l) const {
        return colour_[model_.links()[l].first] == colour_[model_.links()[l].second];
    }

    const BridgeModel& model_;
    const std::vector<CountSet>& counts_;
    std::vector<char> open_;
    std::vector<std::vector<int>> crossers_;
    std::vector<char> colour_;
    std::vector<int> odd_;  ///< open links within one colour
    std::vector<CountSet> seen_;
    std::vector<int> taken_;  ///< scratch for canReroute
    long reroutes_ = 0;       ///< searches for a path made so far
};

}  // namespace

CountingOutcome narrowByCounting(const BridgeModel& model, std::vector<CountSet>& counts) {
    CountingOutcome outcome;
    Counter counter(model, counts);
    if (counter.assignments() > MAX_ODD_ASSIGNMENTS) return outcome;
    outcome.tried = true;
    if (!counter.run()) {
        outcome.possible = false;
        return outcome;
    }
    for (std::size_t l = 0; l < counts.size(); ++l) {
        if (!counter.open()[l]) continue;
        const CountSet narrowed = CountSet(counts[l] & counter.seen()[l]);
        if (narrowed != counts[l]) {
            counts[l] = narrowed;
            ++outcome.narrowed;
        }
    }
    return outcome;
}

}  // namespace spanwright::exact
