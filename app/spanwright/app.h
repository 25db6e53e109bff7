#pragma once

namespace spanwright {

/// Runs the command line: "s FILE" solves and draws, "d FILE" prints statistics lines,
/// "c1" to "c3" create a batch; anything else prints the usage text. Returns the exit
/// status, which is always 0.
int runCommandLine(int argc, const char* const* argv);

/// The usage text on standard output.
void printUsage();

/// Solves every problem of the file at `path` in turn, drawing each board, or printing
/// its statistics line when `showStatistics` is set.
void solveFile(const char* path, bool showStatistics);

/// Creates a batch of problems of board size 1 (10), 2 (15) or 3 (20) in a new file of
/// the current directory.
void createBatch(int sizeIndex);

}  // namespace spanwright
