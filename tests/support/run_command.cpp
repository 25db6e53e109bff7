#include "tests/support/run_command.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace spanwright::testing {

CommandResult runCommand(const std::string& program, const std::vector<std::string>& args,
                         const RunOptions& options) {
    return StartedCommand(program, args, options).wait();
}

StartedCommand::StartedCommand(const std::string& program, const std::vector<std::string>& args,
                               const RunOptions& options) {
    const std::string outPath = capture_.path() + "/out";
    const std::string errPath = capture_.path() + "/err";

    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& arg : args)
        argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);

    const pid_t child = fork();
    if (child == 0) {
        const int in = open("/dev/null", O_RDONLY);
        const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (in < 0 || out < 0 || err < 0) _exit(126);
        dup2(in, 0);
        dup2(out, 1);
        dup2(err, 2);
        if (options.closeStdout) close(1);
        // A test runner may ignore or block signals; the program gets what a shell gives it.
        for (const int signal : {SIGINT, SIGTERM, SIGHUP, SIGPIPE})
            std::signal(signal, SIG_DFL);
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        if (!options.workDir.empty() && chdir(options.workDir.c_str()) != 0) _exit(126);
        if (options.fileSizeLimit >= 0) {
            // Writes past the limit then fail with EFBIG instead of killing the program.
            std::signal(SIGXFSZ, SIG_IGN);
            const rlimit limit{rlim_t(options.fileSizeLimit), rlim_t(options.fileSizeLimit)};
            if (setrlimit(RLIMIT_FSIZE, &limit) != 0) _exit(126);
        }
        if (options.memoryLimit >= 0) {
            const rlimit limit{rlim_t(options.memoryLimit), rlim_t(options.memoryLimit)};
            if (setrlimit(RLIMIT_AS, &limit) != 0) _exit(126);
        }
        if (options.gate) options.gate->pass();
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    child_ = child > 0 ? child : -1;
}

StartedCommand::~StartedCommand() {
    if (child_ > 0) wait();
}

CommandResult StartedCommand::wait() {
    CommandResult result;
    int status = 0;
    if (child_ > 0 && waitpid(child_, &status, 0) == child_) {
        if (WIFEXITED(status)) result.status = WEXITSTATUS(status);
        if (WIFSIGNALED(status)) result.signal = WTERMSIG(status);
    }
    child_ = -1;
    result.out = readFile(capture_.path() + "/out");
    result.err = readFile(capture_.path() + "/err");
    return result;
}

std::string StartedCommand::outputSoFar() const {
    return readFile(capture_.path() + "/out");
}

void StartedCommand::send(int signal) const {
    if (child_ > 0) kill(child_, signal);
}

CommandResult runSpanwright(const std::vector<std::string>& args, const std::string& workDir) {
    RunOptions options;
    options.workDir = workDir;
    return runCommand(SPANWRIGHT_EXE, args, options);
}

CommandResult runSpanwright(const std::vector<std::string>& args, const RunOptions& options) {
    return runCommand(SPANWRIGHT_EXE, args, options);
}

StartGate::StartGate() {
    int ends[2];
    // Close-on-exec: the programs themselves never hold the gate.
    if (pipe2(ends, O_CLOEXEC) != 0) std::abort();
    readEnd_ = ends[0];
    writeEnd_ = ends[1];
}

StartGate::~StartGate() {
    open();
    close(readEnd_);
}

void StartGate::open() {
    // Every waiting child reads the end of the pipe once the last write end is gone; each
    // child closed its own copy in pass().
    if (writeEnd_ >= 0) close(writeEnd_);
    writeEnd_ = -1;
}

void StartGate::pass() const {
    if (writeEnd_ >= 0) close(writeEnd_);
    char byte;
    while (read(readEnd_, &byte, 1) < 0 && errno == EINTR) {
    }
}

TempDir::TempDir() {
    std::string pattern =
        (std::filesystem::temp_directory_path() / "spanwright-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) std::abort();
    path_ = pattern;
}

TempDir::~TempDir() {
    std::error_code ignored;
    // Restore permissions first, in case a test made the directory unwritable.
    std::filesystem::permissions(path_, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ignored);
    std::filesystem::remove_all(path_, ignored);
}

std::string TempDir::write(const std::string& name, const std::string& contents) const {
    const std::string file = path_ + "/" + name;
    std::ofstream(file, std::ios::binary) << contents;
    return file;
}

std::string readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

std::vector<std::string> listing(const std::string& directory) {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(directory))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace spanwright::testing
