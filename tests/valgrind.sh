#!/usr/bin/env bash
# Memcheck over the in-process tests, then over the real game solving level 1 in an X window
# (tests/e2e/solve_level_one.sh). By default the tests are the persistence, rules, level, text
# and navigation suites and the scripted solve of level 1 through the screens, a quarter of an
# hour; VANTREL_VALGRIND_FILTER='*' takes the whole suite (about an hour on two cores with
# VANTREL_VALGRIND_JOBS=2, which splits the tests into shards run side by side). Two suites are
# always left out: the crash handler's, whose children crash on purpose, and the signal tests,
# because valgrind swallows a signal that reaches a forked child before its exec (the game they
# start runs outside memcheck anyway). Tests that start the game as a process run that process
# without memcheck; forked children are checked, each in a log of its own. Exits non-zero on
# any memory error or definite leak that tests/valgrind.supp does not explain.
# Usage: tests/valgrind.sh [BUILD_DIR]   (default: build)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build}" && pwd)
tests="$build/tests/vantrel_tests"
[ -x "$tests" ] || { echo "no test binary at $tests" >&2; exit 2; }
command -v valgrind >/dev/null || { echo "valgrind is not installed" >&2; exit 2; }

core='JsonParse.*:JsonValue.*:JsonDump.*:JsonFile.*:HostileFiles.*:SettingsFile.*'
core+=':SavedGameFile.*:StoreWrites.*:SolveHistory.*:LevelBests.*:UnlockProgress.*:Rules.*'
core+=':Rng.*:LevelCatalogue.*:Solver.*:PlayingLogicTest.*:I18n.*:Theme.*:Clock.*'
core+=':ScreenStack.*:InputContext.*:WindowGeometry.*:Pages.*:FormatTime.*:FormatDate.*'
solve='PlayingScreen.ClickingTheStoredSolutionSolvesLevelOneAndHandsOverAt627'
filter=${VANTREL_VALGRIND_FILTER:-$core:$solve}
case $filter in *-*) filter+=':Crash.*:Signals.*' ;; *) filter+='-Crash.*:Signals.*' ;; esac
shards=${VANTREL_VALGRIND_JOBS:-1}
memcheck=(valgrind --tool=memcheck --error-exitcode=99 --leak-check=full
  --show-leak-kinds=definite --errors-for-leak-kinds=definite --num-callers=40
  --keep-debuginfo=yes --suppressions="$here/valgrind.supp" --gen-suppressions=all)
# keep-debuginfo: the GL driver is unloaded before the leak check, and its suppressions need
# its name.

summary() {  # summary LOG: the error and leak totals of one memcheck log
  grep -E 'ERROR SUMMARY|definitely lost:|indirectly lost:|possibly lost:|suppressed:' "$1" |
    sed 's/^==[0-9]*== *//'
}

export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy
start=$(date +%s)
rm -f "$build"/valgrind-[0-9]*.log
pids=()
for ((i = 0; i < shards; i++)); do
  GTEST_TOTAL_SHARDS=$shards GTEST_SHARD_INDEX=$i "${memcheck[@]}" \
    --log-file="$build/valgrind-$i-%p.log" "$tests" --gtest_filter="$filter" --gtest_brief=1 \
    >"$build/valgrind-tests-$i.txt" 2>&1 &
  pids+=($!)
done
status=0
for ((i = 0; i < shards; i++)); do
  shardStatus=0
  wait "${pids[$i]}" || shardStatus=$?
  echo "== shard $i of $shards: exit status $shardStatus"
  grep -E '^\[  (PASSED|FAILED) ' "$build/valgrind-tests-$i.txt" ||
    tail -n 20 "$build/valgrind-tests-$i.txt"
  for log in "$build/valgrind-$i-"*.log; do summary "$log"; done
  [ "$shardStatus" -eq 0 ] || status=$shardStatus
done
echo "valgrind: the tests ended with status $status after $(($(date +%s) - start)) s;" \
  "logs $build/valgrind-*.log"
[ "$status" -eq 0 ] || { echo "FAIL: memcheck found errors or a test failed (see the logs)" >&2; exit 1; }

start=$(date +%s)
unset SDL_VIDEODRIVER
# One log per process: a library of the game forks a helper at start-up.
rm -f "$build"/valgrind-e2e-*.log
"$here/e2e/solve_level_one.sh" "$build/vantrel-marbles" "$build/valgrind-e2e" \
  "${memcheck[@]}" --log-file="$build/valgrind-e2e-%p.log" || status=$?
for log in "$build"/valgrind-e2e-*.log; do summary "$log"; done
echo "valgrind: the game solving level 1 ended with status $status after" \
  "$(($(date +%s) - start)) s; logs $build/valgrind-e2e-*.log"
[ "$status" -eq 0 ] || { echo "FAIL: memcheck found errors in the game (see the log)" >&2; exit 1; }
echo "valgrind: ok"
