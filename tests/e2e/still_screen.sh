#!/usr/bin/env bash
# With reduced motion the real game under X shows no frames while its picture stands still: the
# menu, and a board nobody touches. Two screenshots 2 s apart are the same picture, and a key
# is still answered at once. Prints the processor share of both (figures, never judged).
# Usage: still_screen.sh BINARY OUTDIR   (runs itself under xvfb-run when no display is set)
set -euo pipefail
bin=$(readlink -f "$1")
out=$(mkdir -p "$2" && readlink -f "$2")
source "$(dirname "$0")/lib.sh"
ownXServer 1400x900 "$0" "$@"

lastFps() { grep '^\[stats\]' "$out/stderr.txt" | tail -n "$1" | awk '{ s += $2 } END { print s + 0 }'; }
# The last N statistics lines, all after line FROM, counted no frame.
stillFor() { [ "$(statLines)" -ge $(($2 + $1)) ] && [ "$(lastFps "$1")" -eq 0 ]; }
shownAfter() { [ "$(framesAfter "$1")" -ge 1 ]; }
ticks=$(getconf CLK_TCK)
cpuTicks() { awk '{ print $14 + $15 }' "/proc/$pid/stat"; }
cpuShare() {  # cpuShare SECONDS: percent of one core, to a tenth
  local a b
  a=$(cpuTicks)
  sleep "$1"
  b=$(cpuTicks)
  awk -v d=$((b - a)) -v t="$ticks" -v s="$1" 'BEGIN { printf "%.1f", 100 * d / (t * s) }'
}
samePictures() {  # samePictures NAME: two screenshots 2 s apart, compared pixel for pixel
  shot "$1-a"
  sleep 2
  shot "$1-b"
  local diff
  diff=$(/usr/bin/compare -metric AE "$out/$1-a.png" "$out/$1-b.png" null: 2>&1 || true)
  [ "$diff" = "0" ] || fail "$1: the pictures 2 s apart differ in $diff pixels"
}

check() {  # check NAME [ARGS...]: the game started with ARGS comes to rest and answers a key
  local name=$1
  shift
  export XDG_DATA_HOME="$out/xdg" SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy VANTREL_STATS=1
  export ASAN_OPTIONS=detect_leaks=0
  rm -rf "$XDG_DATA_HOME"
  extraSettings='"reduceMotion":true' seedSettings "$XDG_DATA_HOME/vantrelMarbles"
  "$bin" "$@" >"$out/stdout.txt" 2>"$out/stderr.txt" &
  pid=$!
  trap 'import -window root "$out/failed.png" 2>/dev/null; kill "$pid" 2>/dev/null || true' EXIT
  win=$(findWindow 30 "$pid") || fail "$name: window not found"
  # The splash hands over after 3 s; then the menu or board stands still.
  waitFor 60 stillFor 3 5 || fail "$name never came to rest: $(tail -n 3 "$out/stderr.txt")"
  samePictures "$name"
  echo "$name at rest: $(cpuShare 10) % of a core over 10 s"
  local before
  before=$(statLines)
  xdotool key --window "$win" Down  # shows the focus ring: a new picture
  waitFor 30 shownAfter "$((before - 1))" || fail "$name: the key showed nothing"
  waitFor 30 restedAfter "$(statLines)" || fail "$name did not come to rest again"
  kill -TERM "$pid"
  wait "$pid" || fail "$name: the game did not end cleanly"
}

check menu
check board --daily
trap - EXIT
echo "still screens: OK"
