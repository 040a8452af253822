#!/usr/bin/env bash
# Start-up on drivers and displays that offer less than a desktop usually does,
# with the knobs Mesa and the X server give to take a capability away.
# Usage: driver_test.sh CASE   (APP and DATA_DIR in the environment)
source "$(dirname "$0")/lib.sh"
case_name=${1:?case}

# Checks that the program ended with -1 and said exactly LINE on standard error.
expect_refusal() {
  local line=$1 code
  code=$(wait_exit)
  [ "$code" = 255 ] || fail "exit status $code, expected 255 (-1)"
  [ "$(cat "$WORK/app.err")" = "$line" ] || fail "standard error is not the one line \"$line\""
  viewable_top_windows | grep -q . && fail "a window was left on the screen"
  return 0
}

case "$case_name" in
gl_2_0_draws)
  # A driver that offers exactly what the program needs.
  start_xvfb
  export MESA_GL_VERSION_OVERRIDE=2.0
  start_app
  wid=$(wait_window Marivelle) || fail "no window with an OpenGL 2.0 driver"
  focus "$wid"
  window_lit() { screenshot "$wid" "$WORK/frame.png" && lit=$(lit_share "$WORK/frame.png") && [ "$lit" -ge 5 ]; }
  wait_until "$WAIT_SECONDS" window_lit || fail "the window is dark (${lit:-0} % lit)"
  echo "OpenGL 2.0: $lit % of the window lit"
  xdotool key --window "$wid" Escape
  code=$(wait_exit)
  [ "$code" = 0 ] || fail "exit code after Escape: $code"
  [ ! -s "$WORK/app.err" ] || fail "the program wrote to standard error"
  ;;
gl_1_5_refused)
  start_xvfb
  export MESA_GL_VERSION_OVERRIDE=1.5
  start_app
  expect_refusal "Marivelle: OpenGL 2.0 or later is required, the driver offers 1.5"
  ;;
indirect_refused)
  # A remote display without indirect GLX: the client renders indirectly and
  # the server refuses every context it is asked for.
  XVFB_ARGS=-iglx start_xvfb
  export LIBGL_ALWAYS_INDIRECT=1
  start_app
  code=$(wait_exit)
  [ "$code" = 255 ] || fail "exit status $code, expected 255 (-1)"
  [ "$(grep -c . "$WORK/app.err")" = 1 ] || fail "expected one line on standard error"
  grep -q '^Marivelle: the display refused an OpenGL context (.*remote displays need direct rendering)$' \
    "$WORK/app.err" || fail "the line does not name the refused context"
  ;;
*) fail "unknown case $case_name" ;;
esac
echo "PASS $case_name"
