#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# Debian's own checker on the package of `make package`: passes only when
# lintian reports no error and no warning (info and pedantic tags are shown).
# The tags packaging/lintian-overrides overrides, each with its reason, are
# not shown: with --show-overrides lintian counts them as failures.
#   lintian.sh <package folder> <Debian version> <build's velocrag>
set -euo pipefail
deb="$1/velocrag_${2}_$(dpkg --print-architecture).deb"
built=$3
fail() {
  echo "package_lintian: FAIL: $*" >&2
  exit 1
}
command -v lintian > /dev/null || fail "lintian is missing (make deps)"
[ -f "$deb" ] || fail "no package $deb (make package)"
[ "$deb" -nt "$built" ] || fail "$deb is older than the game it should hold (make package)"

# Exit status 2: a tag at or above --fail-on; 1: lintian itself failed.
rc=0
lintian --fail-on error,warning --display-info --pedantic "$deb" || rc=$?
case $rc in
  0) echo "package_lintian: passed ($(basename "$deb"))" ;;
  2) fail "lintian reports errors or warnings on $deb" ;;
  *) fail "lintian exited with $rc on $deb" ;;
esac
