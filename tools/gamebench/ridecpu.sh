#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# CPU share of one core and peak resident memory of the real game while
# riding pack 1 level 1 under Xvfb (1920 x 1080), throttle held.
#   ridecpu.sh <velocrag executable> [seconds]
# (the game reads the levels.db beside it, as the build tree has it)
set -euo pipefail
if [ "${1:-}" != "--inner" ]; then
  exec bash "$(dirname "$0")/../../tests/e2e/withxvfb.sh" bash "$0" --inner "$@"
fi
shift
game=$(realpath "$1")
seconds=${2:-10}
work=$(mktemp -d)
trap 'kill "$pid" 2> /dev/null || true; rm -rf "$work"' EXIT
# shellcheck source=../../tests/e2e/xgame.sh
source "$(dirname "$0")/../../tests/e2e/xgame.sh"
start_game "$game" "$work" || { echo "ridecpu: the game showed no window" >&2; exit 1; }
click "${PACK1[@]}" || { echo "ridecpu: the pack button led nowhere" >&2; exit 1; }
click "${LEVEL1[@]}" || { echo "ridecpu: the level button led nowhere" >&2; exit 1; }
close_help || { echo "ridecpu: closing the help started no ride" >&2; exit 1; }
xdotool keydown w

ticks() {
  kill -0 "$pid" 2> /dev/null || { echo "ridecpu: the game ended:" >&2; cat "$work/game.log" >&2; exit 1; }
  awk '{ print $14 + $15 }' "/proc/$pid/stat"
}
hz=$(getconf CLK_TCK)
t0=$(ticks)
start=$(date +%s%N)
# Ride and retry (R) so that the bike is always moving, never on the menu:
# the retry period is part of the measured load, not a wait.
end=$((start + seconds * 1000000000))
while [ "$(date +%s%N)" -lt "$end" ]; do
  sleep 2.5
  xdotool key r
done
t1=$(ticks)
stop=$(date +%s%N)
import -window root "${RIDECPU_SHOT:-/dev/null}" 2> /dev/null || true
xdotool keyup w
cpu=$(awk -v t="$((t1 - t0))" -v hz="$hz" -v ns="$((stop - start))" 'BEGIN { printf "%.1f", 100 * t / hz / (ns / 1e9) }')
peak=$(awk '/VmHWM/ { print $2 }' "/proc/$pid/status")
echo "ride: CPU ${cpu} % of one core over ${seconds} s, peak RSS $((peak / 1024)) MB"
