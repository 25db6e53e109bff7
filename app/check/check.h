#pragma once

// The checking program's pieces below its command line: the ways of reporting the check
// of one problem (pack/problem_check.h).

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "pack/problem_check.h"
#include "puzzle/json_text.h"
#include "puzzle/puzzle.h"

namespace spanwright {

/// What to report beyond the verdict.
struct ReportOptions {
    bool solutions = false;  ///< the solutions themselves
    bool verbose = false;    ///< the exact search's counters and the time taken
};

/// The report for people: "PLACE: VERDICT, WxH, N islands, ..." and a line end, followed
/// with `solutions` by a picture of each solution. PLACE is "FILE:LINE".
std::string textReport(std::string_view place, const Puzzle& puzzle, const ProblemCheck& check,
                       const ReportOptions& options);

/// The report for programs: one JSON object and a line end. `file` is the name as given.
std::string jsonReport(std::string_view file, long line, const Puzzle& puzzle,
                       const ProblemCheck& check, const ReportOptions& options);

/// The header of the CSV report, line end included.
std::string csvHeader();

/// The report as one CSV record with the fields of csvHeader(), line end included.
std::string csvReport(std::string_view file, long line, const Puzzle& puzzle,
                      const ProblemCheck& check);

}  // namespace spanwright
