#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Every C++ file of the tree is formatted as the root .clang-format says, by
# the clang-format that scripts/install-deps.sh installs (the version is
# pinned: another version formats some constructs differently). Prints the
# first differences of each file at fault and exits 1 if there is one.
# CMake templates (*.h.in) are not C++ until configured and are left out.
#   clangformat.sh <tree>
# The tree's files are those git tracks there and those it would track (new,
# not ignored), or every file when it is not a git work tree (a tarball).
set -euo pipefail
root=$1
formatter=${CLANG_FORMAT:-clang-format-14}
command -v "$formatter" > /dev/null || { echo "format: $formatter is missing (make deps)" >&2; exit 1; }
cd "$root"
[ -f .clang-format ] || { echo "format: no .clang-format in $root" >&2; exit 1; }

if git rev-parse --is-inside-work-tree > /dev/null 2>&1; then
  mapfile -d '' files < <(git ls-files -z --cached --others --exclude-standard -- '*.cpp' '*.h')
else
  mapfile -d '' files < <(find . -path ./.git -prune -o -path './build*' -prune -o -type f \
    \( -name '*.cpp' -o -name '*.h' \) -printf '%P\0')
fi
[ ${#files[@]} -gt 0 ] || { echo "format: no C++ files under $root" >&2; exit 1; }

faults=0
for f in "${files[@]}"; do
  [ -f "$f" ] || continue
  if ! "$formatter" --style=file --dry-run --Werror "$f" > /dev/null 2>&1; then
    echo "format: $f differs from .clang-format:" >&2
    diff <("$formatter" --style=file "$f") "$f" | head -8 | sed 's/^/  /' >&2 || true
    faults=$((faults + 1))
  fi
done
if [ "$faults" -gt 0 ]; then
  echo "format: $faults of ${#files[@]} files differ (clang-format -i them)" >&2
  exit 1
fi
echo "format: ${#files[@]} files as .clang-format says"
