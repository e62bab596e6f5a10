#!/usr/bin/env bash
# A generated puzzle through the real game: --print-puzzle gives its proven shortest solution,
# --puzzle opens it, Ctrl+C puts its code on the clipboard, the solution is played with the
# number keys, and "puzzles.json" records three stars with moves equal to the optimum while the
# catalogue's files stay untouched. Then "Enter a code" takes the code by Ctrl+V and opens it.
# Usage: puzzle_by_code.sh BINARY OUTDIR   (runs under xvfb-run without a display)
set -euo pipefail
bin=$(readlink -f "$1")
out=$(mkdir -p "$2" && readlink -f "$2")
shift 2
source "$(dirname "$0")/lib.sh"
ownXServer 1600x900 "$0" "$bin" "$out" "$@"

code=392-222-323 # six tubes, so every tube has a number key
"$bin" --print-puzzle "$code" >"$out/puzzle.json" || fail "--print-puzzle failed"
optimum=$(python3 -c 'import json,sys; print(json.load(open(sys.argv[1]))["optimum"])' "$out/puzzle.json")
moves=$(python3 -c 'import json,sys
for m in json.load(open(sys.argv[1]))["solution"]: print(m["from"] + 1, m["to"] + 1)' "$out/puzzle.json")

gameArgs=(--puzzle "$code")
launchGame "$bin"
key() {  # key NAME: one key, then a few frames for what it set off
  xdotool key --window "$win" "$1"
  frames 3
}
waitFor 300 grep -q '^\[stats\]' "$out/stderr.txt" || fail "no frame: $(tail -n 5 "$out/stderr.txt")"
win=$(findWindow 10 "$pid") || fail "window not found"
frames 20 # the puzzle is made on the maker's thread; the board shows once it is there
shot board

key ctrl+c
clip=$(xclip -o -selection clipboard 2>/dev/null || true)
[ "$clip" = "$code" ] || fail "clipboard holds '$clip', not $code"

while read -r from to; do
  key "$from"
  key "$to"
  frames 15 # the flight takes 0.55 s and ignores taps meanwhile
done <<<"$moves"
waitFor 120 test -s "$data/puzzles.json" || fail "no puzzle result recorded"
shot solved
python3 - "$data/puzzles.json" "$code" "$optimum" <<'PY' || fail "puzzles.json: $(cat "$data/puzzles.json")"
import json, sys
r = json.load(open(sys.argv[1]))["results"][0]
assert r["code"] == sys.argv[2] and r["stars"] == 3, r
assert r["moves"] == r["optimum"] == int(sys.argv[3]), r
PY
for f in progress.json solves.json; do
  [ ! -e "$data/$f" ] || fail "$f written by a generated puzzle"
done

stop() {
  kill -TERM "$pid"
  status=0
  wait "$pid" || status=$?
  trap - EXIT
  [ "$status" -eq 0 ] || fail "exit status $status"
}
stop

# A friend's copy of the game: the code pasted into "Enter a code" opens the same puzzle, whose
# first move saves a game that names it.
gameArgs=()
launchGame "$bin"
printf '%s' "${code,,}" | xclip -selection clipboard -i
waitFor 300 grep -q '^\[stats\]' "$out/stderr.txt" || fail "no frame: $(tail -n 5 "$out/stderr.txt")"
win=$(findWindow 10 "$pid") || fail "window not found"
key space # leaves the splash
press 814 637 # "Enter a code", under the menu's column
key ctrl+v
shot pasted
key Return
frames 20
read -r from to <<<"$(head -n 1 <<<"$moves")"
key "$from"
key "$to"
waitFor 60 test -s "$data/save.json" || fail "no saved game after the first move"
grep -q "\"code\":\"$code\"" "$data/save.json" || fail "save: $(cat "$data/save.json")"
shot pasted-board
stop
echo "puzzle-by-code: ok (screenshots in $out)"
