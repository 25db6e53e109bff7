#!/usr/bin/env bash
# Peak memory of spanwright-sheet over a long file: it lays out and draws a page at a time
# as it reads, so the peak of a run over LINES one-cell puzzles (default 1,000,000, a 9 MB
# file and 166,667 PDF pages) must stay that of a 1,000-line run, with and without the
# answer key (whose puzzles wait in a temporary file, not in memory; an empty board has no
# solution, so every key tile is a warning, kept out of sight).
# Prints wall time and peak resident memory of each run; exits non-zero when the peak grows.
# Usage: bench/sheet_memory.sh path/to/spanwright-sheet [LINES]
set -euo pipefail
sheet=$(realpath "$1")
lines=${2:-1000000}
[[ -x /usr/bin/time ]] || { echo "sheet_memory: /usr/bin/time is missing" >&2; exit 2; }
# Allowed growth from the small run to the large one: above the ~1 MB the peak varies by.
MARGIN_KB=4096

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
awk 'BEGIN { for (i = 0; i < 1000; i++) print "0/1/1/./" }' >"$work/small.txt"
awk -v n="$lines" 'BEGIN { for (i = 0; i < n; i++) print "0/1/1/./" }' >"$work/large.txt"

# peak FILE [OPTION]...: prints "seconds kilobytes" of one run
peak() {
  local file=$1
  shift
  /usr/bin/time -f '%e %M' -o "$work/time" "$sheet" --max-pages 1000000 "$@" \
    -o "$work/book.pdf" "$file" 2>"$work/warnings"
  cat "$work/time"
}

failures=0
for key in "" "--solutions"; do
  read -r small_s small_kb < <(peak "$work/small.txt" $key)
  read -r large_s large_kb < <(peak "$work/large.txt" $key)
  printf '%-12s 1000 lines: %6.2f s %7d KB   %d lines: %7.2f s %7d KB\n' "${key:-puzzles}" \
    "$small_s" "$small_kb" "$lines" "$large_s" "$large_kb"
  if ((large_kb > small_kb + MARGIN_KB)); then
    echo "FAIL: the peak grows with the input ${key:+($key)}"
    failures=$((failures + 1))
  fi
done
((failures == 0))
