#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Prepares the player's data folder, ${XDG_DATA_HOME:-~/.local/share}/velocrag:
#   results.db   never touched here: it holds the player's progress
# The game reads levels.db where it is installed (or beside the build's
# executable) and the fonts from the system's font package. Earlier versions
# of `make play` copied both into this folder; those copies are removed so
# that nothing stale is left lying beside the results.
set -euo pipefail
data_dir=$1

mkdir -p "$data_dir"
if [ -f "$data_dir/levels.db" ]; then
  rm -f "$data_dir/levels.db"
  echo "velocrag: removed the old copy $data_dir/levels.db (the game reads the build's levels.db now)"
fi
for f in Vera.ttf VeraBd.ttf VeraIt.ttf; do
  rm -f "$data_dir/fonts/$f"
done
rmdir "$data_dir/fonts" 2> /dev/null || true
