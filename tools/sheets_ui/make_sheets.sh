#!/usr/bin/env bash
# Builds the sheet tool and writes the contact sheets of the widgets and the rainbow title.
# Usage: tools/sheets_ui/make_sheets.sh [build-dir] [output-dir] [--software]
# The sheets go to <build-dir>/sheets_ui unless an output directory is given.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${1:-$root/build}"
out="${2:-$build/sheets_ui}"
shift $(( $# > 2 ? 2 : $# )) || true
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" -j2 --target vantrel-sheets-ui
SDL_VIDEODRIVER=offscreen "$build/tools/sheets_ui/vantrel-sheets-ui" "$out" "$@"
