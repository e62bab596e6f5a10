#!/usr/bin/env bash
# Builds the picture tool and writes the contact sheets of the rendering core.
# Usage: tools/pictures/make_pictures.sh [build-dir] [output-dir] [--software]
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${1:-$root/build}"
out="${2:-$build/pictures}"
shift $(( $# > 2 ? 2 : $# )) || true
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" -j2 --target vantrel-pictures
SDL_VIDEODRIVER=offscreen "$build/tools/pictures/vantrel-pictures" "$out" "$@"
