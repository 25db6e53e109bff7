#!/usr/bin/env bash
# CPU time of the stepwise solver with all its steps and sentences: per 20 x 20 puzzle of
# the open peer (COUNT of each of its levels, fixed seeds), and per 125 x 125 board of the
# golden large inputs. Build the release preset (or pass another build's rater) first.
#
# usage: bench/explain_timing.sh [RATER] [COUNT]
set -euo pipefail
rater=${1:-build/release/bin/spanwright_explain_rate}
count=${2:-40}
peer=${PEER:-/usr/games/sgt-bridges}
root=$(cd "$(dirname "$0")/.." && pwd)
if [[ ! -x $rater ]]; then
  echo "explain_timing: $rater not found; build spanwright_explain_rate first" >&2
  exit 2
fi
for level in 0 1 2; do
  if [[ -x $peer ]]; then
    echo -n "peer 20x20 level $level: "
    "$peer" --generate "$count" "20x20i30e10m2d${level}#spanwright-timing-$level" \
      | "$rater" 2>&1 >/dev/null | sed 's/^explain_rate: //'
  fi
done
echo -n "golden large 125x125: "
gzip -dc "$root/tests/data/golden/large.txt.gz" | "$rater" 2>&1 >/dev/null | sed 's/^explain_rate: //'
