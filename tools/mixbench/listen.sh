#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Listening by proxy: the real game rides pack 1 level 1 with the throttle
# held under Xvfb, playing into a private PulseAudio null sink whose monitor
# is recorded with parecord; sox reports level, peak and DC of the recording
# and the share of samples at full scale.
#   listen.sh <velocrag executable> <levels.db> [seconds] [recording.wav]
# LISTEN_VOLUME_UP=<n> presses the volume-up key (Page Up) n times first (4: from the
# default 60 to 100).
set -euo pipefail
if [ "${1:-}" != "--inner" ]; then
  exec bash "$(dirname "$0")/../../tests/e2e/withxvfb.sh" bash "$0" --inner "$@"
fi
shift
game=$(realpath "$1")
levels=$(realpath "$2")
seconds=${3:-12}
work=$(mktemp -d)
recording=${4:-$work/ride.wav}
pulse_pid=""
rec_pid=""
pid=""
cleanup() {
  [ -n "$pid" ] && kill "$pid" 2> /dev/null || true
  [ -n "$rec_pid" ] && kill "$rec_pid" 2> /dev/null || true
  [ -n "$pulse_pid" ] && kill "$pulse_pid" 2> /dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
cp "$levels" "$work/levels.db"

# A private server: nothing of the user's configuration is read or written.
export HOME=$work XDG_RUNTIME_DIR=$work XDG_CONFIG_HOME=$work/config
export PULSE_RUNTIME_PATH=$work/runtime PULSE_STATE_PATH=$work/state
socket=$work/native
pulseaudio -n --daemonize=no --exit-idle-time=-1 --use-pid-file=no \
  -L "module-null-sink sink_name=listen" \
  -L "module-native-protocol-unix auth-anonymous=1 socket=$socket" > "$work/pulse.log" 2>&1 &
pulse_pid=$!
export PULSE_SERVER=unix:$socket
for _ in $(seq 1 100); do pactl info > /dev/null 2>&1 && break; sleep 0.1; done
pactl info > /dev/null

parecord --device=listen.monitor --file-format=wav --rate=22050 --channels=2 --format=s16le "$recording" &
rec_pid=$!

# shellcheck source=../../tests/e2e/xgame.sh
source "$(dirname "$0")/../../tests/e2e/xgame.sh"
start_game "$game" "$work" || { echo "listen: the game showed no window" >&2; exit 1; }
click "${PACK1[@]}"
click "${LEVEL1[@]}"
close_help
for _ in $(seq 1 "${LISTEN_VOLUME_UP:-0}"); do xdotool key Prior; done
xdotool keydown w
end=$(($(date +%s) + seconds))
while [ "$(date +%s)" -lt "$end" ]; do
  sleep 3
  xdotool key r
done
xdotool keyup w
sleep 1
kill "$rec_pid"
wait "$rec_pid" 2> /dev/null || true
rec_pid=""

sox "$recording" -n stat 2>&1 | grep -E "Length|Maximum amplitude|Minimum amplitude|Mean +amplitude|RMS +amplitude"
# Samples at the 16-bit limits (clipped).
sox "$recording" -t raw -e signed-integer -b 16 - | od -An -v -td2 -w2 |
  awk '{ n++; if ($1 >= 32767 || $1 <= -32768) c++ } END { printf "full-scale samples: %d of %d (%.3f %%)\n", c, n, n ? 100 * c / n : 0 }'
