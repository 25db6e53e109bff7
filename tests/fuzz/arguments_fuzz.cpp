// Arbitrary bytes as the command line of spanwright-make, spanwright-explain or
// spanwright-sheet: the first byte picks the program, the rest is split at NUL bytes into
// the arguments. Reading them
// must never crash or read past an argument; a command line taken must ask for something
// the program can do (sizes, shares, counts and limits within their ranges), and one
// refused must be refused with the usage status. Nothing is made, explained or drawn: the work
// behind a request is fuzzed by the other targets.

#include <fcntl.h>
#include <getopt.h>
#include <unistd.h>

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "app/cli/program.h"
#include "app/explain/explain_options.h"
#include "app/make/make_options.h"
#include "app/sheet/sheet_options.h"
#include "tests/fuzz/fuzz_check.h"

namespace {

// getopt has nothing to do past a few dozen arguments that it has not done before.
constexpr std::size_t MAX_ARGUMENTS = 64;

/// Standard output sent to /dev/null while it lives: --help would otherwise flood the log.
/// Standard error stays, for the sanitizers' reports.
class QuietOutput {
  public:
    QuietOutput() {
        std::fflush(stdout);
        saved_ = dup(STDOUT_FILENO);
        const int null = open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (null >= 0) {
            dup2(null, STDOUT_FILENO);
            close(null);
        }
    }
    ~QuietOutput() {
        std::fflush(stdout);
        std::clearerr(stdout);
        if (saved_ >= 0) {
            dup2(saved_, STDOUT_FILENO);
            close(saved_);
        }
    }
    QuietOutput(const QuietOutput&) = delete;
    QuietOutput& operator=(const QuietOutput&) = delete;

  private:
    int saved_ = -1;
};

void checkMake(int argc, char** argv) {
    namespace make = spanwright::make;
    namespace maker = spanwright::maker;
    make::MakeOptions options;
    const int status = make::readMakeOptions(argc, argv, options);
    FUZZ_CHECK(status == make::GO_ON || status == 0 || status == spanwright::USAGE_STATUS,
               "make: an exit status other than 0 or 2 for a command line");
    if (status != make::GO_ON) return;
    const maker::MakeRequest& request = options.request;
    FUZZ_CHECK(request.width >= maker::MIN_SIDE && request.width <= maker::MAX_SIDE &&
                   request.height >= maker::MIN_SIDE && request.height <= maker::MAX_SIDE,
               "make: a size out of range taken");
    FUZZ_CHECK(request.islandPercent >= maker::MIN_ISLAND_PERCENT &&
                   request.islandPercent <= maker::MAX_ISLAND_PERCENT,
               "make: an island share out of range taken");
    FUZZ_CHECK(options.count >= 0 && options.count <= make::MAX_COUNT, "make: a count taken");
    FUZZ_CHECK(options.jobs >= 1 && options.jobs <= make::MAX_JOBS, "make: a job count taken");
}

void checkExplain(int argc, char** argv) {
    namespace explain = spanwright::explain;
    explain::Settings settings;
    const int status = explain::readExplainOptions(argc, argv, settings);
    FUZZ_CHECK(status == explain::GO_ON || status == 0 || status == spanwright::USAGE_STATUS,
               "explain: an exit status other than 0 or 2 for a command line");
    if (status != explain::GO_ON) return;
    FUZZ_CHECK(optind >= 1 && optind <= argc, "explain: the files start outside argv");
    FUZZ_CHECK(settings.timeLimit >= 0 && settings.timeLimit <= spanwright::MAX_TIME_LIMIT_SECONDS,
               "explain: a time limit out of range taken");
    FUZZ_CHECK(!(settings.json && settings.pictures), "explain: pictures in JSON taken");
}

void checkSheet(int argc, char** argv) {
    namespace sheet = spanwright::sheet;
    sheet::Options options;
    const int status = sheet::readSheetOptions(argc, argv, options);
    FUZZ_CHECK(status == sheet::GO_ON || status == 0 || status == spanwright::USAGE_STATUS,
               "sheet: an exit status other than 0 or 2 for a command line");
    if (status != sheet::GO_ON) return;
    FUZZ_CHECK(!options.output.empty() && !options.files.empty(), "sheet: no output or no file");
    FUZZ_CHECK(options.fileSections.size() == options.files.size() && !options.sections.empty(),
               "sheet: a file without its section");
    for (std::size_t k = 0; k < options.fileSections.size(); ++k)
        FUZZ_CHECK(options.fileSections[k] >= 0 &&
                       std::size_t(options.fileSections[k]) < options.sections.size() &&
                       (k == 0 || options.fileSections[k] >= options.fileSections[k - 1]),
                   "sheet: sections out of order");
    for (const sheet::Section& section : options.sections)
        FUZZ_CHECK(section.perPage >= 0 && section.perPage <= sheet::MAX_PER_PAGE &&
                       section.keyPerPage >= 0 && section.keyPerPage <= 2 * sheet::MAX_PER_PAGE &&
                       sheet::isPrintableText(section.heading),
                   "sheet: a section's density or heading out of range taken");
    FUZZ_CHECK(options.dpi >= sheet::MIN_DPI && options.dpi <= sheet::MAX_DPI,
               "sheet: a resolution out of range taken");
    FUZZ_CHECK(options.pages >= 0 && options.pages <= sheet::MAX_PAGES && options.maxPages >= 1 &&
                   options.maxPages <= sheet::MAX_PAGES && options.padTo >= 1 &&
                   options.padTo <= sheet::MAX_PAD_TO,
               "sheet: a page count out of range taken");
    FUZZ_CHECK(options.firstDay == spanwright::NO_DAY || (options.firstDay >= spanwright::MIN_DAY &&
                                                          options.firstDay <= spanwright::MAX_DAY),
               "sheet: a date out of range taken");
    FUZZ_CHECK(options.dateStep >= 0 && options.dateStep <= sheet::MAX_DATE_STEP_DAYS,
               "sheet: a date step out of range taken");
    FUZZ_CHECK(!(options.proof && options.solutions), "sheet: a proof with a key taken");
    FUZZ_CHECK(sheet::isPrintableText(options.title) && sheet::isPrintableText(options.titlePage),
               "sheet: a title cairo cannot set taken");
    FUZZ_CHECK(
        options.single.enabled ||
            std::max(options.paper.width, options.paper.height) * double(options.dpi) / 72.0 <
                spanwright::MAX_IMAGE_PIXELS + 0.5 ||
            options.output.size() < 4 ||
            options.output.compare(options.output.size() - 4, 4, ".png") != 0,
        "sheet: a PNG page past the pixel bound taken");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    // Even: make; odd: explain, or the sheet when the second bit is set too.
    const bool make = (data[0] & 1u) == 0;
    const bool sheet = (data[0] & 3u) == 3;
    // Each argument its own exactly sized allocation, so that reading past its end is caught.
    std::vector<std::vector<char>> arguments;
    arguments.push_back({'p', 'r', 'o', 'g', '\0'});
    std::vector<char> current;
    for (std::size_t k = 1; k < size && arguments.size() < MAX_ARGUMENTS; ++k) {
        if (data[k] == 0) {
            current.push_back('\0');
            arguments.push_back(std::move(current));
            current.clear();
        } else {
            current.push_back(char(data[k]));
        }
    }
    if (arguments.size() < MAX_ARGUMENTS && !current.empty()) {
        current.push_back('\0');
        arguments.push_back(std::move(current));
    }
    std::vector<char*> argv;
    for (std::vector<char>& argument : arguments)
        argv.push_back(argument.data());
    argv.push_back(nullptr);
    const int argc = int(arguments.size());

    // A fresh scan, as each program makes once: 0 makes glibc's getopt start over entirely.
    optind = 0;
    const QuietOutput quiet;
    if (make)
        checkMake(argc, argv.data());
    else if (sheet)
        checkSheet(argc, argv.data());
    else
        checkExplain(argc, argv.data());
    return 0;
}
