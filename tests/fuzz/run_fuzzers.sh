#!/usr/bin/env bash
# Builds the fuzz preset and runs each libFuzzer target for a given time, one process each.
#
#   tests/fuzz/run_fuzzers.sh SECONDS [TARGET...]
#
# Targets: problem_line_fuzz, solve_fuzz, codec_fuzz, differential_fuzz, disturbed_fuzz,
# sheet_fuzz, explain_fuzz, peer_save_fuzz, arguments_fuzz (all when none is named). Each starts
# from its seed corpus and the kept regressions, copied into a scratch corpus, so the
# checked-in corpus never grows. An input that runs longer than 2 s counts as a hang. Any
# crash, leak, hang, memory blow-up or sanitizer report fails the run; the input is copied to
# tests/fuzz/regressions/, where the ordinary test build replays it from then on.
set -euo pipefail

all_targets=(problem_line_fuzz solve_fuzz codec_fuzz differential_fuzz disturbed_fuzz sheet_fuzz
  explain_fuzz peer_save_fuzz arguments_fuzz)
usage() {
  echo "usage: $0 SECONDS [TARGET]... (targets: ${all_targets[*]})" >&2
  exit 2
}
(($# >= 1)) || usage
[[ $1 =~ ^[1-9][0-9]*$ ]] || usage
duration=$1
shift
targets=("$@")
((${#targets[@]})) || targets=("${all_targets[@]}")

root=$(cd "$(dirname "$0")/../.." && pwd)
fuzz_dir=$root/tests/fuzz
regressions=$fuzz_dir/regressions
build=$root/build/fuzz
logs=$build/logs

# Seed corpus and the longest input of each target: the reader is worth trying on the
# largest boards (125 x 125 needs some 16,000 characters); the solver skips boards over
# 40 x 40, which fit in 4096 bytes with room for stray characters; the differential target
# reads two bytes of size and at most 12 x 12 cells; the disturbed boards come from nine
# bytes; the sheet takes a few boards up to 30 x 30.
declare -A corpus=([problem_line_fuzz]=problem_line [solve_fuzz]=solve [codec_fuzz]=codec
  [differential_fuzz]=differential [disturbed_fuzz]=disturbed [sheet_fuzz]=sheet [explain_fuzz]=solve
  [peer_save_fuzz]=peer_save [arguments_fuzz]=arguments)
declare -A max_len=([problem_line_fuzz]=20000 [solve_fuzz]=4096 [codec_fuzz]=20000
  [differential_fuzz]=146 [disturbed_fuzz]=9 [sheet_fuzz]=8192 [explain_fuzz]=1024 [peer_save_fuzz]=20000
  [arguments_fuzz]=512)
# Targets whose code under test talks on standard error: libFuzzer closes it for them (its
# own messages and the sanitizers' reports still reach the log), or the log drowns.
declare -A extra=([arguments_fuzz]=-close_fd_mask=2)
for target in "${targets[@]}"; do
  [[ -n ${corpus[$target]:-} ]] || { echo "$0: unknown target: $target" >&2; usage; }
done

cd "$root"
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j 2

scratch=$(mktemp -d "${TMPDIR:-/tmp}/spanwright-fuzz.XXXXXX")
trap 'rm -rf "$scratch"' EXIT
mkdir -p "$logs" "$regressions"

declare -A executions elapsed outcome
failed=0
for target in "${targets[@]}"; do
  work=$scratch/$target
  mkdir -p "$work/corpus" "$work/artifacts"
  cp "$fuzz_dir/corpus/${corpus[$target]}"/* "$work/corpus/"
  find "$regressions" -maxdepth 1 -type f ! -name '.*' -exec cp {} "$work/corpus/" \;
  log=$logs/$target.log

  echo "== $target: ${duration} s, log in ${log#"$root"/}"
  start=$(date +%s)
  status=0
  UBSAN_OPTIONS=print_stacktrace=1 "$build/bin/$target" "$work/corpus" \
    -max_total_time="$duration" -timeout=2 -rss_limit_mb=2048 -max_len="${max_len[$target]}" \
    -print_final_stats=1 -artifact_prefix="$work/artifacts/" ${extra[$target]:-} >"$log" 2>&1 ||
    status=$?
  elapsed[$target]=$(($(date +%s) - start))
  executions[$target]=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)

  # libFuzzer stops at the first failure with a non-zero status and leaves the input
  # behind as crash-*, leak-*, timeout-* or oom-*; sanitizer reports are looked for too, in
  # case one slips through without stopping the run.
  artifacts=("$work"/artifacts/*)
  [[ -e ${artifacts[0]} ]] || artifacts=()
  if ((status != 0 || ${#artifacts[@]})) ||
    grep -qE 'ERROR: (AddressSanitizer|LeakSanitizer|UndefinedBehaviorSanitizer|libFuzzer)|runtime error:' "$log"; then
    failed=1
    outcome[$target]="FAILED (exit status $status)"
    echo "!! $target failed (exit status $status); the report:" >&2
    # The report from its first line, without libFuzzer's own frames.
    awk '/==ERROR|ERROR:|runtime error:|check failed|ALARM|out-of-memory|deadly signal/ { on = 1 }
         on && !/ in fuzzer::|libc_start|in _start|in main \(/ { print }
         on && /^SUMMARY/ { exit }' "$log" |
      head -n 40 >&2 || true
    for artifact in "${artifacts[@]}"; do
      kept=$regressions/$target-$(basename "$artifact")
      cp "$artifact" "$kept"
      echo "!! failing input kept as ${kept#"$root"/}: replay it with" >&2
      echo "!!   build/fuzz/bin/$target ${kept#"$root"/}" >&2
    done
    ((${#artifacts[@]})) || echo "!! no failing input was written; see $log" >&2
  else
    outcome[$target]=ok
  fi
done

echo
printf '%-20s %14s %8s  %s\n' target executions seconds result
for target in "${targets[@]}"; do
  printf '%-20s %14s %8s  %s\n' "$target" "${executions[$target]:-?}" "${elapsed[$target]}" \
    "${outcome[$target]}"
done
exit "$failed"
