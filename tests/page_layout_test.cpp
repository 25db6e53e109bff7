// Page layout without pixels: how many boards a page takes, how large they are drawn, and
// where a board too large to share a page goes.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <set>
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

TEST(PageLayout, PaperNamesAndSizes) {
    struct Case {
        const char* text;
        bool read;
        double widthMm;
        double heightMm;
    };
    const Case cases[] = {
        {"a4", true, 210, 297},
        {"Letter", true, 215.9, 279.4},
        {"A5", true, 148, 210},
        {"6x9in", true, 152.4, 228.6},
        {"170x240mm", true, 170, 240},
        {"50X1200.5MM", false, 0, 0},
        {"99.5x100mm", true, 99.5, 100},
        {"49x100mm", false, 0, 0},
        {"x100mm", false, 0, 0},
        {"1e2x100mm", false, 0, 0},
        {".5x100mm", false, 0, 0},
        {"100x100", false, 0, 0},
        {"a3", false, 0, 0},
        {"100x-100mm", false, 0, 0},
    };
    for (const Case& c : cases) {
        PaperSize paper;
        ASSERT_EQ(readPaper(c.text, paper), c.read) << c.text;
        if (!c.read) continue;
        EXPECT_NEAR(paper.width / POINTS_PER_MM, c.widthMm, 1e-9) << c.text;
        EXPECT_NEAR(paper.height / POINTS_PER_MM, c.heightMm, 1e-9) << c.text;
    }
}

// Each section starts a page, its key pages too; numbering of boards and pages runs on
// across sections, and blank pages bring the count to a multiple of the padding.
TEST(PageLayout, SectionsNumberingAndPadding) {
    LayoutOptions six{paperSize(Paper::A4), 6, true};
    LayoutOptions four = six;
    four.perPage = 4;
    four.keyPerPage = 8;
    const BookPlan plan = layOutSections({{six, squares(7, 10)}, {four, squares(5, 10)}}, 3, 4);
    EXPECT_EQ(tilesPerPage(plan), (std::vector<int>{6, 1, 4, 1, 7, 5, 0, 0}));
    const PageKind P = PageKind::Puzzles, K = PageKind::Key, B = PageKind::Blank;
    const PageKind kinds[] = {P, P, P, P, K, K, B, B};
    const int sections[] = {0, 0, 1, 1, 0, 1, 0, 0};
    const int firstBoards[] = {0, 6, 7, 11, 0, 7};
    for (std::size_t p = 0; p < plan.pages.size(); ++p) {
        EXPECT_EQ(plan.pages[p].number, int(p) + 3);
        EXPECT_EQ(plan.pages[p].kind, kinds[p]) << p;
        EXPECT_EQ(plan.pages[p].section, sections[p]) << p;
        if (p < std::size(firstBoards)) {
            EXPECT_EQ(plan.pages[p].tiles[0].puzzle, firstBoards[p]);
        }
    }
    for (const auto& [pages, padTo, blanks] :
         std::vector<std::array<int, 3>>{{6, 4, 2}, {8, 4, 0}, {7, 1, 0}, {1, 16, 15}, {5, 2, 1}})
        EXPECT_EQ(paddingPages(pages, padTo), blanks) << pages << " to " << padTo;
}

// The gutter is on the left of odd pages and on the right of even ones, counting the
// printed number: everything on an even page sits the gutter's width further left.
TEST(PageLayout, GutterAlternatesWithThePrintedPageNumber) {
    LayoutOptions options{paperSize(Paper::Trade), 2, true};
    options.margin = 12 * POINTS_PER_MM;
    options.gutter = 8 * POINTS_PER_MM;
    const BookPlan plan = layOutSections({{options, squares(6, 8)}}, 2, 0);
    ASSERT_EQ(plan.pages.size(), 5u);
    for (const PagePlan& page : plan.pages) {
        const bool odd = page.number % 2 == 1;
        const double inside = options.margin + options.gutter;
        EXPECT_NEAR(page.heading.x, odd ? inside : options.margin, 1e-9) << page.number;
        EXPECT_NEAR(plan.paper.width - page.footer.x - page.footer.width,
                    odd ? options.margin : inside, 1e-9);
    }
    // Pages 2 and 3 hold boards alike: page 3's sit the gutter's width to the right.
    EXPECT_NEAR(plan.pages[1].tiles[0].board.x - plan.pages[0].tiles[0].board.x, options.gutter,
                1e-9);
}

// A request that cannot be met at the smallest cell is lowered, and the page says by how
// much; a smaller smallest cell meets more of it. Full key pages fill their grid.
TEST(PageLayout, TheSmallestCellDecidesHowManyAPage) {
    struct Case {
        Paper paper;
        int side;
        int perPage;
        double minCellMm;
        int fitted;
        int keyFitted;
    };
    const Case cases[] = {
        {Paper::Trade, 15, 6, 5.0, 2, 6},  // the trade book's six of 15 x 15: two a page
        {Paper::Trade, 15, 6, 3.5, 4, 6}, {Paper::A4, 15, 6, 5.0, 4, 12},
        {Paper::A4, 15, 6, 4.5, 6, 12},   {Paper::A4, 20, 4, 5.0, 2, 6},
        {Paper::A4, 15, 4, 5.0, 4, 8},  // eight key boards as 2 x 4, never 3 x 3 with a hole
        {Paper::A5, 10, 1, 5.0, 1, 2},
    };
    for (const Case& c : cases) {
        LayoutOptions options{paperSize(c.paper), c.perPage, true};
        options.margin = defaultMargin(options.paper);
        options.minCell = c.minCellMm * POINTS_PER_MM;
        const BookPlan plan = layOutBook(squares(24, c.side), options);
        const PagePlan& first = plan.pages.front();
        EXPECT_EQ(first.asked, c.perPage);
        EXPECT_EQ(first.fitted, c.fitted) << c.side << " at " << c.minCellMm << " mm";
        EXPECT_GE(first.tiles[0].cell, options.minCell);
        const auto key =
            std::find_if(plan.pages.begin(), plan.pages.end(),
                         [](const PagePlan& page) { return page.kind == PageKind::Key; });
        ASSERT_NE(key, plan.pages.end());
        EXPECT_EQ(key->fitted, c.keyFitted) << c.side << " key";
        EXPECT_GE(key->tiles[0].cell, MIN_KEY_CELL);
        std::set<double> columns;
        std::set<double> rows;
        for (const TilePlan& tile : key->tiles) {
            columns.insert(tile.caption.x);
            rows.insert(tile.caption.y);
        }
        EXPECT_EQ(columns.size() * rows.size(), key->tiles.size()) << c.side << " key grid";
    }
}

}  // namespace
}  // namespace spanwright

namespace spanwright {
namespace {

/// The pages of a whole book made of the first counts[s] boards of each section, laid out
/// by the whole-book layout, with `front` pages before it.
int wholeBookPages(const std::vector<SectionBoards>& sections, const std::vector<int>& counts,
                   int front, int padTo) {
    std::vector<SectionBoards> chosen;
    for (std::size_t s = 0; s < sections.size(); ++s) {
        SectionBoards section = sections[s];
        section.boards.resize(std::size_t(counts[s]));
        chosen.push_back(section);
    }
    const int pages = front + int(layOutSections(chosen, 1, 0).pages.size());
    return pages + paddingPages(pages, padTo);
}

// Every page count --pages reports as met gives a book of exactly that many pages when the
// chosen puzzles are laid out whole; one it cannot meet lies between the two it names,
// and those two are met. Shares follow the sections' sizes.
TEST(PageFit, CountsGiveTheBookOfThePagesAsked) {
    LayoutOptions plain;
    LayoutOptions keyed;
    keyed.key = true;
    LayoutOptions proof;
    proof.proof = true;
    LayoutOptions trade = keyed;
    trade.paper = paperSize(Paper::Trade);
    struct Mix {
        std::vector<SectionBoards> sections;
        int front;
        int padTo;
    };
    const Mix mixes[] = {
        {{{keyed, squares(40, 10)}, {keyed, squares(40, 15)}, {keyed, squares(20, 20)}}, 3, 0},
        {{{trade, squares(30, 10)}, {trade, squares(60, 15)}}, 2, 4},
        {{{plain, squares(25, 10)}}, 0, 0},
        {{{proof, squares(12, 10)}, {proof, squares(9, 20)}}, 1, 0},
    };
    for (const Mix& mix : mixes) {
        int met = 0;
        for (int target = 1; target <= 90; ++target) {
            const PageFit fit = fitToPages(mix.sections, mix.front, mix.padTo, target);
            if (fit.met) {
                ++met;
                EXPECT_EQ(wholeBookPages(mix.sections, fit.counts, mix.front, mix.padTo), target);
                for (std::size_t s = 0; s < mix.sections.size(); ++s) {
                    EXPECT_GE(fit.counts[s], 1);
                    EXPECT_LE(fit.counts[s], int(mix.sections[s].boards.size()));
                }
                if (mix.sections.size() == 2 &&
                    mix.sections[0].boards.size() * 2 == mix.sections[1].boards.size()) {
                    EXPECT_NEAR(2.0 * fit.counts[0], fit.counts[1], 3.0) << target;
                }
                continue;
            }
            if (target < fit.fewest || target > fit.most) continue;
            EXPECT_TRUE(fit.below > 0 || fit.above > 0) << target;
            if (fit.below > 0) {
                EXPECT_LT(fit.below, target);
                EXPECT_TRUE(fitToPages(mix.sections, mix.front, mix.padTo, fit.below).met);
            }
            if (fit.above > 0) {
                EXPECT_GT(fit.above, target);
                EXPECT_TRUE(fitToPages(mix.sections, mix.front, mix.padTo, fit.above).met);
            }
        }
        EXPECT_GE(met, 4);
    }
    // Twelve 10 x 10 puzzles with a key fill three pages at least and three at most.
    const PageFit tight = fitToPages({{keyed, squares(12, 10)}}, 0, 0, 4);
    EXPECT_FALSE(tight.met);
    EXPECT_EQ(tight.most, 3);
    EXPECT_EQ(tight.above, 0);
}

}  // namespace
}  // namespace spanwright
