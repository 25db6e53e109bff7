#!/usr/bin/env bash
# CPU time per puzzle of spanwright-make on one thread, by size and rung: the table of the
# README. Each cell is one run of PUZZLES puzzles (seed 1); a cell whose run does not finish
# within LIMIT seconds of CPU time shows ">" and the bound per puzzle that implies, one the
# program calls out of reach "none".
#
# usage: bench/make_timings.sh [MAKE] [PUZZLES]
#   MAKE     path to spanwright-make (default build/release/bin/spanwright-make)
#   PUZZLES  puzzles per cell (default 10)
# Environment: ISLANDS (a share for every rung instead of each rung's default), SIZES
# (default "20x20 30x30 40x40 60x60"), LEVELS (default every rung), LIMIT (default 120).
set -euo pipefail
make=${1:-build/release/bin/spanwright-make}
puzzles=${2:-10}
limit=${LIMIT:-120}
read -r -a sizes <<<"${SIZES:-20x20 30x30 40x40 60x60}"
read -r -a levels <<<"${LEVELS:-easy medium hard expert extreme}"
if [[ ! -x $make ]]; then
  echo "make_timings: $make not found; build it with: cmake --preset release && cmake --build build/release" >&2
  exit 2
fi
islands=()
[[ -n ${ISLANDS:-} ]] && islands=(--islands "$ISLANDS")
timing=$(mktemp)
trap 'rm -f "$timing"' EXIT

echo "CPU ms per puzzle, one thread, $puzzles puzzles a cell${ISLANDS:+, ${ISLANDS} % islands}"
printf '%-7s' size
printf ' %9s' "${levels[@]}"
echo
for size in "${sizes[@]}"; do
  printf '%-7s' "$size"
  for level in "${levels[@]}"; do
    status=0
    (ulimit -t "$limit"
     exec /usr/bin/time -f '%U %S' -o "$timing" "$make" --quiet --jobs 1 --seed 1 \
       --level "$level" "${islands[@]}" "$size" "$puzzles" >/dev/null 2>&1) || status=$?
    if [[ $status -eq 1 ]]; then
      printf ' %9s' "none"
    elif [[ $status -ne 0 ]]; then
      printf ' %9s' ">$((1000 * limit / puzzles))"
    else
      printf ' %9.1f' "$(awk -v n="$puzzles" '/^[0-9.]+ [0-9.]+$/ { print 1000 * ($1 + $2) / n }' "$timing")"
    fi
  done
  echo
done
