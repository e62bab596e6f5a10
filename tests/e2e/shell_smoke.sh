#!/usr/bin/env bash
# The real game in a real X window: the video line, a frame on screen, plain "q" ignored,
# F11 saved at once, Ctrl+Q quitting cleanly with the settings written.
# Usage: shell_smoke.sh BINARY OUTDIR   (runs itself under xvfb-run when no display is set)
set -euo pipefail
bin=$(readlink -f "$1")
out=$(mkdir -p "$2" && readlink -f "$2")
source "$(dirname "$0")/lib.sh"
ownXServer 1280x800 "$0" "$@"

# Leaks of the GL driver's unloaded modules cannot be attributed in sanitizer builds.
export XDG_DATA_HOME="$out/xdg" SDL_AUDIODRIVER=dummy ASAN_OPTIONS=detect_leaks=0
rm -rf "$XDG_DATA_HOME"
settings="$XDG_DATA_HOME/vantrelMarbles/settings.json"

"$bin" >"$out/stdout.txt" 2>"$out/stderr.txt" &
pid=$!
for _ in $(seq 100); do grep -q '^\[video\] Treiber x11, Renderer ' "$out/stdout.txt" && break; sleep 0.1; done
grep -q '^\[video\] Treiber x11, Renderer ' "$out/stdout.txt" || fail "no [video] line"
win=""
for _ in $(seq 50); do
  win=$(xdotool search --name "^Vantrel's Marbles\$" 2>/dev/null | head -n 1) && [ -n "$win" ] && break
  sleep 0.1
done
[ -n "$win" ] || fail "window not found"
# A slow (sanitizer) build may need a while for its first frame.
colours=0
for _ in $(seq 40); do
  import -window root "$out/window.png"
  colours=$(/usr/bin/convert "$out/window.png" -format %k info:)
  [ "$colours" -gt 2 ] && break
  sleep 0.25
done
[ "$colours" -gt 2 ] || fail "screen is blank ($colours colours)"

xdotool key --window "$win" q
sleep 0.5
kill -0 "$pid" 2>/dev/null || fail "plain q ended the game"

xdotool key --window "$win" F11
for _ in $(seq 30); do grep -qs '"fullscreen":true' "$settings" && break; sleep 0.1; done
grep -qs '"fullscreen":true' "$settings" || fail "F11 was not saved at once"

xdotool key --window "$win" ctrl+q
for _ in $(seq 50); do kill -0 "$pid" 2>/dev/null || break; sleep 0.1; done
wait "$pid" || fail "exit status $?"
expected='{"fullscreen":true,"language":"","maximized":false,"musicVolume":0.25,"sfxVolume":1,"soundOn":true,"windowH":760,"windowW":1100,"windowX":-1000000,"windowY":-1000000}'
[ "$(cat "$settings")" = "$expected" ] || fail "settings after Ctrl+Q: $(cat "$settings")"
echo "shell smoke: ok"
