#!/usr/bin/env bash
# End-to-end tests of the wallpaper on Wayland, under a headless sway (run as
# a user other than root, which sway requires): a layer-shell background on
# every output, behind the windows and in no window list, following outputs,
# asleep under a fullscreen window, one per session (also when two start at
# once), on the bottom layer when asked, refused by a compositor without the
# protocol, an EGL without a driver or a runtime folder others may enter,
# ended in one line when the compositor goes or a signal comes while it
# waits, making its surface again when the compositor closes it.
# Usage: wayland_test.sh CASE
#   (APP, DATA_DIR, UNPLUG_PROXY and CLOSE_PROXY in the environment)
source "$(dirname "$0")/lib.sh"
case_name=${1:?case}
RUNTIME=""
SWAY_PID=""
EXTRA_PIDS=()
NAMED=()

end_compositors() {
  local pid
  end_named
  for pid in "${EXTRA_PIDS[@]}" $SWAY_PID; do kill "$pid" 2>/dev/null; done
  cleanup
  [ -n "$RUNTIME" ] && rm -rf --one-file-system "$RUNTIME"
}
trap end_compositors EXIT

# A screenshot of the composited output NAME (HEADLESS-1, ...), as the
# screenshot of lib.sh takes one of a window.
screenshot() { grim -o "$1" "$2"; }

# The helpers that reach the compositor run as its user, with the system's
# Python: one found on root's PATH may lie where that user cannot read.
PYTHON=/usr/bin/python3

# A private XDG_RUNTIME_DIR that the compositor's user owns; the program
# runs as that same user (it refuses a runtime folder of another), reading
# its data from a copy in WORK.
make_runtime() {
  RUNTIME=$(mktemp -d /tmp/marivelle-wayland.XXXXXX)
  chmod 700 "$RUNTIME"
  RUN_AS=()
  if [ "$(id -u)" = 0 ]; then
    chown 65534:65534 "$RUNTIME"
    RUN_AS=(setpriv --reuid=65534 --regid=65534 --clear-groups)
    chmod 755 "$WORK"
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

copy_data() {
  mkdir -p "$WORK/run"
  cp -r "$DATA_DIR"/. "$WORK/run/"
}

start_wallpaper() {
  copy_data
  launch_in "$WORK/run" "${RUN_AS[@]}" "$APP" --wallpaper "$@"
}

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

# Starts a wallpaper with ARGS as the compositor's user in the background,
# known by NAME: standard error in NAME.err and, once it ends, its status in
# NAME.code. note_named then waits for its pid.
#   start_named NAME ARG...
start_named() {
  local name=$1
  shift
  rm -f "$WORK/$name.pid" "$WORK/$name.code"
  (
    cd "$WORK/run" || exit
    "${RUN_AS[@]}" "$APP" --wallpaper "$@" >/dev/null 2>"$WORK/$name.err" &
    echo $! >"$WORK/$name.pid"
    wait $!
    echo $? >"$WORK/$name.code"
  ) &
}

# Waits for the pid of each NAME started; the test's end ends it.
note_named() {
  local name
  for name in "$@"; do
    wait_until "$WAIT_SECONDS" test -s "$WORK/$name.pid" || fail "the wallpaper $name was not started"
    NAMED+=("$name")
  done
}

named_pid() { cat "$WORK/$1.pid"; }
named_ended() { test -s "$WORK/$1.code"; }
named_running() { ! named_ended "$1" && [ -d "/proc/$(named_pid "$1")" ]; }

# Ends the named wallpapers that still run (only those: the pid of one that
# ended may belong to another process by now).
end_named() {
  local name
  for name in "${NAMED[@]}"; do
    named_running "$name" && kill "$(named_pid "$name")" 2>/dev/null
  done
}

either_ended() { named_ended "$1" || named_ended "$2"; }

# Checks that the wallpaper NAME ended with STATUS and wrote nothing; WHY
# says after what.
expect_named_end() {
  local name=$1 status=$2 why=$3
  wait_until "$WAIT_SECONDS" named_ended "$name" || fail "the wallpaper $name still runs after $why"
  [ "$(cat "$WORK/$name.code")" = "$status" ] ||
    fail "the wallpaper $name ended with $(cat "$WORK/$name.code") after $why, not $status: $(cat "$WORK/$name.err")"
  [ "$status" != 0 ] || [ ! -s "$WORK/$name.err" ] || fail "the wallpaper $name wrote: $(cat "$WORK/$name.err")"
}

# Runs `marivelle --wallpaper --stop` as the compositor's user; its status in
# STOP_STATUS, standard error in stop.err.
run_stop() {
  STOP_STATUS=0
  timeout 120 "${RUN_AS[@]}" "$APP" --wallpaper --stop 2>"$WORK/stop.err" || STOP_STATUS=$?
}

# Checks that FILE holds one line that matches the extended regular
# expression PATTERN; WHAT names the output for the message.
expect_one_line() {
  [ "$(wc -l <"$1")" = 1 ] && grep -qE "$2" "$1" || fail "$3 wrote: $(cat "$1")"
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
  "${RUN_AS[@]}" "$PYTHON" "$UNPLUG_PROXY" "$RUNTIME/wayland-proxy" "$RUNTIME/$WAYLAND_DISPLAY" 2>"$WORK/proxy.err" &
  PROXY_PID=$!
  EXTRA_PIDS+=("$PROXY_PID")
  wait_until "$WAIT_SECONDS" test -S "$RUNTIME/wayland-proxy" || fail "the proxy did not start"
  WAYLAND_DISPLAY=wayland-proxy start_wallpaper
  wait_output_grid HEADLESS-1 3 1280x1024+0+0
  read_clock; plugged_us=$CLOCK_US
  swaymsg create_output >/dev/null || fail "sway made no second output"
  # Smaller than the first: drawn last in each moment, its viewport is the
  # one left in place when it goes.
  swaymsg output HEADLESS-2 mode 800x600 >/dev/null || fail "sway did not make the second output 800x600"
  wait_output_grid HEADLESS-2 3 800x600+0+0
  read_clock; echo "the second output was drawn on $(((CLOCK_US - plugged_us) / 1000)) ms after it came"
  kill -USR1 "$PROXY_PID"
  gone() { output_shows_grid HEADLESS-2 0 800x600+0+0 && [ "$GRIDS" -lt 1 ]; }
  wait_until --while app_running "$WAIT_SECONDS" gone || fail "the unplugged output still shows the aquarium"
  # The one left fills itself at its own size: no band above or beside an
  # 800x600 corner.
  wait_output_grid HEADLESS-1 1 200x1024+1080+0 1280x150+0+0
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
  ( cd "$WORK/run" && "${RUN_AS[@]}" "$APP" --wallpaper >"$WORK/second.out" 2>"$WORK/second.err"; echo $? >"$WORK/second.code" ) &
  wait_wallpaper_exit "a second wallpaper started" 0
  [ ! -s "$WORK/first.err" ] || fail "the replaced wallpaper wrote: $(cat "$WORK/first.err")"
  rm "$WORK/exit_code"
  APP_PID=$(pgrep -f -n -- "$APP --wallpaper") || fail "the second wallpaper is not running"
  wait_output_grid HEADLESS-1 3 1280x1024+0+0
  "${RUN_AS[@]}" "$APP" --wallpaper --stop 2>"$WORK/stop.err" || fail "--stop failed: $(cat "$WORK/stop.err")"
  wait_until "$WAIT_SECONDS" test -s "$WORK/second.code" || fail "--stop did not end the wallpaper"
  [ "$(cat "$WORK/second.code")" = 0 ] || fail "the stopped wallpaper ended with $(cat "$WORK/second.code")"
  status=0
  "${RUN_AS[@]}" "$APP" --wallpaper --stop 2>"$WORK/stop.err" || status=$?
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
  HOME=$RUNTIME "${RUN_AS[@]}" weston --backend=headless-backend.so --socket=wayland-7 --idle-time=0 >"$WORK/weston.log" 2>&1 &
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
  copy_data
  (cd "$WORK/run" && __EGL_VENDOR_LIBRARY_FILENAMES=/nonexistent.json "${RUN_AS[@]}" "$APP" --wallpaper) 2>"$WORK/egl.err" || status=$?
  [ "$status" = 1 ] && [ "$(wc -l <"$WORK/egl.err")" = 1 ] && grep -q '^Marivelle: EGL' "$WORK/egl.err" ||
    fail "without an EGL driver it ended with $status and wrote: $(cat "$WORK/egl.err")"
  start_wallpaper
  wait_output_grid HEADLESS-1 3 1280x1024+0+0
  kill -KILL "$SWAY_PID"
  wait_wallpaper_exit "the compositor's end" 1
  [ "$(wc -l <"$WORK/app.err")" = 1 ] && grep -q '^Marivelle: the Wayland compositor closed the connection' \
    "$WORK/app.err" || fail "the compositor's end reads: $(cat "$WORK/app.err")"
  ;;
starts_at_once)
  # Twenty times two wallpapers start at the same moment, every other time
  # while an older one runs: one of the two ends (the older one too), the
  # other stays, and --stop ends it. Two starts that each found no listener,
  # or woke on the same older one's end, and each bound the socket would
  # leave two running and only one reachable.
  start_sway
  copy_data
  socket=$RUNTIME/marivelle-wallpaper-$WAYLAND_DISPLAY
  light=(--max-fps 5 --fish 1)
  old_running() { named_running old; }
  read_clock; began_us=$CLOCK_US
  for round in $(seq 1 20); do
    older=$((round % 2 == 0))
    if [ "$older" = 1 ]; then
      start_named old "${light[@]}"
      note_named old
      wait_until --while old_running "$WAIT_SECONDS" test -S "$socket" ||
        fail "round $round: the older wallpaper made no socket: $(cat "$WORK/old.err")"
    fi
    start_named a "${light[@]}"
    start_named b "${light[@]}"
    note_named a b
    wait_until "$WAIT_SECONDS" either_ended a b || fail "round $round: both wallpapers started at once still run"
    if named_ended a; then gone=a kept=b; else gone=b kept=a; fi
    expect_named_end "$gone" 0 "round $round's other start"
    named_running "$kept" || fail "round $round: both wallpapers started at once ended: $(cat "$WORK/$kept.err")"
    [ "$older" = 0 ] || expect_named_end old 0 "round $round's two starts"
    run_stop
    [ "$STOP_STATUS" = 0 ] || fail "round $round: --stop ended with $STOP_STATUS: $(cat "$WORK/stop.err")"
    expect_named_end "$kept" 0 "round $round's --stop"
    [ ! -e "$socket" ] || fail "round $round: the stopped wallpaper left its socket"
  done
  read_clock; echo "20 rounds in $(((CLOCK_US - began_us) / 1000000)) s"
  ;;
runtime_folder_refused)
  # A runtime folder other users may enter, or one of another user, is
  # refused in one line, by a start and by --stop, before any socket is made;
  # the same folder with mode 0700 serves.
  start_sway
  copy_data
  socket=$RUNTIME/marivelle-wallpaper-$WAYLAND_DISPLAY
  chmod 755 "$RUNTIME"
  status=0
  (cd "$WORK/run" && timeout 120 "${RUN_AS[@]}" "$APP" --wallpaper) >/dev/null 2>"$WORK/open.err" || status=$?
  run_stop
  chmod 700 "$RUNTIME"
  open_to_others="^Marivelle: XDG_RUNTIME_DIR $RUNTIME is open to other users \(mode 0755, not 0700\)\$"
  [ "$status" = 1 ] || fail "with a runtime folder of mode 0755 the wallpaper ended with $status: $(cat "$WORK/open.err")"
  expect_one_line "$WORK/open.err" "$open_to_others" "the wallpaper refused for mode 0755"
  [ "$STOP_STATUS" = 1 ] || fail "with a runtime folder of mode 0755 --stop ended with $STOP_STATUS"
  expect_one_line "$WORK/stop.err" "$open_to_others" "--stop refused for mode 0755"
  [ ! -e "$socket" ] && [ ! -e "$socket.lock" ] || fail "the refused wallpaper left a file in the runtime folder"
  if [ "$(id -u)" = 0 ]; then
    status=0
    (cd "$WORK/run" && timeout 120 "$APP" --wallpaper) >/dev/null 2>"$WORK/owner.err" || status=$?
    [ "$status" = 1 ] || fail "as root in another user's runtime folder the wallpaper ended with $status"
    expect_one_line "$WORK/owner.err" "^Marivelle: XDG_RUNTIME_DIR $RUNTIME belongs to another user \(uid 65534, not 0\)\$" \
      "the wallpaper refused for another user's folder"
  fi
  start_wallpaper --max-fps 5
  wait_until --while app_running "$WAIT_SECONDS" test -S "$socket" || fail "with mode 0700 the wallpaper made no socket"
  kill -TERM "$APP_PID"
  wait_wallpaper_exit SIGTERM 0
  expect_no_error_line "with mode 0700"
  ;;
quit_while_waiting)
  # An older wallpaper that never ends (a stand-in that holds every
  # connection): SIGTERM while a new wallpaper waits for it, and SIGINT while
  # --stop does, end the wait at once, in one line and with status 1.
  start_sway
  copy_data
  socket=$RUNTIME/marivelle-wallpaper-$WAYLAND_DISPLAY
  "${RUN_AS[@]}" "$PYTHON" -u -c '
import socket, sys
listener = socket.socket(socket.AF_UNIX)
listener.bind(sys.argv[1])
listener.listen(4)
held = []
while True:
    held.append(listener.accept()[0])
    print("asked", flush=True)
' "$socket" >"$WORK/held.log" 2>&1 &
  EXTRA_PIDS+=($!)
  wait_until "$WAIT_SECONDS" test -S "$socket" || fail "the stand-in for an older wallpaper made no socket"
  asked() { [ "$(grep -c '^asked' "$WORK/held.log")" -ge "$1" ]; }
  start_wallpaper
  wait_until --while app_running "$WAIT_SECONDS" asked 1 || fail "the wallpaper did not ask the older one to end"
  read_clock; sent_us=$CLOCK_US
  kill -TERM "$APP_PID"
  wait_wallpaper_exit "SIGTERM while it waited for the older one" 1
  read_clock; echo "the wallpaper ended $(((CLOCK_US - sent_us) / 1000)) ms after SIGTERM"
  expect_one_line "$WORK/app.err" '^Marivelle: asked to end while waiting for the wallpaper that ran before$' \
    "the wallpaper ended by SIGTERM while it waited"
  start_named stopper --stop
  note_named stopper
  stopper_running() { named_running stopper; }
  wait_until --while stopper_running "$WAIT_SECONDS" asked 2 || fail "--stop did not ask the older wallpaper to end"
  kill -INT "$(named_pid stopper)"
  expect_named_end stopper 1 "SIGINT while it waited for the older one"
  expect_one_line "$WORK/stopper.err" '^Marivelle: asked to end while waiting for the wallpaper to end$' \
    "--stop ended by SIGINT while it waited"
  ;;
closed_surface_made_again)
  # The compositor closes the background surface while the output stays
  # (the proxy sends the event): the wallpaper drops it and makes another,
  # three times within a minute; a fourth close waits for the minute's end,
  # the program idle meanwhile, and the surface comes back.
  start_sway
  "${RUN_AS[@]}" "$PYTHON" "$CLOSE_PROXY" "$RUNTIME/wayland-proxy" "$RUNTIME/$WAYLAND_DISPLAY" \
    >"$WORK/proxy.log" 2>"$WORK/proxy.err" &
  PROXY_PID=$!
  EXTRA_PIDS+=("$PROXY_PID")
  wait_until "$WAIT_SECONDS" test -S "$RUNTIME/wayland-proxy" || fail "the proxy did not start"
  WAYLAND_DISPLAY=wayland-proxy start_wallpaper --max-fps 10
  wait_output_grid HEADLESS-1 3 1280x1024+0+0
  logged() { [ "$(grep -c "^$1 " "$WORK/proxy.log")" -ge "$2" ]; }
  logged made 1 && ! logged made 2 || fail "the wallpaper made $(grep -c '^made' "$WORK/proxy.log") surfaces for one output"
  for closes in 1 2 3; do
    kill -USR2 "$PROXY_PID"
    wait_until --while app_running "$WAIT_SECONDS" logged made $((closes + 1)) ||
      fail "no new surface after the compositor closed one $closes times: $(tr '\n' ' ' <"$WORK/proxy.log")"
    logged destroyed "$closes" || fail "the closed surface was not destroyed"
    if [ "$closes" = 1 ]; then read_clock; first_us=$CLOCK_US; fi
  done
  kill -USR2 "$PROXY_PID"
  wait_until --while app_running "$WAIT_SECONDS" logged destroyed 4 || fail "the surface closed a fourth time was kept"
  cpu=$(cpu_percent_over "$APP_PID" 5) || fail "cannot read the program's CPU time"
  ! logged made 5 || fail "the surface was made four times within a minute"
  awk -v p="$cpu" 'BEGIN { exit !(p < 10) }' || fail "waiting to make the surface again used $cpu % of a core"
  wait_until --while app_running $((60 + WAIT_SECONDS)) logged made 5 || fail "the surface closed a fourth time never came back"
  read_clock; waited=$(((CLOCK_US - first_us) / 1000000))
  echo "made again $waited s after the first time, $cpu % of a core while waiting"
  [ "$waited" -ge 45 ] || fail "the surface was made a fourth time $waited s after the first"
  wait_output_grid HEADLESS-1 3 1280x1024+0+0
  expect_no_error_line "after the compositor closed the surface"
  kill -TERM "$APP_PID"
  wait_wallpaper_exit SIGTERM 0
  ;;
*)
  fail "unknown case $case_name"
  ;;
esac
echo "PASS: $case_name"
