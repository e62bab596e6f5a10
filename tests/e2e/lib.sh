# Shared by the end-to-end scripts: sourced, not run.

ownXServer() {  # ownXServer SIZE SCRIPT ARGS...: re-runs the script on a virtual X server of its own
  [ -n "${VANTREL_E2E_INNER:-}" ] && return 0
  export VANTREL_E2E_INNER=1
  exec xvfb-run -a -s "-screen 0 ${1}x24" "${@:2}"
}

fail() { echo "FAIL: $*" >&2; exit 1; }

waitFor() {  # waitFor SECONDS TEST...: polls until the test holds
  local tries=$(($1 * 10))
  shift
  for _ in $(seq "$tries"); do "$@" && return 0; sleep 0.1; done
  return 1
}

findWindow() {  # findWindow SECONDS PID: prints the game's window id once it is mapped
  local win=""
  for _ in $(seq $(($1 * 10))); do
    win=$(xdotool search --name "^Vantrel's Marbles\$" 2>/dev/null | head -n 1) && [ -n "$win" ] &&
      { echo "$win"; return 0; }
    kill -0 "$2" 2>/dev/null || return 1
    sleep 0.1
  done
  return 1
}

seedSettings() {  # seedSettings DATADIR: a 1280 x 720 window, silent, so positions are the layout's
  mkdir -p "$1"  # extraSettings, when set, adds members ('"reduceMotion":true')
  echo "{\"windowW\":1280,\"windowH\":720,\"musicVolume\":0,\"sfxVolume\":0,\"soundOn\":false${extraSettings:+,$extraSettings}}" >"$1/settings.json"
}

# Frame counting for scripts that run the game with VANTREL_STATS=1, its stderr in $out and its
# window in $win.
# A statistics line ends the frame in which a second of frames is full; the frames counted in
# the lines after the first new one all began after the wait did, so they have seen whatever
# was sent before. Time inside the game advances at most 0.1 s per frame, so a slow wrapper
# needs as many frames as a fast run, not as many seconds. A still picture shows no frames:
# a line of none after the wait began says the game is at rest, with everything sent seen.
statLines() { grep -c '^\[stats\]' "$out/stderr.txt" || true; }
framesAfter() {  # framesAfter LINE: frames in the statistics lines after LINE + 1
  awk -v s="$1" '/^\[stats\]/ { if (++n > s + 1) f += $2 } END { print f + 0 }' "$out/stderr.txt"
}
restedAfter() {  # restedAfter LINE: a statistics line after LINE + 1 counted no frame
  awk -v s="$1" '/^\[stats\]/ { if (++n > s + 1 && $2 == 0) r = 1 } END { exit !r }' "$out/stderr.txt"
}
enoughFrames() { [ "$(framesAfter "$1")" -ge "$2" ] || restedAfter "$1"; }
frames() {  # frames N: waits until N whole frames have been drawn, or the picture stood still
  waitFor 900 enoughFrames "$(statLines)" "$1" || fail "the game stopped drawing"
}
press() {  # press X Y: pressed and released in frames of their own
  xdotool mousemove --window "$win" "$1" "$2" mousedown 1
  frames 1
  xdotool mouseup 1
  frames 1
}
shot() { import -window "$win" "$out/$1.png"; }  # shot NAME

# A fresh data directory with a 1280 x 720 silent window, and the game started on it (under the
# wrapper given, if any) with statistics on; sets data and pid. On a failure the last screen is
# kept as failed.png beside the step screenshots. x11 is named, so that a failing connection says
# why instead of falling back to an invisible offscreen window.
gameArgs=()
launchGame() {  # launchGame BINARY [WRAPPER...]
  local game=$1
  shift
  export XDG_DATA_HOME="$out/xdg" SDL_VIDEODRIVER=x11 SDL_AUDIODRIVER=dummy ASAN_OPTIONS=detect_leaks=0
  export VANTREL_STATS=1
  data="$XDG_DATA_HOME/vantrelMarbles"
  rm -rf "$XDG_DATA_HOME"
  seedSettings "$data"
  # gameArgs, when a script sets it, is handed to the game itself.
  "$@" "$game" "${gameArgs[@]}" >"$out/stdout.txt" 2>"$out/stderr.txt" &
  pid=$!
  trap 'import -window root "$out/failed.png" 2>/dev/null; kill "$pid" 2>/dev/null || true' EXIT
}
