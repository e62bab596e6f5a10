#!/usr/bin/env bash
# Builds the sheet tool and writes the contact sheets of effects, backgrounds and critters.
# Usage: tools/sheets_world/make_sheets.sh [build-dir] [output-dir] [--software]
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${1:-$root/build}"
out="${2:-$build/sheets-world}"
shift $(( $# > 2 ? 2 : $# )) || true
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" -j2 --target vantrel-sheets-world
# The tool sets VANTREL_LIFE itself for each critter; an inherited value would be overridden.
SDL_VIDEODRIVER=offscreen "$build/tools/sheets_world/vantrel-sheets-world" "$out" "$@"
