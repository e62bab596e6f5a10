#!/usr/bin/env bash
# Memcheck over the in-process tests (the persistence, rules, level, text and navigation suites
# and the scripted solve of level 1 through the screens), then over the real game solving
# level 1 in an X window (tests/e2e/solve_level_one.sh). The rendering suites
# take hours under memcheck and run under AddressSanitizer instead (.ci/run), and the suites
# that start processes would run those without memcheck; set
# VANTREL_VALGRIND_FILTER='*' for everything. Exits non-zero on any memory error or definite
# leak that tests/valgrind.supp does not explain.
# Usage: tests/valgrind.sh [BUILD_DIR]   (default: build)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=$(cd "${1:-$here/../build}" && pwd)
tests="$build/tests/vantrel_tests"
[ -x "$tests" ] || { echo "no test binary at $tests" >&2; exit 2; }
command -v valgrind >/dev/null || { echo "valgrind is not installed" >&2; exit 2; }

core='JsonParse.*:JsonValue.*:JsonDump.*:JsonFile.*:HostileFiles.*:SettingsFile.*'
core+=':SavedGameFile.*:StoreWrites.*:SolveHistory.*:LevelBests.*:UnlockProgress.*:Rules.*'
core+=':Rng.*:LevelCatalogue.*:PlayingLogicTest.*:I18n.*:Theme.*:Clock.*'
core+=':ScreenStack.*:InputContext.*:WindowGeometry.*:Pages.*:FormatTime.*:FormatDate.*'
solve='PlayingScreen.ClickingTheStoredSolutionSolvesLevelOneAndHandsOverAt627'
filter=${VANTREL_VALGRIND_FILTER:-$core:$solve}
log="$build/valgrind.log"
e2eLog="$build/valgrind-e2e.log"
memcheck=(valgrind --tool=memcheck --error-exitcode=99 --leak-check=full
  --show-leak-kinds=definite --errors-for-leak-kinds=definite --num-callers=40
  --suppressions="$here/valgrind.supp" --gen-suppressions=all)

export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy
start=$(date +%s)
status=0
"${memcheck[@]}" --log-file="$log" "$tests" --gtest_filter="$filter" --gtest_brief=1 >"$build/valgrind-tests.txt" 2>&1 || status=$?
elapsed=$(( $(date +%s) - start ))

grep -E '^\[  (PASSED|FAILED) ' "$build/valgrind-tests.txt" || tail -n 20 "$build/valgrind-tests.txt"
grep -E 'ERROR SUMMARY|definitely lost:|indirectly lost:|possibly lost:|suppressed:' "$log" |
  sed 's/^==[0-9]*== *//'
echo "valgrind: exit status $status after ${elapsed} s; log $log"
[ "$status" -eq 0 ] || { echo "FAIL: memcheck found errors or a test failed (see the log)" >&2; exit 1; }

start=$(date +%s)
unset SDL_VIDEODRIVER
"$here/e2e/solve_level_one.sh" "$build/vantrel-marbles" "$build/valgrind-e2e" \
  "${memcheck[@]}" --log-file="$e2eLog" || status=$?
grep -E 'ERROR SUMMARY|definitely lost:|suppressed:' "$e2eLog" | sed 's/^==[0-9]*== *//'
echo "valgrind: the game solving level 1 ended with status $status after $(( $(date +%s) - start )) s; log $e2eLog"
[ "$status" -eq 0 ] || { echo "FAIL: memcheck found errors in the game (see the log)" >&2; exit 1; }
echo "valgrind: ok"
