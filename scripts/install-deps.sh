#!/usr/bin/env bash
# Installs the Debian packages the project needs. Idempotent: when everything is there it only checks.
# Works as root or through sudo.
set -euo pipefail

packages=(
    build-essential cmake ninja-build ccache pkg-config git
    qtbase5-dev qttools5-dev qttools5-dev-tools qtwebengine5-dev libqt5webchannel5-dev libqt5svg5-dev
    libproj-dev proj-data proj-bin zlib1g-dev libmimalloc2.0
    xvfb xauth
    sumo
    geographiclib-tools
    gdal-bin
    python3 openssl
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
        missing+=("$p")
    fi
done

if [ ${#missing[@]} -eq 0 ]; then
    exit 0
fi

if [ "$(id -u)" -eq 0 ]; then
    SUDO=()
elif command -v sudo >/dev/null 2>&1; then
    SUDO=(sudo)
else
    echo "install-deps: missing packages (${missing[*]}) and neither root nor sudo is available" >&2
    exit 1
fi

echo "install-deps: installing ${missing[*]}"
"${SUDO[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${SUDO[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
