#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# `cmake --install` into a scratch prefix (with a space in it): checks the
# Debian game layout and the version in the metadata, then starts the
# installed game (offscreen) from an unrelated folder with a fresh HOME and
# checks that it finds its levels there and keeps results.db in the XDG data
# folder; with the shipped levels.db gone it must stop with a message naming
# every path it tried. The manual page and the Debian changelog are
# gzip -9n files, the changelog's newest entry names the package's version,
# and every file and folder has Debian's permissions (0644, 0755).
#   layout.sh <build folder> <version> <Debian version>
set -euo pipefail
build=$(realpath "$1")
version=$2
deb_version=$3
test_name=install
# shellcheck source=scratch.sh
source "$(dirname "$0")/scratch.sh"

prefix="$tmp/pre fix"
cmake --install "$build" --prefix "$prefix" > "$tmp/install.log" || fail "cmake --install: $(cat "$tmp/install.log")"

expected=(
  games/velocrag
  share/velocrag/levels.db
  share/applications/velocrag.desktop
  share/icons/hicolor/48x48/apps/velocrag.png
  share/icons/hicolor/64x64/apps/velocrag.png
  share/icons/hicolor/128x128/apps/velocrag.png
  share/icons/hicolor/256x256/apps/velocrag.png
  share/icons/hicolor/scalable/apps/velocrag.svg
  share/metainfo/games.velocrag.Velocrag.metainfo.xml
  share/man/man6/velocrag.6.gz
  share/doc/velocrag/copyright
  share/doc/velocrag/changelog.Debian.gz
  share/lintian/overrides/velocrag
)
for f in "${expected[@]}"; do
  [ -f "$prefix/$f" ] || fail "$f was not installed"
done
[ -x "$prefix/games/velocrag" ] || fail "games/velocrag is not executable"
for size in 48 64 128 256; do
  got=$(identify -format '%wx%h' "$prefix/share/icons/hicolor/${size}x${size}/apps/velocrag.png")
  [ "$got" = "${size}x${size}" ] || fail "the ${size}x${size} icon is $got"
done
grep -q "<release version=\"$version\"" "$prefix/share/metainfo/games.velocrag.Velocrag.metainfo.xml" \
  || fail "the metainfo release is not version $version"
man="$prefix/share/man/man6/velocrag.6.gz"
changelog="$prefix/share/doc/velocrag/changelog.Debian.gz"
for gz in "$man" "$changelog"; do
  gzip -t "$gz" || fail "$gz is no gzip file"
  # -n: no name and no time stamp in the header (bytes 4-7 are the time).
  [ "$(od -An -tu4 -j4 -N4 "$gz" | tr -d ' ')" = 0 ] || fail "$gz has a time stamp (not gzip -n)"
  [ "$(od -An -tu1 -j3 -N1 "$gz" | tr -d ' ')" = 0 ] || fail "$gz stores a file name (not gzip -n)"
  # Byte 8: 2 for the best compression (-9).
  [ "$(od -An -tu1 -j8 -N1 "$gz" | tr -d ' ')" = 2 ] || fail "$gz was not compressed with -9"
done
zcat "$man" | grep -q "\"Velocrag $version\"" || fail "the man page does not name version $version"
if command -v groff > /dev/null; then
  warnings=$(zcat "$man" | groff -man -ww -z 2>&1)
  [ -z "$warnings" ] || fail "the man page has formatting warnings: $warnings"
fi
zcat "$changelog" | head -1 | grep -qF "velocrag ($deb_version) unstable; urgency=medium" \
  || fail "the changelog's newest entry is not velocrag ($deb_version) unstable: $(zcat "$changelog" | head -1)"
head -1 "$prefix/share/doc/velocrag/copyright" \
  | grep -qF "Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/" \
  || fail "the copyright file is not machine-readable (DEP-5)"
wrong=$(find "$prefix" -mindepth 1 \( -type d ! -perm 0755 \) -o \( -type f ! -path "$prefix/games/*" ! -perm 0644 \) \
  -o \( -type f -path "$prefix/games/*" ! -perm 0755 \))
[ -z "$wrong" ] || fail "files or folders without 0644 / 0755: $wrong"
if find "$prefix" -name '*.ttf' | grep -q .; then fail "font files were installed"; fi

# A fresh player: nothing but HOME; XDG_DATA_HOME unset means ~/.local/share.
home="$tmp/home"
elsewhere="$tmp/elsewhere"
mkdir -p "$home" "$elsewhere"
# Replaces the calling shell with the game: call it in a subshell, so that
# in the background $! is the game itself (the one the test kills) and not
# a shell whose death would leave the game running.
run_game() {
  cd "$elsewhere" || return
  exec env -i PATH="$PATH" HOME="$home" QT_QPA_PLATFORM=offscreen \
    VELOCRAG_RENDERER=raster "$prefix/games/velocrag" > "$tmp/game.log" 2>&1
}
levels_sum=$(sha256sum < "$prefix/share/velocrag/levels.db")
run_game &
pid=$!
results="$home/.local/share/velocrag/results.db"
for _ in $(seq 1 100); do
  [ -s "$results" ] && break
  kill -0 "$pid" 2> /dev/null || fail "the installed game ended"
  sleep 0.1
done
[ -s "$results" ] || fail "no results.db in the XDG data folder"
sleep 1
kill -0 "$pid" 2> /dev/null || fail "the installed game ended"
kill "$pid"
wait "$pid" 2> /dev/null || true
pid=""
# No game of this installation may outlive the test ($pid was the game and
# has been waited for, so anything left is an orphan).
if pgrep -f "$prefix/games/velocrag" > /dev/null; then
  pkill -f "$prefix/games/velocrag"
  fail "the game kept running after the test stopped it"
fi
[ ! -e "$home/.local/share/velocrag/levels.db" ] || fail "levels.db was copied into the data folder"
[ -z "$(ls -A "$elsewhere")" ] || fail "files appeared in the working directory: $(ls -A "$elsewhere")"
[ "$(sha256sum < "$prefix/share/velocrag/levels.db")" = "$levels_sum" ] || fail "the shipped levels.db changed"

# Without the shipped levels: a fatal message naming both places looked in.
rm "$prefix/share/velocrag/levels.db"
rc=0
(run_game) || rc=$?
[ "$rc" -eq 1 ] || fail "without levels.db the game exited with $rc"
grep -qF "$prefix/share/velocrag/levels.db" "$tmp/game.log" || fail "message lacks the share path"
grep -qF "$prefix/games/levels.db" "$tmp/game.log" || fail "message lacks the executable's folder"
echo "install: passed ($(find "$prefix" -type f | wc -l) files)"
