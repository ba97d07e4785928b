#!/usr/bin/env bash
# The sanitizer pass: builds the whole test suite, and each fuzz target as a
# replay of its committed corpus, with AddressSanitizer and
# UndefinedBehaviorSanitizer (gcc, out of tree in build-asan/), then runs them.
# Usage: scripts/sanitize.sh [ctest arguments...]
# Environment: SANITIZE_BUILD_DIR (default build-asan).
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${SANITIZE_BUILD_DIR:-$ROOT/build-asan}"
"$ROOT/scripts/deps.sh"
if [ ! -f "$BUILD/CMakeCache.txt" ]; then
    LAUNCHER=()
    if command -v ccache >/dev/null; then LAUNCHER=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache); fi
    cmake -S "$ROOT" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${LAUNCHER[@]}" \
        -DCMAKE_CXX_FLAGS="-fsanitize=address,undefined -fno-sanitize-recover=all -fno-omit-frame-pointer" \
        -DCMAKE_EXE_LINKER_FLAGS="-fsanitize=address,undefined" -DVELORA_FUZZ_REPLAY=ON
fi
cmake --build "$BUILD" -j"$(nproc)"

export QT_QPA_PLATFORM=offscreen
# Freed memory is filled, so that a use after free inside Qt's own code (not
# instrumented) crashes instead of reading stale values that still look right.
# Leaks are not looked for here: Qt's offscreen platform keeps its screen to
# the end of the process (the fuzz targets look for leaks).
export ASAN_OPTIONS="detect_leaks=0:max_free_fill_size=65536:strict_string_checks=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
cd "$BUILD"
ctest --output-on-failure -j"$(nproc)" "$@"
