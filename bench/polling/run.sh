#!/bin/bash
# Polling benchmark: the console's tiles (offscreen) and a bare libmodbus
# poller against the same plantsim, one after the other, for each plant size.
# usage: bench/polling/run.sh [seconds-per-run] [plant sizes...]   (default: 20 s; 20 50 100 200)
# BUILD_DIR selects the build folder (default build-bench).
# BASELINE=<commit> also builds the console of that commit (in build-baseline-<commit>/, from
# `git archive`) and runs it in every round beside the current one.
# ROUNDS=<n> repeats everything n times (default 1); rounds alternate the order of the consoles.
set -euo pipefail
SRC=$(cd "$(dirname "$0")/../.." && pwd)
BUILD=${BUILD_DIR:-$SRC/build-bench}
SECS=${1:-20}
shift || true
SIZES=${*:-20 50 100 200}
ROUNDS=${ROUNDS:-1}
MAX=$(printf '%s\n' $SIZES | sort -n | tail -1)
configure() { # source build
    [ -f "$2/build.ninja" ] || cmake -S "$1" -B "$2" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_CXX_COMPILER_LAUNCHER="$(command -v ccache || true)" >/dev/null
}
configure "$SRC" "$BUILD"
cmake --build "$BUILD" --target plantsim console_bench ref_poller >/dev/null
CONSOLES=("current=$BUILD/bench/polling/console_bench")
if [ -n "${BASELINE:-}" ]; then
    COMMIT=$(git -C "$SRC" rev-parse --short "$BASELINE")
    BASE=$SRC/build-baseline-$COMMIT
    if [ ! -f "$BASE/src/CMakeLists.txt" ]; then
        mkdir -p "$BASE/src"
        git -C "$SRC" archive "$COMMIT" | tar -x -C "$BASE/src"
    fi
    configure "$BASE/src" "$BASE/build"
    cmake --build "$BASE/build" --target console_bench >/dev/null
    CONSOLES=("baseline=$BASE/build/bench/polling/console_bench" "${CONSOLES[@]}")
fi

WORK=$(mktemp -d /tmp/polling-bench.XXXXXX)
SIM_PID=
trap '[ -n "$SIM_PID" ] && kill "$SIM_PID" 2>/dev/null; rm -rf "$WORK"' EXIT INT TERM
# Every board on its own loopback address, register port 502; no FTP, no UDP.
"$BUILD/simulator/plantsim" --generate "$MAX" --base 127.0.42.1 --no-ftp --no-udp --quiet >"$WORK/sim.log" 2>&1 &
SIM_PID=$!
for _ in $(seq 300); do
    grep -q '^READY' "$WORK/sim.log" && break
    kill -0 "$SIM_PID" 2>/dev/null || { cat "$WORK/sim.log"; exit 1; }
    sleep 0.1
done
awk '/^BOARD/ { for (i = 3; i <= NF; ++i) { split($i, kv, "="); f[kv[1]] = kv[2] } print f["addr"], f["modbus"] }' \
    "$WORK/sim.log" >"$WORK/boards.txt"
for round in $(seq "$ROUNDS"); do
    order=("${CONSOLES[@]}")
    if [ $((round % 2)) -eq 0 ]; then # every other round the other console first
        order=()
        for ((i = ${#CONSOLES[@]} - 1; i >= 0; --i)); do order+=("${CONSOLES[i]}"); done
    fi
    for n in $SIZES; do
        "$BUILD/bench/polling/ref_poller" "$WORK/boards.txt" "$n" "$SECS" | sed "s/^RESULT reference /RESULT reference round=$round /" >>"$WORK/results.txt"
        for console in "${order[@]}"; do
            "${console#*=}" "$WORK/boards.txt" "$n" "$SECS" 2>/dev/null |
                sed "s/^RESULT console /RESULT ${console%%=*} round=$round /" >>"$WORK/results.txt"
        done
    done
done

# One line per run; the ratio divides a console's CPU per reply by the reference's of the same round.
awk -v secs="$SECS" '
/^RESULT/ {
    for (i = 3; i <= NF; ++i) { split($i, kv, "="); v[kv[1]] = kv[2] }
    w = $2; n = v["n"]; r = v["round"]
    rate[w, n, r] = v["replies"] / v["seconds"]; cpu[w, n, r] = 1e6 * v["cpu"] / v["replies"]
    fail[w, n, r] = v["failed"]; rss[w, n, r] = v["rss_kib"] / 1024
    if (!(n in seenN)) { seenN[n] = 1; sizes[++ns] = n }
    if (!(w in seenW) && w != "reference") { seenW[w] = 1; who[++nw] = w }
    if (r > rounds) rounds = r
}
END {
    printf "%d s per run after every link is up; CPU in ms per 1000 replies; ratio = console / reference CPU\n", secs
    printf "%5s %5s | %-9s | %8s %7s %6s | %7s %6s | %7s\n", "N", "round", "console", "replies/s", "of rate",
           "failed", "CPU", "ratio", "RSS MiB"
    for (k = 1; k <= ns; ++k) for (r = 1; r <= rounds; ++r) {
        n = sizes[k]; nominal = n / 0.3
        printf "%5d %5d | %-9s | %8.1f %6.1f%% %6d | %7.1f %6s | %7s\n", n, r, "reference", rate["reference", n, r],
               100 * rate["reference", n, r] / nominal, fail["reference", n, r], cpu["reference", n, r], "", ""
        for (j = 1; j <= nw; ++j) {
            w = who[j]
            printf "%5d %5d | %-9s | %8.1f %6.1f%% %6d | %7.1f %6.2f | %7.1f\n", n, r, w, rate[w, n, r],
                   100 * rate[w, n, r] / nominal, fail[w, n, r], cpu[w, n, r], cpu[w, n, r] / cpu["reference", n, r],
                   rss[w, n, r]
        }
    }
}' "$WORK/results.txt"
