#!/usr/bin/env bash
# Creates a batch of 10 x 10 problems in the current directory and solves the new file,
# showing the drawings in UTF-8.
set -euo pipefail
spanwright=$1
"$spanwright" c1
latest=$(ls -t -- *"(size1).dat" | head -n 1)
echo "solving $latest"
"$spanwright" s "$latest" | iconv -f CP932 -t UTF-8
