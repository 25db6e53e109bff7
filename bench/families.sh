#!/usr/bin/env bash
# The exact verdict's CPU time over the hard families of tools/hard_families.py, one board
# per family and side, and the worst time per family with its side and verdict.
#
#   bench/families.sh BIN_DIR [LIMIT [SIDES...]]
#
# BIN_DIR holds spanwright_exact_time (build/<preset>/bin); LIMIT is the time limit of
# each verdict in seconds (default 10), so that no board runs for minutes; SIDES default
# to 8 to 31, and the tree family then also runs 32 to 40. Run it under nice: it takes
# one core for as long as the boards need.
set -euo pipefail
bin=${1:?usage: bench/families.sh BIN_DIR [LIMIT [SIDES...]]}
limit=${2:-10}
shift $(($# < 2 ? $# : 2))
sides=("$@")
all=$([[ ${#sides[@]} -eq 0 ]] && echo yes || echo no)
[[ $all == no ]] || sides=($(seq 8 31))
here=$(dirname "$0")

printf "%-8s %5s %8s  %s\n" family side "cpu s" verdict
for family in joined apart square mixed lone hole tree; do
    family_sides=("${sides[@]}")
    [[ $family != tree || $all == no ]] || family_sides+=($(seq 32 40))
    for side in "${family_sides[@]}"; do
        line=$(python3 "$here/../tools/hard_families.py" "$family" "$side" 2>/dev/null) || continue
        "$bin/spanwright_exact_time" "$limit" <<<"$line" | sed "s/^/$side /"
    done | sort -k3,3 -g | tail -n 1 |
        awk -v f="$family" '{ printf "%-8s %5s %8s  %-9s\n", f, $1, $3, $2 }'
done
