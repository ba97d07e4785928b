#!/bin/bash
# Polling benchmark: the console's tiles (offscreen) and a bare libmodbus
# poller against the same plantsim, one after the other, for each plant size.
# usage: bench/polling/run.sh [seconds-per-run] [plant sizes...]   (default: 20 50 100 200)
# BUILD_DIR selects the build folder (default build-bench).
set -euo pipefail
SRC=$(cd "$(dirname "$0")/../.." && pwd)
BUILD=${BUILD_DIR:-$SRC/build-bench}
SECS=${1:-20}
shift || true
SIZES=${*:-50 100 200}
MAX=$(printf '%s\n' $SIZES | sort -n | tail -1)
[ -f "$BUILD/build.ninja" ] || cmake -S "$SRC" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$BUILD" --target plantsim console_bench ref_poller >/dev/null

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
for n in $SIZES; do
    "$BUILD/bench/polling/console_bench" "$WORK/boards.txt" "$n" "$SECS" >>"$WORK/results.txt" 2>/dev/null
    "$BUILD/bench/polling/ref_poller" "$WORK/boards.txt" "$n" "$SECS" >>"$WORK/results.txt"
done

awk -v secs="$SECS" '
/^RESULT/ {
    for (i = 3; i <= NF; ++i) { split($i, kv, "="); v[kv[1]] = kv[2] }
    n = v["n"]; w = $2
    rate[w, n] = v["replies"] / v["seconds"]; cpu[w, n] = 1e6 * v["cpu"] / v["replies"]
    load[w, n] = 100 * v["cpu"] / v["seconds"]; fail[w, n] = v["failed"]; rss[w, n] = v["rss_kib"] / 1024
    if (!(n in seen)) { seen[n] = 1; order[++count] = n }
}
END {
    printf "%d s per run after every link is up; CPU in ms per 1000 replies\n", secs
    printf "%5s | %8s %7s %6s | %8s %7s | %7s %9s %6s | %8s %7s\n", "N", "console", "of rate", "failed",
           "referenc", "of rate", "console", "reference", "ratio", "console%", "RSS MiB"
    for (k = 1; k <= count; ++k) {
        n = order[k]; nominal = n / 0.3
        printf "%5d | %8.1f %6.1f%% %6d | %8.1f %6.1f%% | %7.1f %9.1f %6.1f | %7.1f%% %7.1f\n", n,
               rate["console", n], 100 * rate["console", n] / nominal, fail["console", n], rate["reference", n],
               100 * rate["reference", n] / nominal, cpu["console", n], cpu["reference", n],
               cpu["console", n] / cpu["reference", n], load["console", n], rss["console", n]
    }
}' "$WORK/results.txt"
