#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# A start that cannot go on (its results file cannot be opened) ends the
# game with status 1 and shows the reason in a window of its own, not only
# on stderr: the player may have started the game without a terminal.
#   fatalwindow.sh <velocrag executable>
set -euo pipefail
if [ "${1:-}" != "--inner" ]; then
  exec bash "$(dirname "$0")/withxvfb.sh" bash "$0" --inner "$@"
fi
game=$(realpath "$2")
work=$(mktemp -d)
trap 'pkill -f -- "--fatal-message" 2> /dev/null || true; rm -rf "$work"' EXIT
fail() { echo "fatalwindow: $*" >&2; exit 1; }
# A folder where results.db should be.
mkdir -p "$work/velocrag/results.db"
rc=0
(cd "$work" && XDG_DATA_HOME="$work" timeout 60 "$game") > "$work/game.log" 2>&1 || rc=$?
[ "$rc" -eq 1 ] || fail "the game exited with $rc: $(cat "$work/game.log")"
grep -q "results file" "$work/game.log" || fail "no reason on stderr: $(cat "$work/game.log")"
win=""
for _ in $(seq 1 100); do
  win=$(xdotool search --onlyvisible --name '^Velocrag$' 2> /dev/null | head -1 || true)
  [ -n "$win" ] && break
  sleep 0.1
done
[ -n "$win" ] || fail "no window showed the reason"
shot="${FATALWINDOW_SHOT:-$work/fatal.png}"
mkdir -p "$(dirname "$shot")"
import -window "$win" "$shot"
# The window goes with Escape, and the process showing it with it.
xdotool windowfocus --sync "$win" key Escape
for _ in $(seq 1 50); do
  pgrep -f -- "--fatal-message" > /dev/null || { echo "fatalwindow: passed"; exit 0; }
  sleep 0.1
done
fail "the message window did not close"
