#include <fcntl.h>
#include <omp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>
#include <vector>

#include "app/cli/program.h"
#include "app/spanwright/app.h"
#include "generator/derivation.h"
#include "puzzle/problem_line.h"

// A batch is written under a hidden temporary name and gets its batch name only once it is
// whole, so that a batch name never holds a cut, empty or corrupt batch: not after a full
// disk, not after a write error, not after the user stops the program.

namespace spanwright {
namespace {

/// Board side by size index 1 to 3.
constexpr std::array<int, 4> BOARD_SIZES = {0, 10, 15, 20};
/// Problems in one file.
constexpr int BATCH_COUNT = 30;

/// The signals that end a batch half done: an interrupt from the keyboard, a polite kill, a
/// closed terminal, and a console pipe whose reader has gone.
constexpr std::array<int, 4> ENDING_SIGNALS = {SIGINT, SIGTERM, SIGHUP, SIGPIPE};

/// The temporary file's name in the current directory: hidden, and nothing like a batch
/// name, so it never takes a number of the series.
constexpr char TEMPORARY_PATTERN[] = ".spanwright-XXXXXX.tmp";
constexpr int TEMPORARY_SUFFIX = 4;  // ".tmp", after the six characters mkstemps fills in
/// The name is filled in while `temporaryExists` is false, and the flag is set only once the
/// file is there, so the signal handler never removes a file that is not this batch's.
char temporaryName[sizeof TEMPORARY_PATTERN] = {};
std::atomic<bool> temporaryExists{false};
static_assert(std::atomic<bool>::is_always_lock_free, "read in a signal handler");

}  // namespace
}  // namespace spanwright

/// Removes the temporary file, then lets the signal end the program as it would have.
/// Async-signal-safe calls only.
extern "C" void removeTemporaryBatchAndEnd(int signal) {
    if (spanwright::temporaryExists.load()) unlink(spanwright::temporaryName);
    struct sigaction byDefault {};
    byDefault.sa_handler = SIG_DFL;
    sigaction(signal, &byDefault, nullptr);
    raise(signal);
}

namespace spanwright {
namespace {

sigset_t endingSignals() {
    sigset_t set;
    sigemptyset(&set);
    for (const int signal : ENDING_SIGNALS)
        sigaddset(&set, signal);
    return set;
}

/// The ending signals that would end the program now remove the temporary file first. One
/// that is ignored (nohup, a background job) stays ignored.
void catchEndingSignals() {
    for (const int signal : ENDING_SIGNALS) {
        struct sigaction current {};
        if (sigaction(signal, nullptr, &current) != 0 || current.sa_handler == SIG_IGN) continue;
        struct sigaction handler {};
        handler.sa_handler = removeTemporaryBatchAndEnd;
        handler.sa_mask = endingSignals();
        sigaction(signal, &handler, nullptr);
    }
}

/// Holds the ending signals back from the calling thread while it exists, so that the
/// temporary file and the flag the handler reads change together. Only the main thread takes
/// these signals (the generating threads hold them back for good), so a signal that arrives
/// meanwhile waits until the state is whole again.
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

/// Writes all of `text` to `fd` and closes it; true when every byte reached the disk.
bool writeWholeAndClose(int fd, const std::string& text) {
    bool written = true;
    for (std::size_t done = 0; written && done < text.size();) {
        const ssize_t n = write(fd, text.data() + done, text.size() - done);
        if (n > 0)
            done += std::size_t(n);
        else
            written = n < 0 && errno == EINTR;
    }
    written = written && fsync(fd) == 0;
    return close(fd) == 0 && written;
}

/// The names of a batch series: the day the batch was started and its size.
class BatchSeries {
  public:
    explicit BatchSeries(int sizeIndex) : sizeIndex_(sizeIndex) {
        const std::time_t now = std::time(nullptr);
        localtime_r(&now, &date_);
    }

    std::string name(int runningNumber) const {
        char name[64];
        std::snprintf(name, sizeof name, "%04d%02d%02d_%02d(%s%d).dat", date_.tm_year + 1900,
                      date_.tm_mon + 1, date_.tm_mday, runningNumber, "size", sizeIndex_);
        return name;
    }

    /// The name the batch would take now, for a message when it took none.
    std::string firstFreeName() const {
        struct stat info {};
        int runningNumber = 1;
        while (lstat(name(runningNumber).c_str(), &info) == 0)
            ++runningNumber;
        return name(runningNumber);
    }

  private:
    int sizeIndex_;
    std::tm date_{};
};

/// The batch's file under its temporary name, removed when the object goes.
class TemporaryBatch {
  public:
    /// Creates the file, with the permissions a batch file was always created with.
    /// False when the folder does not take a new file.
    bool create() {
        const EndingSignalsHeld held;
        // umask() can only be read by setting it; no other thread runs yet.
        const mode_t mask = umask(0);
        umask(mask);
        std::memcpy(temporaryName, TEMPORARY_PATTERN, sizeof TEMPORARY_PATTERN);
        fd_ = mkostemps(temporaryName, TEMPORARY_SUFFIX, O_CLOEXEC);
        if (fd_ < 0) return false;
        temporaryExists.store(true);
        return fchmod(fd_, 0666 & ~mask) == 0;
    }

    /// Writes the whole batch to the temporary file.
    bool write(const std::string& text) {
        const int fd = fd_;
        fd_ = -1;
        return writeWholeAndClose(fd, text);
    }

    TemporaryBatch() = default;
    TemporaryBatch(const TemporaryBatch&) = delete;
    TemporaryBatch& operator=(const TemporaryBatch&) = delete;
    ~TemporaryBatch() {
        const EndingSignalsHeld held;
        if (fd_ >= 0) close(fd_);
        if (!temporaryExists.load()) return;
        unlink(temporaryName);
        temporaryExists.store(false);
    }

  private:
    int fd_ = -1;
};

/// Gives the written temporary file the first free name of its series. A hard link never
/// replaces a file, so a batch finished at the same moment in the same folder, or a file
/// the user put there, moves this one on to the next number. Where the file system has
/// no hard links, `text` is written again into a file created exclusively under the name.
bool publishBatch(const BatchSeries& series, const std::string& text) {
    const EndingSignalsHeld held;
    for (int runningNumber = 1;; ++runningNumber) {
        const std::string name = series.name(runningNumber);
        if (link(temporaryName, name.c_str()) == 0) return true;
        if (errno == EEXIST) continue;
        if (errno != EPERM && errno != ENOTSUP && errno != ENOSYS) return false;
        const int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno == EEXIST) continue;
        if (fd < 0) return false;
        if (writeWholeAndClose(fd, text)) return true;
        unlink(name.c_str());
        return false;
    }
}

/// One mark of the progress ruler, shown at once.
void printProgressMark() {
    std::printf("o");
    std::fflush(stdout);
}

/// Fills `puzzles` on every processor, printing the progress ruler.
void generateBatch(int side, std::vector<Puzzle>& puzzles) {
    RandomSource random{batchSeed(millisecondsSinceBoot(), std::uint32_t(getpid()))};
    const int progressStep = (BATCH_COUNT + 29) / 30;

    // Every problem is independent; the random source, behind its lock, is all that the
    // threads share. Marks go out as soon as each problem is done.
#pragma omp parallel default(none) shared(random, puzzles, side, progressStep)
    {
        if (omp_get_thread_num() != 0) {
            const sigset_t set = endingSignals();
            pthread_sigmask(SIG_BLOCK, &set, nullptr);
        }
#pragma omp for schedule(static)
        for (int i = 0; i < BATCH_COUNT; ++i) {
            generateProblem(random, side, side, puzzles[i]);
            // The ruler has thirty columns whatever the batch size; with a batch of thirty
            // the step is 1 and every problem makes its mark.
            if (i % progressStep == progressStep - 1) printProgressMark();
        }
    }
}

}  // namespace

void createBatch(int sizeIndex) {
    const BatchSeries series(sizeIndex);
    catchEndingSignals();
    TemporaryBatch batch;
    if (!batch.create()) {
        std::printf("failed to open: %s\n", printableName(series.firstFreeName()).c_str());
        return;
    }
    std::vector<Puzzle> puzzles(BATCH_COUNT);

    std::printf("creating problems...\n");
    std::printf("+----------------------------+\n");
    std::fflush(stdout);
    generateBatch(BOARD_SIZES[sizeIndex], puzzles);
    std::printf("\n");

    std::string text;
    for (const Puzzle& puzzle : puzzles)
        text += formatProblemLine(puzzle);
    if (batch.write(text) && publishBatch(series, text))
        std::printf("finished.\n");
    else
        std::printf("failed to write: %s\n", printableName(series.firstFreeName()).c_str());
}

}  // namespace spanwright
