#!/usr/bin/env bash
# End-to-end tests of the screensaver mode under Xvfb: the program draws into
# a window that another program made (as a screensaver daemon hands one to its
# hacks), follows its size, makes no window of its own and ends on SIGTERM.
# Usage: screensaver_test.sh CASE   (APP, DATA_DIR and MAKE_WINDOW in the environment)
source "$(dirname "$0")/lib.sh"
case_name=${1:?case}

# Makes a window of WIDTH x HEIGHT whose visual has STENCIL stencil bits;
# sets HOST_WINDOW to its id.
make_host_window() {
  local stencil=$1 width=$2 height=$3
  rm -f "$WORK/host.id"
  "$MAKE_WINDOW" "$stencil" "$width" "$height" >"$WORK/host.id" 2>"$WORK/host.err" &
  HOST_PID=$!
  wait_until 30 test -s "$WORK/host.id" || fail "no host window: $(cat "$WORK/host.err")"
  HOST_WINDOW=$(cat "$WORK/host.id")
}

# True when each quarter of the picture shows the scene; LAST_QUARTERS holds
# their lit shares.
quarters_lit() {
  local picture=$1 size w h q
  size=$("$IM_CONVERT" "$picture" -format '%w %h' info:) || return 1
  read -r w h <<<"$size"
  LAST_QUARTERS=""
  for q in "+0+0" "+$((w / 2))+0" "+0+$((h / 2))" "+$((w / 2))+$((h / 2))"; do
    "$IM_CONVERT" "$picture" -crop "$((w / 2))x$((h / 2))$q" +repage "$WORK/quarter.png"
    LAST_QUARTERS="$LAST_QUARTERS $(lit_share "$WORK/quarter.png")"
  done
  for q in $LAST_QUARTERS; do [ "$q" -ge 3 ] || return 1; done
}

# True once the host window's picture has SIZE (WxH) and is drawn all over.
host_filled() {
  screenshot "$HOST_WINDOW" "$WORK/host.png" 2>/dev/null || return 1
  [ "$("$IM_CONVERT" "$WORK/host.png" -format '%wx%h' info:)" = "$1" ] && quarters_lit "$WORK/host.png"
}

# Checks that the only mapped top-level window is the host's.
expect_no_window_of_its_own() {
  local windows
  windows=$(viewable_top_windows)
  [ "$(echo "$windows" | grep -c .)" = 1 ] && echo "$windows" | grep -q "^$HOST_WINDOW" ||
    fail "other windows are mapped: $windows"
}

case "$case_name" in
window_id_fills_and_follows)
  start_xvfb
  make_host_window 8 500 400
  start_app_with --window-id "$HOST_WINDOW" --fps
  wait_until 30 host_filled 500x400 || fail "the picture does not fill the window (quarters lit:$LAST_QUARTERS %)"
  echo "500x400 window: quarters lit$LAST_QUARTERS %"
  expect_no_window_of_its_own
  xdotool windowsize "$HOST_WINDOW" 720 300
  wait_until 30 host_filled 720x300 || fail "the picture did not follow the new size (quarters lit:$LAST_QUARTERS %)"
  echo "720x300 window: quarters lit$LAST_QUARTERS %"
  # The strip right of the old width shows the room's grid: a frame still
  # drawn at the old size would leave it cleared.
  strip_grid=0
  strip_drawn() {
    screenshot "$HOST_WINDOW" "$WORK/host.png" 2>/dev/null || return 1
    strip_grid=$(grid_share "$WORK/host.png" 220x300+500+0)
    [ "$strip_grid" -ge 5 ]
  }
  wait_until "$WAIT_SECONDS" strip_drawn || fail "the strip that the growth uncovered shows no grid ($strip_grid % of its pixels)"
  echo "the uncovered strip: $strip_grid % grid"
  # Thirty frames a second unless told otherwise.
  wait_until 60 sh -c "[ \$(awk '\$1 >= 27 && \$1 <= 31' '$WORK/app.out' | grep -c .) -ge 2 ]" ||
    fail "not 30 frames a second: $(awk '{ print $1 }' "$WORK/app.out" | xargs)"
  awk '$1 > 32 { bad = 1 } END { exit bad }' "$WORK/app.out" || fail "more than 30 frames a second"
  app_running || fail "the program ended"
  [ ! -s "$WORK/app.err" ] || fail "the program wrote to standard error"
  ;;
window_without_stencil)
  # A visual without stencil bits: frames are drawn off-screen and copied.
  start_xvfb
  make_host_window 0 400 300
  start_app_with --window-id "$HOST_WINDOW"
  wait_until 30 host_filled 400x300 || fail "the picture does not fill the window (quarters lit:$LAST_QUARTERS %)"
  sleep 1
  app_running || fail "the program ended"
  [ ! -s "$WORK/app.err" ] || fail "the program wrote to standard error"
  ;;
root_window)
  # --root draws into XSCREENSAVER_WINDOW when it is set, else the screen.
  start_xvfb
  make_host_window 8 320 240
  XSCREENSAVER_WINDOW=$HOST_WINDOW start_app_with --root
  wait_until 30 host_filled 320x240 || fail "--root did not draw into XSCREENSAVER_WINDOW"
  kill -TERM "$APP_PID"
  [ "$(wait_exit)" = 0 ] || fail "exit code after SIGTERM"
  kill "$HOST_PID"
  start_app_with --root
  screen_lit() { "$IM_IMPORT" -window root "$WORK/root.png" && [ "$(lit_share "$WORK/root.png")" -ge 10 ]; }
  wait_until 30 screen_lit || fail "--root did not draw on the screen"
  [ -z "$(viewable_top_windows)" ] || fail "a window was mapped: $(viewable_top_windows)"
  ;;
terminate_and_interrupt)
  start_xvfb
  make_host_window 8 320 240
  for signal in TERM INT; do
    start_app_with --window-id "$HOST_WINDOW"
    wait_until 30 host_filled 320x240 || fail "no picture"
    start=$(date +%s%N)
    kill -"$signal" "$APP_PID"
    wait_until 30 test -s "$WORK/exit_code" || fail "SIG$signal did not end the program"
    took=$((($(date +%s%N) - start) / 1000000))
    echo "SIG$signal: ended with $(cat "$WORK/exit_code") after $took ms"
    [ "$(cat "$WORK/exit_code")" = 0 ] || fail "exit status after SIG$signal"
    [ "$took" -le 1000 ] || fail "SIG$signal took $took ms to end the program"
  done
  # The owner destroys the window while frames are being drawn into it: the
  # program ends as after a close request, with no X error.
  start_app_with --window-id "$HOST_WINDOW"
  wait_until 30 host_filled 320x240 || fail "no picture"
  kill "$HOST_PID"
  wait_until 30 test -s "$WORK/exit_code" || fail "the program went on after its window was destroyed"
  [ "$(cat "$WORK/exit_code")" = 0 ] || fail "exit status $(cat "$WORK/exit_code") after the window went"
  [ ! -s "$WORK/app.err" ] || fail "the program wrote to standard error after its window went"
  ;;
unmapped_window_sleeps)
  # As a preview in a settings dialog that is minimised: the given window is
  # unmapped, the program draws nothing; mapped again, it draws at once.
  start_xvfb
  make_host_window 8 320 240
  start_app_with --window-id "$HOST_WINDOW"
  wait_until 30 host_filled 320x240 || fail "no picture"
  xdotool windowunmap "$HOST_WINDOW"
  wait_until "$WAIT_SECONDS" window_hidden "$HOST_WINDOW" || fail "the window was not unmapped"
  expect_idle_cpu "unmapped"
  xdotool windowmap "$HOST_WINDOW"
  took=$(wait_for_motion "$HOST_WINDOW") || fail "the picture did not move again after the window was mapped"
  wait_for_motion "$HOST_WINDOW" >/dev/null || fail "the picture moved once after the window was mapped, then stopped"
  echo "mapped again: the picture moved $took ms after the request"
  kill -TERM "$APP_PID"
  [ "$(wait_exit)" = 0 ] || fail "exit status after SIGTERM"
  [ ! -s "$WORK/app.err" ] || fail "the program wrote to standard error"
  ;;
window_goes_with_terminate)
  # As a daemon unblanks: the window goes and SIGTERM follows within a few
  # milliseconds, so the signal can meet the program anywhere on its way out,
  # a frame's errors on their way back. Every run ends with 0 and says nothing.
  start_xvfb
  for round in $(seq 20); do
    make_host_window 8 320 240
    start_app_with --window-id "$HOST_WINDOW"
    wait_until 30 host_filled 320x240 || fail "round $round: no picture"
    kill "$HOST_PID"
    sleep "0.0$((round % 5 * 2))"
    kill -TERM "$APP_PID" 2>/dev/null
    code=$(wait_exit)
    [ "$code" = 0 ] && [ ! -s "$WORK/app.err" ] ||
      fail "round $round: exit status $code after the window went and SIGTERM came"
    wait "$HOST_PID" 2>/dev/null
  done
  ;;
refused_offscreen_retried)
  # A window without stencil is drawn through an off-screen frame. A width
  # past the driver's largest framebuffer is refused, and the program draws
  # directly; at the next size it tries the off-screen frame again, and a
  # second refusal is reported again.
  start_xvfb
  make_host_window 0 400 300
  start_app_with --window-id "$HOST_WINDOW"
  wait_until 30 host_filled 400x300 || fail "no picture"
  refusals() { [ "$(grep -c "refused an off-screen frame" "$WORK/app.err")" = "$1" ]; }
  xdotool windowsize "$HOST_WINDOW" 16500 10
  wait_until --while app_running "$WAIT_SECONDS" refusals 1 || fail "no refusal reported at 16500 x 10"
  xdotool windowsize "$HOST_WINDOW" 400 300
  wait_until --while app_running "$WAIT_SECONDS" host_filled 400x300 || fail "no picture back at 400 x 300"
  xdotool windowsize "$HOST_WINDOW" 16600 10
  wait_until --while app_running "$WAIT_SECONDS" refusals 2 ||
    fail "the off-screen frame was not tried again after a refusal: $(cat "$WORK/app.err")"
  # The picture at the last size drawn, after which a false OpenGL error
  # from the refused set-up would have been reported.
  xdotool windowsize "$HOST_WINDOW" 400 300
  wait_until --while app_running "$WAIT_SECONDS" host_filled 400x300 || fail "no picture back at 400 x 300"
  app_running || fail "the program ended"
  others=$(grep -v "refused an off-screen frame" "$WORK/app.err")
  [ -z "$others" ] || fail "standard error holds more than the refusals: $others"
  ;;
fullscreen_refused)
  # No fullscreen for a window another program sizes: one line says so, and
  # the program draws on.
  start_xvfb
  make_host_window 8 320 240
  start_app_with --window-id "$HOST_WINDOW" --fullscreen
  wait_until 30 host_filled 320x240 || fail "no picture"
  wait_for_motion "$HOST_WINDOW" >/dev/null || fail "the picture does not move"
  [ "$(grep -c . "$WORK/app.err")" = 1 ] && grep -q "^Marivelle: cannot go fullscreen: ." "$WORK/app.err" ||
    fail "expected one line on standard error saying why there is no fullscreen: $(cat "$WORK/app.err")"
  echo "standard error: $(cat "$WORK/app.err")"
  ;;
bad_window_id)
  start_xvfb
  start_app_with --window-id 0x1234
  [ "$(wait_exit)" = 255 ] || fail "exit status for a window that does not exist, expected 255 (-1)"
  [ "$(cat "$WORK/app.err")" = "Marivelle: window 0x1234 does not exist or is not a window" ] ||
    fail "unexpected standard error: $(cat "$WORK/app.err")"
  XSCREENSAVER_WINDOW=4660 start_app_with --root
  [ "$(wait_exit)" = 255 ] || fail "exit status for XSCREENSAVER_WINDOW naming no window"
  [ "$(grep -c . "$WORK/app.err")" = 1 ] || fail "expected one line on standard error"
  [ -z "$(viewable_top_windows)" ] || fail "a window was left: $(viewable_top_windows)"
  ;;
*) fail "unknown case $case_name" ;;
esac
echo "PASS $case_name"
