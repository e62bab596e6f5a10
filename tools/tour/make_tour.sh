#!/usr/bin/env bash
# Builds the tour tool and writes a PNG of every screen at 1280x720 and 800x480 in English, and
# of the menu, level select and solved screen also in German, Japanese and Arabic; the settings,
# licenses and gallery also in Arabic and Hebrew.
# Usage: tools/tour/make_tour.sh [build-dir] [output-dir] [--only PREFIX] [--software]
# The pictures go to <build-dir>/tour unless an output directory is given.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
build="${1:-$root/build}"
out="${2:-$build/tour}"
shift $(( $# > 2 ? 2 : $# )) || true
if [ ! -f "$build/CMakeCache.txt" ]; then
  cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
fi
cmake --build "$build" -j2 --target vantrel-tour
SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy "$build/tools/tour/vantrel-tour" "$out" "$@"
