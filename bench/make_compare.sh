#!/usr/bin/env bash
# CPU time per puzzle of spanwright-make against the open peer generator of this puzzle
# (Simon Tatham's "Bridges") at the matching level, on one thread each, in one run: the two
# programs alternate round by round so that both see the same machine. Then the two top
# rungs, which the peer does not make, at 20x20 alone.
#
# usage: bench/make_compare.sh [MAKE] [ROUNDS]
#   MAKE    path to spanwright-make (default build/release/bin/spanwright-make)
#   ROUNDS  rounds per size and level (default 3)
# Environment: PEER (default /usr/games/sgt-bridges), ISLANDS (a share for every level of
# ours instead of each level's default).
#
# Levels: easy, medium and hard against the peer's d0, d1 and d2, both at 30 % islands on
# the peer's side ("WxHi30e10m2dD").
set -euo pipefail
make=${1:-build/release/bin/spanwright-make}
rounds=${2:-3}
peer=${PEER:-/usr/games/sgt-bridges}
if [[ ! -x $peer ]]; then
  echo "make_compare: $peer not found; install it with: apt-get install sgt-puzzles" >&2
  exit 2
fi
if [[ ! -x $make ]]; then
  echo "make_compare: $make not found; build it with: cmake --preset release && cmake --build build/release" >&2
  exit 2
fi
islands=()
[[ -n ${ISLANDS:-} ]] && islands=(--islands "$ISLANDS")
declare -A problems=([10x10]=200 [9x13]=200 [15x15]=60 [20x20]=30)
levels=(easy medium hard)

timing=$(mktemp)
trap 'rm -f "$timing"' EXIT

# CPU seconds (user + system) of one command, its output discarded.
cpu() {
  /usr/bin/time -f '%U %S' -o "$timing" "$@" >/dev/null 2>&1
  awk '{ print $1 + $2 }' "$timing"
}

printf '%-6s %-7s %9s %14s %14s %7s\n' size level puzzles "ours ms/puz" "peer ms/puz" ratio
for size in 10x10 15x15 20x20 9x13; do
  n=${problems[$size]}
  for d in 0 1 2; do
    level=${levels[$d]}
    ours=0 theirs=0
    for ((round = 1; round <= rounds; round++)); do
      ours=$(echo "$ours + $(cpu "$make" --jobs 1 --seed "$round" --level "$level" "${islands[@]}" "$size" "$n")" | bc -l)
      theirs=$(echo "$theirs + $(cpu "$peer" --generate "$n" "${size}i30e10m2d$d")" | bc -l)
    done
    total=$((n * rounds))
    printf '%-6s %-7s %9d %14.3f %14.3f %7.2f\n' "$size" "$level" "$total" \
      "$(echo "1000 * $ours / $total" | bc -l)" "$(echo "1000 * $theirs / $total" | bc -l)" \
      "$(echo "$ours / $theirs" | bc -l)"
  done
done
# The top rungs cost more a puzzle: fewer of them keep the run short.
for level in expert extreme; do
  n=${TOP_PUZZLES:-10}
  ours=0
  for ((round = 1; round <= rounds; round++)); do
    ours=$(echo "$ours + $(cpu "$make" --jobs 1 --seed "$round" --level "$level" "${islands[@]}" 20x20 "$n")" | bc -l)
  done
  total=$((n * rounds))
  printf '%-6s %-7s %9d %14.3f %14s %7s\n' 20x20 "$level" "$total" \
    "$(echo "1000 * $ours / $total" | bc -l)" - -
done
echo "ratio: our CPU time over the peer's; below 1 means cheaper than the peer"
