#!/usr/bin/env bash
# Installs what is missing, builds, and runs every test (offscreen).
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${BUILD_DIR:-$ROOT/build}"
"$ROOT/scripts/deps.sh"
"$ROOT/scripts/build.sh" "$BUILD"
export QT_QPA_PLATFORM=offscreen
cd "$BUILD"
ctest --output-on-failure -j"$(nproc)" "$@"
