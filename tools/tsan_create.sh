#!/usr/bin/env bash
# Builds the tsan preset and runs the create mode under ThreadSanitizer, failing on any
# report. The generating threads share the random source and the console; everything else
# is per problem, and this run is what shows that it stays so.
#
# GCC's OpenMP runtime is not instrumented, so this build uses clang with LLVM's runtime
# (libomp) and its Archer tool. libomp synchronises its threads with its own atomics and
# futexes, which ThreadSanitizer cannot see. Two documented settings make up for it, and
# each is needed; no suppression is:
# - Archer, loaded by the runtime through OMP_TOOL_LIBRARIES, tells ThreadSanitizer about
#   the barriers, locks and task edges of the OpenMP program. Without it, the main thread
#   writing out a problem that a worker generated is reported, although the barrier at the
#   end of the parallel loop orders the two. (libomp also tries libarcher.so on its own
#   when no tool is named; naming it keeps the run from depending on the loader path, and
#   the run checks that Archer says it is active.)
# - ignore_noninstrumented_modules=1 makes ThreadSanitizer skip what happens inside libomp
#   itself. Without it, libomp initialising one of its locks in a worker and the main
#   thread taking it is reported: the runtime's own hand-off orders them, unseen.
#
# Needs clang++ and libomp-14-dev (libomp and libarcher). ARCHER_LIBRARY overrides where
# libarcher.so is looked for.
set -euo pipefail
cd "$(dirname "$0")/.."

# The machine is shared with other builds.
export CMAKE_BUILD_PARALLEL_LEVEL=${CMAKE_BUILD_PARALLEL_LEVEL:-2}
cmake --preset tsan >/dev/null
cmake --build --preset tsan

archer=${ARCHER_LIBRARY:-$(clang++ -print-resource-dir)/../../libarcher.so}
if [[ ! -f $archer ]]; then
  echo "tsan_create: libarcher.so not found at $archer (install libomp-14-dev)" >&2
  exit 1
fi
spanwright=$PWD/build/tsan/bin/spanwright

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir "$scratch/batches"
cd "$scratch/batches"
shopt -s nullglob

export OMP_TOOL_LIBRARIES=$archer
# verbose=1 makes Archer say on standard output that it found ThreadSanitizer and is active:
# a run without it would check too little.
export ARCHER_OPTIONS=verbose=1
export TSAN_OPTIONS=halt_on_error=1:ignore_noninstrumented_modules=1:exitcode=66

# Runs one batch with the given OpenMP thread count (empty: the runtime's default, one per
# core) and checks that it ran under Archer, reported nothing and wrote one more file.
run() {
  local mode=$1 threads=$2 out=$scratch/out err=$scratch/err batches status=0
  batches=(*)
  echo "== spanwright $mode, OMP_NUM_THREADS=${threads:-default}"
  if [[ -n $threads ]]; then
    OMP_NUM_THREADS=$threads "$spanwright" "$mode" >"$out" 2>"$err" || status=$?
  else
    (unset OMP_NUM_THREADS && exec "$spanwright" "$mode") >"$out" 2>"$err" || status=$?
  fi
  if ((status != 0)) || grep -q ThreadSanitizer "$err"; then
    cat "$err" >&2
    echo "tsan_create: spanwright $mode failed (exit status $status)" >&2
    exit 1
  fi
  if ! grep -q '^Archer detected' "$out"; then
    cat "$out" "$err" >&2
    echo "tsan_create: Archer was not loaded from $archer" >&2
    exit 1
  fi
  local now=(*)
  if [[ $(tail -n 1 "$out") != finished. ]] || ((${#now[@]} != ${#batches[@]} + 1)); then
    cat "$out" >&2
    echo "tsan_create: spanwright $mode did not write its batch" >&2
    exit 1
  fi
}

run c1 ""
# More threads than the two cores of the usual machine, for more interleaving.
run c1 4
run c2 4
echo "tsan_create: no reports"
