#!/usr/bin/env bash
# The quick start's main job: creates a batch of 10 x 10 problems in the current directory,
# then shows what came out: the file's name, how its grades spread, and its first problem
# blank and solved, in UTF-8.
#
#   tools/demo.sh BIN_DIR    (the directory holding spanwright and its companion programs)
set -euo pipefail
bin=$1

"$bin/spanwright" c1
batch=$(ls -t -- *"(size1).dat" | head -n 1)
echo
echo "created: $PWD/$batch ($(wc -l <"$batch") problems)"

# The grade is the first field of every problem line.
echo -n "grades:    "
for grade in 1 2 3 4 5; do
  n=$(grep -c "^$grade/" "$batch" || true)
  ((n == 0)) || echo -n "  $grade: $n"
done
echo

# spanwright-check decides every problem exactly and names the technique each one needs.
if [[ -x $bin/spanwright-check ]]; then
  verdicts=$("$bin/spanwright-check" -- "$batch" || true)
  echo -n "techniques:"
  grep -o 'technique [a-z]*' <<<"$verdicts" | sort | uniq -c | awk '{ printf "  %s: %s", $3, $1 }'
  echo
  echo -n "verdicts:  "
  cut -d' ' -f2 <<<"$verdicts" | tr -d , | sort | uniq -c | awk '{ printf "  %s: %s", $2, $1 }'
  echo
fi

first=$(head -n 1 -- "$batch")
echo
echo "the first problem:"
if [[ -x $bin/spanwright-convert ]]; then
  printf '%s\n' "$first" | "$bin/spanwright-convert" --to text
else
  printf '%s\n' "$first" | cut -d/ -f4- | tr '/' '\n' | sed '/^$/d; s/\./· /g; s/\([1-8]\)/\1 /g'
fi
echo
echo "its solution:"
if [[ -x $bin/spanwright-check ]]; then
  printf '%s\n' "$first" | "$bin/spanwright-check" --solutions - | tail -n +2 || true
else
  printf '%s\n' "$first" | "$bin/spanwright" s /dev/stdin | iconv -f CP932 -t UTF-8
fi
echo "solve them all:  $bin/spanwright s '$PWD/$batch' | iconv -f CP932 -t UTF-8"
