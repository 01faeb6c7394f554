#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Tessary need.
# Only missing packages are installed; a machine that has them all is left alone.
set -euo pipefail

packages=(
    build-essential cmake ninja-build pkg-config clang libclang-rt-14-dev python3
    qt6-base-dev qt6-image-formats-plugins qt6-translations-l10n
    libgif-dev zlib1g-dev libjpeg62-turbo-dev fonts-ipafont-gothic
    libgtest-dev libgmock-dev libbenchmark-dev
    libxcb1-dev
    libheif-dev libjxl-dev liblcms2-dev libheif-examples libjxl-tools
    xvfb xauth imagemagick xdotool xcompmgr desktop-file-utils poppler-utils openbox x11-utils python3-xlib
    dpkg-dev file time
)

missing=()
for package in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$package")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

sudo_cmd=()
[[ $(id -u) -eq 0 ]] || sudo_cmd=(sudo)
echo "Installing: ${missing[*]}"
"${sudo_cmd[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
