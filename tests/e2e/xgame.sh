# Shared by the end-to-end test and the ride benchmark (sourced, bash):
# starting the game on the current X display and finding its window.
# Window-relative spots of the menu buttons at 1267 x 712 (1920 x 1080 screen).
PACK1=(576 344)
LEVEL1=(445 222)
HELP_CLOSE=(819 486)
INGAME_QUIT=(770 292)
# Time for a menu to finish sliding, in seconds.
MENU_SETTLE=1.6

# start_game <executable> <folder>: starts the game in the folder with the
# folder as its XDG data home (results in <folder>/velocrag/results.db; the
# levels are found beside the executable), sets pid and win, focuses the
# window (the run clock stops while it is not active). Returns 1 when the
# game ends or shows no window within 10 s; the log is <folder>/game.log.
start_game() {
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
  sleep 0.8
}

# click <x> <y>: a click in the game window, then time for the menus.
click() {
  xdotool mousemove --window "$win" "$1" "$2" click 1
  sleep "$MENU_SETTLE"
}
