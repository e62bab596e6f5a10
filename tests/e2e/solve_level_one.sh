#!/usr/bin/env bash
# Level 1 solved through the real game's own loop, optionally under a wrapper such as
# valgrind: key to leave the splash, "Choose Level", the first card, the three moves, then a
# termination signal. Checks the saved game, the solve, the unlocked level and exit status 0
# (a wrapper's own failure status, such as memcheck's --error-exitcode, fails it too).
# Each step waits for frames the game reports (VANTREL_STATS), not for fixed times, so a slow
# wrapper is given the time it needs.
# Usage: solve_level_one.sh BINARY OUTDIR [WRAPPER...]   (runs under xvfb-run without a display)
set -euo pipefail
bin=$(readlink -f "$1")
out=$(mkdir -p "$2" && readlink -f "$2")
shift 2
source "$(dirname "$0")/lib.sh"
ownXServer 1600x900 "$0" "$bin" "$out" "$@"
launchGame "$bin" "$@"

move() {  # move FROM_X TO_X: one marble between the tubes at these positions
  press "$1" 350
  press "$2" 350
  frames 15 # the flight takes 0.55 s and ignores taps meanwhile
}

# SDL may replace its first window when it sets up the renderer: look for it once frames come.
waitFor 300 grep -q '^\[stats\]' "$out/stderr.txt" || fail "no frame: $(tail -n 5 "$out/stderr.txt")"
win=$(findWindow 10 "$pid") || fail "window not found"
xdotool key --window "$win" space # leaves the splash
frames 1 # straight on: after 60 s of wall time the menu hands over to the demo
press 640 220 # "Choose Level"
frames 3
shot level-select
press 137 213 # the first card
frames 3
shot level-1
# Tubes at 523, 640 and 756; the shortest solution is 1→3, 2→3, 1→2.
move 523 756
waitFor 60 test -s "$data/save.json" || fail "no saved game after the first move"
move 640 756
move 523 640
waitFor 120 test -s "$data/solves.json" || fail "no solve recorded"
waitFor 60 test ! -e "$data/save.json" || fail "saved game left after the solve"
sleep 7 # the win sequence hands over to the solved screen after 6.27 s of game time
frames 70
shot solved
grep -q '"unlockedLevel":2' "$data/progress.json" || fail "progress: $(cat "$data/progress.json")"
grep -q '"level":0' "$data/solves.json" || fail "solves: $(cat "$data/solves.json")"

kill -TERM "$pid"
status=0
wait "$pid" || status=$?
trap - EXIT
[ "$status" -eq 0 ] || fail "exit status $status"
echo "solve-level-one: ok (screenshots in $out)"
