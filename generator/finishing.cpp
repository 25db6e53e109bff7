#include "generator/layout.h"

namespace spanwright {

int GeneratorBoard::walkBridge(int x, int d) const {
    const int s = steps[d];
    const std::uint8_t code = BRIDGE_CODE_BY_DIRECTION[d];
    int y = x + s;
    if (layout[y] != code) return -1;
    while (layout[y] == code)
        y += s;
    return y;  // a bridge always ends at an island
}

int GeneratorBoard::findLoop(int a, LoopPath& path) const {
    // Depth first over the four sides, right, down, left, up, each side one to three
    // bridges long; shorter sides are tried first, the top side's length varying slowest.
    path[0] = a;
    int topEnd = a;
    for (int top = 1; top <= 3; ++top) {
        topEnd = walkBridge(topEnd, DIRECTION_RIGHT);
        if (topEnd < 0) return 0;
        path[top] = topEnd;

        int rightEnd = topEnd;
        for (int right = 1; right <= 3; ++right) {
            rightEnd = walkBridge(rightEnd, DIRECTION_DOWN);
            if (rightEnd < 0) break;
            const int afterRight = top + right;
            path[afterRight] = rightEnd;

            int bottomEnd = rightEnd;
            for (int bottom = 1; bottom <= 3; ++bottom) {
                bottomEnd = walkBridge(bottomEnd, DIRECTION_LEFT);
                if (bottomEnd < 0) break;
                const int afterBottom = afterRight + bottom;
                path[afterBottom] = bottomEnd;

                int leftEnd = bottomEnd;
                for (int left = 1; left <= 3; ++left) {
                    leftEnd = walkBridge(leftEnd, DIRECTION_UP);
                    if (leftEnd < 0) break;
                    const int bridges = afterBottom + left;
                    path[bridges] = leftEnd;
                    if (leftEnd == a) return bridges;
                }
            }
        }
    }
    return 0;
}

void GeneratorBoard::cutLoopBridge(const LoopPath& path, int b) {
    const int j = random->drawBelow(b);
    const int x = path[j];
    const int y = path[j + 1];
    const int w = size;
    const int t = (x / w == y / w) ? (x > y ? -1 : 1) : (x > y ? -w : w);
    for (int c = x + t; c != y; c += t)
        layout[c] = GEN_EMPTY;
    // Both ends stay islands; their freed neighbours must not take an island.
    placeIsland(x);
    placeIsland(y);
}

bool GeneratorBoard::breakLoop(int a) {
    LoopPath path;
    const int bridges = findLoop(a, path);
    if (bridges == 0) return false;
    // Both draws are always made. The loop survives with chance 1/10 * 4/5; a second cut
    // may hit the bridge already gone, or split the layout, which finishing then rejects.
    if (random->drawBelow(10) != 0) cutLoopBridge(path, bridges);
    if (random->drawBelow(5) == 0) cutLoopBridge(path, bridges);
    return true;
}

void GeneratorBoard::markConnected(int p) {
    // An explicit stack instead of recursion: a big board can chain hundreds of islands.
    // An island is marked when it is first reached, so it is stacked at most once.
    fillStack.clear();
    layout[p] = GEN_VISITED;
    fillStack.push_back(p);
    while (!fillStack.empty()) {
        const int x = fillStack.back();
        fillStack.pop_back();
        for (int d = 0; d < 4; ++d) {
            const int s = steps[d];
            const std::uint8_t code = BRIDGE_CODE_BY_DIRECTION[d];
            int y = x + s;
            while (layout[y] == code)
                y += s;
            if (layout[y] == GEN_ISLAND) {
                layout[y] = GEN_VISITED;
                fillStack.push_back(y);
            }
        }
    }
}

bool GeneratorBoard::finishLayout() {
    const int w = size;

    // One more round of growth, from every island in turn. An island created ahead of the
    // visit gets its own round; one created behind it does not.
    forEachInteriorCell(w, w, [this](int p) {
        if (layout[p] != GEN_ISLAND) return;
        bool tried[4] = {false, false, false, false};
        for (int i = 0; i < 4; ++i) {
            const int d = random->drawBelow(4);
            if (tried[d]) continue;
            tried[d] = true;
            extend(p, d);
        }
    });

    // Small loops give a problem more than one solution; break most of them.
    forEachInteriorCell(w, w, [this](int p) {
        if (layout[p] == GEN_ISLAND) breakLoop(p);
    });

    int loops = 0;
    forEachInteriorCell(w, w, [this, &loops](int p) {
        LoopPath path;
        if (layout[p] == GEN_ISLAND && findLoop(p, path) != 0) ++loops;
    });
    if (loops >= 3) return false;
    if (loops == 2 && random->drawBelow(10) < 2) return false;
    if (loops == 1 && random->drawBelow(10) < 5) return false;

    for (int p = 0; p < w * w; ++p) {
        if (layout[p] == GEN_ISLAND) {
            markConnected(p);
            break;
        }
    }

    // Clue numbers. Converted islands and emptied cells hold no bridge code, so they never
    // count as bridges at the islands visited after them; nor do the walls, whose
    // orientation never points at an island.
    for (int r = 1; r < w - 1; ++r) {
        for (int p = r * w + 1, end = r * w + w - 1; p < end; ++p) {
            switch (layout[p]) {
                case GEN_ISLAND:
                    return false;  // not reached by the fill: the layout falls apart
                case GEN_RESERVED:
                    layout[p] = GEN_EMPTY;
                    break;
                case GEN_VISITED:
                    layout[p] = static_cast<std::uint8_t>(
                        ISLAND_BASE + (layout[p - 1] == GEN_H_BRIDGE) +
                        (layout[p + 1] == GEN_H_BRIDGE) + (layout[p - w] == GEN_V_BRIDGE) +
                        (layout[p + w] == GEN_V_BRIDGE));
                    break;
                default:
                    break;
            }
        }
    }
    return true;
}

}  // namespace spanwright
