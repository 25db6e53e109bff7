#!/usr/bin/env bash
# Times whole create-mode batches (c1, c2, c3) on all cores, wall and CPU time, in a
# scratch folder. Usage: bench/batch_timing.sh path/to/spanwright [runs]
set -euo pipefail
spanwright=$(realpath "$1")
runs=${2:-3}
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
cd "$scratch"
TIMEFORMAT='%R %U %S'
for mode in c1 c2 c3; do
  for ((i = 1; i <= runs; i++)); do
    read -r wall user sys < <({ time "$spanwright" "$mode" >/dev/null; } 2>&1)
    printf '%s run %d: wall %6.2f s  cpu %6.2f s  (cpu/wall %.2f)\n' "$mode" "$i" "$wall" \
      "$(echo "$user + $sys" | bc)" "$(echo "($user + $sys) / $wall" | bc -l)"
  done
done
