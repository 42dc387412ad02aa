#!/usr/bin/env bash
# Installs the Debian packages that building, running and testing Velto need,
# if any of them is missing. Run as root (or with sudo available).
set -euo pipefail

packages=(
  cmake ninja-build g++ clang clang-tidy libclang-rt-14-dev python3 googletest libgtest-dev
  g++-mingw-w64-x86-64-posix mingw-w64-tools binutils-mingw-w64-x86-64
  wine wine64 xvfb xauth xserver-xephyr x11-utils imagemagick
  fonts-liberation2 fonts-wine nsis nlohmann-json3-dev
  chromium python3-websocket
)

missing=()
for package in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" || missing+=("$package")
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

echo "Installing: ${missing[*]}"
as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
"${as_root[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
