#include "exact/counting.h"

#include <algorithm>
#include <limits>
#include <numeric>
#include <vector>

namespace spanwright::exact {
namespace {

/// Maximum flow by shortest augmenting paths in layers (Dinic), on a graph of a few
/// thousand nodes with small capacities.
class FlowNetwork {
  public:
    explicit FlowNetwork(int nodes) : first_(std::size_t(nodes), -1) {}

    void addEdge(int from, int to, int capacity) {
        edges_.push_back({to, capacity, first_[from]});
        first_[from] = int(edges_.size()) - 1;
        edges_.push_back({from, 0, first_[to]});
        first_[to] = int(edges_.size()) - 1;
    }

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
        for (std::size_t head = 0; head < queue.size(); ++head)
            for (int e = first_[queue[head]]; e >= 0; e = edges_[e].nextOut)
                if (edges_[e].capacity > 0 && level_[edges_[e].to] < 0) {
                    level_[edges_[e].to] = level_[queue[head]] + 1;
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
        network.addEdge(link.first, n + link.second, 2);
        network.addEdge(link.second, n + link.first, 2);
    }
    return network.maximumFlow(source, sink) == total;
}

}  // namespace spanwright::exact
