# SPDX-License-Identifier: GPL-3.0-or-later
# Shared by the installation tests (sourced, bash): a scratch folder $tmp
# removed at exit together with the game started as $pid, and fail <text>,
# which prints the text and the game's log ($tmp/game.log) and exits 1.
# Expects $test_name for the messages.
tmp=$(mktemp -d)
pid=""
cleanup() {
  if [ -n "$pid" ] && kill -0 "$pid" 2> /dev/null; then kill "$pid"; fi
  rm -rf "$tmp"
}
trap cleanup EXIT
fail() {
  echo "$test_name: FAIL: $*" >&2
  [ -f "$tmp/game.log" ] && sed 's/^/  game: /' "$tmp/game.log" >&2
  exit 1
}
