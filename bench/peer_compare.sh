#!/usr/bin/env bash
# CPU time per generated problem of spanwright-seeded against the open peer generator of
# this puzzle (Simon Tatham's "Bridges", hard level), on one thread each, side by side in
# one run: the two programs alternate round by round so that both see the same machine.
#
# usage: bench/peer_compare.sh [SEEDED] [ROUNDS]
#   SEEDED  path to spanwright-seeded (default build/release/bin/spanwright-seeded)
#   ROUNDS  rounds per side (default 3); each round makes PROBLEMS[side] problems with each
#
# The peer is /usr/games/sgt-bridges from Debian's sgt-puzzles package.
set -euo pipefail
seeded=${1:-build/release/bin/spanwright-seeded}
rounds=${2:-3}
peer=${PEER:-/usr/games/sgt-bridges}
if [[ ! -x $peer ]]; then
  echo "peer_compare: $peer not found; install it with: apt-get install sgt-puzzles" >&2
  exit 2
fi
if [[ ! -x $seeded ]]; then
  echo "peer_compare: $seeded not found; build it with: cmake --preset release && cmake --build build/release" >&2
  exit 2
fi
declare -A problems=([10]=400 [15]=100 [20]=40)

timing=$(mktemp)
trap 'rm -f "$timing"' EXIT

# CPU seconds (user + system) of one command, its output discarded.
cpu() {
  /usr/bin/time -f '%U %S' -o "$timing" "$@" >/dev/null 2>&1
  awk '{ print $1 + $2 }' "$timing"
}

printf '%-5s %10s %14s %14s %8s\n' side problems "ours ms/prob" "peer ms/prob" ratio
for side in 10 15 20; do
  n=${problems[$side]}
  ours=0 theirs=0
  for ((round = 1; round <= rounds; round++)); do
    ours=$(echo "$ours + $(cpu "$seeded" "$round" "$side" "$n")" | bc -l)
    theirs=$(echo "$theirs + $(cpu "$peer" --generate "$n" "${side}x${side}i30e10m2d2")" | bc -l)
  done
  total=$((n * rounds))
  printf '%-5s %10d %14.3f %14.3f %8.2f\n' "$side" "$total" \
    "$(echo "1000 * $ours / $total" | bc -l)" "$(echo "1000 * $theirs / $total" | bc -l)" \
    "$(echo "$ours / $theirs" | bc -l)"
done
echo "ratio: our CPU time over the peer's; below 1 means cheaper than the peer"
