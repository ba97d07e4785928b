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
    # plantsim reads its control commands from a named pipe in the log folder
    # (scripts/plantctl.sh writes to it); a descriptor kept open here means the
    # pipe never reaches end of file while the demo runs.
    CTL="$VELORA_DEMO_DIR/plantsim.ctl"
    LOG="$VELORA_DEMO_DIR/plantsim.log"
    mkfifo "$CTL"
    exec 3<>"$CTL"
    "$BUILD/simulator/plantsim" <"$CTL" >"$LOG" 2>&1 &
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
    echo "Demo plant running; console on 192.168.1.10."
    echo "Logs in $VELORA_DEMO_DIR; make the plant misbehave with scripts/plantctl.sh (see README)."
    "$BUILD/VeloraDataControl"
    exit $?
fi

KEEP_LOGS=0
if [ "${1:-}" = "--keep-logs" ]; then
    KEEP_LOGS=1
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

# One folder for the demo's logs and the plant's control pipe, named now,
# removed at exit unless --keep-logs was given. scripts/plantctl.sh finds it
# through the pointer file.
VELORA_DEMO_DIR="$(mktemp -d -t velora-demo.XXXXXX)"
POINTER="${XDG_RUNTIME_DIR:-/tmp}/velora-demo.current"
echo "$VELORA_DEMO_DIR" >"$POINTER"
cleanup() {
    rm -f "$POINTER"
    if [ "$KEEP_LOGS" -eq 1 ]; then
        echo "Demo logs kept in $VELORA_DEMO_DIR"
    else
        rm -rf "$VELORA_DEMO_DIR"
    fi
}
trap cleanup EXIT
export VELORA_DEMO_DIR

set +e
BUILD_DIR="$BUILD" "$ROOT/scripts/netns-run.sh" -- "$ROOT/scripts/run.sh" --in-namespace
rc=$?
if [ $rc -eq 77 ]; then
    echo "The demo runs in an isolated network namespace, which this machine refuses (unshare -n / unshare -rn)." >&2
fi
exit $rc
