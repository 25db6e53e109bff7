#pragma once

// The command line of spanwright-make, read apart from the making so that it can be tried
// on any bytes: every request the program takes, or the exit status of one it refuses.

#include <cstdint>
#include <string>
#include <vector>

#include "maker/maker.h"

namespace spanwright::make {

inline constexpr const char* PROGRAM = "spanwright-make";
inline constexpr long MAX_COUNT = 100000000;
inline constexpr long MAX_JOBS = 256;

enum class Format { Line, Id, Json };

/// The order puzzles are written in: as made, or from the lowest score to the highest.
enum class Order { Made, Score };

/// Whether a progress line is shown: on a terminal, always or never.
enum class ProgressMode { Terminal, Always, Never };

/// The scores each rung gives, about: measured on puzzles of every size from 7 x 7 to
/// 20 x 20 at the rungs' default shares, widened by a half (expert's only to 100: few of
/// its puzzles score more, and the top rung's band takes over there), since the score is
/// taken per hundred islands and hardly moves with the size. A score range picks the rungs
/// whose band it meets, and is refused for a rung whose band it misses.
struct ScoreBand {
    double low;
    double high;
};
inline constexpr ScoreBand SCORE_BANDS[explain::RUNG_COUNT] = {
    {0, 2.5},   // easy
    {3.5, 15},  // medium
    {10, 70},   // hard
    {20, 100},  // expert: 24 to 102 over 150 puzzles of 9 x 13 to 20 x 20
    {60, 1e9},  // extreme
};

/// The highest score --score takes.
inline constexpr double MAX_SCORE = 100000;

/// What the command line asks for.
struct MakeOptions {
    maker::MakeRequest request;  ///< island share already the level's default when not given
    bool seedGiven = false;      ///< false: request.seed was drawn afresh for this run
    std::int64_t count = 0;
    long jobs = 1;
    Format format = Format::Line;
    Order order = Order::Made;
    ProgressMode progress = ProgressMode::Terminal;
    std::vector<std::string> avoid;  ///< archives whose puzzles are never made again
    bool scoreGiven = false;
    double scoreLow = 0;  ///< with scoreGiven: the scores kept, both ends included
    double scoreHigh = 0;
    /// With scoreGiven and no --level: the rungs that can give such a score, made in turn.
    std::vector<explain::Rung> rungs;
    bool islandsGiven = false;
};

/// readMakeOptions's answer when the run goes on.
inline constexpr int GO_ON = -1;

/// Reads the options and operands of `argv` into `parsed`. Returns GO_ON for a request to
/// carry out, or the status to exit with: 0 after --help or --version, 2 after a message
/// on standard error for a command line the program does not take.
int readMakeOptions(int argc, char** argv, MakeOptions& parsed);

/// A seed for a run that was given none: from the system's source of randomness, mixed
/// with the clock in case that source is poor. Any value --seed takes.
std::uint32_t freshSeed();

/// Reads "WxH": two whole numbers of MIN_SIDE to MAX_SIDE joined by 'x', digits only.
bool readSize(const char* text, int& width, int& height);

}  // namespace spanwright::make
