#!/usr/bin/env bash
# CPU time of two builds side by side, alternating round by round: generation per problem
# with spanwright-seeded at sides 10, 15 and 20, and solving a file of problems (for
# example 125 x 125 boards) with spanwright d. Outputs of the two builds must be equal;
# a difference is reported and ends the script with status 1.
#
# usage: bench/baseline_compare.sh OLD_BIN_DIR NEW_BIN_DIR [SOLVE_FILE] [ROUNDS]
#   *_BIN_DIR   folders holding spanwright and spanwright-seeded of each build
#   SOLVE_FILE  problems to solve (default: none, generation only)
#   ROUNDS      rounds (default 3)
set -euo pipefail
if (($# < 2)); then
  sed -n '2,10p' "$0" >&2
  exit 2
fi
old=$1 new=$2 file=${3:-} rounds=${4:-3}
declare -A problems=([10]=400 [15]=100 [20]=20)
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT

# Runs a command, output to $scratch/$1, and prints its CPU seconds (user + system).
cpu() {
  local out=$1
  shift
  /usr/bin/time -f '%U %S' -o "$scratch/time" "$@" >"$scratch/$out"
  awk '{ print $1 + $2 }' "$scratch/time"
}

compare() {
  local label=$1 count=$2
  shift 2
  local a=0 b=0
  for ((round = 1; round <= rounds; round++)); do
    a=$(echo "$a + $(cpu old "$old/$1" "${@:2}")" | bc -l)
    b=$(echo "$b + $(cpu new "$new/$1" "${@:2}")" | bc -l)
    if ! cmp -s "$scratch/old" "$scratch/new"; then
      echo "baseline_compare: outputs differ: $label" >&2
      exit 1
    fi
  done
  printf '%-22s %12.3f %12.3f %8.2fx\n' "$label" "$(echo "1000 * $a / ($count * $rounds)" | bc -l)" \
    "$(echo "1000 * $b / ($count * $rounds)" | bc -l)" "$(echo "$a / $b" | bc -l)"
}

printf '%-22s %12s %12s %9s\n' "" "old ms" "new ms" "speed-up"
for side in 10 15 20; do
  compare "generate side $side" "${problems[$side]}" spanwright-seeded 7 "$side" "${problems[$side]}"
done
if [[ -n $file ]]; then
  count=$(grep -c . "$file")
  compare "solve $(basename "$file")" "$count" spanwright d "$file"
fi
