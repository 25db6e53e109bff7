#pragma once

#include <string>
#include <vector>

namespace spanwright::testing {

/// What a run of a program left behind.
struct CommandResult {
    int status = -1;  ///< exit status, or -1 when the program did not exit normally
    std::string out;  ///< everything written to standard output
    std::string err;  ///< everything written to standard error
};

/// How to run a program.
struct RunOptions {
    std::string workDir;          ///< the current directory when empty
    long fileSizeLimit = -1;      ///< bytes a file may grow to (writes beyond fail), or -1
};

/// Runs `program` with `args`, standard input from /dev/null, and collects its output.
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

/// The whole contents of a file, or an empty string when it cannot be read.
std::string readFile(const std::string& path);

}  // namespace spanwright::testing
