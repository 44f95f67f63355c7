#!/usr/bin/env bash
# Prepares the player's data folder, the game's working directory:
#   levels.db         copied fresh from the build on every launch
#   fonts/Vera*.ttf   copied from the Debian font package
#   results.db        never touched here: it holds the player's progress
set -euo pipefail
build_dir=$1
data_dir=$2
font_dir=/usr/share/fonts/truetype/ttf-bitstream-vera

mkdir -p "$data_dir/fonts"
if [ -f "$build_dir/levels.db" ]; then
  cp -f "$build_dir/levels.db" "$data_dir/levels.db.new"
  mv -f "$data_dir/levels.db.new" "$data_dir/levels.db"
fi
for f in Vera.ttf VeraBd.ttf VeraIt.ttf; do
  if [ -f "$font_dir/$f" ]; then
    cp -f "$font_dir/$f" "$data_dir/fonts/$f"
  fi
done
