#!/usr/bin/env bash
# Starts the game in the player's data folder.
set -euo pipefail
game=$(realpath "$1")
data_dir=$2

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
  echo "velocrag: no display found (neither DISPLAY nor WAYLAND_DISPLAY is set); run 'make play' from a desktop session." >&2
  exit 1
fi
cd "$data_dir"
exec "$game"
