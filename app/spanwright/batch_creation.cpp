#include <omp.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "app/cli/program.h"
#include "app/cli/staged_output.h"
#include "app/spanwright/app.h"
#include "generator/derivation.h"
#include "puzzle/problem_line.h"

// A batch is written into a hidden staging folder and gets its batch name only once it is
// whole, so that a batch name never holds a cut, empty or corrupt batch: not after a full
// disk, not after a write error, not after the user stops the program.

namespace spanwright {
namespace {

/// Board side by size index 1 to 3.
constexpr std::array<int, 4> BOARD_SIZES = {0, 10, 15, 20};
/// Problems in one file.
constexpr int BATCH_COUNT = 30;

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
        if (omp_get_thread_num() != 0) holdEndingSignalsInThisThread();
#pragma omp for schedule(static)
        for (int i = 0; i < BATCH_COUNT; ++i) {
            generateProblem(random, side, side, puzzles[i]);
            // The ruler has thirty columns whatever the batch size; with a batch of thirty
            // the step is 1 and every problem makes its mark.
            // cppcheck-suppress moduloofone
            if (i % progressStep == progressStep - 1) printProgressMark();
        }
    }
}

}  // namespace

void createBatch(int sizeIndex) {
    const BatchSeries series(sizeIndex);
    // The staging folder goes into the current directory, where the batch is named.
    StagedOutput staged(series.name(1));
    std::FILE* file = staged.stage();
    if (!file) {
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
    const bool written = std::fwrite(text.data(), 1, text.size(), file) == text.size();
    if (staged.finish(file) && written &&
        staged.publishAsNew([&series](int number) { return series.name(number); }))
        std::printf("finished.\n");
    else
        std::printf("failed to write: %s\n", printableName(series.firstFreeName()).c_str());
}

}  // namespace spanwright
