#!/usr/bin/env bash
# The stepwise solver's rating against the open peer's own grading: for each size, the
# peer generates COUNT puzzles at each of its levels (easy, medium, hard, from a fixed
# seed), and the table gives
#   P(m>e)  the chance that a random peer-medium puzzle scores above a random peer-easy one
#           (ties count half); the target is at least 0.8,
#   P(h>m)  the same for hard over medium,
#   easy ok the share of peer-easy puzzles rated easy or medium (target at least 90 %),
# and the levels each peer level got.
#
# usage: bench/explain_calibration.sh [RATER] [COUNT]
#   RATER  path to spanwright_explain_rate (default build/release/bin/spanwright_explain_rate,
#          then build/dev/bin/spanwright_explain_rate)
#   COUNT  puzzles per size and level (default 100)
# SEED (default "spanwright") names the peer's random seeds; the score was tuned on the
# default ones and on SEED=fresh, so check a change on others too (e.g. SEED=holdout, never
# used for tuning) to see it is not overfitted.
# The peer is /usr/games/sgt-bridges from Debian's sgt-puzzles package. With CACHE set to a
# directory, the peer's puzzles are kept there and reused by later runs (they depend only on
# the size, level, count and seed), so that a run after a change of the rating is quick.
set -euo pipefail
rater=${1:-}
count=${2:-100}
seed=${SEED:-spanwright}
peer=${PEER:-/usr/games/sgt-bridges}
if [[ -z $rater ]]; then
  for candidate in build/release/bin/spanwright_explain_rate build/dev/bin/spanwright_explain_rate; do
    [[ -x $candidate ]] && rater=$candidate && break
  done
fi
if [[ ! -x $peer ]]; then
  echo "explain_calibration: $peer not found; install it with: apt-get install sgt-puzzles" >&2
  exit 2
fi
if [[ -z $rater || ! -x $rater ]]; then
  echo "explain_calibration: spanwright_explain_rate not found; build it with: cmake --build build/dev --target spanwright_explain_rate" >&2
  exit 2
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cache=${CACHE:-$work}
mkdir -p "$cache"

printf '%-7s %6s %6s %8s   %-34s %-34s %s\n' size 'P(m>e)' 'P(h>m)' 'easy ok' \
  'peer easy rated e/m/h/x/X' 'peer medium rated e/m/h/x/X' 'peer hard rated e/m/h/x/X'
for size in 10x10 15x15 20x20 9x13; do
  for level in 0 1 2; do
    puzzles=$cache/peer-$seed-$size-$level-$count.txt
    [[ -s $puzzles ]] || "$peer" --generate "$count" "${size}i30e10m2d${level}#$seed-$size-$level" >"$puzzles"
    "$rater" <"$puzzles" 2>/dev/null >"$work/$size.$level"
  done
  awk -v size="$size" '
    FNR == 1 { file++ }
    { score[file, FNR] = $2; n[file] = FNR; rated[file, $1]++ }
    # P(score of a random puzzle of level b > one of level a), ties half.
    function above(a, b,   i, j, wins) {
      wins = 0
      for (i = 1; i <= n[a]; i++)
        for (j = 1; j <= n[b]; j++)
          wins += score[b, j] > score[a, i] ? 1 : score[b, j] == score[a, i] ? 0.5 : 0
      return wins / (n[a] * n[b])
    }
    function spread(f,   text) {
      return sprintf("%d/%d/%d/%d/%d", rated[f, "easy"], rated[f, "medium"], rated[f, "hard"],
                     rated[f, "expert"], rated[f, "extreme"])
    }
    END {
      printf "%-7s %6.2f %6.2f %7.0f%%   %-34s %-34s %s\n", size, above(1, 2), above(2, 3),
             100 * (rated[1, "easy"] + rated[1, "medium"]) / n[1], spread(1), spread(2), spread(3)
    }' "$work/$size.0" "$work/$size.1" "$work/$size.2"
done
