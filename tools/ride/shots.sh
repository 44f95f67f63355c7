#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Renders ride-tool snapshots of the bike on the vehicle test levels:
# at rest, mid-wheelie, landing after a drop, and the ragdoll after a crash.
# Usage: tools/ride/shots.sh <build folder>
set -euo pipefail
build=${1:-build}
here=$(cd "$(dirname "$0")" && pwd)
out="$build/ride-shots"
mkdir -p "$out"
ride="$build/tools/ride/ride"
db="$build/testlevels.db"
zoom=(--snapshot-size 640x400 --snapshot-zoom 2 ${RIDE_SHOTS_SHAPES:+--snapshot-shapes})

"$ride" --levels "$db" --pack 95 --level 1 --timeline "$here/timelines/rest.txt" --max-steps 120 \
  --snapshot "120:$out/rest.png" "${zoom[@]}"
"$ride" --levels "$db" --pack 95 --level 1 --timeline "$here/timelines/wheelie.txt" --max-steps 200 \
  --snapshot "66:$out/wheelie.png" "${zoom[@]}"
"$ride" --levels "$db" --pack 95 --level 3 --timeline "$here/timelines/drop.txt" --max-steps 200 \
  --snapshot "184:$out/landing.png" "${zoom[@]}"
"$ride" --levels "$db" --pack 95 --level 1 --timeline "$here/timelines/crash.txt" --max-steps 400 \
  --snapshot "130:$out/ragdoll.png" "${zoom[@]}"
echo "snapshots in $out"
