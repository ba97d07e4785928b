#!/usr/bin/env bash
# Installs what is missing, builds, and runs the console on your display
# against the simulated demo plant (plantsim), both inside an isolated network
# namespace (scripts/netns-run.sh), so that discovery broadcasts and the
# plant's 192.168.1.x addresses never touch the real network.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${BUILD_DIR:-$ROOT/build}"

if [ "${1:-}" = "--in-namespace" ]; then
    # Inside the namespace: the plant first, then the console in the foreground.
    LOG="$(mktemp -t plantsim.XXXXXX.log)"
    "$BUILD/simulator/plantsim" </dev/null >"$LOG" 2>&1 &
    SIM=$!
    trap 'kill "$SIM" 2>/dev/null || true; wait "$SIM" 2>/dev/null || true' EXIT
    for _ in $(seq 1 100); do
        grep -q '^READY' "$LOG" && break
        if ! kill -0 "$SIM" 2>/dev/null || grep -q '^ERROR' "$LOG"; then
            echo "plantsim did not start:" >&2
            cat "$LOG" >&2
            exit 1
        fi
        sleep 0.1
    done
    echo "Demo plant running (plantsim log: $LOG); console on 192.168.1.10."
    "$BUILD/VeloraDataControl"
    exit $?
fi

# The console needs a display that can be reached from inside the namespace:
# a local X server (DISPLAY=:N, a unix socket) or a Wayland socket. Displays
# reached over TCP (host:N, as with ssh -X) are outside the isolated network.
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "VeloraDataControl needs a display: no DISPLAY or WAYLAND_DISPLAY is set." >&2
    exit 1
fi
if [ -n "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    case "$DISPLAY" in
    :* | unix:*)
        n="${DISPLAY#*:}"
        n="${n%%.*}"
        if [ ! -S "/tmp/.X11-unix/X$n" ]; then
            echo "VeloraDataControl needs a local X display: /tmp/.X11-unix/X$n (DISPLAY=$DISPLAY) does not exist." >&2
            exit 1
        fi
        ;;
    *)
        echo "DISPLAY=$DISPLAY is reached over the network, which the isolated demo network cannot reach;" \
            "use a local display (DISPLAY=:N)." >&2
        exit 1
        ;;
    esac
fi

"$ROOT/scripts/deps.sh"
"$ROOT/scripts/build.sh" "$BUILD" VeloraDataControl plantsim
set +e
BUILD_DIR="$BUILD" "$ROOT/scripts/netns-run.sh" -- "$ROOT/scripts/run.sh" --in-namespace
rc=$?
if [ $rc -eq 77 ]; then
    echo "The demo runs in an isolated network namespace, which this machine refuses (unshare -n / unshare -rn)." >&2
fi
exit $rc
