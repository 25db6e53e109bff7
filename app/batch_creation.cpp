#include <fcntl.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstdio>
#include <ctime>
#include <string>
#include <vector>

#include "app/app.h"
#include "generator/derivation.h"
#include "puzzle/problem_line.h"

namespace spanwright {
namespace {

/// Board side by size index 1 to 3.
constexpr std::array<int, 4> BOARD_SIZES = {0, 10, 15, 20};
/// Problems in one file.
constexpr int BATCH_COUNT = 30;

std::string batchFileName(const std::tm& date, int runningNumber, int sizeIndex) {
    char name[64];
    std::snprintf(name, sizeof name, "%04d%02d%02d_%02d(%s%d).dat", date.tm_year + 1900,
                  date.tm_mon + 1, date.tm_mday, runningNumber, "size", sizeIndex);
    return name;
}

/// Creates the first free name of the day's series for this size. The file is created
/// exclusively, so a batch started at the same moment in the same folder moves on to the
/// next number instead of overwriting this one. Returns null, with the name that failed,
/// when the folder does not take a new file.
std::FILE* createBatchFile(int sizeIndex, std::string& name) {
    const std::time_t now = std::time(nullptr);
    std::tm date{};
    localtime_r(&now, &date);
    for (int runningNumber = 1;; ++runningNumber) {
        name = batchFileName(date, runningNumber, sizeIndex);
        const int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) {
            std::FILE* file = fdopen(fd, "wb");
            if (!file) close(fd);
            return file;
        }
        if (errno != EEXIST) return nullptr;
    }
}

/// One mark of the progress ruler, shown at once.
void printProgressMark() {
    std::printf("o");
    std::fflush(stdout);
}

}  // namespace

void createBatch(int sizeIndex) {
    std::string name;
    std::FILE* file = createBatchFile(sizeIndex, name);
    if (!file) {
        std::printf("failed to open: %s\n", name.c_str());
        return;
    }
    RandomSource random{std::int32_t(millisecondsSinceBoot())};
    std::vector<Puzzle> puzzles(BATCH_COUNT);

    std::printf("creating problems...\n");
    std::printf("+----------------------------+\n");
    std::fflush(stdout);
    const int side = BOARD_SIZES[sizeIndex];
    const int progressStep = (BATCH_COUNT + 29) / 30;

    // Every problem is independent; the random source, behind its lock, is all that the
    // threads share. Marks go out as soon as each problem is done.
#pragma omp parallel for schedule(static) default(none) shared(random, puzzles, side, progressStep)
    for (int i = 0; i < BATCH_COUNT; ++i) {
        generateProblem(random, side, side, puzzles[i]);
        // The ruler has thirty columns whatever the batch size; with a batch of thirty the
        // step is 1 and every problem makes its mark.
        // cppcheck-suppress moduloofone
        if (i % progressStep == progressStep - 1) printProgressMark();
    }
    std::printf("\n");

    bool written = true;
    for (const Puzzle& puzzle : puzzles)
        written = writeProblemLine(file, puzzle) && written;
    written = std::fclose(file) == 0 && written;
    if (written)
        std::printf("finished.\n");
    else
        std::printf("failed to write: %s\n", name.c_str());
}

}  // namespace spanwright
