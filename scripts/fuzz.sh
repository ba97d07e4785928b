#!/usr/bin/env bash
# Builds the fuzz targets of fuzz/ with clang (libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each for the given time, starting from
# its committed corpus. An input that breaks a target (crash, sanitizer report,
# broken property, memory over 512 MB, timeout) is saved in the target's folder
# (fuzz/<target>/crash-..., oom-..., timeout-...) and the script fails.
# Usage: scripts/fuzz.sh [seconds-per-target]     (default 30)
# Environment: FUZZ_BUILD_DIR (default build-fuzz), FUZZ_TARGETS (names, default all).
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
SECONDS_PER_TARGET="${1:-30}"
BUILD="${FUZZ_BUILD_DIR:-$ROOT/build-fuzz}"

# Target and the longest input it is given: room for what the reader takes
# in one go (a whole day's log, a run of a link's replies, a scan's replies,
# a reply past the reply parser's 64 KiB cap), so that unbounded growth shows
# within one input.
declare -A MAX_LEN=(
    [modbusreply]=8192
    [discoverydatagram]=16384
    [ftpreplies]=131072
    [ftplisting]=32768
    [dailylog]=36864
    [totalslog]=8192
    [plantstore]=16384
)
TARGETS=(${FUZZ_TARGETS:-modbusreply discoverydatagram ftpreplies ftplisting dailylog totalslog plantstore})

"$ROOT/scripts/deps.sh" fuzz
if [ ! -f "$BUILD/CMakeCache.txt" ]; then
    LAUNCHER=()
    if command -v ccache >/dev/null; then LAUNCHER=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
    cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
        -DVELORA_FUZZ=ON "${LAUNCHER[@]}"
fi
cmake --build "$BUILD" -j"$(nproc)" --target "${TARGETS[@]/#/fuzz_}"

failed=()
summary=()
for t in "${TARGETS[@]}"; do
    dir="$ROOT/fuzz/$t"
    work="$BUILD/fuzz-work/$t" # inputs found along the way; the committed corpus stays as it is
    mkdir -p "$work"
    log="$BUILD/fuzz-work/$t.log"
    echo "== fuzz_$t: ${SECONDS_PER_TARGET} s, -max_len=${MAX_LEN[$t]}"
    status=0
    "$BUILD/fuzz/fuzz_$t" -max_total_time="$SECONDS_PER_TARGET" -rss_limit_mb=512 -max_len="${MAX_LEN[$t]}" \
        -timeout=10 -print_final_stats=1 -artifact_prefix="$dir/" "$work" "$dir/corpus" >"$log" 2>&1 ||
        status=$?
    runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n1)"
    summary+=("$(printf '%-20s %12s executions  %s' "fuzz_$t" "${runs:-?}" "$([ $status -eq 0 ] && echo ok || echo FAILED)")")
    if [ $status -ne 0 ]; then
        failed+=("$t")
        grep -E "ERROR|property broken|SUMMARY|Test unit written" "$log" | head -n 20 || true
    fi
done

echo "== fuzzing summary (${SECONDS_PER_TARGET} s per target)"
printf '%s\n' "${summary[@]}"
if [ ${#failed[@]} -gt 0 ]; then
    echo "inputs that broke ${failed[*]} are saved in fuzz/<target>/ (full logs in $BUILD/fuzz-work/)" >&2
    exit 1
fi
