#!/usr/bin/env bash
# Installs the Debian packages the console, the simulator and the tests need,
# only when some are missing. "scripts/deps.sh fuzz" adds clang and its
# libFuzzer runtime for the fuzz targets (scripts/fuzz.sh).
set -euo pipefail

PACKAGES=(
    build-essential cmake ninja-build pkg-config
    qtbase5-dev qtbase5-dev-tools libqt5serialbus5-dev libqcustomplot-dev
    libmodbus-dev mbpoll python3 python3-pyftpdlib curl iproute2 util-linux procps
)
if [ "${1:-}" = "fuzz" ]; then
    PACKAGES+=(clang libclang-rt-14-dev)
fi

missing=()
for p in "${PACKAGES[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    SUDO=""
    if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
    export DEBIAN_FRONTEND=noninteractive
    $SUDO apt-get update -qq
    $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
