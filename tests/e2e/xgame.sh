# SPDX-License-Identifier: GPL-3.0-or-later
# Shared by the end-to-end test and the ride benchmark (sourced, bash):
# starting the game on the current X display, finding its window, waiting
# for its menus and closing the help.
# ImageMagick's worker threads only contend on a busy machine.
export MAGICK_THREAD_LIMIT=1
# Window-relative spots of the menu buttons at 1267 x 712 (1920 x 1080 screen).
PACK1=(576 344)
LEVEL1=(445 222)
HELP_CLOSE=(819 486)
INGAME_QUIT=(770 292)
# Longest time a menu may take to come to rest after a click or a key, in
# seconds (a sanitized build draws several times slower).
SETTLE_TIMEOUT=20
# Interval between the two pictures that must agree for "at rest", in seconds.
SETTLE_INTERVAL=0.2

# fail <message>: ends an end-to-end script with the message and the game's
# log (of the folder in $work).
fail() {
  echo "e2e: FAIL: $*" >&2
  [ -f "$work/game.log" ] && sed 's/^/  game: /' "$work/game.log" >&2
  exit 1
}

# start_game <executable> <folder>: starts the game in the folder with the
# folder as its XDG data home (results in <folder>/velocrag/results.db; the
# levels are found beside the executable), sets pid and win, focuses the
# window (the run clock stops while it is not active). Returns 1 when the
# game ends or shows no window within 10 s; the log is <folder>/game.log.
start_game() {
  game_folder=$2
  (cd "$2" && XDG_DATA_HOME="$2" exec "$1") > "$2/game.log" 2>&1 &
  pid=$!
  win=""
  for _ in $(seq 1 100); do
    win=$(xdotool search --onlyvisible --name '^Velocrag$' 2> /dev/null | head -1 || true)
    [ -n "$win" ] && break
    kill -0 "$pid" 2> /dev/null || return 1
    sleep 0.1
  done
  [ -n "$win" ] || return 1
  xdotool windowfocus --sync "$win" 2> /dev/null || xdotool windowfocus "$win"
  wait_still
}

# Longest time one window grab may take, in seconds: import waits for a
# mouse click to pick a window when the game's window has just gone.
GRAB_TIMEOUT=10

# frame: a fingerprint of what the game window shows now (raw pixels, no
# image encoding: that alone would take seconds on a busy machine).
frame() {
  timeout "$GRAB_TIMEOUT" import -window "$win" rgb:- 2> /dev/null | md5sum | cut -d' ' -f1
}

# wait_change <fingerprint>: waits until the game window shows something
# else than the given fingerprint (for views that never rest, like a ride).
wait_change() {
  local deadline=$((SECONDS + SETTLE_TIMEOUT))
  while [ "$SECONDS" -lt "$deadline" ]; do
    kill -0 "$pid" 2> /dev/null || { echo "xgame: the game ended" >&2; return 1; }
    [ "$(frame)" != "$1" ] && return 0
    sleep "$SETTLE_INTERVAL"
  done
  echo "xgame: the game window did not change within ${SETTLE_TIMEOUT} s" >&2
  return 1
}

# wait_still [fingerprint]: waits until the game window shows the same
# picture twice in a row SETTLE_INTERVAL apart, not one flat colour, and
# (given the fingerprint of the picture before an input) a different one
# than before: the input has taken effect and the menus have finished
# sliding. Returns 1 after SETTLE_TIMEOUT or when the game ends.
wait_still() {
  local before=${1:-} previous="" current deadline=$((SECONDS + SETTLE_TIMEOUT))
  while [ "$SECONDS" -lt "$deadline" ]; do
    if ! kill -0 "$pid" 2> /dev/null; then
      echo "xgame: the game ended" >&2
      return 1
    fi
    current=$(frame)
    if [ "$current" != "$before" ] && [ "$current" = "$previous" ] \
      && [ "$(timeout "$GRAB_TIMEOUT" import -window "$win" ppm:- | convert - -format '%[fx:standard_deviation > 0.02]' info:)" = "1" ]; then
      return 0
    fi
    [ "$current" = "$before" ] || previous=$current
    sleep "$SETTLE_INTERVAL"
  done
  echo "xgame: the game window did not come to rest within ${SETTLE_TIMEOUT} s" >&2
  return 1
}

# input <xdotool arguments...>: sends one input to the game and returns once
# it has taken effect and the window is at rest (1 if not, see wait_still).
input() {
  local before
  before=$(frame)
  xdotool "$@"
  wait_still "$before"
}

# click <x> <y>: a click at a spot of the game window (see input).
click() {
  input mousemove --window "$win" "$1" "$2" click 1
}

# click_to_ride <x> <y>: a click that starts a ride; returns once the window
# shows something new (a ride never comes to rest).
click_to_ride() {
  local before
  before=$(frame)
  xdotool mousemove --window "$win" "$1" "$2" click 1
  wait_change "$before"
}

# key <key>: a key press in the game window (see input).
key() {
  input key "$1"
}

# key_to_ride <key>: a key press that starts a ride (see click_to_ride).
key_to_ride() {
  local before
  before=$(frame)
  xdotool key "$1"
  wait_change "$before"
}

# sketch <columns> <rows> [convert options...]: prints the game window as
# text, one character per cell from dark '@' to light ' ', after the given
# options (e.g. a crop): a failure on a machine nobody can look at still
# shows what the window held.
sketch() {
  local columns=$1 rows=$2
  shift 2
  timeout "$GRAB_TIMEOUT" import -window "$win" ppm:- 2> /dev/null \
    | convert - "$@" +repage -resize "${columns}x${rows}!" -colorspace gray -depth 8 txt:- 2> /dev/null \
    | awk -v ramp='@%#*+=-:. ' '
        /^[0-9]/ {
          split($1, at, /[,:]/)
          hex = toupper(substr($0, index($0, "#") + 1, 2))
          level = (index("0123456789ABCDEF", substr(hex, 1, 1)) - 1) * 16 + index("0123456789ABCDEF", substr(hex, 2, 1)) - 1
          row[at[2]] = row[at[2]] substr(ramp, 1 + int(level * 10 / 256), 1)
        }
        END { for (r = 0; r in row; r++) print "|" row[r] "|" }'
}

# The fingerprint and the orange share of the 60 x 60 box around HELP_CLOSE,
# as "<md5> <share>".
help_close_spot() {
  local crop="60x60+$((HELP_CLOSE[0] - 30))+$((HELP_CLOSE[1] - 30))" spot="$game_folder/help-spot.ppm" orange
  timeout "$GRAB_TIMEOUT" import -window "$win" -crop "$crop" +repage "ppm:$spot" 2> /dev/null || return 1
  orange=$(convert "$spot" -fx '(r>0.78 && g>0.45 && g<0.8 && b<0.4)' -format '%[fx:mean]' info: 2> /dev/null) \
    || return 1
  echo "$(md5sum < "$spot" | cut -d' ' -f1) $orange"
}

# True when the spot's orange share says the button (an orange disc) covers it.
orange_disc() { awk -v o="${1##* }" 'BEGIN { exit !(o > 0.25) }'; }

# True when the help's close button (an orange disc) stands at HELP_CLOSE and
# is at rest: the same picture twice, SETTLE_INTERVAL apart. The sliding
# help carries the button through the spot on its way in (and past it, as
# the slide overshoots); a click then misses, and a look a moment later
# finds the spot empty as if the help had gone.
help_button_shown() {
  local first second
  first=$(help_close_spot) || return 1
  orange_disc "$first" || return 1
  sleep "$SETTLE_INTERVAL"
  second=$(help_close_spot) || return 1
  [ "${first%% *}" = "${second%% *}" ] && orange_disc "$second"
}

# True when the button stays away from its spot for longer than the help's
# slide takes (0.6 s): gone, not passing through.
help_button_gone() {
  local look spot
  for look in 1 2 3 4; do
    [ "$look" -gt 1 ] && sleep "$SETTLE_INTERVAL"
    if spot=$(help_close_spot) && orange_disc "$spot"; then
      return 1
    fi
  done
  return 0
}

# wait_for <command>: polls the command until it succeeds, SETTLE_TIMEOUT at most.
wait_for() {
  local deadline=$((SECONDS + SETTLE_TIMEOUT))
  while [ "$SECONDS" -lt "$deadline" ]; do
    "$@" && return 0
    sleep "$SETTLE_INTERVAL"
  done
  return 1
}

# Closes the help: waits for its button, then clicks it until the help has
# gone (three tries).
close_help() {
  local attempt
  wait_for help_button_shown || { echo "xgame: the help's close button never arrived" >&2; return 1; }
  for attempt in 1 2 3; do
    click_to_ride "${HELP_CLOSE[@]}" || return 1
    wait_for help_button_gone && return 0
    echo "xgame: the help was still shown after click $attempt; clicking again" >&2
  done
  return 1
}
