#include "exact/none_reason.h"

#include <algorithm>
#include <numeric>
#include <vector>

#include "exact/model.h"
#include "exact/reasoning.h"

namespace spanwright::exact {
namespace {

constexpr const char* NUMBER_WORDS[] = {"no",   "one", "two",   "three", "four",
                                        "five", "six", "seven", "eight"};

std::string countWord(int n) {
    return n >= 0 && n < int(std::size(NUMBER_WORDS)) ? NUMBER_WORDS[n] : std::to_string(n);
}

std::string islandName(const Island& island) {
    return (island.unknown ? std::string("the island") : "the " + std::to_string(island.need)) +
           " at (" + std::to_string(island.row + 1) + "," + std::to_string(island.column + 1) + ")";
}

}  // namespace

std::optional<std::string> reasonForNone(const Puzzle& puzzle) {
    const BridgeModel model(puzzle);
    const std::vector<Island>& islands = model.islands();
    const std::vector<Link>& links = model.links();
    if (islands.size() < 2) return std::nullopt;
    const bool numbered = std::none_of(islands.begin(), islands.end(),
                                       [](const Island& island) { return island.unknown; });
    const auto other = [&](int link, int x) {
        return links[std::size_t(link)].first == x ? links[std::size_t(link)].second
                                                   : links[std::size_t(link)].first;
    };

    // Each bridge has two ends, so the numbers add up to an even total.
    const int total =
        std::accumulate(islands.begin(), islands.end(), 0,
                        [](int sum, const Island& island) { return sum + island.need; });
    if (numbered && total % 2 != 0)
        return "the numbers add up to " + std::to_string(total) +
               ", an odd total, but every bridge has two ends";

    // An island whose neighbours cannot take as many bridges as it needs.
    for (std::size_t x = 0; x < islands.size() && numbered; ++x) {
        int reach = 0;
        for (const int link : islands[x].links)
            reach += std::min(2, islands[std::size_t(other(link, int(x)))].need);
        if (reach == 0) return islandName(islands[x]) + " faces no other island";
        if (reach < islands[x].need)
            return islandName(islands[x]) + " can reach only " + countWord(reach) + " bridge" +
                   (reach == 1 ? "" : "s");
    }

    // The groups the possible lines make, each coloured by turns along its lines.
    std::vector<int> group(islands.size(), -1), colour(islands.size(), 0);
    std::vector<int> size, stack;
    std::vector<char> twoColoured;
    std::vector<int> black, white;
    for (std::size_t start = 0; start < islands.size(); ++start) {
        if (group[start] >= 0) continue;
        const int g = int(size.size());
        size.push_back(0), twoColoured.push_back(1), black.push_back(0), white.push_back(0);
        group[start] = g;
        stack.assign(1, int(start));
        while (!stack.empty()) {
            const int x = stack.back();
            stack.pop_back();
            ++size[std::size_t(g)];
            (colour[std::size_t(x)] == 0 ? black : white)[std::size_t(g)] +=
                islands[std::size_t(x)].need;
            for (const int link : islands[std::size_t(x)].links) {
                const int y = other(link, x);
                if (group[std::size_t(y)] < 0) {
                    group[std::size_t(y)] = g;
                    colour[std::size_t(y)] = 1 - colour[std::size_t(x)];
                    stack.push_back(y);
                } else if (colour[std::size_t(y)] == colour[std::size_t(x)]) {
                    twoColoured[std::size_t(g)] = 0;
                }
            }
        }
    }
    if (size.size() > 1) {
        const int g = int(std::min_element(size.begin(), size.end()) - size.begin());
        const int x = int(std::find(group.begin(), group.end(), g) - group.begin());
        const int others = size[std::size_t(g)] - 1;
        return (others == 0 ? islandName(islands[std::size_t(x)]) + " faces no other island"
                            : "the group of " + islandName(islands[std::size_t(x)]) + " and " +
                                  countWord(others) + " other island" + (others == 1 ? "" : "s") +
                                  " is cut off: no line leaves it") +
               ", so the islands cannot all be joined";
    }
    if (numbered && twoColoured[0] && black[0] != white[0])
        return "colour the islands black and white so that every line joins one of each: the "
               "black ones need " +
               std::to_string(black[0]) + " bridge ends, the white ones " +
               std::to_string(white[0]) + ", but every bridge has one end on each";

    // What the exact reasoning found, told by the rule that ruled the board out.
    const Reasoning reasoning = reasonAboutLines(model);
    if (reasoning.possible) return std::nullopt;
    const ReasoningCounts& fired = reasoning.fired;
    if (fired.unmatched > 0)
        return "no way of giving every island its number exists, even with crossings and "
               "joining aside: some islands need more bridges than the islands around them "
               "can take";
    if (fired.oddParts > 0)
        return "once the lines that must stay empty or are settled are left out, a part of "
               "the board that no open line leaves needs an odd number of bridge ends";
    if (fired.disconnected > 0 && reasoning.counts.size() == links.size()) {
        // The smallest group that the lines which may still carry bridges join.
        std::vector<int> part(islands.size(), -1), members;
        int smallest = -1, smallestSize = 0;
        for (std::size_t start = 0; start < islands.size(); ++start) {
            if (part[start] >= 0) continue;
            part[start] = int(start);
            stack.assign(1, int(start));
            int count = 0;
            while (!stack.empty()) {
                const int x = stack.back();
                stack.pop_back();
                ++count;
                for (const int link : islands[std::size_t(x)].links) {
                    const int y = other(link, x);
                    if ((reasoning.counts[std::size_t(link)] & 0b110) != 0 &&
                        part[std::size_t(y)] < 0) {
                        part[std::size_t(y)] = int(start);
                        stack.push_back(y);
                    }
                }
            }
            if (smallest < 0 || count < smallestSize) smallest = int(start), smallestSize = count;
        }
        const int others = smallestSize - 1;
        return "the group of " + islandName(islands[std::size_t(smallest)]) +
               (others == 0
                    ? std::string()
                    : " and " + countWord(others) + " other island" + (others == 1 ? "" : "s")) +
               " is cut off: every line that could leave it must stay empty";
    }
    return "the numbers, crossings and joining together rule out every line of some island";
}

}  // namespace spanwright::exact
