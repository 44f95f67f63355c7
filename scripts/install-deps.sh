#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Installs the Debian packages Velocrag needs to build, run and test.
# Idempotent: asks apt only for what is missing, runs "apt-get update" at most once.
set -euo pipefail

PACKAGES=(
  build-essential cmake pkg-config ccache
  qt6-base-dev libqt6sql6-sqlite qt6-multimedia-dev qt6-svg-dev libqt6opengl6-dev
  libchipmunk-dev
  libsdl2-dev
  ttf-bitstream-vera
  desktop-file-utils appstream dpkg-dev lintian
  xvfb xauth xdotool imagemagick pulseaudio pulseaudio-utils sox sqlite3 libgl1-mesa-dri
  clang libclang-rt-14-dev clang-format-14
)

missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done

if [ ${#missing[@]} -eq 0 ]; then
  exit 0
fi

SUDO=""
if [ "$(id -u)" -ne 0 ]; then
  SUDO="sudo"
fi

echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$SUDO apt-get update -q
$SUDO apt-get install -y -q --no-install-recommends "${missing[@]}"
