#!/usr/bin/env bash
# How grades and techniques spread over generated problems, and what asking for each
# technique costs: the figures the README and the manual pages quote.
#
#   tools/spread.sh BIN_DIR [SEED] [COUNT] [SIDE...]     (defaults: 99 60 10 15 20)
#
# For each side: the grade and technique counts of COUNT seeded problems, then the CPU
# seconds per printed problem of `spanwright-seeded --technique LEVEL` for each level
# (5 problems each, so the rare levels stay affordable).
set -euo pipefail
bin=$1
seed=${2:-99}
count=${3:-60}
shift $(($# < 3 ? $# : 3))
sides=("$@")
((${#sides[@]})) || sides=(10 15 20)
export LC_ALL=C
TIMEFORMAT='%U %S'

technique() {  # the level of a statistics line, as spanwright-check names it
  awk -F, 'NF == 6 { print ($4 + $5 > 0) ? "trial" : ($3 > 0) ? "isolation" : ($2 > 0) ? "pair" : "basic" }'
}

for side in "${sides[@]}"; do
  problems=$(mktemp)
  read -r user sys < <({ time "$bin/spanwright-seeded" "$seed" "$side" "$count" >"$problems"; } 2>&1)
  plain=$(echo "($user + $sys) / $count" | bc -l)
  echo "side $side, $count problems from seed $seed ($(printf '%.4f' "$plain") s CPU each)"
  echo -n "  grades:    "
  cut -d/ -f1 "$problems" | sort | uniq -c | awk '{ printf " %s: %s", $2, $1 } END { print "" }'
  echo -n "  techniques:"
  "$bin/spanwright" d "$problems" | technique | sort | uniq -c |
    awk '{ printf " %s: %s", $2, $1 } END { print "" }'
  for level in basic pair isolation trial; do
    read -r user sys < <({ time "$bin/spanwright-seeded" --technique "$level" "$seed" "$side" 5 \
      >"$problems" 2>/dev/null; } 2>&1)
    if (($(wc -l <"$problems") < 5)); then
      printf '  --technique %-9s gave up (1000 misses in a row)\n' "$level"
    else
      printf '  --technique %-9s %.4f s CPU per problem (%.1f x plain)\n' "$level" \
        "$(echo "($user + $sys) / 5" | bc -l)" "$(echo "($user + $sys) / 5 / $plain" | bc -l)"
    fi
  done
  rm -f "$problems"
done
