#!/usr/bin/env bash
# Load and size test of the solve mode, run on whole files as a user would:
#  - 100,000 generated problems (sides 10, 15 and 20), solved with `d` and `s`; the peak
#    memory must stay that of a 1,000-line run, since lines are solved one at a time;
#  - the largest boards the reader accepts (125 x 125), and one just past it;
#  - a line of a megabyte of garbage after some problems: one message on standard error,
#    nothing on standard output for it, the problems before it solved as usual.
# Prints wall time and peak resident memory of every run; exits non-zero on any failed
# check and then keeps its work directory for inspection.
# Usage: tools/load_test.sh BUILD_BIN_DIR   (the directory holding spanwright and
#        spanwright-seeded, e.g. build/release/bin)
set -euo pipefail

if (($# != 1)); then
  echo "usage: $0 BUILD_BIN_DIR" >&2
  exit 2
fi
bin=$(cd "$1" && pwd)
spanwright=$bin/spanwright
seeded=$bin/spanwright-seeded
for exe in "$spanwright" "$seeded"; do
  [[ -x $exe ]] || { echo "load_test: $exe not found; build it first" >&2; exit 2; }
done
if [[ ! -x /usr/bin/time ]]; then
  echo "load_test: /usr/bin/time is missing (Debian package 'time': apt-get install -y time)" >&2
  exit 2
fi

# Lengths are counted in bytes (a drawn cell is two), whatever the user's locale.
export LC_ALL=C

TOTAL_LINES=100000
PREFIX_LINES=1000
SEED=20261207
SIDE_COUNTS=("10 2000" "15 500" "20 100")
# Allowed growth of the peak memory from the prefix run to the whole run: 10 % of the
# prefix run, but at least 512 KB, above the ~150 KB that the peak varies by between runs.
# A leak of 6 bytes per problem already passes it over 100,000 lines.
MEMORY_MARGIN_PERCENT=10
MEMORY_MARGIN_MIN_KB=512
SIDE=125

work=$(mktemp -d)
status=1 # set to 0 once every check has passed
cleanup() {
  if ((status == 0)); then
    rm -rf "$work"
  else
    echo "load_test: work files kept in $work" >&2
  fi
}
trap cleanup EXIT

failures=0
fail() {
  echo "FAIL: $*"
  failures=$((failures + 1))
}

# run LABEL MODE FILE OUT ERR: solves FILE, records "seconds kilobytes" in $work/time and
# prints them. The exit status must be 0 whatever the file holds.
run() {
  local label=$1 mode=$2 file=$3 out=$4 err=$5 rc=0
  /usr/bin/time -f '%e %M' -o "$work/time" "$spanwright" "$mode" "$file" >"$out" 2>"$err" || rc=$?
  # After a non-zero exit or a signal, time puts a line of its own before the figures.
  read -r seconds peak < <(tail -n 1 "$work/time")
  printf '  %-34s %7.2f s  %7d KB peak\n' "$label" "$seconds" "$peak"
  ((rc == 0)) || fail "$label: exit status $rc"
}

# --- Problems --------------------------------------------------------------------------
echo "generating problems (seed $SEED)"
pool=$work/pool.txt
: >"$pool"
for pair in "${SIDE_COUNTS[@]}"; do
  read -r side count <<<"$pair"
  /usr/bin/time -f '%e' -o "$work/time" "$seeded" "$SEED" "$side" "$count" >"$work/side$side.txt"
  printf '  %5d problems of side %2d %7.2f s\n' "$count" "$side" "$(tail -n 1 "$work/time")"
  cat "$work/side$side.txt" >>"$pool"
done

# Shuffled once with a fixed seed, then repeated: the prefix holds every side in about the
# same proportion as the whole file, so that their peak memories compare like with like.
problems=$work/problems.txt
awk -v total="$TOTAL_LINES" 'BEGIN { srand(17) }
  { line[n++] = $0 }
  END {
    for (i = n - 1; i > 0; i--) { j = int(rand() * (i + 1)); t = line[i]; line[i] = line[j]; line[j] = t }
    for (i = 0; i < total; i++) print line[i % n]
  }' "$pool" >"$problems"
prefix=$work/prefix.txt
head -n "$PREFIX_LINES" "$problems" >"$prefix"
echo "  $(wc -l <"$problems") lines, $(wc -c <"$problems") bytes, from $(wc -l <"$pool") distinct problems"

# --- Throughput and memory -------------------------------------------------------------
echo "solving"
declare -A peaks
for mode in d s; do
  for name in prefix problems; do
    file=$work/$name.txt
    lines=$(wc -l <"$file")
    out=/dev/null
    if [[ $mode == d ]]; then out=$work/$mode.$name.out; fi
    run "$mode, $lines lines" "$mode" "$file" "$out" "$work/$mode.$name.err"
    peaks[$mode.$name]=$peak
    if [[ -s $work/$mode.$name.err ]]; then fail "$mode, $lines lines: unexpected standard error"; fi
    if [[ $mode == d ]]; then
      got=$(wc -l <"$out")
      ((got == lines)) || fail "d, $lines lines: $got output lines"
      bad=$(grep -cvE '^([0-9]+,){5}[0-9]+$|^failed\.$' "$out" || true)
      ((bad == 0)) || fail "d, $lines lines: $bad malformed statistics lines"
      echo "    $(grep -c '^failed\.$' "$out" || true) failed"
    fi
  done
  small=${peaks[$mode.prefix]}
  big=${peaks[$mode.problems]}
  margin=$((small * MEMORY_MARGIN_PERCENT / 100))
  ((margin >= MEMORY_MARGIN_MIN_KB)) || margin=$MEMORY_MARGIN_MIN_KB
  limit=$((small + margin))
  if ((big > limit)); then
    fail "$mode: peak memory grew from $small KB ($PREFIX_LINES lines) to $big KB ($TOTAL_LINES lines), over $limit KB"
  else
    echo "    flat memory: $big KB for $TOTAL_LINES lines vs $small KB for $PREFIX_LINES (limit $limit KB)"
  fi
done

# --- Largest boards --------------------------------------------------------------------
# check_board NAME FILE EXPECT: one 125 x 125 problem. `s` must draw 125 rows of 250 bytes
# (a full-width glyph is two bytes), an empty line and the outcome; `d` one line. EXPECT is
# "finished." or "failed." when the outcome is known, empty when either will do.
check_board() {
  local name=$1 file=$2 expect=$3 outcome
  run "s, $name" s "$file" "$work/s.$name.out" "$work/s.$name.err"
  run "d, $name" d "$file" "$work/d.$name.out" "$work/d.$name.err"
  if [[ -s $work/s.$name.err || -s $work/d.$name.err ]]; then fail "$name: unexpected standard error"; fi
  awk -v side="$SIDE" '
    NR <= side && length($0) != 2 * side { bad = 1 }
    NR == side + 1 && $0 != "" { bad = 1 }
    NR == side + 2 && $0 != "finished." && $0 != "failed." { bad = 1 }
    END { exit bad || NR != side + 2 }' "$work/s.$name.out" ||
    fail "$name: s does not draw $SIDE rows of $((2 * SIDE)) bytes, an empty line and the outcome"
  outcome=$(tail -n 1 "$work/s.$name.out")
  [[ -z $expect || $outcome == "$expect" ]] || fail "$name: s says '$outcome', expected '$expect'"
  [[ $(wc -l <"$work/d.$name.out") == 1 ]] || fail "$name: d does not print exactly one line"
  echo "    s: $outcome   d: $(head -n 1 "$work/d.$name.out")"
}

echo "largest boards ($SIDE x $SIDE)"
# 36 generated 20 x 20 problems in a 6 x 6 tiling with one column or row of water between
# tiles (6 x 20 + 5 = 125). Islands facing each other across a gap are neighbours, so the
# tiles are not independent and the outcome is not known beforehand.
awk -F/ -v side="$SIDE" 'NR <= 36 { for (r = 1; r <= 20; r++) row[NR - 1, r] = $(r + 3) }
  END {
    printf "3/%d/%d/", side, side
    for (tr = 0; tr < 6; tr++) {
      for (r = 1; r <= 20; r++) {
        line = ""
        for (tc = 0; tc < 6; tc++) line = line (tc ? "." : "") row[tr * 6 + tc, r]
        printf "%s/", line
      }
      if (tr < 5) { line = ""; for (c = 0; c < side; c++) line = line "."; printf "%s/", line }
    }
    print ""
  }' "$work/side20.txt" >"$work/tiled.txt"

# One connected problem that deduction solves: on every other row a double bridge from
# edge to edge, and the rows joined into one chain by double bridges alternately at the
# right and at the left edge. Its bridges run the whole side of the board.
awk -v side="$SIDE" 'BEGIN {
    rows = (side + 1) / 2
    printf "1/%d/%d/", side, side
    for (r = 0; r < side; r++) {
      for (c = 0; c < side; c++) cell[c] = "."
      if (r % 2 == 0) {
        i = r / 2
        left = 2; right = 2
        if (i > 0) { if ((i - 1) % 2 == 0) right += 2; else left += 2 }
        if (i < rows - 1) { if (i % 2 == 0) right += 2; else left += 2 }
        cell[0] = left; cell[side - 1] = right
      }
      line = ""
      for (c = 0; c < side; c++) line = line cell[c]
      printf "%s/", line
    }
    print ""
  }' >"$work/chain.txt"

# Random cells: a board of noise, drawn whatever becomes of it.
awk -v side="$SIDE" 'BEGIN {
    srand(5)
    printf "5/%d/%d/", side, side
    for (r = 0; r < side; r++) {
      line = ""
      for (c = 0; c < side; c++) line = line substr(".........12345678", int(rand() * 17) + 1, 1)
      printf "%s/", line
    }
    print ""
  }' >"$work/noise.txt"

check_board tiled "$work/tiled.txt" ""
check_board chain "$work/chain.txt" finished.
check_board noise "$work/noise.txt" ""

# refused NAME FILE LINE: FILE holds nothing before its refused line LINE; both modes must
# print nothing, say once on standard error which file and line, and exit 0.
refused() {
  local name=$1 file=$2 lineno=$3 mode
  for mode in s d; do
    run "$mode, $name" "$mode" "$file" "$work/$mode.$name.out" "$work/$mode.$name.err"
    if [[ -s $work/$mode.$name.out ]]; then fail "$name ($mode): output on standard output"; fi
    if [[ $(wc -l <"$work/$mode.$name.err") != 1 ]] ||
      ! grep -qF "$file:$lineno:" "$work/$mode.$name.err"; then
      fail "$name ($mode): standard error is not one message naming $file:$lineno"
    fi
  done
  echo "    $(head -c 200 "$work/s.$name.err")"
}

# One past the largest side: refused, not solved.
awk -v side=$((SIDE + 1)) 'BEGIN {
    printf "1/%d/%d/", side, side
    for (r = 0; r < side; r++) { line = ""; for (c = 0; c < side; c++) line = line "."; printf "%s/", line }
    print ""
  }' >"$work/oversize.txt"
refused oversize "$work/oversize.txt" 1

# A line as wide as the widest board row, of printable garbage ("0" to "}", so no "/").
awk -v side="$SIDE" 'BEGIN {
    srand(9)
    for (c = 0; c < side; c++) printf "%c", 48 + int(rand() * 78)
    print ""
  }' >"$work/garbage125.txt"
refused garbage125 "$work/garbage125.txt" 1

# --- A megabyte of garbage ---------------------------------------------------------------
# Any byte but "/" and the line feed, so that the line is one line and has no header; a
# problem after it must not be read.
echo "a line of 1 MiB of garbage after 3 problems"
head -n 3 "$prefix" >"$work/before.txt"
head -c 1200000 /dev/urandom >"$work/random.bin"
tr -d '/\n' <"$work/random.bin" >"$work/filtered.bin"
head -c 1048576 "$work/filtered.bin" >"$work/garbage.bin"
{
  cat "$work/before.txt"
  cat "$work/garbage.bin"
  echo
  head -n 1 "$prefix"
} >"$work/megabyte.txt"
for mode in s d; do
  "$spanwright" "$mode" "$work/before.txt" >"$work/$mode.before.out"
  run "$mode, 3 problems + 1 MiB line" "$mode" "$work/megabyte.txt" "$work/$mode.megabyte.out" \
    "$work/$mode.megabyte.err"
  cmp -s "$work/$mode.before.out" "$work/$mode.megabyte.out" ||
    fail "megabyte ($mode): standard output differs from that of the 3 problems alone"
  if [[ $(wc -l <"$work/$mode.megabyte.err") != 1 ]] ||
    ! grep -qF "$work/megabyte.txt:4:" "$work/$mode.megabyte.err"; then
    fail "megabyte ($mode): standard error is not one message naming $work/megabyte.txt:4"
  fi
done
echo "    $(head -c 200 "$work/s.megabyte.err")"

if ((failures)); then
  echo "load_test: $failures check(s) failed"
  exit 1
fi
status=0
echo "load_test: all checks passed"
