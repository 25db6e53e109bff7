#pragma once

#include <string>
#include <vector>

namespace spanwright::testing {

/// What a run of a program left behind.
struct CommandResult {
    int status = -1;  ///< exit status, or -1 when the program did not exit normally
    int signal = 0;   ///< the signal that ended the program, or 0
    std::string out;  ///< everything written to standard output
    std::string err;  ///< everything written to standard error
};

/// Holds back the programs started with it until open(), so that several begin at the same
/// moment instead of one fork and exec apart. Open it before waiting for any of them; going
/// out of scope opens it too.
class StartGate {
  public:
    StartGate();
    ~StartGate();
    StartGate(const StartGate&) = delete;
    StartGate& operator=(const StartGate&) = delete;
    void open();
    /// In a started child: returns once the gate is open.
    void pass() const;

  private:
    int readEnd_ = -1;
    int writeEnd_ = -1;  ///< -1 once open
};

/// How to run a program.
struct RunOptions {
    std::string workDir;              ///< the current directory when empty
    long fileSizeLimit = -1;          ///< bytes a file may grow to (writes beyond fail), or -1
    long memoryLimit = -1;            ///< bytes of address space the program may use, or -1
    bool closeStdout = false;         ///< start the program with descriptor 1 closed
    const StartGate* gate = nullptr;  ///< when set, the program waits for it to open
};

/// Runs `program` with `args`, standard input from /dev/null and default signal
/// dispositions, and collects its output.
CommandResult runCommand(const std::string& program, const std::vector<std::string>& args,
                         const RunOptions& options = {});

/// Runs the built spanwright executable.
CommandResult runSpanwright(const std::vector<std::string>& args, const std::string& workDir = "");
CommandResult runSpanwright(const std::vector<std::string>& args, const RunOptions& options);

/// A fresh empty directory under the system's temporary folder, removed with its contents
/// when the object goes.
class TempDir {
  public:
    TempDir();
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& path() const { return path_; }
    /// Writes a file in the directory and returns its full path.
    std::string write(const std::string& name, const std::string& contents) const;

  private:
    std::string path_;
};

/// The names of the entries of `directory`, sorted.
std::vector<std::string> listing(const std::string& directory);

/// A program started as runCommand starts it, to be waited for later, so that several can
/// run at the same time. Going out of scope waits for it too, so none is left running.
class StartedCommand {
  public:
    StartedCommand(const std::string& program, const std::vector<std::string>& args,
                   const RunOptions& options = {});
    ~StartedCommand();
    StartedCommand(const StartedCommand&) = delete;
    StartedCommand& operator=(const StartedCommand&) = delete;
    /// Waits for the program to end and collects its output; once only.
    CommandResult wait();
    /// What the program has written to standard output so far.
    std::string outputSoFar() const;
    /// Sends `signal` to the program.
    void send(int signal) const;

  private:
    TempDir capture_;
    int child_ = -1;  ///< the process id, -1 once waited for or when the start failed
};

/// The whole contents of a file, or an empty string when it cannot be read.
std::string readFile(const std::string& path);

}  // namespace spanwright::testing
