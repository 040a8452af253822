#!/usr/bin/env bash
# End-to-end tests of the command line's view options in a real window under
# Xvfb: fullscreen with and without a window manager (openbox), the F11 and
# Alt+Enter switch, the tour, the frame cap and refused command lines.
# Usage: view_test.sh CASE   (APP and DATA_DIR in the environment)
source "$(dirname "$0")/lib.sh"
case_name=${1:?case}
SCREEN_RECT="0 0 1280 1024"

# Prints the window's place and size on the screen: X Y WIDTH HEIGHT.
window_rect() {
  xwininfo -id "$1" 2>/dev/null | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
    /^ *Width/ { w = $NF } /^ *Height/ { h = $NF } END { print x, y, w, h }'
}

rect_is() { [ "$(window_rect "$1")" = "$2" ]; }

# True once the top-right corner of the screen, far from the old 800 x 600
# viewport, shows the scene; LAST_CORNER_LIT holds the share seen.
corner_drawn() {
  "$IM_IMPORT" -window root "$WORK/screen.png"
  "$IM_CONVERT" "$WORK/screen.png" -crop 400x400+880+0 +repage "$WORK/corner.png"
  LAST_CORNER_LIT=$(lit_share "$WORK/corner.png")
  [ "$LAST_CORNER_LIT" -ge 5 ]
}

# Checks that the window covers the screen and that the picture fills it.
expect_covers_screen() {
  local wid=$1 how=$2
  wait_until 30 rect_is "$wid" "$SCREEN_RECT" || fail "$how: the window is at $(window_rect "$wid"), not covering the screen"
  wait_until 30 corner_drawn || fail "$how: the picture does not reach the top-right corner ($LAST_CORNER_LIT % lit)"
  echo "$how: covers the screen, $LAST_CORNER_LIT % of its top-right corner lit"
}

# Percentage of the room's green grid pixels in picture A that are still grid
# pixels in picture B: high while the camera stands still (only fish and
# bubbles cross the lines), low once it moves and the lines shift.
grid_kept() {
  paste <("$IM_CONVERT" "$1" -depth 8 rgb:- | od -An -v -tu1 -w3) <("$IM_CONVERT" "$2" -depth 8 rgb:- | od -An -v -tu1 -w3) |
    awk "function grid(r, g, b) { return $GRID_COLOUR }
         { a = grid(\$1, \$2, \$3); n += a; kept += a && grid(\$4, \$5, \$6) }
         END { print int(100 * kept / (n > 0 ? n : 1)) }"
}

# Saves the window's picture as OUT when it shows the room's grid lines (at
# least 5 % of its pixels: the tour sees 9 to 16 %, the green fish alone 1 or
# 2 %); false, with LAST_GRID saying what it saw, when not.
grid_shown() {
  LAST_GRID="no picture"
  screenshot "$1" "$2" 2>/dev/null || return 1
  local share
  share=$(grid_share "$2")
  LAST_GRID="$share % grid"
  [ "$share" -ge 5 ]
}

# F11 twice: fullscreen, then the window as it was.
check_fullscreen_key() {
  local wid before
  start_app_with
  wid=$(wait_window Marivelle) || fail "no window"
  focus "$wid"
  wait_until 30 sh -c "xwininfo -id $wid | grep -q 'Width: 800'" || fail "the window is not 800 wide"
  sleep 0.5
  before=$(window_rect "$wid")
  xdotool key --window "$wid" F11
  expect_covers_screen "$wid" "F11"
  xdotool key --window "$wid" F11
  wait_until 30 rect_is "$wid" "$before" || fail "F11 again left the window at $(window_rect "$wid"), not $before"
  echo "F11 again: back at $before"
  focus "$wid"
  xdotool key --window "$wid" alt+Return
  expect_covers_screen "$wid" "Alt+Enter"
  app_running || fail "the program ended"
  xdotool key --window "$wid" Escape
  [ "$(wait_exit)" = 0 ] || fail "exit code after Escape"
}

case "$case_name" in
fullscreen_option_bare | fullscreen_option_window_manager)
  start_xvfb
  [ "$case_name" = fullscreen_option_bare ] || start_window_manager
  start_app_with --fullscreen
  wid=$(wait_window Marivelle) || fail "no window"
  expect_covers_screen "$wid" "--fullscreen"
  ;;
fullscreen_key_bare)
  start_xvfb
  check_fullscreen_key
  ;;
fullscreen_key_window_manager)
  start_xvfb
  start_window_manager
  check_fullscreen_key
  ;;
tour_until_a_key)
  start_xvfb
  start_app_with --tour
  wid=$(wait_window Marivelle) || fail "no window"
  focus "$wid"
  # While the tour flies, most grid lines move within a second (about a fifth
  # stay); once a flying key has been pressed and let go, most stay where they
  # are (about two thirds: fish and bubbles cross the rest). Every picture
  # compared must show the grid, so that a black or half-drawn window passes
  # for neither. A busy machine draws slowly, so each is looked for again
  # before it fails.
  wait_until --while app_running "$WAIT_SECONDS" grid_shown "$wid" "$WORK/a.png" ||
    fail "the window never showed the room's grid (last picture: $LAST_GRID)"
  flying="no grid in the picture"
  grid_moved() {
    sleep 1
    grid_shown "$wid" "$WORK/b.png" || return 1
    flying=$(grid_kept "$WORK/a.png" "$WORK/b.png")
    [ "$flying" -le 35 ]
  }
  wait_until --while app_running "$WAIT_SECONDS" grid_moved ||
    fail "the tour did not move the camera ($flying % of the grid kept)"
  xdotool keydown --window "$wid" w; sleep 0.3; xdotool keyup --window "$wid" w
  wait_until --while app_running "$WAIT_SECONDS" grid_shown "$wid" "$WORK/c.png" ||
    fail "the grid went after W (last picture: $LAST_GRID)"
  still="no grid in the picture"
  grid_still() {
    sleep 1
    grid_shown "$wid" "$WORK/d.png" || return 1
    still=$(grid_kept "$WORK/c.png" "$WORK/d.png")
    cp "$WORK/d.png" "$WORK/c.png"
    [ "$still" -ge 55 ]
  }
  wait_until --while app_running "$WAIT_SECONDS" grid_still ||
    fail "the camera kept moving after a flying key ($still % of the grid kept)"
  echo "grid lines kept: $flying % while the tour flies, $still % after W"
  app_running || fail "the program ended"
  ;;
frame_cap)
  start_xvfb
  start_app_with --max-fps 20 --fps
  wid=$(wait_window Marivelle) || fail "no window"
  # A small window keeps each frame cheap, so 20 frames a second are within
  # reach even on a busy machine; the cap is what holds the rate down.
  xdotool windowsize "$wid" 320 240
  # The rate must reach 20 in some seconds (a busy machine may slow a few) and
  # never pass it.
  in_range() { [ "$(awk '$1 >= 18 && $1 <= 22 { n++ } END { print n + 0 }' "$WORK/app.out")" -ge 2 ]; }
  wait_until 90 in_range || fail "fewer than two seconds at 18 to 22 frames: $(awk '{ print $1 }' "$WORK/app.out" | xargs)"
  echo "frames a second: $(awk '{ print $1 }' "$WORK/app.out" | xargs)"
  awk '$1 > 22.5 { bad = 1 } END { exit bad }' "$WORK/app.out" || fail "the cap of 20 was exceeded"
  grep -v -q -E '^[0-9]+\.[0-9] fps$' "$WORK/app.out" && fail "standard output holds other lines"
  ;;
bad_command_line)
  # Refused before any window opens: no display is needed to say so.
  unset DISPLAY
  for args in "--max-fps 0" "--max-fps 1e3" "--bogus" "stray"; do
    # shellcheck disable=SC2086 # each case is several words
    "$APP" $args >"$WORK/out" 2>"$WORK/err"
    code=$?
    [ "$code" = 2 ] || fail "marivelle $args: exit status $code, expected 2"
    [ "$(grep -c . "$WORK/err")" = 1 ] && grep -q "^Marivelle: .*marivelle --help" "$WORK/err" ||
      fail "marivelle $args: standard error is not one line with a hint: $(cat "$WORK/err")"
    [ ! -s "$WORK/out" ] || fail "marivelle $args wrote to standard output"
  done
  "$APP" --help >"$WORK/out" || fail "--help did not exit 0"
  grep -q -- "--max-fps" "$WORK/out" || fail "--help does not list --max-fps"
  ;;
*) fail "unknown case $case_name" ;;
esac
echo "PASS $case_name"
