#!/usr/bin/env bash
# Line and branch coverage of the test suite: builds the `coverage` preset (GCC,
# --coverage, -O0), runs every test from zeroed counters and reports with gcovr, per
# directory and per file, plus an HTML report with the uncovered lines marked.
# Usage: tools/coverage.sh [--no-build]   (--no-build reports on the last run's counters)
# Needs gcovr (Debian package gcovr: apt-get install -y gcovr).
set -euo pipefail
cd "$(dirname "$0")/.."

if ! command -v gcovr >/dev/null; then
  echo "coverage: gcovr is not installed (Debian: apt-get install -y gcovr)" >&2
  exit 2
fi

build=build/coverage
report=$build/report
jobs=${COVERAGE_JOBS:-2}

if [[ ${1:-} != --no-build ]]; then
  cmake --preset coverage >/dev/null
  cmake --build --preset coverage -j "$jobs"
  # Counters add up across runs; start every measurement from zero.
  find "$build" -name '*.gcda' -delete
  # A failing test still leaves its counters; report them, then fail.
  tests_status=0
  ctest --preset coverage -j "$jobs" || tests_status=$?
else
  tests_status=0
fi

mkdir -p "$report"
# Branches the compiler adds for exceptions and for code it proved unreachable are not
# decisions of the program; counting them would only hide the real ones.
gcovr --root . --object-directory "$build" "$build" \
  --filter 'puzzle/' --filter 'solver/' --filter 'generator/' --filter 'exact/' --filter 'render/' --filter 'pack/' --filter 'explain/' \
  --filter 'maker/' --filter 'app/' \
  --exclude-throw-branches --exclude-unreachable-branches \
  --json "$report/coverage.json" \
  --html-details "$report/index.html" \
  --txt "$report/files.txt" --branches

echo
echo "Coverage per directory (lines, branches):"
for dir in puzzle solver generator exact render pack explain maker app; do
  summary=$(gcovr --root . --add-tracefile "$report/coverage.json" --filter "$dir/" \
    --txt /dev/null --print-summary)
  lines=$(sed -n 's/^lines: *\(.*\)$/\1/p' <<<"$summary")
  branches=$(sed -n 's/^branches: *\(.*\)$/\1/p' <<<"$summary")
  printf '  %-10s lines %-28s branches %s\n' "$dir/" "$lines" "$branches"
done
total=$(gcovr --root . --add-tracefile "$report/coverage.json" --txt /dev/null --print-summary)
printf '  %-10s lines %-28s branches %s\n' "all" \
  "$(sed -n 's/^lines: *\(.*\)$/\1/p' <<<"$total")" \
  "$(sed -n 's/^branches: *\(.*\)$/\1/p' <<<"$total")"
echo
echo "Per file (branches): $report/files.txt"
echo "Uncovered lines marked: $report/index.html"

if ((tests_status != 0)); then
  echo "coverage: some tests failed (ctest status $tests_status)" >&2
  exit "$tests_status"
fi
