#!/bin/bash
# Polling benchmark: the console's tiles (offscreen) and a bare libmodbus poller against the same
# plantsim, one after the other, for each plant size. See README.md.
# usage: [BUILD_DIR=..] [BASELINE=<commit>] [ROUNDS=<n>] bench/polling/run.sh [seconds] [sizes...]
set -euo pipefail
SRC=$(cd "$(dirname "$0")/../.." && pwd)
BUILD=${BUILD_DIR:-$SRC/build-bench}
SECS=${1:-20}
shift || true
SIZES=${*:-20 50 100 200}
MAX=$(printf '%s\n' $SIZES | sort -n | tail -1)
build() { # source build targets...
    [ -f "$2/build.ninja" ] || cmake -S "$1" -B "$2" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_CXX_COMPILER_LAUNCHER="$(command -v ccache || true)" >/dev/null
    cmake --build "$2" --target "${@:3}" >/dev/null
}
build "$SRC" "$BUILD" plantsim console_bench ref_poller
CONSOLES=("current=$BUILD/bench/polling/console_bench")
if [ -n "${BASELINE:-}" ]; then # the console of that commit, taken with git archive, beside
    BASE=$SRC/build-baseline-$(git -C "$SRC" rev-parse --short "$BASELINE")
    [ -f "$BASE/src/CMakeLists.txt" ] || { mkdir -p "$BASE/src" && git -C "$SRC" archive "$BASELINE" | tar -x -C "$BASE/src"; }
    build "$BASE/src" "$BASE/build" console_bench
    CONSOLES=("baseline=$BASE/build/bench/polling/console_bench" "${CONSOLES[@]}")
fi

WORK=$(mktemp -d /tmp/polling-bench.XXXXXX)
SIM_PID=
trap '[ -n "$SIM_PID" ] && kill "$SIM_PID" 2>/dev/null; rm -rf "$WORK"' EXIT INT TERM
# Every board on its own loopback address, register port 502; no FTP, no UDP.
"$BUILD/simulator/plantsim" --generate "$MAX" --base 127.0.42.1 --no-ftp --no-udp --quiet >"$WORK/sim.log" 2>&1 &
SIM_PID=$!
until grep -q '^READY' "$WORK/sim.log"; do
    kill -0 "$SIM_PID" 2>/dev/null || { cat "$WORK/sim.log"; exit 1; }
    sleep 0.1
done
awk '/^BOARD/ { for (i = 3; i <= NF; ++i) { split($i, kv, "="); f[kv[1]] = kv[2] } print f["addr"], f["modbus"] }' \
    "$WORK/sim.log" >"$WORK/boards.txt"
for round in $(seq "${ROUNDS:-1}"); do
    order=("${CONSOLES[@]}")
    [ $((round % 2)) -eq 1 ] || order=("${CONSOLES[@]:1}" "${CONSOLES[0]}") # the other order every other round
    for n in $SIZES; do
        for who in "reference=$BUILD/bench/polling/ref_poller" "${order[@]}"; do
            "${who#*=}" "$WORK/boards.txt" "$n" "$SECS" 2>/dev/null |
                sed -E "s/^RESULT [a-z]+ /RESULT ${who%%=*} round=$round /" >>"$WORK/results.txt"
        done
    done
done

# One line per run; the ratio divides a console's CPU per reply by the reference's of the same round.
awk -v secs="$SECS" '
/^RESULT/ {
    for (i = 3; i <= NF; ++i) { split($i, kv, "="); v[kv[1]] = kv[2] }
    k = $2 SUBSEP v["n"] SUBSEP v["round"]
    rate[k] = v["replies"] / v["seconds"]; cpu[k] = 1e6 * v["cpu"] / v["replies"]; fail[k] = v["failed"]
    rss[k] = $2 == "reference" ? "" : sprintf("%7.1f", v["rss_kib"] / 1024)
    if (!(v["n"] in seenN)) { seenN[v["n"]] = 1; sizes[++ns] = v["n"] }
    if (!($2 in seenW)) { seenW[$2] = 1; who[++nw] = $2 }
    if (v["round"] > rounds) rounds = v["round"]
}
END {
    printf "%d s per run after every link is up; CPU in ms per 1000 replies; ratio = console / reference CPU\n", secs
    printf "%5s %5s | %-9s | %8s %7s %6s | %7s %6s | %7s\n", "N", "round", "console", "replies/s", "of rate",
           "failed", "CPU", "ratio", "RSS MiB"
    for (s = 1; s <= ns; ++s) for (r = 1; r <= rounds; ++r) for (j = 1; j <= nw; ++j) {
        n = sizes[s]; k = who[j] SUBSEP n SUBSEP r; ref = cpu["reference", n, r]
        printf "%5d %5d | %-9s | %8.1f %6.1f%% %6d | %7.1f %6s | %7s\n", n, r, who[j], rate[k], 30 * rate[k] / n,
               fail[k], cpu[k], who[j] == "reference" ? "" : sprintf("%6.2f", cpu[k] / ref), rss[k]
    }
}' "$WORK/results.txt"
