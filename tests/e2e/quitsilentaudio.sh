#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Quitting while the audio server accepts the connection and never answers:
# the game, started on a virtual display with PULSE_SERVER pointing at such
# a server, gets a close request (as a window manager sends it when the
# player clicks the window's close button) and must end within
# QUIT_BOUND_MS of it, with status 0, its settings saved.
#   quitsilentaudio.sh <velocrag> <silentaudioserver> <closerequest>
# The time is measured from the close request to the end of the process.
# The game waits a bounded time for its audio thread
# (SoundManagerGEAudio::kTeardownWaitMs, 300 ms) and quits some 0.4 s after
# the request on a loaded two-core machine; a quit that waits for the server
# takes half a minute. The bound lies well between the two.
set -euo pipefail

if [ "${1:-}" != "--inner" ]; then
  for tool in Xvfb xdotool import convert sqlite3; do
    command -v "$tool" > /dev/null || { echo "e2e: $tool is missing (make deps)" >&2; exit 1; }
  done
  exec bash "$(dirname "$0")/withxvfb.sh" bash "$0" --inner "$@"
fi
shift
game=$(realpath "$1")
silent_server=$(realpath "$2")
close_request=$(realpath "$3")
# Longest quit that passes, from the close request to the end of the
# process, in milliseconds.
QUIT_BOUND_MS=${QUIT_BOUND_MS:-1000}
# How long a quit is waited for before the game is killed, in seconds: the
# client library gives up on the server after about 30 s.
QUIT_GIVE_UP_S=60
# Interval of the looks at whether the game has ended, in seconds.
EXIT_POLL_S=0.02
# In a sanitizer build: the X keyboard library (libxkbcommon-x11) reads with
# strndup past a string's end by design, which strict string checks report.
if [ -n "${ASAN_OPTIONS:-}" ]; then
  export ASAN_OPTIONS="$ASAN_OPTIONS:strict_string_checks=0"
fi

work=$(mktemp -d)
pid=""
server=""
cleanup() {
  if [ -n "$pid" ] && kill -0 "$pid" 2> /dev/null; then kill -KILL "$pid"; fi
  if [ -n "$server" ]; then kill "$server" 2> /dev/null || true; fi
  rm -rf "$work"
}
trap cleanup EXIT
# shellcheck source=xgame.sh
source "$(dirname "$0")/xgame.sh"

volume_setting() {
  sqlite3 "$work/velocrag/results.db" "SELECT value FROM playersetting WHERE name = 'volume'" 2> /dev/null || true
}

"$silent_server" "$work/native" > "$work/server.log" 2>&1 &
server=$!
wait_for grep -q '^listening' "$work/server.log" || fail "the silent server did not start: $(cat "$work/server.log")"
export PULSE_SERVER="unix:$work/native"

start_game "$game" "$work" || fail "the game ended or showed no window titled Velocrag"
# The game's audio thread has called the server, which holds it.
wait_for grep -q '^connections' "$work/server.log" || fail "the game never connected to the audio server"
# The volume is stored when the game quits; a fresh data folder has none.
[ -z "$(volume_setting)" ] || fail "the volume was stored before the quit"

start=$EPOCHREALTIME
"$close_request" "$win" || fail "the close request could not be sent"
give_up=$((SECONDS + QUIT_GIVE_UP_S))
while kill -0 "$pid" 2> /dev/null && [ "$SECONDS" -lt "$give_up" ]; do
  sleep "$EXIT_POLL_S"
done
end=$EPOCHREALTIME
quit_ms=$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%d", (b - a) * 1000 }')
if kill -0 "$pid" 2> /dev/null; then
  fail "the game had not ended ${QUIT_GIVE_UP_S} s after the close request"
fi
status=0
wait "$pid" || status=$?
pid=""
echo "e2e: the game ended ${quit_ms} ms after the close request, status $status"
[ "$status" -eq 0 ] || fail "the game exited with status $status ($((status > 128 ? status - 128 : 0)) is the signal, if any)"
[ "$quit_ms" -le "$QUIT_BOUND_MS" ] || fail "the quit took ${quit_ms} ms, more than ${QUIT_BOUND_MS} ms"
[ -n "$(volume_setting)" ] || fail "the volume was not stored at the quit"
grep -q '^connections' "$work/server.log" || fail "no connection to the audio server was seen"
echo "e2e: passed"
