#!/usr/bin/env bash
# Builds the fuzz targets with clang (RelWithDebInfo, into build-fuzz) and runs each one in turn
# for SECONDS on a fresh copy of its seeds, then prints what each run did.
#   fuzz/run.sh SECONDS [target...]
# Targets: json settings savegame solves progress i18n (also accepted with the fuzz_ prefix);
# all of them when none is named. Seeds: fuzz/corpus/<target>/ and, for the JSON and file
# targets, the hostile-file corpus tests/corpus/. The exit status is 1 when any run left a
# finding (crash, leak, timeout or out-of-memory input) in its artifact directory.
# Environment: VANTREL_FUZZ_BUILD (build directory), VANTREL_FUZZ_JOBS (compile jobs, 2),
# VANTREL_FUZZ_ARGS (extra libFuzzer flags), VANTREL_FUZZ_KEEP=1 (continue from the last corpus).
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

usage() {
    echo "usage: $0 SECONDS [json|settings|savegame|solves|progress|i18n ...]" >&2
    exit 2
}
[ $# -ge 1 ] || usage
secs=$1
shift
if ! [[ $secs =~ ^[0-9]+$ ]] || [ "$secs" -eq 0 ]; then usage; fi

all=(fuzz_json fuzz_settings fuzz_savegame fuzz_solves fuzz_progress fuzz_puzzles fuzz_i18n)
targets=()
for t in "$@"; do
    name=fuzz_${t#fuzz_}
    [[ " ${all[*]} " == *" $name "* ]] || { echo "unknown target: $t" >&2; usage; }
    targets+=("$name")
done
[ ${#targets[@]} -gt 0 ] || targets=("${all[@]}")

build=${VANTREL_FUZZ_BUILD:-build-fuzz}
launcher=()
if command -v ccache >/dev/null; then
    launcher=(-DCMAKE_C_COMPILER_LAUNCHER=ccache -DCMAKE_CXX_COMPILER_LAUNCHER=ccache)
fi
echo "== building ${targets[*]} in $build"
cmake -S . -B "$build" -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
    -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVANTREL_FUZZ=ON -DVANTREL_TESTS=OFF -DVANTREL_BENCH=OFF \
    "${launcher[@]}" >/dev/null
cmake --build "$build" -j"${VANTREL_FUZZ_JOBS:-2}" --target "${targets[@]}" >/dev/null

# The file targets save after every input and each save ends in fsync: their data directories go
# to memory when the machine has a memory file system.
scratchBase=/tmp
[ -d /dev/shm ] && [ -w /dev/shm ] && scratchBase=/dev/shm

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
read -r -a extra <<<"${VANTREL_FUZZ_ARGS:-}"

summary=()
failed=0
total=0
for t in "${targets[@]}"; do
    work=$root/$build/fuzz-work/$t
    # VANTREL_FUZZ_KEEP=1 goes on from the corpus the last run left; otherwise start from the seeds.
    [ "${VANTREL_FUZZ_KEEP:-0}" = 1 ] || rm -rf "$work/corpus"
    rm -rf "$work/artifacts" "$work/log" "$work/seeds.log"
    mkdir -p "$work/corpus" "$work/artifacts"
    cp "$root/fuzz/corpus/$t/"* "$work/corpus/" 2>/dev/null || true
    if [ "$t" != fuzz_i18n ]; then
        cp "$root/tests/corpus/"* "$work/corpus/"
    fi
    seeds=$(find "$work/corpus" -type f | wc -l)
    scratch=$(mktemp -d "$scratchBase/vantrel-fuzz-run.XXXXXX")

    echo "== $t: $secs s from $seeds seeds (log: $work/log)"
    # Each seed once, whole: the mutation runs cap the input size, which would cut the largest.
    status=0
    find "$work/corpus" -type f -print0 | TMPDIR=$scratch xargs -0 -r "$root/$build/fuzz/$t" \
        -timeout=10 -rss_limit_mb=2048 -artifact_prefix="$work/artifacts/" \
        >"$work/seeds.log" 2>&1 || status=$?
    if [ "$status" -eq 0 ]; then
        TMPDIR=$scratch "$root/$build/fuzz/$t" -max_total_time="$secs" -print_final_stats=1 \
            -max_len=4096 -timeout=10 -rss_limit_mb=2048 -artifact_prefix="$work/artifacts/" \
            "${extra[@]}" "$work/corpus" >"$work/log" 2>&1 || status=$?
    else
        echo "   a seed failed (see $work/seeds.log); not fuzzing"
        cp "$work/seeds.log" "$work/log"
    fi
    rm -rf "$scratch"

    execs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$work/log" | tail -1)
    added=$(sed -n 's/^stat::new_units_added: *//p' "$work/log" | tail -1)
    covStart=$(grep -m1 -o 'INITED cov: [0-9]* ft: [0-9]*' "$work/log" | awk '{print $3 "/" $5}')
    covEnd=$(grep -o 'cov: [0-9]* ft: [0-9]*' "$work/log" | tail -1 | awk '{print $2 "/" $4}')
    findings=$(find "$work/artifacts" -type f \
        \( -name 'crash-*' -o -name 'leak-*' -o -name 'timeout-*' -o -name 'oom-*' \) | wc -l)
    slow=$(find "$work/artifacts" -type f -name 'slow-unit-*' | wc -l)
    if [ "$status" -ne 0 ] || [ "$findings" -gt 0 ]; then
        failed=1
        grep -E 'invariant broken|ERROR: |SUMMARY: |Running: ' "$work/log" | tail -5 || true
        find "$work/artifacts" -type f | sed 's/^/   finding: /'
    fi
    total=$((total + ${execs:-0}))
    summary+=("$(printf '%-14s %12s %8s %17s %8s %5s %6s' "$t" "${execs:-?}" "${added:-?}" \
        "${covStart:-?} -> ${covEnd:-?}" "$findings" "$slow" "$status")")
done

echo
printf '%-14s %12s %8s %17s %8s %5s %6s\n' target executions new-units "cov/ft start->end" \
    findings slow exit
printf '%s\n' "${summary[@]}"
echo "total executions: $total"
exit "$failed"
