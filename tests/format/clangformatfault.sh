#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The format check sees a fault: on a scratch tree with the repository's
# .clang-format, a badly laid out file must fail the check and the same file
# formatted must pass it, as a plain folder and as a git work tree.
#   clangformatfault.sh <clangformat.sh> <.clang-format>
set -euo pipefail
check=$1
style=$2
tree=$(mktemp -d)
trap 'rm -rf "$tree"' EXIT
cp "$style" "$tree/.clang-format"
mkdir -p "$tree/game"
printf '%s\n' '// SPDX-License-Identifier: GPL-3.0-or-later' 'int  answer( ){return 42 ;}' > "$tree/game/bad.cpp"

expect() {
  local want=$1 what=$2
  local rc=0
  bash "$check" "$tree" > "$tree.out" 2>&1 || rc=$?
  if { [ "$want" = fail ] && [ "$rc" -eq 0 ]; } || { [ "$want" = pass ] && [ "$rc" -ne 0 ]; }; then
    echo "formatfault: expected the check to $want on $what; it said:" >&2
    cat "$tree.out" >&2
    exit 1
  fi
  rm -f "$tree.out"
}

expect fail "a badly laid out file in a folder"
(cd "$tree" && git init -q && git add -A)
expect fail "a badly laid out file in a git tree"
"${CLANG_FORMAT:-clang-format-14}" --style=file -i "$tree/game/bad.cpp"
expect pass "the same file formatted"
echo "formatfault: the check fails on a badly laid out file and passes once it is formatted"
