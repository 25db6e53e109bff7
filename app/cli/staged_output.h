#pragma once

// Output files that appear whole or not at all. Everything is first written into a private
// staging directory beside the output (a short hidden name of its own, so that an output
// name of any valid length still fits), and only a finished set is moved into place:
//   - a batch takes the first free name of its series and never replaces a file;
//   - a book of pages replaces the old book as one set, under an exclusive lock on the
//     output's directory, so that two runs writing the same name cannot interleave their
//     pages; if any page cannot be put in place, the old pages are put back. Files of an
//     earlier, longer set under the same name (pages or pictures beyond the new count,
//     the other naming of a book) go with the old set: after publishing only the new set
//     stands, and on failure the old one stands whole. An old file that cannot be put
//     back either is never deleted: it is kept as "NAME.old" beside its target, or, where
//     even that fails, in the staging directory, which then stays and is never swept.
// Only regular files are ever replaced: a directory, device node, FIFO or symbolic link at
// a target is refused before anything moves. An ending signal (SIGINT, SIGTERM, SIGHUP,
// SIGPIPE, SIGXCPU, SIGXFSZ) removes whatever is staged and then ends the program as the
// signal would have; a staging directory that a run killed outright left behind (SIGKILL)
// is swept by the next run that stages beside it.

#include <cstdio>
#include <functional>
#include <string>
#include <vector>

namespace spanwright {

/// What a publishing left standing.
enum class PublishOutcome {
    Published,  ///< the whole new set stands
    Untouched,  ///< nothing moved: whatever stood at the targets stands as it was
    Restored,   ///< a target failed midway; the old files were put back, the new removed
    Mixed,      ///< a target failed and the old files could not all be put back
};

class StagedOutput {
  public:
    /// Prepares a staging directory beside `output` (in the directory that holds it). Only
    /// one may exist at a time in a program: the signal handler knows a single one.
    explicit StagedOutput(const std::string& output);
    ~StagedOutput();
    StagedOutput(const StagedOutput&) = delete;
    StagedOutput& operator=(const StagedOutput&) = delete;

    /// False when the staging directory could not be made; error() says why.
    bool ready() const { return ready_; }
    /// The system's words for the last failure ("Permission denied").
    const std::string& error() const { return error_; }

    /// Creates the next staged file and opens it for writing, with the permissions any new
    /// file of this user gets; nullptr when that failed.
    std::FILE* stage();
    /// Flushes, syncs and closes a file that stage() returned; false when its data did not
    /// all land.
    bool finish(std::FILE* file);
    /// Files staged so far.
    int count() const { return count_; }

    /// Moves the staged files, in order, to `targets` (as many as were staged) as one set,
    /// and removes with it those of `earlier` (names an earlier set under the same output
    /// may have left) that are regular files and not targets. On anything but Published,
    /// failedTarget() names the target at fault and error() says why, the earlier files
    /// are back, and no staged file is left behind.
    PublishOutcome publish(const std::vector<std::string>& targets,
                           const std::vector<std::string>& earlier = {});
    const std::string& failedTarget() const { return failedTarget_; }
    /// After a Mixed outcome: each old file that could not go back to its target and where
    /// it is kept instead (target, place): "TARGET.old" (or ".old-2", ...) beside it, or,
    /// where not even that could be made, in the staging directory, which then stays and
    /// which no later run sweeps away.
    struct KeptFile {
        std::string target, place;
    };
    const std::vector<KeptFile>& keptOld() const { return keptOld_; }

    /// Gives the one staged file the first name of `nameFor(1)`, `nameFor(2)`, ... that is
    /// not taken, never replacing anything, even a file that appears meanwhile. False when
    /// the file could not be given a name.
    bool publishAsNew(const std::function<std::string(int)>& nameFor);

  private:
    bool fail(int error);
    void removeStaged();
    /// Puts the files of an earlier set set aside back in their places; false when some
    /// could not be.
    bool putBack(const std::vector<std::string>& aside);
    /// Names the old files still in the staging directory after a failed publishing.
    void keepUnreturned(const std::vector<std::string>& targets,
                        const std::vector<std::string>& aside);

    bool ready_ = false;
    int directoryFd_ = -1;  ///< the output's directory: the parent of the staging one
    int stagingFd_ = -1;
    int count_ = 0;
    int setAside_ = 0;  ///< files of an earlier set moved into the staging directory
    std::string error_;
    std::string failedTarget_;
    std::string stagingPath_;
    std::vector<KeptFile> keptOld_;
    bool keepStaging_ = false;  ///< old files stay in the staging directory
};

/// What a Mixed outcome's message adds: where each old file that could not go back is
/// kept ("; the old NAME is kept as PLACE", names made printable); "" when none is.
std::string keptOldText(const StagedOutput& staged);

/// The names of a numbered series that stand: those of `namesFor(1)`, `namesFor(2)`, ...
/// up to the first number none of whose names stands (at most `longest` numbers). What an
/// earlier set under an output name left, for publish().
std::vector<std::string> standingSeries(
    const std::function<std::vector<std::string>(int)>& namesFor, int longest = 100000);

/// Holds the ending signals back from the calling thread for good: for worker threads, so
/// that only the thread that owns the staging takes them.
void holdEndingSignalsInThisThread();

}  // namespace spanwright
