#pragma once

// What every companion program shares with the others: its version, the help and usage
// conventions, and how a message names a file. The `spanwright` command line keeps its own
// conventions and uses none of this but the safe descriptors and the printable names.

#include <cstdarg>
#include <string>
#include <string_view>

#include "puzzle/json_text.h"

namespace spanwright {

/// The release of this tool, the same for every program.
inline constexpr const char* VERSION = SPANWRIGHT_VERSION;

/// Status of a run that was asked for something the program does not take.
inline constexpr int USAGE_STATUS = 2;

/// Prints "NAME VERSION" on standard output, as `--version` does everywhere.
void printVersion(const char* program);

/// Prints "PROGRAM: MESSAGE" and a line end on standard error, standard output flushed
/// first so that the two stay in order on a terminal.
void printErrorV(const char* program, const char* format, va_list arguments);

/// Says on standard error what was wrong with the command line, and where the help is:
///   PROGRAM: MESSAGE
///   Try 'PROGRAM --help' for more information.
/// Returns USAGE_STATUS, for `return usageError(...)`.
int usageError(const char* program, const char* format, ...) __attribute__((format(printf, 2, 3)));

/// Answers the options every companion program shares, as getopt_long returned them:
/// -h/--help (calls `printHelp`) and -V/--version (status 0, or 1 with a message when
/// standard output failed), a missing value (':' with an optstring that starts with ':')
/// and an unknown option (a usage error naming it). Returns the exit status, or -1 when
/// `choice` is none of these.
int answerCommonOption(const char* program, int choice, char* const* argv, void (*printHelp)());

/// The printf-style `pattern` filled in, however long the result: reports build their lines
/// with it, and a cut line would be a wrong report.
std::string formatText(const char* pattern, ...) __attribute__((format(printf, 1, 2)));

/// Reads `text` as a whole decimal number from `low` to `high`; false for anything else.
bool readNumber(const char* text, long low, long high, long& value);

/// Reads `text` as a plain decimal number ("90", "0.5", "2."), seconds or millimetres, from
/// `low` to `high`; false for anything else.
bool readDecimal(const char* text, double low, double high, double& value);

/// The longest --time-limit any program takes: a day, longer than any search worth waiting
/// for, short enough to stay a time.
inline constexpr double MAX_TIME_LIMIT_SECONDS = 86400;

/// Reads the value of --time-limit, seconds from 0 (no limit) to MAX_TIME_LIMIT_SECONDS.
/// On anything else says so as a usage error of `program` and returns false.
bool readTimeLimit(const char* program, const char* text, double& seconds);

/// Occupies each of the standard descriptors 0, 1 and 2 that the program was started without,
/// so that no file it opens later lands on one of them and receives what is meant for the
/// console (`spanwright c1 >&-` would write its ruler into the batch). Each gap is filled
/// with /dev/null opened the wrong way round (standard input for writing, the outputs for
/// reading), so that using it fails just as using the closed descriptor did: output to a
/// closed standard output is still reported as failed, never silently thrown away. Every
/// program calls this first in main(); it ends the program with status 127 when /dev/null
/// cannot be opened, as nothing it could open afterwards would be safe.
void secureStandardDescriptors();

/// Records larger than stdio's own buffer (a JSON record of a 30 x 30 puzzle is about
/// 4.5 KB, one of 60 x 60 tens of KB) went out in two writes, so a run killed between
/// them left half a record behind. This gives standard output, when it is not a
/// terminal, a buffer that holds any record whole, so that a program that flushes after
/// each record writes each in one piece. Call it before any output.
void bufferWholeRecords();

/// A file name as messages show it: control characters escaped, so that a name cannot
/// drive the terminal or split a message. C0 and DEL are escaped as \\n, \\t, \\r or \\ooo
/// in octal; a C1 character (U+0080 to U+009F, such as CSI and OSC) as the octal of its two
/// UTF-8 bytes, and a byte that is not UTF-8 as its octal. A backslash is doubled only
/// when the name needs escaping at all, so every ordinary name prints exactly as it is.
std::string printableName(std::string_view name);

}  // namespace spanwright
