// spanwright-sheet end to end: the files it writes, and what it leaves when it cannot.

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <iterator>
#include <memory>
#include <string>
#include <system_error>
#include <vector>

#include "tests/support/run_command.h"

namespace spanwright {
namespace {

using testing::CommandResult;
using testing::listing;
using testing::runCommand;
using testing::TempDir;

const std::string kData = SPANWRIGHT_TEST_DATA;
const std::string kTens = kData + "/seeded-4242-10-12.txt";  // twelve 10 x 10 problems

CommandResult runSheet(const std::vector<std::string>& args) {
    return runCommand(SPANWRIGHT_SHEET_EXE, args);
}

bool haveTool(const std::string& name) {
    return std::system(("command -v " + name + " >/dev/null 2>&1").c_str()) == 0;
}

TEST(SheetProgram, PdfHasEveryPageAndTheKey) {
    if (!haveTool("pdfinfo")) GTEST_SKIP() << "pdfinfo (poppler-utils) is not installed";
    const TempDir dir;
    const std::string pdf = dir.path() + "/book.pdf";
    const CommandResult result = runSheet({"--solutions", "--title", "Brücken", "-o", pdf, kTens});
    ASSERT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(result.err, "");
    const CommandResult info = runCommand("/usr/bin/pdfinfo", {pdf});
    EXPECT_NE(info.out.find("Pages:           3\n"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("Title:           Brücken\n"), std::string::npos) << info.out;
    EXPECT_NE(info.out.find("Creator:         spanwright-sheet " SPANWRIGHT_VERSION "\n"),
              std::string::npos);
    EXPECT_EQ(listing(dir.path()), std::vector<std::string>{"book.pdf"});
}

TEST(SheetProgram, SvgPagesAreNumberedFilesOfWellFormedXml) {
    if (!haveTool("xmllint")) GTEST_SKIP() << "xmllint (libxml2-utils) is not installed";
    const TempDir dir;
    ASSERT_EQ(runSheet({"--paper", "letter", "--per-page", "5", "-o", dir.path() + "/b.svg", kTens})
                  .status,
              0);
    ASSERT_EQ(runSheet({"--no-dots", "--min-cell", "3.5", "-o", dir.path() + "/one.SVG", kTens,
                        "-n", "30"})
                  .status,
              0);
    const std::vector<std::string> expected{"b-1.svg", "b-2.svg", "b-3.svg", "one.SVG"};
    ASSERT_EQ(listing(dir.path()), expected);
    for (const std::string& name : expected)
        EXPECT_EQ(runCommand("/usr/bin/xmllint", {"--noout", dir.path() + "/" + name}).status, 0)
            << name;
}

// The second board has one solution that deduction cannot reach: the exact solver gives
// its key, with a warning, as a player would need to guess. The first has none.
TEST(SheetProgram, AnUnsolvedPuzzleIsMarkedAndTheBookStillMade) {
    const TempDir dir;
    const std::string problems =
        dir.write("p.txt",
                  "1/1/3/1.2/\n\n0/10/10/4.6....5.3/........../3...2..6.5/....3.21../"
                  "........../....3..4../........../5.6....3.3/........../3.3......2/\n");
    const CommandResult result = runSheet({"-s", "-o", dir.path() + "/k.png", problems});
    EXPECT_EQ(result.status, 0);
    EXPECT_NE(result.err.find("p.txt:1: warning: puzzle 1 has no solution"), std::string::npos)
        << result.err;
    EXPECT_NE(result.err.find("p.txt:3: warning: puzzle 2 has one solution, but deduction "
                              "cannot reach it"),
              std::string::npos)
        << result.err;
    EXPECT_EQ(listing(dir.path()), (std::vector<std::string>{"k-1.png", "k-2.png", "p.txt"}));
}

// The exact search behind the key stops at its time limit and says so; the book is made.
TEST(SheetProgram, AKeySearchThatRunsOutOfTimeIsReported) {
    const TempDir dir;
    const std::string problems =
        dir.write("p.txt",
                  "0/10/10/4.6....5.3/........../3...2..6.5/....3.21../"
                  "........../....3..4../........../5.6....3.3/........../3.3......2/\n");
    const CommandResult result =
        runSheet({"-s", "--time-limit", "0.000000001", "-o", dir.path() + "/k.pdf", problems});
    EXPECT_EQ(result.status, 0);
    EXPECT_NE(result.err.find("p.txt:1: warning: puzzle 1 was not decided: the exact search "
                              "reached its time limit of 1e-09 s"),
              std::string::npos)
        << result.err;
}

TEST(SheetProgram, FailuresSayWhyAndLeaveNoFile) {
    const TempDir dir;
    const std::string good = dir.write("good.txt", "1/1/3/1.1/\n");
    const std::string bad = dir.write("bad.txt", "1/1/3/1.1/\n2/x\n");
    const std::string out = dir.path() + "/out.pdf";
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string message;
    };
    const Case cases[] = {
        {{"-o", out, dir.path() + "/missing.txt"}, 1, "cannot open " + dir.path() + "/missing.txt"},
        {{"-o", out, dir.path()}, 1, "it is a directory"},
        {{"-o", out, good, bad}, 1, "bad.txt:2: not a problem line"},
        {{"-o", dir.path() + "/no/such/dir.pdf", good}, 1, "cannot write"},
        {{"-o", dir.path() + "/out.ps", good}, 2, "cannot tell the format"},
        {{"-o", out, "--dpi", "10", good}, 2, "--dpi '10'"},
        {{"-o", out, "--per-page", "0", good}, 2, "--per-page '0'"},
        {{"-o", out, "--max-pages", "99999999999999999999", good},
         2,
         "--max-pages '99999999999999999999'"},
        {{"-o", out, "--paper", "tabloid", good}, 2, "--paper 'tabloid'"},
        {{"-o", out, "--paper", "40x100mm", good}, 2, "--paper '40x100mm'"},
        {{"-o", out, "--paper", "a5", "--margin", "60", good}, 2, "leave less than 40 mm"},
        {{"-o", out, "--caption", "{number} {colour}", good}, 2, "unknown field {colour}"},
        {{"-o", out, "--key-per-page", "61", good}, 2, "--key-per-page '61'"},
        {{"-o", out, "--min-cell", "0.5", good}, 2, "--min-cell '0.5'"},
        {{"-o", out, "--pad-to", "0", good}, 2, "--pad-to '0'"},
        {{"-o", out, "--title", "a\nb", good}, 2, "--title"},
        // Noncharacters, which cairo refuses as invalid UTF-8 only once it draws.
        {{"-o", out, "--title", "a\uFFFF", good}, 2, "--title"},
        {{"-o", out, "--title", "\uFDD0", good}, 2, "--title"},
        {{"-o", out, "--title", "x\U0001FFFEy", good}, 2, "--title"},
        {{"-o", out, "--title", "\U0010FFFF", good}, 2, "--title"},
        {{"-o", out, "--time-limit", "-1", good}, 2, "--time-limit '-1'"},
        {{"-o", out, "--date", "2026-02-29", good}, 2, "--date '2026-02-29'"},
        {{"-o", out, "--date-step", "2d", good}, 2, "--date-step needs --date"},
        {{"-o", out, "--date", "2026-12-07", "--date-step", "2y", good}, 2, "--date-step '2y'"},
        {{"-o", dir.path() + "/b-{colour}.pdf", good}, 2, "unknown field {colour}"},
        {{"-o", dir.path() + "/b-{date}.pdf", good}, 2, "-o names {date}: give the first date"},
        {{"-o", out, "--proof", "-s", good}, 2, "--proof shows each solution"},
        {{"-o", out, "--pages", "0", good}, 2, "--pages '0'"},
        {{"-o", out, "--frobnicate", good}, 2, "unknown option '--frobnicate'"},
        {{good}, 2, "no output file"},
        {{"-o", out}, 2, "no problem file"},
    };
    for (const Case& c : cases) {
        const CommandResult result = runSheet(c.args);
        EXPECT_EQ(result.status, c.status) << c.message;
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
        EXPECT_EQ(listing(dir.path()), (std::vector<std::string>{"bad.txt", "good.txt"}));
    }
}

TEST(SheetProgram, AFailedWriteLeavesNoPartOfTheBook) {
    const TempDir dir;
    // Two PNG pages: a nearly empty one that fits under the limit, then a full one that
    // does not; the first must go too.
    const std::string row = "1.2.3.4.5.6.7.8.1.2.3.4.5/";
    std::string full = "1/25/25/";
    for (int r = 0; r < 25; ++r)
        full += row;
    const std::string problems = dir.write("p.txt", "1/1/3/1.1/\n" + full + "\n");
    struct Case {
        std::string out;
        std::string input;
        long limit;
    };
    for (const Case& c : {Case{"/b.png", problems, 60000}, Case{"/b.pdf", kTens, 20000}}) {
        testing::RunOptions options;
        options.fileSizeLimit = c.limit;
        const CommandResult result =
            runCommand(SPANWRIGHT_SHEET_EXE, {"-o", dir.path() + c.out, c.input}, options);
        EXPECT_EQ(result.status, 1);
        EXPECT_NE(result.err.find("cannot write " + dir.path() + "/b"), std::string::npos)
            << result.err;
        EXPECT_EQ(listing(dir.path()), std::vector<std::string>{"p.txt"});
    }
}

/// The sheet size an SVG page was drawn for: "595.276pt" for A4, "612pt" for Letter.
std::string svgWidth(const std::string& path) {
    const std::string svg = testing::readFile(path);
    const std::size_t at = svg.find("width=\"");
    return at == std::string::npos ? "" : svg.substr(at + 7, svg.find('"', at + 7) - at - 7);
}

// Two runs, one on A4 and one on Letter, write three pages each to one name at the same
// moment: every page must come from the same run.
TEST(SheetProgram, ConcurrentRunsToOneNameLeaveOneRunsPages) {
    for (int round = 1; round <= 4; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        const TempDir dir;
        testing::StartGate gate;
        testing::RunOptions options;
        options.gate = &gate;
        std::vector<std::unique_ptr<testing::StartedCommand>> runs;
        for (const char* paper : {"a4", "letter"})
            runs.push_back(std::make_unique<testing::StartedCommand>(
                SPANWRIGHT_SHEET_EXE,
                std::vector<std::string>{"-p", paper, "-n", "5", "-o", dir.path() + "/b.svg",
                                         kTens},
                options));
        gate.open();
        for (const auto& run : runs)
            EXPECT_EQ(run->wait().status, 0);
        ASSERT_EQ(listing(dir.path()), (std::vector<std::string>{"b-1.svg", "b-2.svg", "b-3.svg"}));
        const std::string width = svgWidth(dir.path() + "/b-1.svg");
        EXPECT_EQ(svgWidth(dir.path() + "/b-2.svg"), width);
        EXPECT_EQ(svgWidth(dir.path() + "/b-3.svg"), width);
    }
}

// A directory where page 2 of the new book would go: nothing is published, the old book
// stands whole, and the message says so. A FIFO at a single page's name is refused alike.
TEST(SheetProgram, AnUnplaceablePageKeepsTheOldBook) {
    const TempDir dir;
    const std::string old1 = dir.write("b-1.svg", "old page 1\n");
    const std::string old3 = dir.write("b-3.svg", "old page 3\n");
    std::filesystem::create_directory(dir.path() + "/b-2.svg");
    const CommandResult result = runSheet({"-n", "5", "-o", dir.path() + "/b.svg", kTens});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("cannot write " + dir.path() +
                              "/b-2.svg: it is a directory; "
                              "nothing was written, what stood there is untouched"),
              std::string::npos)
        << result.err;
    EXPECT_EQ(testing::readFile(old1), "old page 1\n");
    EXPECT_EQ(testing::readFile(old3), "old page 3\n");
    EXPECT_EQ(listing(dir.path()), (std::vector<std::string>{"b-1.svg", "b-2.svg", "b-3.svg"}));

    ASSERT_EQ(mkfifo((dir.path() + "/one.png").c_str(), 0600), 0);
    const CommandResult fifo =
        runSheet({"-n", "30", "--min-cell", "3.5", "-o", dir.path() + "/one.png", kTens});
    EXPECT_EQ(fifo.status, 1);
    EXPECT_NE(fifo.err.find("one.png: it is a FIFO"), std::string::npos) << fifo.err;
}

// Output names up to the system's 255 bytes are taken: the staged files have short names
// of their own.
TEST(SheetProgram, AnOutputNameOf250BytesIsTaken) {
    const TempDir dir;
    const std::string name = std::string(246, 'b') + ".pdf";
    const CommandResult result = runSheet({"-o", dir.path() + "/" + name, kTens});
    EXPECT_EQ(result.status, 0) << result.err;
    EXPECT_EQ(listing(dir.path()), std::vector<std::string>{name});
}

TEST(SheetProgram, ABookPastMaxPagesIsNotWritten) {
    const TempDir dir;
    // Twelve puzzles, six a page: two puzzle pages and, with the key, one key page.
    EXPECT_EQ(runSheet({"--max-pages", "2", "-o", dir.path() + "/two.pdf", kTens}).status, 0);
    const CommandResult result =
        runSheet({"--max-pages", "2", "-s", "-o", dir.path() + "/three.pdf", kTens});
    EXPECT_EQ(result.status, 1);
    EXPECT_NE(result.err.find("more than 2 pages"), std::string::npos) << result.err;
    EXPECT_EQ(listing(dir.path()), std::vector<std::string>{"two.pdf"});
}

// Stopped while pages are being staged, the run removes them and ends by the signal.
TEST(SheetProgram, AStoppedRunLeavesNothing) {
    const TempDir dir;
    std::string lines;
    for (int i = 0; i < 20000; ++i)
        lines += "0/1/1/./\n";
    const std::string problems = dir.write("p.txt", lines);
    testing::StartedCommand run(SPANWRIGHT_SHEET_EXE,
                                {"--max-pages", "10000", "-o", dir.path() + "/b.svg", problems});
    // The staging directory appears, then fills with pages.
    std::string staging;
    for (int wait = 0; wait < 10000 && staging.empty(); ++wait, usleep(1000))
        for (const std::string& name : listing(dir.path()))
            if (name.rfind(".spanwright-", 0) == 0) staging = dir.path() + "/" + name;
    const auto staged = [&staging] {
        std::error_code error;
        auto entries = std::filesystem::directory_iterator(staging, error);
        return error ? 0 : std::distance(begin(entries), end(entries));
    };
    for (int wait = 0; wait < 10000 && !staging.empty() && staged() < 3; ++wait)
        usleep(1000);
    run.send(SIGTERM);
    EXPECT_EQ(run.wait().signal, SIGTERM);
    EXPECT_EQ(listing(dir.path()), std::vector<std::string>{"p.txt"});
}

TEST(SheetProgram, HelpAndVersion) {
    const CommandResult help = runSheet({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find("Usage: spanwright-sheet"), std::string::npos);
    const CommandResult version = runSheet({"--version"});
    EXPECT_EQ(version.status, 0);
    EXPECT_EQ(version.out, std::string("spanwright-sheet ") + SPANWRIGHT_VERSION + "\n");
}

/// The pages a run writes as SVG files: one a page.
std::size_t pagesOf(const std::vector<std::string>& args) {
    const TempDir dir;
    std::vector<std::string> all{"-o", dir.path() + "/p.svg"};
    all.insert(all.end(), args.begin(), args.end());
    const CommandResult result = runSheet(all);
    EXPECT_EQ(result.status, 0) << result.err;
    return listing(dir.path()).size();
}

// Section options apply to the FILEs after them, and after the last FILE to the last
// section; a title never changes the page count, nor does a section heading.
TEST(SheetProgram, SectionsAndTitlesGiveThePagesExpected) {
    struct Case {
        std::vector<std::string> args;
        std::size_t pages;
    };
    const Case cases[] = {
        {{kTens}, 2},
        {{"--title", "Bridges", kTens}, 2},
        {{"-s", kTens}, 3},
        {{"-s", "--title", "A title that is long", kTens}, 3},
        {{"-n", "4", kTens, "--section", "More", kTens}, 3 + 3},
        {{"-s", "-n", "4", kTens, "--section", "More", "-n", "6", kTens}, 3 + 2 + 2 + 1},
        {{"--section", "One", kTens, kTens}, 4},        // one section of 24
        {{kTens, kTens, "-n", "4"}, 6},                 // given last, for the last section
        {{"-n", "4", kTens, "-n", "6", kTens}, 3 + 2},  // a new density, a new page
        {{"-s", "--key-per-page", "4", kTens}, 2 + 3},
        {{"--pad-to", "4", "-s", kTens}, 4},
        {{"--pad-to", "4", "--first-page", "2", kTens}, 4},
    };
    for (const Case& c : cases) {
        std::string shown;
        for (const std::string& arg : c.args)
            shown += (arg == kTens ? "tens" : arg) + " ";
        EXPECT_EQ(pagesOf(c.args), c.pages) << shown;
    }
}

// --strict names every puzzle it refuses, writes nothing, and leaves the old book.
TEST(SheetProgram, StrictRefusesABookWithAnUnfitPuzzle) {
    const TempDir dir;
    const std::string problems =
        dir.write("p.txt",
                  "1/1/3/1.2/\n1/1/3/1.1/\n0/10/10/4.6....5.3/........../3...2..6.5/....3.21../"
                  "........../....3..4../........../5.6....3.3/........../3.3......2/\n");
    const std::string old = dir.write("book.pdf", "the old book\n");
    const CommandResult result = runSheet({"--strict", "-o", old, kTens, problems});
    EXPECT_EQ(result.status, 1);
    for (const char* said :
         {"p.txt:1: error: puzzle 13 has no solution",
          "p.txt:3: error: puzzle 15 has one solution, but deduction cannot reach it",
          "--strict: 2 puzzles cannot go into the book; nothing written"})
        EXPECT_NE(result.err.find(said), std::string::npos) << result.err;
    EXPECT_EQ(result.err.find("puzzle 14"), std::string::npos) << result.err;
    EXPECT_EQ(testing::readFile(old), "the old book\n");
    EXPECT_EQ(listing(dir.path()), (std::vector<std::string>{"book.pdf", "p.txt"}));
    EXPECT_EQ(runSheet({"--strict", "-s", "-o", old, kTens}).status, 0);
}

// Front matter counts in the pages; --pages lays the book out to the count asked, front
// matter and key included, or says which it cannot meet and what can be had.
TEST(SheetProgram, ABookIsMadeToThePageCountAsked) {
    const std::string fifteens = kData + "/seeded-4343-15-6.txt";
    const std::string twenties = kData + "/seeded-4444-20-3.txt";
    const std::vector<std::string> front{"--title-page", "Bridges", "--rules", "--contents"};
    const auto with = [&](std::vector<std::string> args) {
        args.insert(args.begin(), front.begin(), front.end());
        return args;
    };
    const std::vector<std::string> sections{"--section", "Ten",     kTens,
                                            "--section", "Fifteen", fifteens,
                                            "--section", "Twenty",  twenties};
    const auto mix = [&](const std::string& pages) {
        std::vector<std::string> args = with({"-s", "--pages", pages});
        args.insert(args.end(), sections.begin(), sections.end());
        return args;
    };
    EXPECT_EQ(pagesOf(with({kTens})), 3u + 2u);
    EXPECT_EQ(pagesOf({"--rules", "-s", kTens}), 1u + 3u);
    EXPECT_EQ(pagesOf({"--proof", kTens}), 4u);  // three a page, each beside its solution
    for (const std::size_t pages : {9u, 11u})
        EXPECT_EQ(pagesOf(mix(std::to_string(pages))), pages);
    EXPECT_EQ(pagesOf({"--pages", "2", "--pad-to", "2", kTens, kTens}), 2u);

    const TempDir dir;
    const std::string out = dir.path() + "/book.pdf";
    struct Refusal {
        std::vector<std::string> args;
        std::string said;
    };
    const Refusal refusals[] = {
        {mix("8"), "--pages 8 cannot be met: the fewest pages the book can have is 9"},
        {mix("13"), "--pages 13 cannot be met: all 21 puzzles of the files fill only 12 pages"},
    };
    for (const Refusal& refusal : refusals) {
        std::vector<std::string> args{"-o", out};
        args.insert(args.end(), refusal.args.begin(), refusal.args.end());
        const CommandResult result = runSheet(args);
        EXPECT_EQ(result.status, 1);
        EXPECT_NE(result.err.find(refusal.said), std::string::npos) << result.err;
        EXPECT_EQ(listing(dir.path()), std::vector<std::string>{});
    }
    if (!haveTool("pdftotext")) GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    std::vector<std::string> args{"-o", out};
    const std::vector<std::string> book = mix("12");
    args.insert(args.end(), book.begin(), book.end());
    ASSERT_EQ(runSheet(args).status, 0);
    const CommandResult contents =
        runCommand("/usr/bin/pdftotext", {"-f", "3", "-l", "3", "-layout", out, "-"});
    for (const char* line : {"How to play", "Ten", "Fifteen", "Twenty", "Solutions: Twenty"})
        EXPECT_NE(contents.out.find(line), std::string::npos) << contents.out;
    const CommandResult twenty = runCommand("/usr/bin/pdftotext", {"-f", "8", "-l", "8", out, "-"});
    EXPECT_NE(twenty.out.find("Twenty"), std::string::npos) << twenty.out;
}

// A PNG page is drawn whole in memory: a poster at 600 dpi would take gigabytes, so it is
// refused before anything is read, with the resolution that would do.
TEST(SheetProgram, APngPageHasABoundOnItsPixels) {
    const TempDir dir;
    const CommandResult result = runSheet(
        {"--paper", "1200x1200mm", "--dpi", "600", "-o", dir.path() + "/poster.png", kTens});
    EXPECT_EQ(result.status, 2);
    EXPECT_NE(result.err.find("28346 x 28346 pixels, more than 10000 a side: give --dpi 211"),
              std::string::npos)
        << result.err;
    EXPECT_EQ(listing(dir.path()), std::vector<std::string>{});
    EXPECT_EQ(runSheet({"--paper", "1200x1200mm", "--dpi", "211", "-o", dir.path() + "/poster.pdf",
                        kTens})
                  .status,
              0);
}

}  // namespace
}  // namespace spanwright
