#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Starts the game from the build tree: it reads the build's levels.db beside
# the executable and keeps the player's results.db in
# ${XDG_DATA_HOME:-~/.local/share}/velocrag.
set -euo pipefail
game=$(realpath "$1")

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "velocrag: no display found (neither DISPLAY nor WAYLAND_DISPLAY is set); run 'make play' from a desktop session." >&2
  exit 1
fi
exec "$game"
