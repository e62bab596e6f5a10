#!/usr/bin/env bash
# CI: two minutes of the long run (demo and menu in turn, resizes, memory and texture cache
# sampled; resident memory at most 170 MB throughout and 150 MB at the end, texture pixels within
# their 96 MB budget) against the regular build; the figures and the plot land in build/soak.
set -euo pipefail
cd "$(dirname "$0")/.."
if [ ! -x build/vantrel-marbles ]; then
  cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
  cmake --build build -j"$(nproc)" --target vantrel-marbles
fi
exec tests/soak/soak.sh 2 build/soak build/vantrel-marbles
