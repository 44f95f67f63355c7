#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# withxvfb.sh [--screen WxHxD] <command...>: runs a command on a fresh
# virtual X display (1920x1080x24 unless --screen says otherwise). The server picks a free display number itself (-displayfd)
# and reports it once it accepts clients, so runs in parallel never share a
# display and nothing waits a fixed time for the server.
set -euo pipefail
screen=1920x1080x24
if [ "${1:-}" = "--screen" ]; then
  screen=$2
  shift 2
fi
dir=$(mktemp -d)
Xvfb -displayfd 3 -screen 0 "$screen" -nolisten tcp 3> "$dir/display" 2> "$dir/xvfb.log" &
xvfb=$!
trap 'kill "$xvfb" 2> /dev/null || true; wait "$xvfb" 2> /dev/null || true; rm -rf "$dir"' EXIT
for _ in $(seq 1 300); do
  [ -s "$dir/display" ] && break
  kill -0 "$xvfb" 2> /dev/null || { echo "withxvfb: Xvfb failed:" >&2; cat "$dir/xvfb.log" >&2; exit 1; }
  sleep 0.1
done
[ -s "$dir/display" ] || { echo "withxvfb: Xvfb reported no display within 30 s" >&2; exit 1; }
DISPLAY=:$(head -1 "$dir/display")
export DISPLAY
unset XAUTHORITY
status=0
"$@" || status=$?
exit $status
