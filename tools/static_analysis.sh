#!/usr/bin/env bash
# Static analysis of the project's own sources (app/, puzzle/, solver/, generator/, exact/, render/,
# pack/, bench/*.cpp): clang-tidy with the checks of .clang-tidy, then cppcheck.
# Any finding of either fails the run. The tests are left out: GoogleTest's macros make
# each test file several times slower to analyse than the program itself, and what the
# program does is what this guards.
#
#   tools/static_analysis.sh [BUILD_DIR]
#
# BUILD_DIR (default build/tidy) is configured with the dev preset's settings for its
# compile database; nothing is built. STATIC_ANALYSIS_JOBS sets clang-tidy's parallel
# jobs (default 2).
set -euo pipefail
cd "$(dirname "$0")/.."

build_dir=${1:-build/tidy}
jobs=${STATIC_ANALYSIS_JOBS:-2}

# The check list of .clang-tidy is chosen against clang-tidy 14; a newer release adds
# checks to the enabled groups and may report what 14 does not.
find_tool() {
    local name
    for name in "$@"; do
        if command -v "$name" >/dev/null 2>&1; then
            command -v "$name"
            return 0
        fi
    done
    echo "static_analysis: none of $* is installed" >&2
    return 1
}
clang_tidy=$(find_tool clang-tidy-14 clang-tidy)
run_clang_tidy=$(find_tool run-clang-tidy-14 run-clang-tidy)
cppcheck=$(find_tool cppcheck)

mapfile -t sources < <(
    # Every library directory, whichever of them this tree has.
    for dir in app puzzle solver generator exact render pack explain maker; do
        [[ -d $dir ]] && find "$dir" -name '*.cpp'
    done
    find bench -maxdepth 1 -name '*.cpp'
)
mapfile -t sources < <(printf '%s\n' "${sources[@]}" | LC_ALL=C sort)

echo "== configure $build_dir (dev preset settings)"
configure_log=$(mktemp)
trap 'rm -f "$configure_log"' EXIT
if ! cmake --preset dev -B "$build_dir" >"$configure_log" 2>&1; then
    cat "$configure_log" >&2
    exit 1
fi

# Every source must be in the compile database, or clang-tidy would pass over it unseen.
missing=0
for source in "${sources[@]}"; do
    if ! grep -q "\"file\": \"[^\"]*/$source\"" "$build_dir/compile_commands.json"; then
        echo "static_analysis: $source is not in $build_dir/compile_commands.json" >&2
        missing=1
    fi
done
((missing == 0)) || exit 1

status=0

echo "== clang-tidy ($("$clang_tidy" --version | sed -n 's/.*version \([0-9.]*\).*/\1/p'))"
# run-clang-tidy takes regular expressions; each source is matched at the end of its
# absolute path. Colours are dropped so that logs stay readable; the echoed command
# lines and the counts of warnings from system headers (not shown) say nothing that the
# findings do not.
patterns=()
for source in "${sources[@]}"; do patterns+=("/${source//./\\.}\$"); done
"$run_clang_tidy" -clang-tidy-binary "$clang_tidy" -p "$build_dir" -j "$jobs" -quiet \
    "${patterns[@]}" 2>&1 |
    sed -E -e 's/\x1b\[[0-9;]*m//g' -e '/^[^ ]*clang-tidy[^ ]* --use-color /d' \
        -e '/^[0-9]+ warnings? generated\.$/d' ||
    status=1

echo "== cppcheck ($("$cppcheck" --version))"
# One job: with several, cppcheck 2.10 misreports which suppressions were used.
# ConfigurationNotChecked: CLOCK_BOOTTIME comes from the system headers, which cppcheck
# does not read; that branch is compiled, and so seen by clang-tidy.
# missingIncludeSystem: cppcheck is given the project's headers only, on purpose.
"$cppcheck" --std=c++17 --language=c++ -I. --library=posix \
    --enable=warning,style,performance,portability,information --inconclusive \
    --suppress=missingIncludeSystem \
    --suppress=ConfigurationNotChecked:generator/random_source.cpp \
    --inline-suppr --error-exitcode=1 --quiet \
    --template='{file}:{line}:{column}: {severity}: {message} [{id}]' \
    "${sources[@]}" || status=1

if ((status == 0)); then
    echo "static analysis: no findings"
else
    echo "static analysis: findings above" >&2
fi
exit "$status"
