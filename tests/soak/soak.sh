#!/usr/bin/env bash
# Long run of the real game: the unattended demo and the menu take turns (each hands over to the
# other after a minute) while the window is resized every few seconds. Every 10 s the resident
# memory and the texture cache size are written to a CSV, drawn as a PNG at the end.
#
# The demo plays level after level, so the texture cache fills up (after about two minutes) and
# from then on evicts; memory must level off once it has cycled a while. Passes when the texture
# cache never holds more than 401 entries, the game ends with status 0 on SIGTERM, no save
# fails, and the resident memory at the end is at most 10 % above the memory after warm-up.
# Warm-up ends with the first sample at half the run and at least 60 s after the cache first
# evicted. A run too short for that (the two-minute CI run) is held to a ceiling instead: its
# largest sample must stay below VANTREL_SOAK_CEILING_MB (170), which a texture or surface lost
# per frame overshoots within seconds. Every run ends at most at VANTREL_SOAK_END_MB (150) of
# resident memory, and the texture cache's pixel bytes never pass its budget of 96 MB.
#
# Usage: soak.sh MINUTES [OUTDIR] [BINARY]   (always on a virtual X server of its own)
# Needs: xvfb-run, xdotool, python3; openbox is used as window manager when installed.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
minutes=${1:?usage: soak.sh MINUTES [OUTDIR] [BINARY]}
out=$(mkdir -p "${2:-soak-out}" && cd "${2:-soak-out}" && pwd)
bin=$(readlink -f "${3:-$here/../../build/vantrel-marbles}")
[ -x "$bin" ] || { echo "no game binary at $bin" >&2; exit 2; }
if [ -z "${VANTREL_SOAK_INNER:-}" ]; then
  export VANTREL_SOAK_INNER=1
  exec xvfb-run -a -s "-screen 0 1600x1000x24" "$0" "$minutes" "$out" "$bin"
fi

limit=401
margin_pct=10
ceiling_kb=$(( ${VANTREL_SOAK_CEILING_MB:-170} * 1024 ))
end_kb=$(( ${VANTREL_SOAK_END_MB:-150} * 1024 ))
budget_mb=96
duration=$((minutes * 60))
csv="$out/samples.csv"
log="$out/stderr.txt"
export XDG_DATA_HOME="$out/xdg" SDL_AUDIODRIVER=dummy SDL_VIDEODRIVER=x11
export VANTREL_SCREEN=attract VANTREL_STATS=1 ASAN_OPTIONS=detect_leaks=0
rm -rf "$XDG_DATA_HOME"
source "$here/../e2e/lib.sh"

# The window manager must be up before the window appears: SDL waits for its window to be
# mapped, and a map request made while openbox is still starting is never answered.
wm=""
if command -v openbox >/dev/null; then
  rm -f "$out/wm-ready"
  openbox --startup "touch '$out/wm-ready'" >/dev/null 2>&1 &
  wm=$!
  waitFor 30 test -e "$out/wm-ready" || fail "openbox did not start"
fi
"$bin" >"$out/stdout.txt" 2>"$log" &
pid=$!
cleanup() {
  kill "$pid" 2>/dev/null || true
  [ -n "$wm" ] && kill "$wm" 2>/dev/null || true
}
trap cleanup EXIT

# SDL may replace its first window when it sets up the renderer: look for it once frames come.
waitFor 60 grep -q '^\[stats\]' "$log" || fail "no frame: $(tail -n 5 "$log")"
win=$(findWindow 10 "$pid") || fail "window not found"

rss_kb() { awk '/^VmRSS:/ { print $2 }' "/proc/$pid/status"; }
last_stats() { grep '^\[stats\]' "$log" | tail -n 1; }
textures() { last_stats | sed -n 's/.* \([0-9][0-9]*\) Texturen.*/\1/p'; }
fps() { last_stats | awk '{ print $2 }'; }
# The size the game really draws at, from its statistics line, not the size asked for.
drawn() { last_stats | sed -n 's/.*Kopien *\([0-9]*\)x\([0-9]*\).*/\1,\2/p'; }

# A new size every few seconds: narrow, wide, tall and the smallest the game allows.
size_at() {
  case $(( $1 % 4 )) in
    0) echo "$(( 640 + ($1 * 137) % 900 )) $(( 480 + ($1 * 89) % 500 ))" ;;
    1) echo "800 480" ;;
    2) echo "$(( 700 + ($1 * 53) % 300 )) $(( 700 + ($1 * 71) % 280 ))" ;;
    3) echo "640 480" ;;
  esac
}
echo "seconds,rss_kb,textures,fps,width,height" >"$csv"
start=$(date +%s)
next_sample=0
next_resize=3
i=0
w=1100 h=760
max_seen=0
evicted_at=""
while :; do
  now=$(( $(date +%s) - start ))
  [ "$now" -ge "$duration" ] && break
  kill -0 "$pid" 2>/dev/null || fail "the game ended during the run: $(tail -n 5 "$log")"
  if [ "$now" -ge "$next_resize" ]; then
    read -r w h <<<"$(size_at "$i")"
    xdotool windowsize "$win" "$w" "$h" 2>/dev/null || true
    i=$((i + 1))
    next_resize=$((now + 3))
  fi
  tex=$(textures || true)
  if [ -n "$tex" ]; then
    [ -z "$evicted_at" ] && [ "$tex" -lt "$max_seen" ] && evicted_at=$now
    [ "$tex" -gt "$max_seen" ] && max_seen=$tex
  fi
  if [ "$now" -ge "$next_sample" ]; then
    echo "$now,$(rss_kb),$(textures || echo 0),$(fps || echo 0),$(drawn || echo 0,0)" >>"$csv"
    next_sample=$((next_sample + 10))
  fi
  sleep 0.5
done
echo "$duration,$(rss_kb),$(textures || echo 0),$(fps || echo 0),$(drawn || echo 0,0)" >>"$csv"

kill -TERM "$pid"
status=0
wait "$pid" || status=$?
trap - EXIT
[ -n "$wm" ] && kill "$wm" 2>/dev/null || true

python3 "$here/plot.py" "$csv" "$out/soak.png" "$limit" || echo "plot failed" >&2

# Figures over every statistics line, not only the samples.
max_tex=$(grep '^\[stats\]' "$log" | sed -n 's/.* \([0-9][0-9]*\) Texturen.*/\1/p' | sort -n | tail -n 1)
warm_at=""
if [ -n "$evicted_at" ]; then
  warm_at=$(( duration / 2 > evicted_at + 60 ? duration / 2 : evicted_at + 60 ))
  [ "$warm_at" -lt $(( duration - 20 )) ] || warm_at=""
fi
read -r rss_start <<<"$(awk -F, 'NR == 2 { print $2 }' "$csv")"
warm_t="" rss_warm=""
[ -n "$warm_at" ] &&
  read -r warm_t rss_warm <<<"$(awk -F, -v w="$warm_at" 'NR > 1 && $1 >= w { print $1, $2; exit }' "$csv")"
read -r rss_end <<<"$(tail -n 1 "$csv" | cut -d, -f2)"
rss_max=$(awk -F, 'NR > 1 && $2 > m { m = $2 } END { print m }' "$csv")
stores=$(grep -c '^\[store\]' "$log" || true)
cat <<EOF | tee "$out/summary.txt"
soak: $minutes min, $(($(wc -l <"$csv") - 1)) samples, exit status $status
soak: RSS first sample ${rss_start} kB, after warm-up (${warm_t:-none} s) ${rss_warm:-none} kB, end ${rss_end} kB, max ${rss_max} kB
soak: texture cache max ${max_tex:-?} entries (limit $limit), first eviction at ${evicted_at:-none} s; [store] messages: $stores
soak: samples $csv, plot $out/soak.png
EOF

[ "$status" -eq 0 ] || fail "exit status $status after SIGTERM"
[ -n "$max_tex" ] || fail "no [stats] line with the texture count"
sizes=$(grep '^\[stats\]' "$log" | sed -n 's/.*Kopien *\([0-9]*x[0-9]*\).*/\1/p' | sort -u | wc -l)
[ "$sizes" -ge 3 ] || fail "the game drew at only $sizes sizes: the resizes did not reach it"
[ "$max_tex" -le "$limit" ] || fail "the texture cache held $max_tex entries"
[ "$stores" -eq 0 ] || fail "saves failed during the run"
max_mb=$(grep '^\[stats\]' "$log" | sed -n 's/.* Texturen \([0-9][0-9]*\) MB.*/\1/p' | sort -n | tail -n 1)
echo "soak: texture cache max ${max_mb:-?} MB of pixels (budget $budget_mb MB)"
[ -n "$max_mb" ] && [ "$max_mb" -le "$budget_mb" ] || fail "the texture cache held ${max_mb:-?} MB"
[ "$rss_end" -le "$end_kb" ] || fail "RSS at the end $rss_end kB, above $((end_kb / 1024)) MB"
if [ -n "${rss_warm:-}" ]; then
  allowed=$(( rss_warm + rss_warm * margin_pct / 100 ))
  [ "$rss_end" -le "$allowed" ] || fail "RSS grew from $rss_warm kB after warm-up to $rss_end kB"
else
  echo "soak: too short for a warm-up figure; RSS held to the ceiling of $((ceiling_kb / 1024)) MB" >&2
  [ "$rss_max" -le "$ceiling_kb" ] || fail "RSS reached $rss_max kB, above the ceiling"
fi
echo "soak: ok"
