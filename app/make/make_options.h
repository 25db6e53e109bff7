#pragma once

// The command line of spanwright-make, read apart from the making so that it can be tried
// on any bytes: every request the program takes, or the exit status of one it refuses.

#include <cstdint>

#include "maker/maker.h"

namespace spanwright::make {

inline constexpr const char* PROGRAM = "spanwright-make";
inline constexpr long MAX_COUNT = 100000000;
inline constexpr long MAX_JOBS = 256;

enum class Format { Line, Id, Json };

/// What the command line asks for.
struct MakeOptions {
    maker::MakeRequest request;  ///< island share already the level's default when not given
    std::int64_t count = 0;
    long jobs = 1;
    Format format = Format::Line;
};

/// readMakeOptions's answer when the run goes on.
inline constexpr int GO_ON = -1;

/// Reads the options and operands of `argv` into `parsed`. Returns GO_ON for a request to
/// carry out, or the status to exit with: 0 after --help or --version, 2 after a message
/// on standard error for a command line the program does not take.
int readMakeOptions(int argc, char** argv, MakeOptions& parsed);

/// Reads "WxH": two whole numbers of MIN_SIDE to MAX_SIDE joined by 'x', digits only.
bool readSize(const char* text, int& width, int& height);

}  // namespace spanwright::make
