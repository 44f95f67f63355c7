#!/usr/bin/env bash
# CPU share of one core and peak resident memory of the real game while
# riding pack 1 level 1 under Xvfb (1920 x 1080), throttle held.
#   ridecpu.sh <velocrag executable> <levels.db> [seconds]
set -euo pipefail
if [ "${1:-}" != "--inner" ]; then
  exec xvfb-run -a -s "-screen 0 1920x1080x24" bash "$0" --inner "$@"
fi
shift
game=$(realpath "$1")
levels=$(realpath "$2")
seconds=${3:-10}
work=$(mktemp -d)
trap 'kill "$pid" 2> /dev/null || true; rm -rf "$work"' EXIT
cp "$levels" "$work/levels.db"
(cd "$work" && exec "$game") > "$work/game.log" 2>&1 &
pid=$!
win=""
for _ in $(seq 1 100); do
  win=$(xdotool search --onlyvisible --name '^Velocrag$' 2> /dev/null | head -1 || true)
  [ -n "$win" ] && break
  sleep 0.1
done
[ -n "$win" ] || { echo "ridecpu: no game window" >&2; exit 1; }
xdotool windowfocus "$win"
sleep 0.8
# Pack 1, level 1, close the help (spots of the 1267 x 712 window).
for spot in "576 344" "445 222" "819 486"; do
  xdotool mousemove --window "$win" $spot click 1
  sleep 1.6
done
xdotool keydown w

ticks() {
  kill -0 "$pid" 2> /dev/null || { echo "ridecpu: the game ended:" >&2; cat "$work/game.log" >&2; exit 1; }
  awk '{ print $14 + $15 }' "/proc/$pid/stat"
}
hz=$(getconf CLK_TCK)
t0=$(ticks)
start=$(date +%s%N)
# Ride and retry (R) so that the bike is always moving, never on the menu.
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
