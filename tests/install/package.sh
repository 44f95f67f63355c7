#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The Debian package of `make package`, without installing it: checks its
# declared dependencies, unpacks it into a scratch root with dpkg-deb -x and
# starts the unpacked game on a virtual 1920 x 1080 display from an unrelated
# folder with a fresh HOME. Passes when the main menu is on screen and
# results.db is in the XDG data folder (and nothing else is written).
#   package.sh <package folder> <Debian version> <build's velocrag> <folder for screenshots>
set -euo pipefail

if [ "${1:-}" != "--inner" ]; then
  for tool in dpkg-deb Xvfb xdotool import convert; do
    command -v "$tool" > /dev/null || { echo "package: $tool is missing (make deps)" >&2; exit 1; }
  done
  # A display of its own chosen by the server: xvfb-run -a can pick the
  # number another test's server is taking at the same moment.
  exec bash "$(dirname "$0")/../e2e/withxvfb.sh" bash "$0" --inner "$@"
fi
shift
deb="$1/velocrag_${2}_$(dpkg --print-architecture).deb"
built=$3
shots=$4
mkdir -p "$shots"
test_name=package
# shellcheck source=scratch.sh
source "$(dirname "$0")/scratch.sh"

[ -f "$deb" ] || fail "no package $deb (make package)"
[ "$deb" -nt "$built" ] || fail "$deb is older than the game it should hold (make package)"

depends=$(dpkg-deb -f "$deb" Depends)
for dep in libqt6widgets6 libqt6sql6 libqt6sql6-sqlite libqt6multimedia6 libchipmunk7 \
  qt6-qpa-plugins ttf-bitstream-vera; do
  grep -qE "(^|, )$dep( |,|$)" <<< "$depends" || fail "Depends lacks $dep: $depends"
done

root="$tmp/root"
dpkg-deb -x "$deb" "$root"
game="$root/usr/games/velocrag"
[ -x "$game" ] || fail "the package holds no usr/games/velocrag"
[ -f "$root/usr/share/velocrag/levels.db" ] || fail "the package holds no usr/share/velocrag/levels.db"
if dpkg-deb -c "$deb" | grep -q '\.ttf$'; then fail "the package carries font files"; fi
levels_sum=$(sha256sum < "$root/usr/share/velocrag/levels.db")

home="$tmp/home"
elsewhere="$tmp/elsewhere"
mkdir -p "$home" "$elsewhere"
(cd "$elsewhere" && exec env -i PATH="$PATH" HOME="$home" DISPLAY="$DISPLAY" XAUTHORITY="${XAUTHORITY:-}" \
  "$game") > "$tmp/game.log" 2>&1 &
pid=$!
win=""
for _ in $(seq 1 150); do
  win=$(xdotool search --onlyvisible --name '^Velocrag$' 2> /dev/null | head -1 || true)
  [ -n "$win" ] && break
  kill -0 "$pid" 2> /dev/null || fail "the unpacked game ended"
  sleep 0.1
done
[ -n "$win" ] || fail "the unpacked game showed no window titled Velocrag"
# Time for the main menu to slide in.
sleep 2.5
kill -0 "$pid" 2> /dev/null || fail "the unpacked game ended"
eval "$(xdotool getwindowgeometry --shell "$win")"
shot="$shots/main-menu.png"
import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage "$shot"

# The main menu is a light panel with a dark button bar across the middle of
# the window; the landscape behind it has neither there. <fraction of the
# height> <test on the grey mean> <what> [<fraction of the width>, default
# 50]: a flat 16 x 12 patch there. The bar is looked at in its free slot left
# of the settings button (the pack view has no next-level button).
patch() {
  local y=$((HEIGHT * $1 / 100 - 6)) x=$((WIDTH * ${4:-50} / 100 - 8)) stats
  stats=$(convert "$shot" -crop "16x12+$x+$y" +repage -colorspace gray \
    -format '%[fx:mean] %[fx:standard_deviation]' info:)
  awk -v s="$stats" "BEGIN { split(s, v, \" \"); exit !(v[2] < 0.02 && v[1] $2) }" \
    || fail "no main menu on screen: no $3 at $1 % of the height (grey mean, spread $stats); see $shot"
}
patch 47 "> 0.8" "light menu panel"
patch 70 "< 0.4" "dark button bar" 40

results="$home/.local/share/velocrag/results.db"
[ -s "$results" ] || fail "no results.db in $home/.local/share/velocrag"
[ ! -e "$home/.local/share/velocrag/levels.db" ] || fail "levels.db was copied into the data folder"
[ -z "$(ls -A "$elsewhere")" ] || fail "files appeared in the working directory: $(ls -A "$elsewhere")"
[ "$(sha256sum < "$root/usr/share/velocrag/levels.db")" = "$levels_sum" ] || fail "the shipped levels.db changed"
echo "package: passed; main menu in $shot"
