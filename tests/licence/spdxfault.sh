#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The licence check sees a fault: on a scratch tree of good files (code, an
# SVG, a JSON level source without a line) it passes; one header without an
# SPDX line, or an SVG under the code's licence, makes it fail and name the
# file. Checked once as a plain folder and once as a git work tree.
#   spdxfault.sh <spdx.sh>
set -euo pipefail
check=$(realpath "$1")
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
fail() {
  echo "spdxfault: FAIL: $*" >&2
  exit 1
}

tree="$tmp/tree"
mkdir -p "$tree/game" "$tree/assets" "$tree/levels/sources"
printf '// SPDX-License-Identifier: GPL-3.0-or-later\nint main() { return 0; }\n' > "$tree/game/main.cpp"
printf '#!/usr/bin/env bash\n# SPDX-License-Identifier: GPL-3.0-or-later\ntrue\n' > "$tree/run.sh"
printf '<!-- SPDX-License-Identifier: CC-BY-SA-4.0 -->\n<svg xmlns="http://www.w3.org/2000/svg"/>\n' \
  > "$tree/assets/icon.svg"
printf '{ "name": "First" }\n' > "$tree/levels/sources/01.json"

# expect_fault <what> <file named in the output>
expect_fault() {
  local rc=0 out
  out=$(bash "$check" "$tree" 2>&1) || rc=$?
  [ "$rc" -eq 1 ] || fail "$1: the check exited with $rc: $out"
  grep -qF "$2:" <<< "$out" || fail "$1: the check did not name $2: $out"
}
expect_pass() {
  bash "$check" "$tree" > "$tmp/out" 2>&1 || fail "$1: the check failed on good files: $(cat "$tmp/out")"
}

for kind in folder git; do
  if [ "$kind" = git ]; then
    git -C "$tree" init -q
    git -C "$tree" add -A
  fi
  expect_pass "$kind"
  # Line 4 is too late.
  printf '#ifndef BAD_H\n#define BAD_H\n\n// SPDX-License-Identifier: GPL-3.0-or-later\n#endif\n' > "$tree/game/bad.h"
  expect_fault "$kind, header without a line" game/bad.h
  rm "$tree/game/bad.h"
  expect_pass "$kind, header removed"
  sed -i 's/CC-BY-SA-4.0/GPL-3.0-or-later/' "$tree/assets/icon.svg"
  expect_fault "$kind, SVG under the code's licence" assets/icon.svg
  sed -i 's/GPL-3.0-or-later/CC-BY-SA-4.0/' "$tree/assets/icon.svg"
done
echo "spdxfault: passed"
