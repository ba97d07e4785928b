#!/usr/bin/env bash
# Installs what is missing, builds, and runs the console on your display.
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${BUILD_DIR:-$ROOT/build}"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    echo "VeloraDataControl needs a display: no DISPLAY or WAYLAND_DISPLAY is set." >&2
    exit 1
fi
"$ROOT/scripts/deps.sh"
"$ROOT/scripts/build.sh" "$BUILD"
exec "$BUILD/VeloraDataControl"
