#!/usr/bin/env bash
# Regenerates the console's images: builds the small image generator in
# scripts/make-images/ as a project of its own, runs it offscreen writing the
# PNG files into resources/, then rewrites resources/resources.qrc so that it
# lists every PNG there.
# Usage: scripts/make-images.sh [build-dir]   (default: $BUILD_DIR or <repo>/build-images)
set -euo pipefail
ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
BUILD="${1:-${BUILD_DIR:-$ROOT/build-images}}"
RES="$ROOT/resources"

cmake -S "$ROOT/scripts/make-images" -B "$BUILD" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$BUILD" --target make_images
QT_QPA_PLATFORM=offscreen "$BUILD/make_images" "$RES"

{
    echo '<!DOCTYPE RCC><RCC version="1.0">'
    echo '<qresource prefix="/">'
    (cd "$RES" && LC_ALL=C ls -1 -- *.png) | while read -r f; do
        echo "    <file>$f</file>"
    done
    echo '</qresource>'
    echo '</RCC>'
} >"$RES/resources.qrc"
echo "resources.qrc lists $(grep -c '<file>' "$RES/resources.qrc") images"
