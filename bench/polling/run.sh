#!/bin/bash
# Polling benchmark: the console's tiles (offscreen) and a bare libmodbus
# poller against the same plantsim, one after the other, for each plant size.
#
# usage: bench/polling/run.sh [seconds-per-run] [plant sizes...]   (default: 20 50 100 200)
# BUILD_DIR selects the build folder (default build-bench); BASE the first board address
# (default 127.0.42.1, boards count up from it); REF_MODE the reference poller's mode
# (pipelined, the default, or sequential); KEEP_LOGS=1 keeps the logs.
set -euo pipefail
SRC=$(cd "$(dirname "$0")/../.." && pwd)
BUILD=${BUILD_DIR:-$SRC/build-bench}
RUN_SECONDS=${1:-20}
shift || true
SIZES=${*:-50 100 200}
MAX=$(printf '%s\n' $SIZES | sort -n | tail -1)

[ -f "$BUILD/build.ninja" ] || cmake -S "$SRC" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD" --target plantsim console_bench ref_poller >/dev/null

WORK=$(mktemp -d /tmp/polling-bench.XXXXXX)
SIM_PID=
cleanup() {
    [ -n "$SIM_PID" ] && kill "$SIM_PID" 2>/dev/null && wait "$SIM_PID" 2>/dev/null
    if [ "${KEEP_LOGS:-0}" = 1 ]; then echo "logs kept in $WORK"; else rm -rf "$WORK"; fi
}
trap cleanup EXIT INT TERM

# Every board on its own loopback address from BASE, register port 502;
# no FTP servers and no UDP responders.
"$BUILD/simulator/plantsim" --generate "$MAX" --base "${BASE:-127.0.42.1}" --no-ftp --no-udp >"$WORK/plantsim.log" 2>&1 &
SIM_PID=$!
for _ in $(seq 300); do
    grep -q '^READY' "$WORK/plantsim.log" && break
    kill -0 "$SIM_PID" 2>/dev/null || { cat "$WORK/plantsim.log"; exit 1; }
    sleep 0.1
done
grep -q '^READY' "$WORK/plantsim.log" || { echo "plantsim not ready" >&2; exit 1; }
awk '/^BOARD/ { for (i = 3; i <= NF; ++i) { split($i, kv, "="); f[kv[1]] = kv[2] } print f["addr"], f["modbus"] }' \
    "$WORK/plantsim.log" >"$WORK/boards.txt"

for n in $SIZES; do
    echo "N=$n: console ..." >&2
    "$BUILD/bench/polling/console_bench" --boards "$WORK/boards.txt" --count "$n" --seconds "$RUN_SECONDS" \
        --sim-pid "$SIM_PID" >>"$WORK/results.txt" 2>"$WORK/console-$n.err"
    echo "N=$n: reference ..." >&2
    "$BUILD/bench/polling/ref_poller" --boards "$WORK/boards.txt" --count "$n" --seconds "$RUN_SECONDS" \
        --sim-pid "$SIM_PID" --mode "${REF_MODE:-pipelined}" >>"$WORK/results.txt"
    kill -0 "$SIM_PID" 2>/dev/null || { echo "plantsim stopped during the run for N=$n" >&2; exit 1; }
done

# Tables: per plant size, the console's and the reference's figures side by side.
awk -v secs="$RUN_SECONDS" '
/^RESULT/ {
    for (i = 3; i <= NF; ++i) { split($i, kv, "="); v[kv[1]] = kv[2] }
    n = v["n"]; who = $2 == "console" ? "c" : "r"; mode[who] = $2
    rate[who, n] = v["replies"] / v["seconds"]
    cpu[who, n] = 1e6 * v["cpu"] / v["replies"]      # CPU ms per 1000 replies
    sim[who, n] = 1e6 * v["sim_cpu"] / v["replies"]
    load[who, n] = 100 * v["cpu"] / v["seconds"]
    fail[who, n] = v["failed"]; rss[who, n] = v["rss_kib"] / 1024
    if (!(n in seen)) { seen[n] = 1; order[++count] = n }
}
END {
    printf "%d s per run after every link is up; reference poller: %s\n\n", secs, mode["r"]
    printf "replies handled per second (nominal: N/0.3)\n"
    printf "%5s %9s | %9s %7s %6s | %9s %7s %6s\n", "N", "nominal", "console", "of rate", "failed",
           "reference", "of rate", "failed"
    for (k = 1; k <= count; ++k) {
        n = order[k]; nominal = n / 0.3
        printf "%5d %9.1f | %9.1f %6.1f%% %6d | %9.1f %6.1f%% %6d\n", n, nominal, rate["c", n],
               100 * rate["c", n] / nominal, fail["c", n], rate["r", n], 100 * rate["r", n] / nominal, fail["r", n]
    }
    printf "\nCPU ms per 1000 replies (user+sys), console peak RSS\n"
    printf "%5s | %8s %9s %6s | %9s %8s | %13s %13s\n", "N", "console", "reference", "ratio", "console %", "RSS MiB",
           "plantsim(con)", "plantsim(ref)"
    for (k = 1; k <= count; ++k) {
        n = order[k]
        printf "%5d | %8.1f %9.1f %6.1f | %8.1f%% %8.1f | %13.1f %13.1f\n", n, cpu["c", n], cpu["r", n],
               cpu["c", n] / cpu["r", n], load["c", n], rss["c", n], sim["c", n], sim["r", n]
    }
}' "$WORK/results.txt"
