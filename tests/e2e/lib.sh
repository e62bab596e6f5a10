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
  mkdir -p "$1"
  echo '{"windowW":1280,"windowH":720,"musicVolume":0,"sfxVolume":0,"soundOn":false}' >"$1/settings.json"
}
