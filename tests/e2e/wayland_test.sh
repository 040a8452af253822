#!/usr/bin/env bash
# End-to-end tests of the wallpaper on Wayland, under a headless sway (run as
# a user other than root, which sway requires): a layer-shell background on
# every output, behind the windows and in no window list, following outputs,
# asleep under a fullscreen window, one per session, on the bottom layer when
# asked, refused by a compositor without the protocol or an EGL without a
# driver, ended in one line when the compositor goes.
# Usage: wayland_test.sh CASE   (APP, DATA_DIR and UNPLUG_PROXY in the environment)
source "$(dirname "$0")/lib.sh"
case_name=${1:?case}
RUNTIME=""
SWAY_PID=""
EXTRA_PIDS=()

end_compositors() {
  local pid
  for pid in "${EXTRA_PIDS[@]}" $SWAY_PID; do kill "$pid" 2>/dev/null; done
  cleanup
  [ -n "$RUNTIME" ] && rm -rf --one-file-system "$RUNTIME"
}
trap end_compositors EXIT

# A screenshot of the composited output NAME (HEADLESS-1, ...), as the
# screenshot of lib.sh takes one of a window.
screenshot() { grim -o "$1" "$2"; }

# A private XDG_RUNTIME_DIR that the compositor's user owns; the program
# reaches it as root does, or as that same user.
make_runtime() {
  RUNTIME=$(mktemp -d /tmp/marivelle-wayland.XXXXXX)
  chmod 700 "$RUNTIME"
  RUN_AS=()
  if [ "$(id -u)" = 0 ]; then
    chown 65534:65534 "$RUNTIME"
    RUN_AS=(setpriv --reuid=65534 --regid=65534 --clear-groups)
  fi
  export XDG_RUNTIME_DIR=$RUNTIME
}

# The name of the first Wayland socket in the runtime folder but NOT.
socket_made() {
  local found
  found=$(cd "$RUNTIME" && ls -1 2>/dev/null | grep -E '^wayland-[0-9]+$' | grep -vx "${1:-}" | head -1)
  [ -n "$found" ] && SOCKET_NAME=$found
}

# Starts sway with one headless output of 1280 x 1024 and the config lines
# given, and exports WAYLAND_DISPLAY and SWAYSOCK.
start_sway() {
  make_runtime
  { echo "xwayland disable"; echo "output HEADLESS-1 resolution 1280x1024"; printf '%s\n' "$@"; } >"$RUNTIME/sway.cfg"
  [ "$(id -u)" = 0 ] && chown 65534:65534 "$RUNTIME/sway.cfg"
  HOME=$RUNTIME WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 \
    "${RUN_AS[@]}" sway -c "$RUNTIME/sway.cfg" >"$WORK/sway.log" 2>&1 &
  SWAY_PID=$!
  wait_until "$WAIT_SECONDS" socket_made || fail "sway did not start: $(tail -3 "$WORK/sway.log")"
  export WAYLAND_DISPLAY=$SOCKET_NAME
  wait_until "$WAIT_SECONDS" sh -c 'ls "$XDG_RUNTIME_DIR"/sway-ipc.*.sock >/dev/null 2>&1' || fail "sway has no IPC socket"
  SWAYSOCK=$(ls "$RUNTIME"/sway-ipc.*.sock)
  export SWAYSOCK
  wait_until "$WAIT_SECONDS" sh -c 'swaymsg -t get_outputs 2>/dev/null | grep -q HEADLESS-1' || fail "sway has no output"
}

# Starts a client of the compositor in the background, ended with the test.
start_client() {
  "$@" >"$WORK/client.log" 2>&1 &
  EXTRA_PIDS+=($!)
  CLIENT_PID=$!
}

start_wallpaper() { start_app_with --wallpaper "$@"; }

wait_wallpaper_exit() {
  wait_until "$WAIT_SECONDS" test -s "$WORK/exit_code" || fail "the wallpaper still runs after $1"
  [ "$(cat "$WORK/exit_code")" = "$2" ] || fail "the wallpaper ended with $(cat "$WORK/exit_code") after $1, not $2"
}

expect_no_error_line() { [ ! -s "$WORK/app.err" ] || fail "$1: the program wrote to standard error"; }

# True when the output's screenshot shows the room's grid on at least MIN %
# of each crop given.
output_shows_grid() {
  local output=$1
  shift
  screenshot "$output" "$WORK/grid.png" 2>/dev/null && picture_shows_grid "$WORK/grid.png" "$@"
}

wait_output_grid() {
  wait_until --while app_running --every 0.5 "$WAIT_SECONDS" output_shows_grid "$@" ||
    fail "$1 shows too little grid in ${*:3} (${GRIDS:-no screenshot} %)"
}

# An opaque window of weston's demo clients.
WINDOW_APP=org.freedesktop.weston.wayland-clickdot

case "$case_name" in
background_behind_window)
  # A floating window in the middle; the aquarium fills the rest, corner to
  # corner, moves, and is in no list of windows.
  start_sway "for_window [app_id=\"$WINDOW_APP\"] floating enable, resize set 400 300, move position 440 362"
  start_client weston-clickdot
  wait_until "$WAIT_SECONDS" sh -c "swaymsg -t get_tree | grep -q '$WINDOW_APP'" || fail "the window did not open"
  start_wallpaper
  wait_output_grid HEADLESS-1 2 300x240+0+0 300x240+980+0 300x240+0+784 300x240+980+784
  cp "$WORK/grid.png" "$WORK/first.png"
  # The window's title bar is opaque; its body is a translucent tint.
  [ "$(grid_share "$WORK/first.png" 300x14+490+368)" -lt 1 ] || fail "the aquarium shows over the window"
  wait_for_change HEADLESS-1 "$WORK/first.png" "$WORK/second.png" 2000 || fail "the aquarium does not move"
  tree=$(swaymsg -t get_tree)
  grep -q "$WINDOW_APP" <<<"$tree" || fail "sway's tree lost the window"
  ! grep -qiE "marivelle|\"pid\": $APP_PID," <<<"$tree" || fail "sway lists a window of the program"
  kill -TERM "$APP_PID"
  wait_wallpaper_exit SIGTERM 0
  expect_no_error_line "after SIGTERM"
  ;;
outputs_come_and_go)
  # The program reaches sway through the proxy, which can unplug an output.
  start_sway
  python3 "$UNPLUG_PROXY" "$RUNTIME/wayland-proxy" "$RUNTIME/$WAYLAND_DISPLAY" 2>"$WORK/proxy.err" &
  PROXY_PID=$!
  EXTRA_PIDS+=("$PROXY_PID")
  wait_until "$WAIT_SECONDS" test -S "$RUNTIME/wayland-proxy" || fail "the proxy did not start"
  WAYLAND_DISPLAY=wayland-proxy start_wallpaper
  wait_output_grid HEADLESS-1 3 1280x1024+0+0
  read_clock; plugged_us=$CLOCK_US
  swaymsg create_output >/dev/null || fail "sway made no second output"
  wait_output_grid HEADLESS-2 3 1920x1080+0+0
  read_clock; echo "the second output was drawn on $(((CLOCK_US - plugged_us) / 1000)) ms after it came"
  kill -USR1 "$PROXY_PID"
  gone() { output_shows_grid HEADLESS-2 0 1920x1080+0+0 && [ "$GRIDS" -lt 1 ]; }
  wait_until --while app_running "$WAIT_SECONDS" gone || fail "the unplugged output still shows the aquarium"
  screenshot HEADLESS-1 "$WORK/one.png"
  wait_for_change HEADLESS-1 "$WORK/one.png" "$WORK/two.png" 2000 || fail "the first output stopped after the unplug"
  app_running || fail "the program ended when an output went"
  expect_no_error_line "after the unplug"
  kill -TERM "$APP_PID"
  wait_wallpaper_exit SIGTERM 0
  ;;
fullscreen_sleeps)
  start_sway "for_window [app_id=\"$WINDOW_APP\"] fullscreen enable"
  start_wallpaper
  wait_output_grid HEADLESS-1 3 1280x1024+0+0
  start_client weston-clickdot
  expect_idle_cpu "under a fullscreen window"
  kill "$CLIENT_PID"
  took=$(wait_for_motion HEADLESS-1) || fail "the wallpaper did not draw again once the window closed"
  echo "drawing again $took ms after the window closed"
  ;;
one_per_session)
  start_sway
  start_wallpaper
  wait_output_grid HEADLESS-1 3 1280x1024+0+0
  mv "$WORK/app.err" "$WORK/first.err"
  ( cd "$WORK/run" && "$APP" --wallpaper >"$WORK/second.out" 2>"$WORK/second.err"; echo $? >"$WORK/second.code" ) &
  wait_wallpaper_exit "a second wallpaper started" 0
  [ ! -s "$WORK/first.err" ] || fail "the replaced wallpaper wrote: $(cat "$WORK/first.err")"
  rm "$WORK/exit_code"
  APP_PID=$(pgrep -f -n -- "$APP --wallpaper") || fail "the second wallpaper is not running"
  wait_output_grid HEADLESS-1 3 1280x1024+0+0
  "$APP" --wallpaper --stop 2>"$WORK/stop.err" || fail "--stop failed: $(cat "$WORK/stop.err")"
  wait_until "$WAIT_SECONDS" test -s "$WORK/second.code" || fail "--stop did not end the wallpaper"
  [ "$(cat "$WORK/second.code")" = 0 ] || fail "the stopped wallpaper ended with $(cat "$WORK/second.code")"
  status=0
  "$APP" --wallpaper --stop 2>"$WORK/stop.err" || status=$?
  [ "$status" = 1 ] || fail "--stop with none running ended with $status"
  [ "$(wc -l <"$WORK/stop.err")" = 1 ] && grep -q '^Marivelle: no wallpaper' "$WORK/stop.err" ||
    fail "--stop with none running wrote: $(cat "$WORK/stop.err")"
  ;;
bottom_layer)
  # A background surface made before ours keeps ours under it (sway stacks
  # the newer one lower); the bottom layer is over every background one.
  start_sway
  start_client swaybg -c '#ff0000'
  red() { screenshot HEADLESS-1 "$WORK/red.png" 2>/dev/null &&
    [ "$(count_pixels "$WORK/red.png" 1280x1024+0+0 'r > 200 && g < 30 && b < 30')" -gt 1200000 ]; }
  wait_until "$WAIT_SECONDS" red || fail "swaybg did not paint the output"
  start_wallpaper --fps
  wait_until --while app_running "$WAIT_SECONDS" grep -q fps "$WORK/app.out" || fail "the wallpaper draws no frames"
  holds_throughout 3 red || fail "the wallpaper on the background layer showed over an older background"
  kill -TERM "$APP_PID"
  wait_wallpaper_exit SIGTERM 0
  start_wallpaper --layer bottom
  wait_output_grid HEADLESS-1 3 1280x1024+0+0
  ;;
no_layer_shell)
  make_runtime
  HOME=$RUNTIME weston --backend=headless-backend.so --socket=wayland-7 --idle-time=0 >"$WORK/weston.log" 2>&1 &
  EXTRA_PIDS+=($!)
  wait_until "$WAIT_SECONDS" test -S "$RUNTIME/wayland-7" || fail "weston did not start: $(tail -3 "$WORK/weston.log")"
  export WAYLAND_DISPLAY=wayland-7
  start_wallpaper
  wait_wallpaper_exit "starting under weston" 1
  [ "$(wc -l <"$WORK/app.err")" = 1 ] && grep -q '^Marivelle: this Wayland compositor offers no desktop background layer' \
    "$WORK/app.err" || fail "the refusal reads: $(cat "$WORK/app.err")"
  ;;
compositor_goes)
  start_sway
  # First an EGL with no driver behind it: refused in one line of ours.
  status=0
  (cd "$DATA_DIR" && __EGL_VENDOR_LIBRARY_FILENAMES=/nonexistent.json "$APP" --wallpaper) 2>"$WORK/egl.err" || status=$?
  [ "$status" = 1 ] && [ "$(wc -l <"$WORK/egl.err")" = 1 ] && grep -q '^Marivelle: EGL' "$WORK/egl.err" ||
    fail "without an EGL driver it ended with $status and wrote: $(cat "$WORK/egl.err")"
  start_wallpaper
  wait_output_grid HEADLESS-1 3 1280x1024+0+0
  kill -KILL "$SWAY_PID"
  wait_wallpaper_exit "the compositor's end" 1
  [ "$(wc -l <"$WORK/app.err")" = 1 ] && grep -q '^Marivelle: the Wayland compositor closed the connection' \
    "$WORK/app.err" || fail "the compositor's end reads: $(cat "$WORK/app.err")"
  ;;
*)
  fail "unknown case $case_name"
  ;;
esac
echo "PASS: $case_name"
