// Arbitrary bytes as the command line of spanwright-make or spanwright-explain: the first
// byte picks the program, the rest is split at NUL bytes into the arguments. Reading them
// must never crash or read past an argument; a command line taken must ask for something
// the program can do (sizes, shares, counts and limits within their ranges), and one
// refused must be refused with the usage status. Nothing is made or explained: the work
// behind a request is fuzzed by the other targets.

#include <fcntl.h>
#include <getopt.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "app/cli/program.h"
#include "app/explain/explain_options.h"
#include "app/make/make_options.h"
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

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) return 0;
    const bool make = (data[0] & 1u) == 0;
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
    else
        checkExplain(argc, argv.data());
    return 0;
}
