// The command-line library: names as messages show them, and the staged output's rules
// that the programs' own tests do not reach.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "app/cli/program.h"
#include "app/cli/staged_output.h"
#include "tests/support/run_command.h"

namespace spanwright {
namespace {

using testing::readFile;
using testing::TempDir;

TEST(PrintableName, EscapesEveryControlAndNothingElse) {
    const char* const cases[][2] = {
        {"book.pdf", "book.pdf"},
        {"Brücken\\1.txt", "Brücken\\1.txt"},  // nothing to escape: the backslash stays single
        {"a\nb\tc\rd", "a\\nb\\tc\\rd"},
        {"a\x1B[2Jb\x7F", "a\\033[2Jb\\177"},
        // C1 as UTF-8 (U+009B CSI, U+009D OSC), a stray byte, and U+00A0 shown as it is.
        {"a\xC2\x9B"
         "b\xC2\x9D\\",
         "a\\302\\233b\\302\\235\\\\"},
        {"a\x9B"
         "b\xC2\xA0",
         "a\\233b\xC2\xA0"},
        {"cut\xE2\x82", "cut\\342\\202"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(printableName(c[0]), c[1]) << c[0];
}

/// Stages one file holding `text` and returns the staging, ready to publish.
void stageText(StagedOutput& staged, const std::string& text) {
    ASSERT_TRUE(staged.ready()) << staged.error();
    std::FILE* file = staged.stage();
    ASSERT_NE(file, nullptr) << staged.error();
    std::fputs(text.c_str(), file);
    ASSERT_TRUE(staged.finish(file)) << staged.error();
}

TEST(StagedOutput, ASetReplacesOnlyRegularFiles) {
    const TempDir dir;
    const std::string first = dir.write("p-1.svg", "old 1");
    const std::string second = dir.path() + "/p-2.svg";
    {
        StagedOutput staged(first);
        stageText(staged, "new 1");
        stageText(staged, "new 2");
        EXPECT_EQ(staged.publish({first, second}), PublishOutcome::Published) << staged.error();
    }
    EXPECT_EQ(readFile(first), "new 1");
    EXPECT_EQ(readFile(second), "new 2");

    // A symbolic link is not replaced, even by a set whose other target is free.
    ASSERT_EQ(symlink("p-1.svg", (dir.path() + "/link.svg").c_str()), 0);
    {
        StagedOutput staged(first);
        stageText(staged, "x");
        stageText(staged, "y");
        EXPECT_EQ(staged.publish({dir.path() + "/free.svg", dir.path() + "/link.svg"}),
                  PublishOutcome::Untouched);
        EXPECT_EQ(staged.failedTarget(), dir.path() + "/link.svg");
    }
    EXPECT_FALSE(std::filesystem::exists(dir.path() + "/free.svg"));
    std::size_t entries = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(dir.path()))
        ++entries;
    EXPECT_EQ(entries, 3u) << "p-1.svg, p-2.svg and link.svg, no staging directory";
}

TEST(StagedOutput, ANewFileNeverReplacesOne) {
    const TempDir dir;
    const std::string taken = dir.write("n1", "kept");
    StagedOutput staged(taken);
    stageText(staged, "batch");
    ASSERT_TRUE(staged.publishAsNew(
        [&dir](int number) { return dir.path() + "/n" + std::to_string(number); }));
    EXPECT_EQ(readFile(taken), "kept");
    EXPECT_EQ(readFile(dir.path() + "/n2"), "batch");
}

}  // namespace
}  // namespace spanwright
