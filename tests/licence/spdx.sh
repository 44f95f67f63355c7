#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Every tracked file of the tree names its licence in an SPDX line within its
# first three lines, with one of the game's licences: code (C++, CMake,
# shell, Python and the build's own files) GPL-3.0-or-later, art sources (SVG)
# and level solutions CC-BY-SA-4.0. Exempt are the formats that allow no
# comment or are not ours to mark: JSON (the level sources and picture
# manifests, covered by path in COPYING and packaging/copyright), Markdown,
# wave and replay files, the licence texts, the DEP-5 copyright file and the
# Debian changelog. Prints every file at fault and exits 1 if there is one.
#   spdx.sh <tree>
# The tree's files are those git tracks there and those it would track (new,
# not ignored), or every file when it is not a git work tree (a tarball).
set -euo pipefail
root=$1
cd "$root"

if git rev-parse --is-inside-work-tree > /dev/null 2>&1; then
  mapfile -d '' files < <(git ls-files -z --cached --others --exclude-standard)
else
  mapfile -d '' files < <(find . -path ./.git -prune -o -path './build*' -prune -o -type f -printf '%P\0')
fi

exempt() {
  case "$1" in
    *.json | *.md | *.wav | *.vcreplay) return 0 ;;
    LICENSE | COPYING | packaging/copyright | packaging/changelog.Debian) return 0 ;;
  esac
  return 1
}

# The licence a file must carry, in $want; empty for any of the known ones.
required() {
  case "$1" in
    *.svg | levels/solutions/*) want=CC-BY-SA-4.0 ;;
    *.cpp | *.h | *.h.in | *.cmake | CMakeLists.txt | */CMakeLists.txt | *.sh | *.py | Makefile) want=GPL-3.0-or-later ;;
    *) want="" ;;
  esac
}
known=" GPL-3.0-or-later CC-BY-SA-4.0 CC0-1.0 "

checked=()
for f in "${files[@]}"; do
  [ -f "$f" ] || continue # deleted in the work tree, not yet committed
  exempt "$f" || checked+=("$f")
done
[ "${#checked[@]}" -gt 0 ] || { echo "spdx: no files found in $root"; exit 1; }

# The identifier of each file that has one in its first three lines, read in
# one pass: "<file>\t<identifier>".
declare -A ids
while IFS=$'\t' read -r f id; do
  ids[$f]=$id
done < <(printf '%s\0' "${checked[@]}" | xargs -0 awk '
  FNR == 1 { found = 0 }
  !found && match($0, /SPDX-License-Identifier: [A-Za-z0-9.+-]+/) {
    print FILENAME "\t" substr($0, RSTART + 25, RLENGTH - 25)
    found = 1
  }
  FNR >= 3 { nextfile }')

faults=0
for f in "${checked[@]}"; do
  id=${ids[$f]:-}
  if [ -z "$id" ]; then
    echo "$f: no SPDX-License-Identifier line in its first 3 lines"
    faults=$((faults + 1))
    continue
  fi
  required "$f"
  if [ -n "$want" ] && [ "$id" != "$want" ]; then
    echo "$f: SPDX-License-Identifier $id, expected $want"
    faults=$((faults + 1))
  elif [[ $known != *" $id "* ]]; then
    echo "$f: SPDX-License-Identifier $id is none of the game's licences ($known)"
    faults=$((faults + 1))
  fi
done

if [ "$faults" -gt 0 ]; then
  echo "spdx: $faults of ${#checked[@]} files at fault"
  exit 1
fi
echo "spdx: ${#checked[@]} files carry an SPDX line"
