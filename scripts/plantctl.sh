#!/usr/bin/env bash
# Sends one control command to the demo plant started by scripts/run.sh and
# prints plantsim's answer, e.g.
#   scripts/plantctl.sh fault inv2 silent on
#   scripts/plantctl.sh set inv3 alarm 1 0x0002
#   scripts/plantctl.sh list
# The command reaches plantsim through the named pipe in the demo's log
# folder, so it works from outside the demo's network namespace.
set -euo pipefail
if [ $# -eq 0 ]; then
    echo "usage: $0 <plantsim control command>   (see simulator/README.md, Control commands)" >&2
    exit 2
fi
POINTER="${XDG_RUNTIME_DIR:-/tmp}/velora-demo.current"
DIR="$(cat "$POINTER" 2>/dev/null || true)"
if [ -z "$DIR" ] || [ ! -p "$DIR/plantsim.ctl" ]; then
    echo "No demo plant is running (start it with scripts/run.sh)." >&2
    exit 1
fi
LOG="$DIR/plantsim.log"
before=$(wc -l <"$LOG")
echo "$*" >"$DIR/plantsim.ctl"
# plantsim answers a command with one OK or ERR line ("list" with its BOARD
# lines and READY); event lines in between are left out.
for _ in $(seq 1 50); do
    answer=$(tail -n +"$((before + 1))" "$LOG" | grep -E '^(OK|ERR|BOARD|READY)' || true)
    if echo "$answer" | grep -qE '^(OK|ERR|READY)'; then
        echo "$answer" | sed -E '/^(OK|ERR|READY)/q'
        echo "$answer" | grep -qE '^ERR' && exit 1
        exit 0
    fi
    sleep 0.1
done
echo "plantsim did not answer (log: $LOG)" >&2
exit 1
