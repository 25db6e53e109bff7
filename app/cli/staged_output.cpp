#include "app/cli/staged_output.h"

#include "app/cli/program.h"

#include <dirent.h>
#include <fcntl.h>
#include <pthread.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>
#include <system_error>

namespace spanwright {
namespace {

/// The signals that end a run half done: an interrupt from the keyboard, a polite kill, a
/// closed terminal, a console pipe whose reader has gone, and the CPU time and file size
/// limits of the process (ulimit -t, -f) running out.
constexpr std::array<int, 6> ENDING_SIGNALS = {SIGINT, SIGTERM, SIGHUP, SIGPIPE, SIGXCPU, SIGXFSZ};

/// A staging directory this old whose lock nobody holds was left by a run that was killed
/// outright (SIGKILL, a power cut): it is swept. The age keeps a directory that another run
/// has only just made, and not yet locked, from being taken for one.
constexpr time_t STALE_STAGING_SECONDS = 60;

/// The staging directory's name: hidden, short, and nothing like an output name, so that it
/// never takes a number of a batch series or a page of a book.
constexpr char STAGING_PATTERN[] = ".spanwright-XXXXXX";

// What the signal handler removes. Changed only while the ending signals are held back, so
// the handler always sees a whole state: the staging directory exists while its descriptor
// is set, and the staged files are named 1 to `signalCount`.
char signalStagingName[sizeof STAGING_PATTERN] = {};
std::atomic<int> signalDirectoryFd{-1};
std::atomic<int> signalStagingFd{-1};
std::atomic<int> signalCount{0};
static_assert(std::atomic<int>::is_always_lock_free, "read in a signal handler");

/// The handlers that stood before, put back when the staging goes.
std::array<struct sigaction, ENDING_SIGNALS.size()> previousActions{};
bool handlersInstalled = false;

/// A staged file's name in the staging directory: its number, or "o" and the number for
/// the old file of a target kept during publishing, or "e" and the number for a file of an
/// earlier set set aside. No allocation: the handler uses it.
void stagedName(char (&name)[16], int number, bool old, char prefix = 'o') {
    char digits[12];
    int length = 0;
    for (unsigned value = unsigned(number); length == 0 || value > 0; value /= 10)
        digits[length++] = char('0' + value % 10);
    int at = 0;
    if (old) name[at++] = prefix;
    while (length > 0)
        name[at++] = digits[--length];
    name[at] = '\0';
}

sigset_t endingSignals() {
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : ENDING_SIGNALS)
        sigaddset(&set, signal);
    return set;
}

/// Holds the ending signals back from the calling thread while it exists, so that the files
/// and the state the handler reads change together; a signal that arrives meanwhile waits.
class EndingSignalsHeld {
  public:
    EndingSignalsHeld() {
        const sigset_t set = endingSignals();
        pthread_sigmask(SIG_BLOCK, &set, &previous_);
    }
    ~EndingSignalsHeld() { pthread_sigmask(SIG_SETMASK, &previous_, nullptr); }
    EndingSignalsHeld(const EndingSignalsHeld&) = delete;
    EndingSignalsHeld& operator=(const EndingSignalsHeld&) = delete;

  private:
    sigset_t previous_{};
};

/// The directory that holds `path`, as open() takes it.
std::string directoryOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

/// Why a file that stands at a target may not be replaced, or null for a regular file.
const char* refusal(mode_t mode) {
    if (S_ISREG(mode)) return nullptr;
    if (S_ISDIR(mode)) return "it is a directory";
    if (S_ISLNK(mode)) return "it is a symbolic link, not a regular file";
    if (S_ISFIFO(mode)) return "it is a FIFO, not a regular file";
    if (S_ISCHR(mode) || S_ISBLK(mode)) return "it is a device, not a regular file";
    return "it is not a regular file";
}

/// Whether a staging directory holds an old file a publishing kept ("o..." or "e..."): one
/// that a run killed while publishing, or one that could not give back nor name, left.
/// Such a file may be the only copy of a page, so the directory is never swept.
bool holdsOldFiles(int staging) {
    // A descriptor of its own: a duplicate would share the position the sweep reads from.
    const int inner = openat(staging, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    DIR* files = inner >= 0 ? fdopendir(inner) : nullptr;
    if (!files) {
        if (inner >= 0) close(inner);
        return true;
    }
    bool old = false;
    // cppcheck-suppress readdirCalled
    // NOLINTNEXTLINE(concurrency-mt-unsafe): a stream of this thread's own
    while (const dirent* file = readdir(files))
        old = old || file->d_name[0] == 'o' || file->d_name[0] == 'e';
    closedir(files);
    return old;
}

/// Removes the staging directories under `directoryFd` that runs killed outright left:
/// those older than STALE_STAGING_SECONDS whose lock no living run holds. Only the files
/// directly in them go, never what a link in them points to.
void sweepStaleStaging(int directoryFd) {
    const int scan = openat(directoryFd, ".", O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (scan < 0) return;
    DIR* listing = fdopendir(scan);
    if (!listing) {
        close(scan);
        return;
    }
    const std::size_t prefix = sizeof STAGING_PATTERN - 7;  // ".spanwright-"
    const time_t now = time(nullptr);
    // Each directory stream is read by the one thread that opened it.
    // cppcheck-suppress readdirCalled
    // NOLINTNEXTLINE(concurrency-mt-unsafe)
    while (const dirent* entry = readdir(listing)) {
        const std::string name = entry->d_name;
        if (name.size() != sizeof STAGING_PATTERN - 1 ||
            name.compare(0, prefix, STAGING_PATTERN, prefix) != 0)
            continue;
        const int staging =
            openat(directoryFd, name.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
        if (staging < 0) continue;
        struct stat info {};
        const bool stale = fstat(staging, &info) == 0 && info.st_uid == geteuid() &&
                           now - info.st_mtime >= STALE_STAGING_SECONDS &&
                           flock(staging, LOCK_EX | LOCK_NB) == 0;
        if (stale && !holdsOldFiles(staging)) {
            const int inner = dup(staging);
            if (DIR* files = inner >= 0 ? fdopendir(inner) : nullptr) {
                // cppcheck-suppress readdirCalled
                // NOLINTNEXTLINE(concurrency-mt-unsafe): a stream of this thread's own
                while (const dirent* file = readdir(files))
                    if (std::strcmp(file->d_name, ".") != 0 && std::strcmp(file->d_name, "..") != 0)
                        unlinkat(staging, file->d_name, 0);
                closedir(files);
            } else if (inner >= 0) {
                close(inner);
            }
            unlinkat(directoryFd, name.c_str(), AT_REMOVEDIR);
        }
        close(staging);
    }
    closedir(listing);
}

/// True for the errors of a file system that has no hard links.
bool noHardLinks(int error) {
    // ENOTSUP and EOPNOTSUPP are one value on some systems and two on others.
    return error == EPERM || error == ENOTSUP ||
#if EOPNOTSUPP != ENOTSUP
           error == EOPNOTSUPP ||
#endif
           error == ENOSYS || error == EMLINK;
}

/// Copies the whole of `from` into `to`; true when every byte landed on the disk.
bool copyWhole(int from, int to) {
    char buffer[1 << 16];
    for (;;) {
        const ssize_t got = read(from, buffer, sizeof buffer);
        if (got == 0) return fsync(to) == 0;
        if (got < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        for (ssize_t done = 0; done < got;) {
            const ssize_t put = write(to, buffer + done, std::size_t(got - done));
            if (put < 0 && errno != EINTR) return false;
            if (put > 0) done += put;
        }
    }
}

}  // namespace
}  // namespace spanwright

/// Removes the staged files and the staging directory, then lets the signal end the program
/// as it would have. Async-signal-safe calls only.
extern "C" void removeStagedOutputAndEnd(int signal) {
    using namespace spanwright;
    const int staging = signalStagingFd.load();
    if (staging >= 0) {
        char name[16];
        for (int number = signalCount.load(); number >= 1; --number) {
            stagedName(name, number, false);
            unlinkat(staging, name, 0);
        }
        unlinkat(signalDirectoryFd.load(), signalStagingName, AT_REMOVEDIR);
    }
    struct sigaction byDefault {};
    byDefault.sa_handler = SIG_DFL;
    sigaction(signal, &byDefault, nullptr);
    raise(signal);
}

namespace spanwright {

std::vector<std::string> standingSeries(
    const std::function<std::vector<std::string>(int)>& namesFor, int longest) {
    std::vector<std::string> standing;
    for (int number = 1; number <= longest; ++number) {
        bool any = false;
        for (std::string& name : namesFor(number)) {
            struct stat info {};
            if (lstat(name.c_str(), &info) != 0) continue;
            any = true;
            standing.push_back(std::move(name));
        }
        if (!any) break;
    }
    return standing;
}

void holdEndingSignalsInThisThread() {
    const sigset_t set = endingSignals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

StagedOutput::StagedOutput(const std::string& output) {
    const EndingSignalsHeld held;
    // One staging at a time: the handler knows one directory.
    if (signalStagingFd.load() >= 0) std::abort();
    const std::string directory = directoryOf(output);
    directoryFd_ = open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (directoryFd_ < 0) {
        fail(errno);
        return;
    }
    std::string staging = directory + "/" + STAGING_PATTERN;
    if (!mkdtemp(staging.data())) {
        fail(errno);
        return;
    }
    const char* name = staging.c_str() + staging.size() - (sizeof STAGING_PATTERN - 1);
    stagingPath_ = staging;
    stagingFd_ = open(staging.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (stagingFd_ < 0) {
        fail(errno);
        unlinkat(directoryFd_, name, AT_REMOVEDIR);
        return;
    }
    // Held for as long as the run lives (the system lets go when it ends, however it ends),
    // so that a sweep by another run can tell this directory from one left behind.
    flock(stagingFd_, LOCK_EX | LOCK_NB);
    sweepStaleStaging(directoryFd_);
    std::memcpy(signalStagingName, name, sizeof STAGING_PATTERN);
    signalCount.store(0);
    signalDirectoryFd.store(directoryFd_);
    signalStagingFd.store(stagingFd_);

    // A signal that is ignored (nohup, a background job) stays ignored.
    for (std::size_t i = 0; i < ENDING_SIGNALS.size(); ++i) {
        struct sigaction handler {};
        handler.sa_handler = removeStagedOutputAndEnd;
        handler.sa_mask = endingSignals();
        if (sigaction(ENDING_SIGNALS[i], nullptr, &previousActions[i]) != 0 ||
            previousActions[i].sa_handler == SIG_IGN)
            continue;
        sigaction(ENDING_SIGNALS[i], &handler, nullptr);
    }
    handlersInstalled = true;
    ready_ = true;
}

StagedOutput::~StagedOutput() {
    const EndingSignalsHeld held;
    removeStaged();
    if (handlersInstalled)
        for (std::size_t i = 0; i < ENDING_SIGNALS.size(); ++i)
            sigaction(ENDING_SIGNALS[i], &previousActions[i], nullptr);
    handlersInstalled = false;
    if (directoryFd_ >= 0) close(directoryFd_);
}

bool StagedOutput::fail(int error) {
    error_ = std::generic_category().message(error);
    return false;
}

void StagedOutput::removeStaged() {
    if (stagingFd_ < 0) return;
    char name[16];
    for (int number = 1; number <= count_; ++number) {
        stagedName(name, number, false);
        unlinkat(stagingFd_, name, 0);
        stagedName(name, number, true);
        if (!keepStaging_) unlinkat(stagingFd_, name, 0);
    }
    for (int number = 1; number <= setAside_ && !keepStaging_; ++number) {
        stagedName(name, number, true, 'e');
        unlinkat(stagingFd_, name, 0);
    }
    signalStagingFd.store(-1);
    unlinkat(directoryFd_, signalStagingName, AT_REMOVEDIR);  // fails where old files stay
    close(stagingFd_);
    stagingFd_ = -1;
    ready_ = false;
}

std::FILE* StagedOutput::stage() {
    if (!ready_) return nullptr;
    const EndingSignalsHeld held;
    char name[16];
    stagedName(name, count_ + 1, false);
    const int fd = openat(stagingFd_, name, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd < 0) {
        fail(errno);
        return nullptr;
    }
    ++count_;
    signalCount.store(count_);
    std::FILE* file = fdopen(fd, "wb");
    if (!file) {
        fail(errno);
        close(fd);
    }
    return file;
}

bool StagedOutput::finish(std::FILE* file) {
    errno = 0;
    bool landed = std::fflush(file) == 0 && !std::ferror(file) && fsync(fileno(file)) == 0;
    int code = errno;
    if (std::fclose(file) != 0 && landed) {
        landed = false;
        code = errno;
    }
    return landed || fail(code != 0 ? code : EIO);
}

PublishOutcome StagedOutput::publish(const std::vector<std::string>& targets,
                                     const std::vector<std::string>& earlier) {
    if (!ready_ || int(targets.size()) != count_) {
        failedTarget_ = targets.empty() ? std::string() : targets.front();
        fail(EINVAL);
        removeStaged();
        return PublishOutcome::Untouched;
    }
    const EndingSignalsHeld held;
    // Another run publishing into this directory waits here until this set stands whole. A
    // file system without locks publishes unlocked rather than not at all.
    while (flock(directoryFd_, LOCK_EX) != 0 && errno == EINTR) {
    }

    // Refusals first, while nothing has moved.
    for (const std::string& target : targets) {
        struct stat info {};
        std::string why;
        if (lstat(target.c_str(), &info) == 0) {
            if (const char* refused = refusal(info.st_mode)) why = refused;
        } else if (errno != ENOENT) {
            why = std::generic_category().message(errno);
        }
        if (!why.empty()) {
            failedTarget_ = target;
            error_ = why;
            removeStaged();
            flock(directoryFd_, LOCK_UN);
            return PublishOutcome::Untouched;
        }
    }

    // Files of an earlier set that no new file replaces are set aside in the staging
    // directory first; they are removed with it once the new set stands, or put back.
    std::vector<std::string> aside;
    for (const std::string& file : earlier) {
        struct stat info {};
        if (std::find(targets.begin(), targets.end(), file) != targets.end() ||
            lstat(file.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
            continue;
        char asideName[16];
        stagedName(asideName, setAside_ + 1, true, 'e');
        if (renameat(AT_FDCWD, file.c_str(), stagingFd_, asideName) != 0) {
            failedTarget_ = file;
            fail(errno);
            const bool back = putBack(aside);
            if (!back) keepUnreturned({}, aside);
            removeStaged();
            flock(directoryFd_, LOCK_UN);
            return back ? PublishOutcome::Untouched : PublishOutcome::Mixed;
        }
        ++setAside_;
        aside.push_back(file);
    }

    // Each old file is kept in the staging directory (a hard link, so that the name is never
    // empty; moved where there are none) until every new file stands.
    enum class Kept { Nothing, Linked, Moved };
    std::vector<Kept> kept(targets.size(), Kept::Nothing);
    std::size_t placed = 0;
    bool failed = false;
    char name[16];
    char keptName[16];
    for (; placed < targets.size(); ++placed) {
        const char* target = targets[placed].c_str();
        stagedName(name, int(placed) + 1, false);
        stagedName(keptName, int(placed) + 1, true);
        if (linkat(AT_FDCWD, target, stagingFd_, keptName, 0) == 0) {
            kept[placed] = Kept::Linked;
        } else if (errno != ENOENT) {
            if (!noHardLinks(errno) || renameat(AT_FDCWD, target, stagingFd_, keptName) != 0) {
                fail(errno);
                failed = true;
                break;
            }
            kept[placed] = Kept::Moved;
        }
        if (renameat(stagingFd_, name, AT_FDCWD, target) != 0) {
            fail(errno);
            failed = true;
            break;
        }
    }

    PublishOutcome outcome = PublishOutcome::Published;
    if (failed) {
        failedTarget_ = targets[placed];
        outcome = PublishOutcome::Restored;
        // The target that failed holds its old file, or gets it back.
        stagedName(keptName, int(placed) + 1, true);
        if (kept[placed] == Kept::Linked)
            unlinkat(stagingFd_, keptName, 0);  // the target never lost it
        else if (kept[placed] == Kept::Moved &&
                 renameat(stagingFd_, keptName, AT_FDCWD, failedTarget_.c_str()) != 0)
            outcome = PublishOutcome::Mixed;
        for (std::size_t i = placed; i-- > 0;) {
            stagedName(keptName, int(i) + 1, true);
            const bool back = kept[i] == Kept::Nothing ? unlink(targets[i].c_str()) == 0
                                                       : renameat(stagingFd_, keptName, AT_FDCWD,
                                                                  targets[i].c_str()) == 0;
            if (!back) outcome = PublishOutcome::Mixed;
        }
        if (!putBack(aside)) outcome = PublishOutcome::Mixed;
        if (outcome == PublishOutcome::Mixed) keepUnreturned(targets, aside);
    }
    removeStaged();
    flock(directoryFd_, LOCK_UN);
    return outcome;
}

// An old file that could not go back to its name is the only copy of what stood there: it
// gets a name of its own beside its target, and where even that fails it stays where it
// is, and the staging directory with it.
void StagedOutput::keepUnreturned(const std::vector<std::string>& targets,
                                  const std::vector<std::string>& aside) {
    char name[16];
    const auto keep = [&](const std::string& target) {
        if (faccessat(stagingFd_, name, F_OK, AT_SYMLINK_NOFOLLOW) != 0) return;  // went back
        for (int number = 1; number <= 100; ++number) {
            const std::string kept =
                target + (number == 1 ? ".old" : ".old-" + std::to_string(number));
            // Never over a file that stands: a link refuses to, and without links the name
            // is looked at first.
            if (linkat(stagingFd_, name, AT_FDCWD, kept.c_str(), 0) == 0) {
                unlinkat(stagingFd_, name, 0);
            } else if (errno == EEXIST) {
                continue;
            } else {
                struct stat info {};
                if (lstat(kept.c_str(), &info) == 0) continue;
                if (errno != ENOENT || renameat(stagingFd_, name, AT_FDCWD, kept.c_str()) != 0)
                    break;
            }
            keptOld_.push_back({target, kept});
            return;
        }
        keptOld_.push_back({target, stagingPath_ + "/" + name});
        keepStaging_ = true;
    };
    for (std::size_t i = 0; i < targets.size(); ++i) {
        stagedName(name, int(i) + 1, true);
        keep(targets[i]);
    }
    for (std::size_t i = 0; i < aside.size(); ++i) {
        stagedName(name, int(i) + 1, true, 'e');
        keep(aside[i]);
    }
}

std::string keptOldText(const StagedOutput& staged) {
    std::string text;
    for (const StagedOutput::KeptFile& kept : staged.keptOld())
        text +=
            "; the old " + printableName(kept.target) + " is kept as " + printableName(kept.place);
    return text;
}

bool StagedOutput::putBack(const std::vector<std::string>& aside) {
    bool back = true;
    char name[16];
    for (std::size_t i = 0; i < aside.size(); ++i) {
        stagedName(name, int(i) + 1, true, 'e');
        back = renameat(stagingFd_, name, AT_FDCWD, aside[i].c_str()) == 0 && back;
    }
    setAside_ = 0;
    return back;
}

bool StagedOutput::publishAsNew(const std::function<std::string(int)>& nameFor) {
    if (!ready_ || count_ != 1) return fail(EINVAL);
    const EndingSignalsHeld held;
    char staged[16];
    stagedName(staged, 1, false);
    bool named = false;
    for (int number = 1; !named; ++number) {
        const std::string name = nameFor(number);
        // A hard link never replaces a file, so a batch finished at the same moment in the
        // same folder, or a file the user put there, moves this one on to the next number.
        if (linkat(stagingFd_, staged, AT_FDCWD, name.c_str(), 0) == 0) {
            named = true;
            break;
        }
        if (errno == EEXIST) continue;
        if (!noHardLinks(errno)) {
            fail(errno);
            break;
        }
        // Without hard links, the file is copied into one created exclusively under the name.
        const int to = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (to < 0 && errno == EEXIST) continue;
        if (to < 0) {
            fail(errno);
            break;
        }
        const int from = openat(stagingFd_, staged, O_RDONLY | O_CLOEXEC);
        named = from >= 0 && copyWhole(from, to);
        if (!named) fail(errno);
        if (from >= 0) close(from);
        if (close(to) != 0) named = false;
        if (!named) unlink(name.c_str());
        break;
    }
    removeStaged();
    return named;
}

}  // namespace spanwright
