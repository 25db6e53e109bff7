#include "generator/layout.h"

namespace spanwright {

void IslandQueue::pushUnique(int p) {
    const auto cell = static_cast<std::uint16_t>(p);
    for (int i = 0; i < count; ++i) {
        if (items[i] == cell) return;
    }
    items[count++] = cell;
}

void GeneratorBoard::setUp(RandomSource& source, int side) {
    size = static_cast<std::int8_t>(side + 2);
    const int w = size;
    const auto cells = static_cast<std::size_t>(w) * static_cast<std::size_t>(w);
    random = &source;
    steps = {-1, +1, -w, +w};
    layout.assign(cells, GEN_EMPTY);
    derived.assign(cells, 0);
    runs.assign(cells, BridgeRun{});
    queue.items.assign(cells, 0);
    queue.reset();
    checker.allocate(w, w);
    checkerTrials.allocate(w, w);
    scannedLayout.allocate(w, w);
    // Every island is pushed at most once per fill, so this never reallocates.
    fillStack.clear();
    fillStack.reserve(cells);
}

void GeneratorBoard::resetLayout() {
    const int w = size;
    for (int c = 0; c < w; ++c) {
        layout[c] = GEN_H_BRIDGE;
        layout[(w - 1) * w + c] = GEN_H_BRIDGE;
    }
    for (int r = 1; r < w - 1; ++r) {
        const int rowStart = r * w;
        layout[rowStart] = GEN_V_BRIDGE;
        for (int c = 1; c < w - 1; ++c)
            layout[rowStart + c] = GEN_EMPTY;
        layout[rowStart + w - 1] = GEN_V_BRIDGE;
    }
}

void GeneratorBoard::placeIsland(int p) {
    layout[p] = GEN_ISLAND;
    for (const int s : steps) {
        if (layout[p + s] == GEN_EMPTY) layout[p + s] = GEN_RESERVED;
    }
}

int GeneratorBoard::extend(int p, int d) {
    const int s = steps[d];
    const int first = p + s;
    if (layout[first] != GEN_EMPTY && layout[first] != GEN_RESERVED) return -1;

    // Slots 0..2 are the cells two, three and four steps from p. The scan passes water
    // (reserved cells cannot hold an island but a bridge may cross them) and stops at the
    // first island, bridge or wall, so a bridge never crosses or passes anything.
    int slots[3];
    int candidates = 0;
    for (int k = 0; k < 3; ++k) {
        const std::uint8_t code = layout[first + (k + 1) * s];
        if (code == GEN_EMPTY) {
            slots[candidates++] = k;
            continue;
        }
        if (code == GEN_RESERVED) continue;
        // Ending on an existing island closes a cycle or joins two groups; keep it rare.
        if (code == GEN_ISLAND && random->drawBelow(10) == 0) slots[candidates++] = k;
        break;
    }
    if (candidates == 0) return -1;

    const int k = slots[random->drawBelow(candidates)];
    for (int i = 0; i <= k; ++i)
        layout[first + i * s] = BRIDGE_CODE_BY_DIRECTION[d];
    const int end = first + (k + 1) * s;
    placeIsland(end);
    return end;
}

void GeneratorBoard::growLayout() {
    const int w = size;
    const int topLeft = w + 1;
    const int topRight = w + w - 2;
    const int bottomLeft = (w - 2) * w + 1;
    const int bottomRight = (w - 2) * w + w - 2;

    // A chain goes on from whichever island the last bridge reached, until a step fails.
    const auto growChain = [this](int p, int d) {
        while ((p = extend(p, d)) != -1) {
        }
    };

    // Two opposite corners, each with a chain along its row or its column, so that the
    // layout reaches the edges of the board.
    if (random->drawBelow(2) == 0) {
        const bool alongRows = random->drawBelow(2) == 0;
        placeIsland(topLeft);
        growChain(topLeft, alongRows ? DIRECTION_RIGHT : DIRECTION_DOWN);
        placeIsland(bottomRight);
        growChain(bottomRight, alongRows ? DIRECTION_LEFT : DIRECTION_UP);
    } else {
        const bool alongRows = random->drawBelow(2) == 0;
        placeIsland(topRight);
        growChain(topRight, alongRows ? DIRECTION_LEFT : DIRECTION_DOWN);
        placeIsland(bottomLeft);
        growChain(bottomLeft, alongRows ? DIRECTION_RIGHT : DIRECTION_UP);
    }

    // Only the top and bottom rows seed the queue; the rest is reached by growth.
    queue.reset();
    for (int p = w + 1; p <= w + w - 2; ++p) {
        if (layout[p] == GEN_ISLAND) queue.pushUnique(p);
    }
    for (int p = bottomRight; p >= bottomLeft; --p) {
        if (layout[p] == GEN_ISLAND) queue.pushUnique(p);
    }

    while (!queue.empty()) {
        const int p = queue.take();
        // Always six draws; a direction drawn again is skipped, so an island tries one to
        // four directions.
        bool tried[4] = {false, false, false, false};
        for (int i = 0; i < 6; ++i) {
            const int d = random->drawBelow(4);
            if (tried[d]) continue;
            tried[d] = true;
            const int end = extend(p, d);
            if (end != -1) queue.pushUnique(end);
        }
    }
}

}  // namespace spanwright
