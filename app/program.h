#pragma once

// What every companion program shares with the others: its version, the help and usage
// conventions, and how a message names a file. The `spanwright` command line keeps its own
// conventions and uses none of this but the safe descriptors.

namespace spanwright {

/// The release of this tool, the same for every program.
inline constexpr const char* VERSION = SPANWRIGHT_VERSION;

/// Status of a run that was asked for something the program does not take.
inline constexpr int USAGE_STATUS = 2;

/// Prints "NAME VERSION" on standard output, as `--version` does everywhere.
void printVersion(const char* program);

/// Says on standard error what was wrong with the command line, and where the help is:
///   PROGRAM: MESSAGE
///   Try 'PROGRAM --help' for more information.
/// Returns USAGE_STATUS, for `return usageError(...)`.
int usageError(const char* program, const char* format, ...) __attribute__((format(printf, 2, 3)));

}  // namespace spanwright
