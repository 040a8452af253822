#!/usr/bin/env bash
# End-to-end tests of how the real program treats the user's desktop: the
# screensaver held off only where someone chose to watch, and the monitor a
# window opens on.
# Usage: manners_test.sh CASE   (APP, DATA_DIR and MAKE_WINDOW in the environment)
source "$(dirname "$0")/lib.sh"
case_name=${1:?case}
here=$(dirname "$0")

# A session bus of the test's own with a stand-in screensaver service that
# logs every Inhibit and UnInhibit call to $WORK/screensaver.log.
start_screensaver_service() {
  start_private_bus
  /usr/bin/python3 "$here/screensaver_service.py" "$WORK/screensaver.log" 2>"$WORK/service.err" &
  SERVICE_PID=$!
  trap 'kill "$SERVICE_PID" "$BUS_PID" 2>/dev/null; cleanup' EXIT
  wait_until "$WAIT_SECONDS" grep -q '^ready$' "$WORK/screensaver.log" || fail "the screensaver service did not start: $(cat "$WORK/service.err")"
}

calls() { grep -c "^$1" "$WORK/screensaver.log"; }
more_calls() { [ "$(calls "$1")" -gt "$2" ]; }

# Runs the program with ARGS until its picture shows, and ends it with SIGTERM.
# The window of the one before must be gone first, or it could be taken for
# this one's.
run_until_drawn() {
  no_window() { ! find_window "${WINDOW_NAME:-Marivelle}" >/dev/null; }
  wait_until "$WAIT_SECONDS" no_window || fail "an earlier window stays"
  start_app_with "$@"
  local wid
  wid=$(wait_window "${WINDOW_NAME:-Marivelle}") || fail "no window ($*)"
  wait_for_picture "$wid" "$WORK/a.png" 5 || fail "no picture ($*); the program $(app_running && echo runs || echo "ended with $(wait_exit)")"
  kill -TERM "$APP_PID"
  [ "$(wait_exit)" = 0 ] || fail "the program did not end with 0 ($*)"
}

# A display with two monitors side by side, 1024 x 768 each, as RandR outputs
# of one screen (Xorg's dummy driver): what SDL counts as monitors.
start_two_monitors() {
  cat >"$WORK/xorg.conf" <<CONF
Section "Device"
  Identifier "dummy"
  Driver "dummy"
  VideoRam 65536
EndSection
Section "Screen"
  Identifier "screen"
  Device "dummy"
  DefaultDepth 24
  SubSection "Display"
    Depth 24
    Virtual 2048 768
  EndSubSection
EndSection
CONF
  exec 3>"$WORK/display"
  Xorg -displayfd 3 -config "$WORK/xorg.conf" -logfile "$WORK/xorg.log" -noreset -nolisten tcp \
    -novtswitch -sharevts >"$WORK/xorg.out" 2>&1 &
  XVFB_PID=$!
  wait_until "$WAIT_SECONDS" test -s "$WORK/display"
  exec 3>&-
  [ -s "$WORK/display" ] || fail "Xorg did not start: $(tail -n 5 "$WORK/xorg.out")"
  export DISPLAY=":$(cat "$WORK/display")"
  xrandr --addmode DUMMY1 1024x768 && xrandr --output DUMMY1 --mode 1024x768 --right-of DUMMY0 ||
    fail "no second monitor"
  two_monitors() { [ "$(xrandr --listactivemonitors 2>/dev/null | head -n 1)" = "Monitors: 2" ]; }
  wait_until "$WAIT_SECONDS" two_monitors || fail "the second monitor did not come: $(xrandr --listactivemonitors)"
}

window_rect() {
  xwininfo -id "$1" 2>/dev/null | awk '/Absolute upper-left X/ { x = $NF } /Absolute upper-left Y/ { y = $NF }
    /^ *Width/ { w = $NF } /^ *Height/ { h = $NF } END { print x, y, w, h }'
}
rect_is() { [ "$(window_rect "$1")" = "$2" ]; }

case "$case_name" in
  screensaver_held_only_when_watched)
    # A window lets the screensaver run; fullscreen holds it off, as a video
    # player does, and leaving fullscreen lets it go; --no-blank holds it in a
    # window. Every hold names the program and why.
    start_xvfb
    start_window_manager
    start_screensaver_service
    start_app
    wid=$(wait_window Marivelle) || fail "no window"
    wait_for_picture "$wid" "$WORK/a.png" 5 || fail "no picture"
    focus "$wid"
    xdotool key --window "$wid" F11
    wait_until --while app_running "$WAIT_SECONDS" more_calls Inhibit 0 || fail "fullscreen did not hold the screensaver off"
    app_running || fail "the program ended in fullscreen, status $(wait_exit)"
    grep -q $'^Inhibit\tMarivelle\tShowing the aquarium fullscreen\t' "$WORK/screensaver.log" ||
      fail "the hold does not name the program: $(grep Inhibit "$WORK/screensaver.log")"
    [ "$(calls Inhibit)" = 1 ] || fail "the window held the screensaver off before it went fullscreen"
    xdotool key --window "$wid" F11
    wait_until --while app_running "$WAIT_SECONDS" more_calls UnInhibit 0 || fail "leaving fullscreen kept the hold"
    app_running || fail "the program ended on leaving fullscreen, status $(wait_exit)"
    xdotool key --window "$wid" Escape
    [ "$(wait_exit)" = 0 ] || fail "Escape did not end the program with 0"

    run_until_drawn --no-blank
    grep -q $'^Inhibit\tMarivelle\tShowing the aquarium (--no-blank)\t' "$WORK/screensaver.log" ||
      fail "--no-blank did not hold the screensaver off in a window"
    held=$(calls Inhibit)
    WINDOW_NAME="Marivelle wallpaper" run_until_drawn --wallpaper
    "$MAKE_WINDOW" 8 320 240 >"$WORK/host.id" &
    wait_until "$WAIT_SECONDS" test -s "$WORK/host.id" || fail "no host window"
    start_app_with --window-id "$(cat "$WORK/host.id")"
    wait_for_picture "$(cat "$WORK/host.id")" "$WORK/h.png" 5 || fail "no picture in the given window"
    kill -TERM "$APP_PID"
    [ "$(wait_exit)" = 0 ] || fail "the program in the given window did not end with 0"
    [ "$(calls Inhibit)" = "$held" ] || fail "the wallpaper or a given window held the screensaver off"
    echo "holds: $(calls Inhibit), releases: $(calls UnInhibit)"
    ;;
  display_option)
    # --display N opens the window in the middle of monitor N, fullscreen
    # and F11 cover that monitor, and a monitor that does not exist is one
    # line and exit 2.
    start_two_monitors
    start_app_with --display 1
    wid=$(wait_window Marivelle) || fail "no window on monitor 1"
    wait_until "$WAIT_SECONDS" rect_is "$wid" "1136 84 800 600" || fail "the window is at $(window_rect "$wid")"
    focus "$wid"
    xdotool key --window "$wid" F11
    wait_until "$WAIT_SECONDS" rect_is "$wid" "1024 0 1024 768" || fail "F11 covered $(window_rect "$wid")"
    xdotool key --window "$wid" Escape
    [ "$(wait_exit)" = 0 ] || fail "Escape did not end the program with 0"
    start_app_with --display 1 --fullscreen
    wid=$(wait_window Marivelle) || fail "no fullscreen window"
    wait_until "$WAIT_SECONDS" rect_is "$wid" "1024 0 1024 768" || fail "--fullscreen covered $(window_rect "$wid")"
    kill -TERM "$APP_PID"
    wait_exit >/dev/null
    start_app_with --display 2
    [ "$(wait_exit)" = 2 ] || fail "a third monitor was not refused with 2"
    [ "$(cat "$WORK/app.err")" = "Marivelle: there is no monitor 2: this display has 2, numbered from 0" ] ||
      fail "the refusal reads: $(cat "$WORK/app.err")"
    ;;
  *) fail "unknown case $case_name" ;;
esac
echo "PASS $case_name"
