#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Writes each shipped level's expected outcome into its solution ride: one
# comment line
#   # Golden ride: finishes at step <n>, final state <hash>
# where <hash> is the first 16 hex digits of the SHA-256 of the ride tool's
# last trace row (the bike's state after the last step, 17 significant
# digits, no line end). tst_shippedlevels replays every solution and
# compares both exactly.
#   tools/autopilot/golden-rides.sh <build folder>
set -euo pipefail
build=${1:-build}
root=$(cd "$(dirname "$0")/../.." && pwd)
ride="$build/tools/ride/ride"
db="$build/levels.db"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
for solution in "$root"/levels/solutions/pack*/[0-9][0-9].txt; do
  pack=$(basename "$(dirname "$solution")")
  pack=${pack#pack}
  level=$((10#$(basename "$solution" .txt)))
  if ! out=$("$ride" --levels "$db" --pack "$pack" --level "$level" --timeline "$solution" \
    --trace "$work/trace.csv" 2> "$work/err"); then
    echo "pack $pack level $level: the ride tool failed: $(cat "$work/err")" >&2
    status=1
    continue
  fi
  if ! grep -q '"finished":true' <<< "$out"; then
    echo "pack $pack level $level: the solution does not finish: $out" >&2
    status=1
    continue
  fi
  steps=$(sed -n 's/.*"steps":\([0-9]*\).*/\1/p' <<< "$out")
  hash=$(tail -n 1 "$work/trace.csv" | tr -d '\n' | sha256sum | cut -c1-16)
  line="# Golden ride: finishes at step $steps, final state $hash"
  # The line follows the leading comment block; an older one is replaced.
  awk -v line="$line" '
    /^# Golden ride:/ { next }
    !done && !/^#/ { print line; done = 1 }
    { print }
    END { if (!done) print line }' "$solution" > "$work/new"
  if ! cmp -s "$work/new" "$solution"; then
    cp "$work/new" "$solution"
    echo "pack $pack level $level: $line"
  fi
done
exit $status
