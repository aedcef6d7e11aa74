#!/usr/bin/env bash
# Installs the Debian 12 packages the build and the tests need, only those missing.
set -euo pipefail

packages=(
    build-essential cmake pkg-config git
    juce-modules-source
    libgtest-dev libgmock-dev
    libfreetype-dev libpng-dev libjpeg-dev zlib1g-dev
    libx11-dev libxext-dev libxrandr-dev libxinerama-dev libxcursor-dev
    libxcomposite-dev libxrender-dev libxdamage-dev libxfixes-dev
    xvfb xauth xdotool x11-utils imagemagick
    openbox wmctrl
    fonts-dejavu-core
    desktop-file-utils
)

missing=()
for package in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed"; then
        missing+=("$package")
    fi
done

if [ ${#missing[@]} -gt 0 ]; then
    echo "Installing: ${missing[*]}"
    if [ "$(id -u)" -ne 0 ]; then
        echo "Run as root, or install these packages first." >&2
        exit 1
    fi
    apt-get update
    DEBIAN_FRONTEND=noninteractive apt-get install -y --no-install-recommends "${missing[@]}"
fi
