#!/usr/bin/env bash
# The ladder against the levels of the open peer (the Bridges game of Simon Tatham's
# Portable Puzzle Collection), rated by the peer's own solver. Prints two tables:
#   1. spanwright-make puzzles of each rung, by the peer's level: the lowest of its solver's
#      stages (easy, medium, hard) that finishes them, or "beyond" when none does;
#   2. the peer's own generated puzzles of each level, by the rung this ladder gives them.
# Each cell of both tables sums COUNT puzzles per size over the sizes below.
#
# usage: bench/ladder_calibration.sh [BIN] [COUNT]
#   BIN    directory of spanwright-make and spanwright_explain_rate (default build/release/bin,
#          then build/dev/bin)
#   COUNT  puzzles per size, rung and level (default 20)
# SIZES (default "7x7 10x10 15x15 20x20 9x13"), RUNGS (default all five, for table 1) and
# SEED (default 1) may be set.
#
# The peer's solver is kept apart from this project: its Debian source (PEER_SRC, a source
# tree of sgt-puzzles; otherwise `apt-get source sgt-puzzles` where deb-src is configured,
# or the installed version's original tarball from the Debian mirror apt is set up with,
# checked against the package's .dsc) is built in a temporary directory together with a small reader that
# feeds it game IDs. Everything runs under nice.
set -euo pipefail
bin=${1:-}
count=${2:-20}
sizes=${SIZES:-7x7 10x10 15x15 20x20 9x13}
seed=${SEED:-1}
peer=${PEER:-/usr/games/sgt-bridges}
if [[ -z $bin ]]; then
  for candidate in build/release/bin build/dev/bin; do
    [[ -x $candidate/spanwright_explain_rate ]] && bin=$candidate && break
  done
fi
for tool in spanwright-make spanwright_explain_rate; do
  if [[ -z $bin || ! -x $bin/$tool ]]; then
    echo "ladder_calibration: $tool not found; build it with: cmake --build build/dev" >&2
    exit 2
  fi
done
if [[ ! -x $peer ]]; then
  echo "ladder_calibration: $peer not found; install it with: apt-get install sgt-puzzles" >&2
  exit 2
fi

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

# --- the peer's solver, from its source ------------------------------------------------
src=${PEER_SRC:-}
if [[ -z $src ]]; then
  version=$(dpkg-query -W -f '${Version}' sgt-puzzles)
  (cd "$work" && apt-get source --download-only sgt-puzzles >/dev/null 2>&1) || true
  if ! ls "$work"/sgt-puzzles_*.orig.tar.* >/dev/null 2>&1; then
    # The mirror this machine's apt already uses, from its deb822 or one-line sources.
    mirror=$(cat /etc/apt/sources.list.d/*.sources 2>/dev/null | awk '/^URIs:/ { print $2; exit }')
    [[ -n $mirror ]] || mirror=$(awk '$1 == "deb" { print $2; exit }' /etc/apt/sources.list 2>/dev/null)
    [[ -n $mirror ]] || { echo "ladder_calibration: no Debian mirror in apt's sources; set PEER_SRC" >&2; exit 2; }
    pool=${mirror%/}/pool/main/s/sgt-puzzles
    curl -fsS -o "$work/peer.dsc" "$pool/sgt-puzzles_${version}.dsc"
    tarball=$(awk '/^Files:/ { files = 1; next } files && /orig\.tar/ { print $3; exit }' "$work/peer.dsc")
    sum=$(awk '/^Files:/ { files = 1; next } files && /orig\.tar/ { print $1; exit }' "$work/peer.dsc")
    curl -fsS -o "$work/$tarball" "$pool/$tarball"
    echo "$sum  $work/$tarball" | md5sum -c --quiet - || {
      echo "ladder_calibration: $tarball does not match its .dsc" >&2
      exit 1
    }
  fi
  mkdir -p "$work/src"
  tar -xf "$work"/sgt-puzzles_*.orig.tar.* -C "$work/src" --strip-components=1
  src=$work/src
fi
# The reader: every game ID of standard input, solved from scratch at each of the peer's
# levels in turn; prints the first level that finishes it (0 easy, 1 medium, 2 hard) or 3.
cat >"$work/levels.c" <<'EOF'
#include "bridges.c"
#include <stdio.h>
int main(void) {
    static char line[1 << 20];
    while (fgets(line, sizeof line, stdin)) {
        line[strcspn(line, "\r\n")] = 0;
        char *colon = strchr(line, ':');
        if (!colon) { puts("?"); continue; }
        *colon = 0;
        game_params *params = default_params();
        decode_params(params, line);
        if (validate_params(params, true) || validate_desc(params, colon + 1)) {
            puts("?");
            free_params(params);
            continue;
        }
        game_state *blank = new_game(NULL, params, colon + 1);
        int level = 3;
        for (int d = 0; d <= 2 && level == 3; d++) {
            game_state *state = dup_game(blank);
            if (solve_from_scratch(state, d) > 0) level = d;
            free_game(state);
        }
        printf("%d\n", level);
        free_game(blank);
        free_params(params);
    }
    return 0;
}
EOF
nice cc -O2 -w -I"$src" -o "$work/levels" "$work/levels.c" "$src/malloc.c" "$src/dsf.c" \
  "$src/misc.c" "$src/random.c" "$src/findloop.c" "$src/nullfe.c" -lm

read -r -a rungs <<<"${RUNGS:-easy medium hard expert extreme}"
levels=(easy medium hard)

echo "1. spanwright-make puzzles ($count per size and rung; sizes $sizes) by the peer's level"
printf '%-8s %8s %8s %8s %8s   %s\n' 'our rung' easy medium hard beyond \
  'agreement (lowest size)'
for rung in "${rungs[@]}"; do
  : >"$work/made-$rung"
  for size in $sizes; do
    # A rung out of reach at a size (expert on small boards) writes fewer or none: the
    # maker says so on standard error, and the table counts what was made.
    { nice "$bin/spanwright-make" -j1 -f id -l "$rung" -S "$seed" "$size" "$count" || true; } |
      nice "$work/levels" | sed "s/^/$size /" >>"$work/made-$rung"
  done
  awk -v rung="$rung" '
    { n[$2]++; total++; per[$1]++; if ($2 == want()) hit[$1]++ }
    function want() { return rung == "easy" ? 0 : rung == "medium" ? 1 : rung == "hard" ? 2 : 3 }
    END {
      low = 101; where = ""
      for (size in per) if (100 * hit[size] / per[size] < low) { low = 100 * hit[size] / per[size]; where = size }
      printf "%-8s %8d %8d %8d %8d   %5.1f%% (%.0f%% %s)\n", rung, n[0], n[1], n[2], n[3],
             100 * n[want()] / total, low, where
    }' "$work/made-$rung"
done

echo
echo "2. the peer's puzzles ($count per size and level; sizes $sizes) by our rung"
printf '%-8s %8s %8s %8s %8s %8s   %s\n' 'peer' easy medium hard expert extreme \
  'agreement (lowest size)'
for level in 0 1 2; do
  : >"$work/peer-$level"
  for size in $sizes; do
    nice "$peer" --generate "$count" "${size}i30e10m2d${level}#ladder-$seed-$size-$level" \
      2>/dev/null | nice "$bin/spanwright_explain_rate" 2>/dev/null |
      sed "s/^/$size /" >>"$work/peer-$level"
  done
  awk -v level="$level" '
    BEGIN { split("easy medium hard", names); want = names[level + 1] }
    { n[$2]++; total++; per[$1]++; if ($2 == want) hit[$1]++ }
    END {
      low = 101; where = ""
      for (size in per) if (100 * hit[size] / per[size] < low) { low = 100 * hit[size] / per[size]; where = size }
      printf "%-8s %8d %8d %8d %8d %8d   %5.1f%% (%.0f%% %s)\n", want, n["easy"], n["medium"],
             n["hard"], n["expert"], n["extreme"], 100 * n[want] / total, low, where
    }' "$work/peer-$level"
done
