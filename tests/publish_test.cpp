// A book whose page cannot be put in place: the old book stands again, or the publisher says
// truthfully that it could not put it back. The failures are forced by standing in for the
// system's rename and link calls, in this test program only; every other call goes through.

#include <dlfcn.h>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <string>
#include <vector>

#include "app/cli/staged_output.h"
#include "tests/support/run_command.h"

namespace {

/// What the stand-ins refuse. Staged files are named by their page number in the staging
/// folder, and the old page kept during publishing by "o" and the number, so a name alone
/// picks the step that fails.
struct Faults {
    std::vector<std::string> refusedRenames;  ///< staged names whose rename fails
    bool noHardLinks = false;                 ///< every link fails as on a file system without
};
Faults faults;

template <typename Function>
Function real(const char* name) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

}  // namespace

extern "C" int renameat(int fromDirectory, const char* from, int toDirectory,
                        const char* to) noexcept {
    using Rename = int (*)(int, const char*, int, const char*);
    static const Rename systemRename = real<Rename>("renameat");
    for (const std::string& refused : faults.refusedRenames)
        if (refused == from) {
            errno = EIO;
            return -1;
        }
    return systemRename(fromDirectory, from, toDirectory, to);
}

extern "C" int linkat(int fromDirectory, const char* from, int toDirectory, const char* to,
                      int flags) noexcept {
    using Link = int (*)(int, const char*, int, const char*, int);
    static const Link systemLink = real<Link>("linkat");
    if (faults.noHardLinks) {
        errno = EPERM;
        return -1;
    }
    return systemLink(fromDirectory, from, toDirectory, to, flags);
}

namespace spanwright {
namespace {

using testing::listing;
using testing::readFile;
using testing::TempDir;

struct RollbackCase {
    const char* name;
    int oldPages;  ///< the book that stood before, "old 1" ...
    bool noHardLinks;
    std::vector<std::string> refusedRenames;  ///< "3" fails placing the new page 3
    PublishOutcome outcome;
    std::vector<std::string> after;  ///< each page's contents afterwards, "" for none
    /// Where an old page that could not go back is kept, beside the book ("" for none;
    /// "staging" for the staging folder, which then stays), and what it holds.
    std::string kept, keptContents;
};

class Rollback : public ::testing::TestWithParam<RollbackCase> {
  protected:
    void TearDown() override { faults = Faults{}; }
};

TEST_P(Rollback, OldBookOrMixSaid) {
    const RollbackCase& c = GetParam();
    const TempDir dir;
    std::vector<std::string> pages, expectedListing;
    for (int page = 1; page <= 4; ++page) {
        pages.push_back(dir.path() + "/book-" + std::to_string(page) + ".svg");
        if (page <= c.oldPages)
            dir.write("book-" + std::to_string(page) + ".svg", "old " + std::to_string(page));
    }
    {
        StagedOutput staged(pages.front());
        ASSERT_TRUE(staged.ready()) << staged.error();
        for (int page = 1; page <= 4; ++page) {
            std::FILE* file = staged.stage();
            ASSERT_NE(file, nullptr) << staged.error();
            std::fputs(("new " + std::to_string(page)).c_str(), file);
            ASSERT_TRUE(staged.finish(file)) << staged.error();
        }
        faults.refusedRenames = c.refusedRenames;
        faults.noHardLinks = c.noHardLinks;
        EXPECT_EQ(staged.publish(pages), c.outcome);
        EXPECT_EQ(staged.failedTarget(), pages[2]);
        EXPECT_EQ(staged.error(), "Input/output error");
        faults = Faults{};
        ASSERT_EQ(staged.keptOld().size(), c.kept.empty() ? 0u : 1u);
        if (!c.kept.empty()) {
            const std::string place = staged.keptOld()[0].place;
            EXPECT_EQ(readFile(place), c.keptContents);
            EXPECT_NE(keptOldText(staged).find(" is kept as " + place), std::string::npos);
            if (c.kept == "staging") {
                // Left there, it must outlive the sweep of stale staging folders.
                const std::string folder = place.substr(0, place.rfind('/'));
                const timespec old[2] = {{0, UTIME_OMIT}, {1, 0}};
                ASSERT_EQ(utimensat(AT_FDCWD, folder.c_str(), old, 0), 0);
                StagedOutput sweeping(pages.front());
                EXPECT_EQ(readFile(place), c.keptContents);
                expectedListing.push_back(folder.substr(folder.rfind('/') + 1));
            } else {
                expectedListing.push_back(c.kept);
            }
        }
    }
    std::vector<std::string> after;
    for (int page = 0; page < 4; ++page) {
        const bool stands = access(pages[std::size_t(page)].c_str(), F_OK) == 0;
        after.push_back(stands ? readFile(pages[std::size_t(page)]) : "");
        if (!c.after[std::size_t(page)].empty())
            expectedListing.push_back("book-" + std::to_string(page + 1) + ".svg");
    }
    EXPECT_EQ(after, c.after);
    std::sort(expectedListing.begin(), expectedListing.end());
    EXPECT_EQ(listing(dir.path()), expectedListing) << "nothing else is left behind";
}

const std::vector<std::string> OLD_BOOK = {"old 1", "old 2", "old 3", "old 4"};

INSTANTIATE_TEST_SUITE_P(
    Page3, Rollback,
    ::testing::Values(
        RollbackCase{"linked", 4, false, {"3"}, PublishOutcome::Restored, OLD_BOOK, "", ""},
        RollbackCase{"moved", 4, true, {"3"}, PublishOutcome::Restored, OLD_BOOK, "", ""},
        // The new book is longer: the pages the old one lacked are taken away again.
        RollbackCase{"longer",
                     2,
                     false,
                     {"3"},
                     PublishOutcome::Restored,
                     {"old 1", "old 2", "", ""},
                     "",
                     ""},
        // The old page 2 cannot be put back: page 1 is old again, page 2 still new.
        RollbackCase{"page2stuck",
                     4,
                     false,
                     {"3", "o2"},
                     PublishOutcome::Mixed,
                     {"old 1", "new 2", "old 3", "old 4"},
                     "book-2.svg.old",
                     "old 2"},
        // Without hard links the old page 3 was moved aside and can neither come back nor
        // be named beside the book: it stays in the staging folder.
        RollbackCase{"page3lost",
                     4,
                     true,
                     {"3", "o3"},
                     PublishOutcome::Mixed,
                     {"old 1", "old 2", "", "old 4"},
                     "staging",
                     "old 3"}),
    [](const ::testing::TestParamInfo<RollbackCase>& tested) { return tested.param.name; });

}  // namespace
}  // namespace spanwright
