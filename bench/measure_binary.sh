#!/usr/bin/env bash
# Figures of the real game on a virtual X server of its own: the time from exec to the first
# picture (median of five starts), the process CPU of the menu at 1280 x 720 over 20 s, the same
# with the window minimised and unmapped, and the resident memory after resizing between
# 1100 x 760 and 3840 x 2160 and coming back to 1920 x 1080. Prints figures only.
#
# Usage: measure_binary.sh [BINARY] [RESIZE_SECONDS]
# Needs: xvfb-run, xdotool; openbox is used as window manager when installed.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
bin=$(readlink -f "${1:-$here/../build/vantrel-marbles}")
resize_for=${2:-60}
[ -x "$bin" ] || { echo "no game binary at $bin" >&2; exit 2; }
if [ -z "${VANTREL_MEASURE_INNER:-}" ]; then
  export VANTREL_MEASURE_INNER=1
  exec xvfb-run -a -s "-screen 0 3840x2200x24" "$0" "$bin" "$resize_for"
fi
source "$here/../tests/e2e/lib.sh"
out=$(mktemp -d /tmp/vantrel_measure_XXXXXX)
export XDG_DATA_HOME="$out/xdg" SDL_AUDIODRIVER=dummy SDL_VIDEODRIVER=x11 VANTREL_STATS=1
export ASAN_OPTIONS=detect_leaks=0

wm=""
if command -v openbox >/dev/null; then
  openbox --startup "touch '$out/wm-ready'" >/dev/null 2>&1 &
  wm=$!
  waitFor 30 test -e "$out/wm-ready" || fail "openbox did not start"
fi
pid=""
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2>/dev/null || true
  [ -n "$wm" ] && kill "$wm" 2>/dev/null || true
}
trap cleanup EXIT

ticks=$(getconf CLK_TCK)
cpu_ticks() { awk '{ print $14 + $15 }' "/proc/$1/stat"; }
# Percent of one core the process used over the given seconds.
cpu_percent() {
  local a b
  a=$(cpu_ticks "$1")
  sleep "$2"
  b=$(cpu_ticks "$1")
  echo $(( (b - a) * 100 / (ticks * $2) ))
}
start_game() {
  rm -rf "$XDG_DATA_HOME"
  seedSettings "$XDG_DATA_HOME/vantrelMarbles"
  "$bin" >"$out/stdout.txt" 2>"$out/stderr.txt" &
  pid=$!
  waitFor 30 grep -q '^\[stats\]' "$out/stderr.txt" || fail "no frame: $(tail -n 5 "$out/stderr.txt")"
}
stop_game() {
  kill -TERM "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  pid=""
}

# 1. Exec to first picture, five starts.
firsts=()
for _ in 1 2 3 4 5; do
  start_game
  firsts+=("$(sed -n 's/^\[start\] erstes Bild nach \([0-9]*\) ms/\1/p' "$out/stderr.txt" | head -n 1)")
  stop_game
done
median=$(printf '%s\n' "${firsts[@]}" | sort -n | sed -n 3p)
echo "first picture after exec: ${firsts[*]} ms, median $median ms"

# 2. The menu at 1280 x 720 (the splash hands over after 3 s), then minimised and unmapped.
start_game
win=$(findWindow 10 "$pid") || fail "window not found"
sleep 5
echo "menu 1280x720: $(cpu_percent "$pid" 20) % of a core over 20 s ($(grep '^\[stats\]' "$out/stderr.txt" | tail -n 1))"
xdotool windowminimize "$win" 2>/dev/null || true
sleep 2
echo "menu minimised: $(cpu_percent "$pid" 20) % of a core over 20 s"
xdotool windowmap "$win" 2>/dev/null || true
xdotool windowactivate "$win" 2>/dev/null || true
sleep 2
xdotool windowunmap "$win" 2>/dev/null || true
sleep 2
echo "menu unmapped: $(cpu_percent "$pid" 20) % of a core over 20 s"
xdotool windowmap "$win" 2>/dev/null || true
sleep 2

# 3. Resizing between 1100 x 760 and 3840 x 2160 every 3 s, then back at 1920 x 1080.
end=$(( $(date +%s) + resize_for ))
big=0
while [ "$(date +%s)" -lt "$end" ]; do
  if [ $big -eq 0 ]; then xdotool windowsize "$win" 3840 2160; big=1; else xdotool windowsize "$win" 1100 760; big=0; fi
  sleep 3
done
peak=$(awk '/^VmHWM:/ { print $2 }' "/proc/$pid/status")
xdotool windowsize "$win" 1920 1080
sleep 10
rss=$(awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status")
echo "after ${resize_for} s of resizing 1100x760 <-> 3840x2160, back at 1920x1080: RSS $((rss / 1024)) MB (peak $((peak / 1024)) MB); $(grep '^\[stats\]' "$out/stderr.txt" | tail -n 1)"
stop_game
rm -rf "$out"
