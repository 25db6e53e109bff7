// The drawing, checked on pixels of a PNG page: island rings dark, numbers inked, and in
// the key ink exactly where bridges run. Also the key's bridges against the independent
// checker.

#include <cairo.h>
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>

#include "puzzle/problem_line.h"
#include "render/answer_key.h"
#include "render/book_writer.h"
#include "render/page_drawing.h"
#include "render/page_layout.h"
#include "tests/support/solution_check.h"

namespace spanwright {
namespace {

constexpr int DPI = 144;
constexpr double SCALE = DPI / 72.0;
// The first problem of a reference batch: it has single and double bridges and islands
// that face each other across water without a bridge.
constexpr const char* PROBLEM =
    "2/10/10/3...4.4..3/.......1../4..1....1./..3.4.1..3/...1....../....4..3.2/2..3..4.3./"
    "..4..1...2/........1./1.2.1.3..3/";

/// Gives cairo's font caches back at the end, so that the leak checker sees real leaks only.
class DrawingCaches : public ::testing::Environment {
  public:
    void TearDown() override { releaseDrawingCaches(); }
};
const auto* const caches = ::testing::AddGlobalTestEnvironment(new DrawingCaches);

struct SurfaceRelease {
    void operator()(cairo_surface_t* surface) const { cairo_surface_destroy(surface); }
};

cairo_status_t readFrom(void* closure, unsigned char* data, unsigned int length) {
    return std::fread(data, 1, length, static_cast<std::FILE*>(closure)) == length
               ? CAIRO_STATUS_SUCCESS
               : CAIRO_STATUS_READ_ERROR;
}

/// One page as written to PNG and read back.
class Page {
  public:
    Page(const Book& book, const BookPlan& plan, int index) {
        std::FILE* file = std::tmpfile();
        std::string error;
        EXPECT_TRUE(writePngPage(file, book, plan, index, DPI, error)) << error;
        std::rewind(file);
        image_.reset(cairo_image_surface_create_from_png_stream(readFrom, file));
        std::fclose(file);
        EXPECT_EQ(cairo_surface_status(image_.get()), CAIRO_STATUS_SUCCESS);
    }

    /// True when the pixel at (x, y) points is darker than mid grey.
    bool dark(double x, double y) const {
        const int px = int(x * SCALE);
        const int py = int(y * SCALE);
        const unsigned char* row = cairo_image_surface_get_data(image_.get()) +
                                   py * cairo_image_surface_get_stride(image_.get());
        const auto pixel = *reinterpret_cast<const std::uint32_t*>(row + 4 * px);
        return (pixel & 0xFFu) + ((pixel >> 8) & 0xFFu) + ((pixel >> 16) & 0xFFu) < 3 * 128;
    }

  private:
    std::unique_ptr<cairo_surface_t, SurfaceRelease> image_;
};

struct Centre {
    double x;
    double y;
};
Centre centreOf(const TilePlan& tile, int row, int column) {
    return {tile.board.x + (column + 0.5) * tile.cell, tile.board.y + (row + 0.5) * tile.cell};
}

class PageDrawing : public ::testing::Test {
  protected:
    void SetUp() override {
        SheetPuzzle entry;
        ASSERT_TRUE(parseProblemLine(entry.puzzle, PROBLEM));
        entry.number = 1;
        entry.key = solveByDeduction(entry.puzzle);
        ASSERT_EQ(entry.key.verdict, KeyVerdict::Unique);
        book_.puzzles.push_back(std::move(entry));
        plan_ = layOutBook({{10, 10}}, LayoutOptions{paperSize(Paper::A4), 0, true});
        ASSERT_EQ(plan_.pages.size(), 2u);
    }
    const Puzzle& puzzle() const { return book_.puzzles[0].puzzle; }
    bool isIsland(int r, int c) const { return puzzle().cells[r * puzzle().width + c] != 0; }

    Book book_;
    BookPlan plan_;
};

TEST_F(PageDrawing, IslandsHaveDarkRingsAndInkedNumbers) {
    const Page page(book_, plan_, 0);
    const TilePlan& tile = plan_.pages[0].tiles[0];
    const double radius = 0.40 * tile.cell;
    for (int r = 0; r < 10; ++r)
        for (int c = 0; c < 10; ++c) {
            if (!isIsland(r, c)) continue;
            const Centre at = centreOf(tile, r, c);
            EXPECT_TRUE(page.dark(at.x + radius, at.y) && page.dark(at.x - radius, at.y) &&
                        page.dark(at.x, at.y + radius) && page.dark(at.x, at.y - radius))
                << "ring of the island in row " << r << ", column " << c;
            int ink = 0;
            for (double dx = -0.2; dx <= 0.2; dx += 0.05)
                for (double dy = -0.2; dy <= 0.2; dy += 0.05)
                    ink += page.dark(at.x + dx * tile.cell, at.y + dy * tile.cell);
            EXPECT_GT(ink, 3) << "number of the island in row " << r << ", column " << c;
        }
}

TEST_F(PageDrawing, KeyHasInkWhereBridgesRunOnly) {
    const Page page(book_, plan_, 1);
    const TilePlan& tile = plan_.pages[1].tiles[0];
    std::vector<bool> crossed(100, false);  // water under a bridge
    bool sawDouble = false;
    for (const Bridge& bridge : book_.puzzles[0].key.bridges) {
        for (int r = bridge.row1; r <= bridge.row2; ++r)
            for (int c = bridge.column1; c <= bridge.column2; ++c)
                crossed[r * 10 + c] = crossed[r * 10 + c] || !isIsland(r, c);
        const Centre a = centreOf(tile, bridge.row1, bridge.column1);
        const Centre b = centreOf(tile, bridge.row2, bridge.column2);
        const Centre mid{(a.x + b.x) / 2, (a.y + b.y) / 2};
        if (bridge.bridges == 1) {
            EXPECT_TRUE(page.dark(mid.x, mid.y));
            continue;
        }
        // A double bridge: two lines either side of the centre line, nothing on it.
        sawDouble = true;
        const double gap = 0.13 * tile.cell;
        const bool across = bridge.row1 == bridge.row2;
        EXPECT_FALSE(page.dark(mid.x, mid.y));
        EXPECT_TRUE(page.dark(mid.x + (across ? 0 : gap), mid.y + (across ? gap : 0)));
        EXPECT_TRUE(page.dark(mid.x - (across ? 0 : gap), mid.y - (across ? gap : 0)));
    }
    EXPECT_TRUE(sawDouble);

    // Islands facing each other along a row, with no bridge between or across: white
    // between them.
    int unbridged = 0;
    for (int r = 0; r < 10; ++r)
        for (int c = 0; c < 10; ++c) {
            if (!isIsland(r, c)) continue;
            int next = c + 1;
            while (next < 10 && !isIsland(r, next))
                ++next;
            bool clear = next < 10 && next > c + 1;
            for (int k = c + 1; k < next && clear; ++k)
                clear = !crossed[r * 10 + k];
            if (!clear) continue;
            ++unbridged;
            const Centre a = centreOf(tile, r, c);
            const Centre b = centreOf(tile, r, next);
            EXPECT_FALSE(page.dark((a.x + b.x) / 2, a.y)) << "row " << r << ", column " << c;
        }
    EXPECT_GT(unbridged, 0);
}

TEST(AnswerKey, BridgesOfASolvedBoardAreASolution) {
    Puzzle puzzle;
    ASSERT_TRUE(parseProblemLine(puzzle, PROBLEM));
    const KeySolution key = solveByDeduction(puzzle);
    ASSERT_EQ(key.verdict, KeyVerdict::Unique);
    // The solution as a bordered plane of bridge codes, for the checker.
    const int w = puzzle.width + 2;
    std::vector<std::uint8_t> plane(std::size_t(w * (puzzle.height + 2)), 0);
    for (int r = 0; r < puzzle.height; ++r)
        for (int c = 0; c < puzzle.width; ++c)
            if (puzzle.cells[r * puzzle.width + c] != 0) plane[(r + 1) * w + c + 1] = ISLAND_BASE;
    for (const Bridge& b : key.bridges) {
        const bool across = b.row1 == b.row2;
        const std::uint8_t code = across ? (b.bridges == 1 ? 1 : 2) : (b.bridges == 1 ? 3 : 4);
        for (int r = b.row1, c = b.column1;;) {
            (across ? c : r) += 1;
            if (r == b.row2 && c == b.column2) break;
            plane[(r + 1) * w + c + 1] = code;
        }
    }
    EXPECT_EQ(testing::checkSolution(puzzle, plane.data()), "");

    // A puzzle deduction leaves open goes to the fallback, and only then.
    Puzzle open;
    ASSERT_TRUE(parseProblemLine(open, "1/3/3/3.3/.../3.3/"));
    int asked = 0;
    const SolutionSource fallback = [&asked](const Puzzle&) {
        ++asked;
        return KeySolution{KeyVerdict::Multiple, {}};
    };
    EXPECT_EQ(findKeySolution(open, nullptr).verdict, KeyVerdict::Unknown);
    EXPECT_EQ(findKeySolution(open, fallback).verdict, KeyVerdict::Multiple);
    EXPECT_EQ(findKeySolution(puzzle, fallback).verdict, KeyVerdict::Unique);
    EXPECT_EQ(asked, 1);
}

TEST(Caption, NamesTheLevelAndNeverTheGrade) {
    SheetPuzzle entry;
    ASSERT_TRUE(parseProblemLine(entry.puzzle, "4/15/15/" + std::string(225, '.') + "/"));
    entry.number = 7;
    entry.level = "medium";
    EXPECT_EQ(captionOf(entry), "7 \u00B7 15 \u00D7 15 \u00B7 medium");
    entry.level.clear();
    EXPECT_EQ(captionOf(entry), "7 \u00B7 15 \u00D7 15");
}

// Every field of a template, a rated and an unrated puzzle, and the number set apart in
// its own run for the larger bold face; a field not known is named.
TEST(Caption, TemplatesFillTheirFields) {
    SheetPuzzle entry;
    ASSERT_TRUE(parseProblemLine(entry.puzzle, "4/15/12/" + std::string(180, '.') + "/"));
    entry.number = 12;
    struct Case {
        const char* text;
        const char* level;
        std::vector<std::string> runs;  // the number's runs marked with '#'
    };
    const Case cases[] = {
        {"No. {number}", "hard", {"No. ", "#12"}},
        {"{number}: {width}x{height} {level} {score} g{grade}",
         "hard",
         {"#12", ": 12x15 hard 7.5 g4"}},
        {"{level}/{score}/", "", {}},
        {"{number}{number}", "", {"#12", "#12"}},
        {"plain", "", {"plain"}},
        {"", "", {}},
    };
    for (const Case& c : cases) {
        CaptionTemplate caption;
        std::string fault;
        ASSERT_TRUE(caption.read(c.text, fault)) << c.text;
        entry.level = c.level;
        entry.score = 7.46;
        std::vector<std::string> runs;
        for (const CaptionRun& run : caption.fill(entry))
            runs.push_back((run.number ? "#" : "") + run.text);
        EXPECT_EQ(runs, c.runs) << c.text;
    }
    for (const auto& [text, named] :
         std::vector<std::pair<std::string, std::string>>{{"{number} {colour}", "{colour}"},
                                                          {"{Number}", "{Number}"},
                                                          {"No. {number", "{number"}}) {
        CaptionTemplate caption;
        std::string fault;
        EXPECT_FALSE(caption.read(text, fault)) << text;
        EXPECT_EQ(fault, named);
    }
}

// A field left empty takes the separator beside it, at the start, in the middle or at the
// end, in any template: no caption reads "Puzzle 13 ·".
TEST(Caption, EmptyFieldsTakeTheirSeparatorsWithThem) {
    SheetPuzzle entry;
    ASSERT_TRUE(parseProblemLine(entry.puzzle, "4/10/10/" + std::string(100, '.') + "/"));
    entry.number = 13;
    long monday = 0;
    ASSERT_TRUE(readDate("2026-12-07", monday));
    struct Case {
        const char* text;
        const char* level;
        long day;
        const char* caption;
    };
    const Case cases[] = {
        {"Puzzle {number} \u00B7 {level}", "", NO_DAY, "Puzzle 13"},
        {"Puzzle {number} \u00B7 {level}", "hard", NO_DAY, "Puzzle 13 \u00B7 hard"},
        {"No. {number} \u00B7 {level}", "", NO_DAY, "No. 13"},
        {"{level} \u00B7 {number}", "", NO_DAY, "13"},
        {"{number} ({level})", "", NO_DAY, "13"},
        {"{number} ({level})", "easy", NO_DAY, "13 (easy)"},
        {"{number} ({level}) {width}x{height}", "", NO_DAY, "13 10x10"},
        {"{number} \u00B7 {level} \u00B7 {score} \u00B7 {date}", "", NO_DAY, "13"},
        {"{number} \u00B7 {level} \u00B7 {weekday}", "", monday, "13 \u00B7 Monday"},
        {"{weekday} {date}: {number}", "", NO_DAY, "13"},
        {"{weekday} {date}: {number}", "", monday, "Monday 2026-12-07: 13"},
        {"Level: {level}", "", NO_DAY, ""},
        {"[{level}]", "", NO_DAY, ""},
        {"- {number} -", "", NO_DAY, "- 13 -"},
    };
    for (const Case& c : cases) {
        CaptionTemplate caption;
        std::string fault;
        ASSERT_TRUE(caption.read(c.text, fault)) << c.text;
        entry.level = c.level;
        entry.day = c.day;
        EXPECT_EQ(joinRuns(caption.fill(entry)), c.caption) << c.text;
    }
}

// Dates step across month, year and leap-day ends; a day written and read back is the same
// day, and the next day always sorts after it.
TEST(Calendar, DatesRunAcrossMonthAndYearEnds) {
    const std::pair<const char*, const char*> nextDays[] = {
        {"2026-11-30", "2026-12-01"}, {"2026-12-31", "2027-01-01"}, {"2028-02-28", "2028-02-29"},
        {"2028-02-29", "2028-03-01"}, {"2100-02-28", "2100-03-01"}, {"2000-02-28", "2000-02-29"},
        {"1969-12-31", "1970-01-01"}, {"0001-01-01", "0001-01-02"},
    };
    for (const auto& [day, next] : nextDays) {
        long count = 0;
        ASSERT_TRUE(readDate(day, count)) << day;
        EXPECT_EQ(isoDate(count + 1), next);
    }
    long day = 0;
    ASSERT_TRUE(readDate("2026-12-07", day));
    EXPECT_STREQ(weekdayName(day), "Monday");
    EXPECT_STREQ(weekdayName(day + 6), "Sunday");
    EXPECT_STREQ(weekdayName(0), "Thursday");
    for (const char* wrong : {"2026-02-29", "2026-13-01", "2026-00-10", "2026-04-31", "0000-01-01",
                              "2026-1-01", "2026/12/07", "+026-12-07", "2026-12-07x"})
        EXPECT_FALSE(readDate(wrong, day)) << wrong;
    std::string before = isoDate(MIN_DAY - 1);
    for (long count = MIN_DAY; count <= MAX_DAY; count += 97) {
        const std::string text = isoDate(count);
        long back = 0;
        ASSERT_TRUE(readDate(text, back)) << text;
        ASSERT_EQ(back, count);
        ASSERT_LT(before, text);
        before = text;
    }
    EXPECT_EQ(isoDate(MAX_DAY), "9999-12-31");
}

}  // namespace
}  // namespace spanwright
