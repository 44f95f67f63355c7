#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Regenerates the solution ride of every shipped level with the autopilot,
# then rewrites every level's target times from its solution and each
# solution's expected outcome (golden-rides.sh).
#   tools/autopilot/solve-all.sh <build folder> [jobs] [level source...]
# A hand-written start levels/solutions/pack<P>/<NN>.prefix.txt is kept and
# the search continues after it. Levels the search cannot finish are listed
# at the end and keep their previous solution.
set -euo pipefail
build=${1:-build}
jobs=${2:-2}
shift $(( $# > 2 ? 2 : $# ))
root=$(cd "$(dirname "$0")/../.." && pwd)
autopilot="$build/tools/autopilot/autopilot"
db="$build/levels.db"
sources=("$@")
if [ ${#sources[@]} -eq 0 ]; then
  sources=("$root"/levels/sources/pack1/*.json "$root"/levels/sources/pack2/*.json)
fi
# The search copies the level database for every ride: keep that in memory.
export TMPDIR=${AUTOPILOT_TMPDIR:-/dev/shm}
[ -d "$TMPDIR" ] || export TMPDIR=/tmp
failed=$(mktemp)

solve_one() {
  local src=$1
  local pack number out prefix
  pack=$(sed -n 's/^ *"pack": *\([0-9]*\).*/\1/p' "$src" | head -1)
  number=$(sed -n 's/^ *"number": *\([0-9]*\).*/\1/p' "$src" | head -1)
  out=$(printf '%s/levels/solutions/pack%d/%02d.txt' "$root" "$pack" "$number")
  prefix=${out%.txt}.prefix.txt
  mkdir -p "$(dirname "$out")"
  local args=(solve --levels "$db" --pack "$pack" --level "$number" --output "$out.new")
  [ -f "$prefix" ] && args+=(--prefix "$prefix")
  if "$autopilot" "${args[@]}" 2>/dev/null; then
    mv "$out.new" "$out"
  else
    rm -f "$out.new"
    echo "pack $pack level $number ($src)" >> "$FAILED"
  fi
}
export -f solve_one
export root autopilot db FAILED="$failed"
printf '%s\n' "${sources[@]}" | xargs -P "$jobs" -I{} bash -c 'solve_one "$@"' _ {}

status=0
"$autopilot" times --levels "$db" --sources "$root/levels/sources" --solutions "$root/levels/solutions" \
  2> >(grep -v '^QSqlDatabasePrivate' >&2) || status=1
# The target times are compiled into the levels: ride the expected outcomes
# against the recompiled database.
cmake --build "$build" --target level_databases > /dev/null || status=1
"$root/tools/autopilot/golden-rides.sh" "$build" || status=1
if [ -s "$failed" ]; then
  echo "no new solution found for:"
  cat "$failed"
  status=1
fi
rm -f "$failed"
exit $status
