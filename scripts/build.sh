#!/usr/bin/env bash
# Configures (once) and builds the project out of tree, incrementally.
# Usage: scripts/build.sh [build-dir [target...]]   (no target: everything)
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${1:-$ROOT/build}"
shift || true
if [ ! -f "$BUILD/CMakeCache.txt" ]; then
    cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
fi
if [ $# -gt 0 ]; then
    cmake --build "$BUILD" -j"$(nproc)" --target "$@"
else
    cmake --build "$BUILD" -j"$(nproc)"
fi
