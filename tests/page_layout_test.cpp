// Page layout without pixels: how many boards a page takes, how large they are drawn, and
// where a board too large to share a page goes.

#include <gtest/gtest.h>

#include <vector>

#include "render/page_layout.h"

namespace spanwright {
namespace {

std::vector<BoardSize> squares(int count, int side) {
    return std::vector<BoardSize>(std::size_t(count), BoardSize{side, side});
}

/// Boards a page, in page order.
std::vector<int> tilesPerPage(const BookPlan& plan) {
    std::vector<int> counts;
    for (const PagePlan& page : plan.pages)
        counts.push_back(int(page.tiles.size()));
    return counts;
}

bool inside(const Rect& inner, const Rect& outer) {
    return inner.x >= outer.x - 1e-6 && inner.y >= outer.y - 1e-6 &&
           inner.x + inner.width <= outer.x + outer.width + 1e-6 &&
           inner.y + inner.height <= outer.y + outer.height + 1e-6;
}

bool overlap(const Rect& a, const Rect& b) {
    return a.x < b.x + b.width && b.x < a.x + a.width && a.y < b.y + b.height &&
           b.y < a.y + a.height;
}

TEST(PageLayout, BoardsAPageFollowSizeAndRequest) {
    struct Case {
        std::vector<BoardSize> boards;
        int perPage;
        bool key;
        Paper paper;
        std::vector<int> expected;
    };
    const Case cases[] = {
        {squares(12, 10), 0, false, Paper::A4, {6, 6}},
        {squares(12, 10), 0, true, Paper::A4, {6, 6, 12}},
        {squares(6, 15), 0, true, Paper::Letter, {4, 2, 6}},
        {squares(3, 20), 0, true, Paper::A4, {2, 1, 3}},
        {squares(2, 25), 0, false, Paper::A4, {1, 1}},
        {squares(7, 10), 3, true, Paper::Letter, {3, 3, 1, 6, 1}},
        // Asked for more than stay legible (5 mm a cell): as many as do.
        {squares(21, 10), 30, false, Paper::A4, {9, 9, 3}},
        // A larger board lowers the count of the page it joins.
        {{{10, 10}, {10, 10}, {10, 10}, {15, 15}, {15, 15}}, 0, false, Paper::A4, {4, 1}},
    };
    for (const Case& c : cases) {
        const BookPlan plan =
            layOutBook(c.boards, LayoutOptions{paperSize(c.paper), c.perPage, c.key});
        EXPECT_EQ(tilesPerPage(plan), c.expected) << c.boards.size() << " boards";
        for (std::size_t p = 0; p < plan.pages.size(); ++p)
            EXPECT_EQ(plan.pages[p].number, int(p) + 1);
    }
}

TEST(PageLayout, TilesStayOnTheSheetApartAndLegible) {
    for (const Paper paper : {Paper::A4, Paper::Letter}) {
        const BookPlan plan = layOutBook(squares(14, 15), LayoutOptions{paperSize(paper), 0, true});
        const Rect sheet{0, 0, plan.paper.width, plan.paper.height};
        for (const PagePlan& page : plan.pages) {
            const double least = page.kind == PageKind::Key ? MIN_KEY_CELL : MIN_PUZZLE_CELL;
            for (std::size_t i = 0; i < page.tiles.size(); ++i) {
                const TilePlan& tile = page.tiles[i];
                EXPECT_GE(tile.cell, least);
                EXPECT_NEAR(tile.board.width, 15 * tile.cell, 1e-9);
                EXPECT_TRUE(inside(tile.board, sheet) && inside(tile.caption, sheet));
                EXPECT_FALSE(overlap(tile.board, plan.heading) || overlap(tile.board, plan.footer));
                for (std::size_t j = 0; j < i; ++j)
                    EXPECT_FALSE(overlap(tile.board, page.tiles[j].board));
            }
        }
        // Key tiles are smaller than puzzle tiles.
        EXPECT_LT(plan.pages.back().tiles[0].cell, plan.pages.front().tiles[0].cell);
    }
}

TEST(PageLayout, SmallBoardsStopAtTheLargestCell) {
    const BookPlan plan = layOutBook(squares(1, 3), LayoutOptions{});
    EXPECT_EQ(plan.pages[0].tiles[0].cell, MAX_CELL);
}

TEST(PageLayout, ABoardTooLargeForATileGetsAPageOfItsOwn) {
    // Six to a page leave too little room for 30 x 30; the boards either side still
    // share pages in their order.
    const BookPlan plan = layOutBook({{10, 10}, {30, 30}, {10, 10}, {10, 10}},
                                     LayoutOptions{paperSize(Paper::A4), 6, false});
    ASSERT_EQ(tilesPerPage(plan), (std::vector<int>{1, 1, 2}));
    EXPECT_EQ(plan.pages[1].tiles[0].puzzle, 1);
    EXPECT_FALSE(plan.pages[1].tiles[0].belowMinimum);

    // Too large even for a page: drawn smaller than the minimum, and marked.
    const BookPlan huge = layOutBook({{125, 125}}, LayoutOptions{});
    ASSERT_EQ(tilesPerPage(huge), (std::vector<int>{1}));
    EXPECT_TRUE(huge.pages[0].tiles[0].belowMinimum);
    EXPECT_GT(huge.pages[0].tiles[0].cell, 3.0);
}

}  // namespace
}  // namespace spanwright
