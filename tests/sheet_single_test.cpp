// spanwright-sheet --one-per-file: single puzzles cropped to their board, at a stated size.

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/run_command.h"

namespace spanwright {
namespace {

using testing::CommandResult;
using testing::listing;
using testing::runCommand;
using testing::TempDir;

const std::string kTens = std::string(SPANWRIGHT_TEST_DATA) + "/seeded-4242-10-12.txt";
// 5 cells wide and 3 high, one bridge: 34 x 22 mm at 6 mm a cell and 2 mm margins.
const std::string kSmall = "0/3/5/1...1/...../...../\n";

CommandResult runSheet(const std::vector<std::string>& args) {
    return runCommand(SPANWRIGHT_SHEET_EXE, args);
}

std::uint32_t bigEndian(const std::string& bytes, std::size_t at) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i)
        value = value << 8 | std::uint8_t(bytes.at(at + i));
    return value;
}

std::uint32_t crc32(const std::string& bytes) {
    std::uint32_t c = 0xFFFFFFFFU;
    for (const char byte : bytes) {
        c ^= std::uint8_t(byte);
        for (int k = 0; k < 8; ++k)
            c = (c & 1U) != 0 ? 0xEDB88320U ^ (c >> 1) : c >> 1;
    }
    return ~c;
}

// 34 mm at 300 dpi is 401.6 pixels, 22 mm is 259.8; 300 dpi is 11811 pixels a metre.
// The pHYs chunk must come before the image data: straight after the header. Grey, not
// RGB, so that black prints on black ink alone.
TEST(SheetSingle, PngIsCroppedAndStatesItsResolution) {
    const TempDir dir;
    ASSERT_EQ(
        runSheet({"--one-per-file", "-o", dir.path() + "/sun.png", dir.write("p.txt", kSmall)})
            .status,
        0);
    const std::string png = testing::readFile(dir.path() + "/sun-01.png");
    ASSERT_GT(png.size(), 54U);
    EXPECT_EQ(png.substr(12, 4), "IHDR");
    EXPECT_EQ(bigEndian(png, 16), 402U);
    EXPECT_EQ(bigEndian(png, 20), 260U);
    EXPECT_EQ(png.substr(24, 2), std::string("\x08\x00", 2));  // 8-bit greyscale
    EXPECT_EQ(bigEndian(png, 33), 9U);
    EXPECT_EQ(png.substr(37, 4), "pHYs");
    EXPECT_EQ(bigEndian(png, 41), 11811U);
    EXPECT_EQ(bigEndian(png, 45), 11811U);
    EXPECT_EQ(png[49], '\1');  // the unit is the metre
    EXPECT_EQ(bigEndian(png, 50), crc32(png.substr(37, 13)));
}

/// The value of attribute `name` in the first element that has it.
std::string attribute(const std::string& text, const std::string& name) {
    const std::size_t at = text.find(name + "=\"");
    if (at == std::string::npos) return "";
    const std::size_t from = at + name.size() + 2;
    return text.substr(from, text.find('"', from) - from);
}

TEST(SheetSingle, SvgAndPdfAreSizedInMillimetres) {
    const TempDir dir;
    const std::string problems = dir.write("p.txt", kSmall);
    ASSERT_EQ(
        runSheet({"--one-per-file", "--cell", "8.5", "-o", dir.path() + "/a.svg", problems}).status,
        0);
    const std::string svg = testing::readFile(dir.path() + "/a-01.svg");
    EXPECT_EQ(std::strtod(attribute(svg, "width").c_str(), nullptr), 46.5);
    EXPECT_EQ(attribute(svg, "width").substr(attribute(svg, "width").size() - 2), "mm");
    EXPECT_EQ(std::strtod(attribute(svg, "height").c_str(), nullptr), 29.5);
    EXPECT_EQ(attribute(svg, "height").substr(attribute(svg, "height").size() - 2), "mm");

    if (std::system("command -v pdfinfo >/dev/null 2>&1") != 0)
        GTEST_SKIP() << "pdfinfo (poppler-utils) is not installed";
    ASSERT_EQ(runSheet({"--one-per-file", "-o", dir.path() + "/a.pdf", problems}).status, 0);
    const CommandResult info = runCommand("/usr/bin/pdfinfo", {"-box", dir.path() + "/a-01.pdf"});
    const std::size_t box = info.out.find("MediaBox:");
    ASSERT_NE(box, std::string::npos) << info.out;
    std::istringstream numbers(info.out.substr(box + 9));
    double left = -1, bottom = -1, right = 0, top = 0;
    numbers >> left >> bottom >> right >> top;
    EXPECT_EQ(left, 0);
    EXPECT_EQ(bottom, 0);
    EXPECT_NEAR(right, 34 * 72 / 25.4, 0.01);
    EXPECT_NEAR(top, 22 * 72 / 25.4, 0.01);
}

std::vector<std::string> numbered(const std::string& format, int count) {
    std::vector<std::string> names;
    for (int number = 1; number <= count; ++number) {
        char name[64];
        std::snprintf(name, sizeof name, format.c_str(), number);
        names.emplace_back(name);
    }
    return names;
}

// Names sort in the order of the puzzles; a solution stands beside its puzzle.
TEST(SheetSingle, NamesAreZeroPaddedToTheCount) {
    const TempDir dir;
    std::string hundred;
    for (int i = 0; i < 100; ++i)
        hundred += kSmall;
    const std::string many = dir.write("many.txt", hundred);
    ASSERT_EQ(runSheet({"--one-per-file", "-o", dir.path() + "/h.svg", many}).status, 0);
    ASSERT_EQ(runSheet({"--one-per-file", "-s", "-o", dir.path() + "/w.png", kTens}).status, 0);
    std::vector<std::string> expected = numbered("h-%03d.svg", 100);
    for (const std::string& name : numbered("w-%02d", 12)) {
        expected.push_back(name + "-solution.png");
        expected.push_back(name + ".png");
    }
    expected.emplace_back("many.txt");
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(listing(dir.path()), expected);
}

// A rerun replaces the whole earlier set: no solution or picture of an earlier, longer
// run stays beside the new files (it would answer another puzzle), nor a page of an
// earlier book in either naming (book.svg for one page, book-1.svg on for more).
TEST(SheetSingle, RerunsLeaveNothingOfTheEarlierSet) {
    const TempDir dir;
    const std::string one = dir.write("one.txt", kSmall);
    const std::string user = dir.write("w-01-notes.svg", "mine");
    ASSERT_EQ(runSheet({"--one-per-file", "-s", "-o", dir.path() + "/w.svg", kTens}).status, 0);
    ASSERT_EQ(runSheet({"--one-per-file", "-o", dir.path() + "/w.svg", one}).status, 0);
    EXPECT_EQ(listing(dir.path()),
              (std::vector<std::string>{"one.txt", "w-01-notes.svg", "w-01.svg"}));

    const std::string book = dir.path() + "/book.svg";
    ASSERT_EQ(runSheet({"--per-page", "1", "-o", book, kTens}).status, 0);
    ASSERT_EQ(runSheet({"--per-page", "1", "-o", book, one}).status, 0);
    EXPECT_EQ(listing(dir.path()),
              (std::vector<std::string>{"book.svg", "one.txt", "w-01-notes.svg", "w-01.svg"}));
    ASSERT_EQ(runSheet({"--per-page", "1", "-s", "-o", book, one}).status, 0);
    EXPECT_EQ(listing(dir.path()), (std::vector<std::string>{"book-1.svg", "book-2.svg", "one.txt",
                                                             "w-01-notes.svg", "w-01.svg"}));
    EXPECT_EQ(testing::readFile(user), "mine");
}

// A staging folder that a run killed outright left is swept by the next run beside it; a
// fresh one (another run's, just made) is not. A run stopped by the file size limit
// (SIGXFSZ) clears its own staging up, as the other ending signals do.
TEST(SheetSingle, StagingOfKilledRunsIsSweptAndLimitsClearUp) {
    const TempDir dir;
    namespace fs = std::filesystem;
    for (const char* name : {".spanwright-Old123", ".spanwright-New123"}) {
        fs::create_directory(dir.path() + "/" + name);
        dir.write(std::string(name) + "/1", "half a page");
    }
    fs::last_write_time(dir.path() + "/.spanwright-Old123",
                        fs::file_time_type::clock::now() - std::chrono::hours(1));
    ASSERT_EQ(runSheet({"--one-per-file", "-o", dir.path() + "/a.svg", kTens}).status, 0);
    EXPECT_FALSE(fs::exists(dir.path() + "/.spanwright-Old123"));
    EXPECT_TRUE(fs::exists(dir.path() + "/.spanwright-New123/1"));
    fs::remove_all(dir.path() + "/.spanwright-New123");

    const CommandResult limited =
        runCommand("/bin/sh", {"-c", "ulimit -f 4; exec \"$0\" -o \"$1\" \"$2\"",
                               SPANWRIGHT_SHEET_EXE, dir.path() + "/big.png", kTens});
    EXPECT_EQ(limited.signal, SIGXFSZ);
    std::vector<std::string> left = listing(dir.path());
    EXPECT_EQ(std::count_if(left.begin(), left.end(),
                            [](const std::string& name) { return name[0] == '.'; }),
              0);
}

TEST(SheetSingle, KeyOnlyWritesOnlyTheSolutions) {
    const TempDir dir;
    const CommandResult result = runSheet(
        {"--one-per-file", "--key-only", "--cell", "3", "-o", dir.path() + "/k.pdf", kTens});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(listing(dir.path()), numbered("k-%02d-solution.pdf", 12));
}

TEST(SheetSingle, RefusalsSayWhyAndWriteNothing) {
    const TempDir dir;
    const std::string small = dir.write("small.txt", kSmall);
    const std::string huge = dir.write("huge.txt", "0/125/125/" + std::string(125 * 125, '.'));
    const std::string unfit = dir.write("unfit.txt", "1/1/3/1.2/\n");  // no solution
    const std::string out = dir.path() + "/o.png";
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string message;
    };
    const Case cases[] = {
        {{"--one-per-file", "--cell", "1.9", small}, 2, "--cell '1.9' is not a number"},
        {{"--one-per-file", "--cell", "20.5", small}, 2, "--cell '20.5'"},
        {{"--one-per-file", "--cell", "6mm", small}, 2, "--cell '6mm'"},
        {{"--one-per-file", "--cell", "", small}, 2, "--cell ''"},
        {{"--cell", "6", small}, 2, "--cell needs --one-per-file"},
        {{"--key-only", small}, 2, "--key-only needs --one-per-file"},
        {{"--one-per-file", "--title", "Sun", small}, 2, "--title is for books of pages"},
        {{"--one-per-file", "-n", "2", small}, 2, "--per-page is for books of pages"},
        {{"--one-per-file", "--max-pages", "3", "-s", small, small}, 1, "more than 3 files"},
        {{"--one-per-file", "--cell", "20", "--dpi", "600", small, huge},
         1,
         "huge.txt:1: puzzle 2 would be 59150 x 59150 pixels"},
        {{"--one-per-file", "--strict", "-s", small, unfit, small},
         1,
         "unfit.txt:1: error: puzzle 2 has no solution"},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = c.args;
        args.insert(args.begin(), {"-o", out});
        const CommandResult result = runSheet(args);
        EXPECT_EQ(result.status, c.status) << c.message;
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
        EXPECT_EQ(listing(dir.path()),
                  (std::vector<std::string>{"huge.txt", "small.txt", "unfit.txt"}));
    }
}

// A newspaper's week named by date, across a month's end; names from fields are published
// as one set like any other, so a run that cannot place one file leaves the old set whole.
TEST(SheetSingle, DatedNamesArePublishedWholeOrNotAtAll) {
    const TempDir dir;
    const std::string week = dir.write("week.txt", kSmall + kSmall + kSmall);
    const std::string out = dir.path() + "/out";
    std::filesystem::create_directory(out);
    const std::vector<std::string> dated{"--one-per-file",
                                         "--solutions",
                                         "--date",
                                         "2026-11-29",
                                         "-o",
                                         out + "/bridges-{date}.png",
                                         week};
    ASSERT_EQ(runSheet(dated).status, 0);
    const std::vector<std::string> names{
        "bridges-2026-11-29-solution.png", "bridges-2026-11-29.png",
        "bridges-2026-11-30-solution.png", "bridges-2026-11-30.png",
        "bridges-2026-12-01-solution.png", "bridges-2026-12-01.png"};
    ASSERT_EQ(listing(out), names);
    const std::string first = testing::readFile(out + "/bridges-2026-11-30.png");
    // The next run's last name is taken by a folder: nothing moves.
    std::filesystem::create_directory(out + "/bridges-2026-12-02-solution.png");
    std::vector<std::string> next = dated;
    next[3] = "2026-11-30";
    next.insert(next.begin(), "--no-dots");
    const CommandResult refused = runSheet(next);
    EXPECT_EQ(refused.status, 1);
    EXPECT_NE(refused.err.find("bridges-2026-12-02-solution.png"), std::string::npos)
        << refused.err;
    std::vector<std::string> standing = names;
    standing.push_back("bridges-2026-12-02-solution.png");
    EXPECT_EQ(listing(out), standing);
    EXPECT_EQ(testing::readFile(out + "/bridges-2026-11-30.png"), first);
    // A name that repeats would put two puzzles in one file.
    const CommandResult repeated =
        runSheet({"--one-per-file", "--date", "2026-11-29", "--date-step", "1w", "-o",
                  dir.path() + "/{weekday}.png", week});
    EXPECT_EQ(repeated.status, 1);
    EXPECT_NE(repeated.err.find("names two files"), std::string::npos) << repeated.err;
    EXPECT_FALSE(std::filesystem::exists(dir.path() + "/Sunday.png"));
}

}  // namespace
}  // namespace spanwright
