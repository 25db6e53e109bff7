#pragma once

// The command line of spanwright-explain, read apart from the explaining so that it can be
// tried on any bytes.

#include "exact/exact_solver.h"

namespace spanwright::explain {

inline constexpr const char* PROGRAM = "spanwright-explain";

/// What the command line asks for; the operands (the files) stay in argv from `optind` on.
struct Settings {
    bool json = false;
    bool pictures = false;
    bool hint = false;
    double timeLimit = exact::DEFAULT_TIME_LIMIT_SECONDS;
};

/// readExplainOptions's answer when the run goes on.
inline constexpr int GO_ON = -1;

/// Reads the options of `argv` into `settings`, leaving `optind` at the first file. Returns
/// GO_ON, or the status to exit with: 0 after --help or --version, 2 after a message on
/// standard error for a command line the program does not take.
int readExplainOptions(int argc, char** argv, Settings& settings);

}  // namespace spanwright::explain
