#!/usr/bin/env bash
# Unpacks the source of the CaDiCaL release this machine's libcadical-dev was built from
# into DIR (default build/cadical-src), for a build that cannot use the installed static
# library: the WebAssembly module compiles the solver itself. Takes Debian's source
# package through `apt-get source` where deb-src is configured, otherwise the .dsc and the
# original tarball from the mirror apt already uses, the tarball checked against the
# .dsc's SHA-256. Does nothing when DIR already holds the source.
#
#   tools/cadical_source.sh [DIR]
set -euo pipefail
dir=${1:-build/cadical-src}
[[ -f $dir/src/cadical.hpp ]] && exit 0

version=$(dpkg-query -W -f '${Version}' libcadical-dev 2>/dev/null) || {
  echo "cadical_source: libcadical-dev is not installed; its version names the source" >&2
  exit 2
}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

(cd "$work" && apt-get source --download-only "cadical=$version" >/dev/null 2>&1) || true
if ! ls "$work"/cadical_*.orig.tar.* >/dev/null 2>&1; then
  # The mirror this machine's apt already uses, from its deb822 or one-line sources.
  mirror=$(cat /etc/apt/sources.list.d/*.sources 2>/dev/null | awk '/^URIs:/ { print $2; exit }')
  [[ -n $mirror ]] || mirror=$(awk '$1 == "deb" { print $2; exit }' /etc/apt/sources.list 2>/dev/null)
  [[ -n $mirror ]] || { echo "cadical_source: no Debian mirror in apt's sources" >&2; exit 2; }
  pool=${mirror%/}/pool/main/c/cadical
  curl -fsS -o "$work/cadical.dsc" "$pool/cadical_${version}.dsc"
  tarball=$(awk '/^Checksums-Sha256:/ { s = 1; next } /^[^ ]/ { s = 0 } s && /orig\.tar/ { print $3; exit }' "$work/cadical.dsc")
  sum=$(awk '/^Checksums-Sha256:/ { s = 1; next } /^[^ ]/ { s = 0 } s && /orig\.tar/ { print $1; exit }' "$work/cadical.dsc")
  [[ -n $tarball && -n $sum ]] || { echo "cadical_source: no tarball named in the .dsc" >&2; exit 1; }
  curl -fsS -o "$work/$tarball" "$pool/$tarball"
  echo "$sum  $work/$tarball" | sha256sum -c --quiet - || {
    echo "cadical_source: $tarball does not match its .dsc" >&2
    exit 1
  }
fi
mkdir -p "$dir"
tar -xf "$work"/cadical_*.orig.tar.* -C "$dir" --strip-components=1
[[ -f $dir/src/cadical.hpp ]] || { echo "cadical_source: no src/cadical.hpp in the tarball" >&2; exit 1; }
