// Every option a companion program takes is the same in the three places a user reads of it:
// its --help, the OPTIONS of its manual page, and its section of the README.

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "tests/support/run_command.h"

namespace spanwright::testing {
namespace {

const std::string SOURCE = std::string(SPANWRIGHT_TEST_DATA) + "/../..";

std::string readText(const std::string& path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

/// Every long option named in `text` ("--time-limit").
std::set<std::string> longOptions(const std::string& text) {
    static const std::regex OPTION("--[a-z][a-z0-9-]*");
    std::set<std::string> found;
    for (auto it = std::sregex_iterator(text.begin(), text.end(), OPTION);
         it != std::sregex_iterator(); ++it)
        found.insert(it->str());
    return found;
}

/// The long options a manual page lists under OPTIONS: the tags of its .TP items, with the
/// troff escapes for fonts and hyphens taken out. Other programs' options named in the prose
/// do not count.
std::set<std::string> manPageOptions(const std::string& page) {
    std::istringstream lines(page);
    std::string tags;
    bool inOptions = false;
    bool tagNext = false;
    for (std::string line; std::getline(lines, line);) {
        if (line.rfind(".SH", 0) == 0) inOptions = line.find("OPTIONS") != std::string::npos;
        if (inOptions && tagNext) tags += line + "\n";
        tagNext = line.rfind(".TP", 0) == 0;
    }
    tags = std::regex_replace(tags, std::regex(R"(\\f[BIRP])"), "");
    tags = std::regex_replace(tags, std::regex(R"(\\-)"), "-");
    return longOptions(tags);
}

/// The README's section on `program`: from its heading to the next one.
std::string readmeSection(const std::string& readme, const std::string& program) {
    const std::size_t heading = readme.find(": `" + program + "`\n");
    if (heading == std::string::npos) return "";
    const std::size_t next = readme.find("\n## ", heading);
    return readme.substr(heading, next == std::string::npos ? std::string::npos : next - heading);
}

class OptionDocs : public ::testing::TestWithParam<const char*> {};

TEST_P(OptionDocs, HelpManPageAndReadmeAgree) {
    const std::string program = GetParam();
    // The programs are built side by side: spanwright, spanwright-seeded, ...
    const CommandResult help = runCommand(SPANWRIGHT_EXE + program.substr(10), {"--help"});
    ASSERT_EQ(help.status, 0);
    const std::set<std::string> options = longOptions(help.out);
    ASSERT_GT(options.size(), 2u) << help.out;

    EXPECT_EQ(manPageOptions(readText(SOURCE + "/doc/" + program + ".1")), options)
        << "the OPTIONS of doc/" << program << ".1 against --help";

    const std::string section = readmeSection(readText(SOURCE + "/README.md"), program);
    ASSERT_NE(section, "") << "no README section on " << program;
    const std::set<std::string> inReadme = longOptions(section);
    for (const std::string& option : options)
        if (option != "--help" && option != "--version") {
            EXPECT_TRUE(inReadme.count(option)) << option << " is not in the README on " << program;
        }
}

INSTANTIATE_TEST_SUITE_P(Companions, OptionDocs,
                         ::testing::Values("spanwright-seeded", "spanwright-make",
                                           "spanwright-check", "spanwright-explain",
                                           "spanwright-sheet", "spanwright-convert"),
                         [](const ::testing::TestParamInfo<const char*>& tested) {
                             return std::string(tested.param).substr(11);
                         });

}  // namespace
}  // namespace spanwright::testing
