#!/usr/bin/env bash
# End-to-end tests of the wallpaper (--wallpaper) under Xvfb: a window of the
# desktop's background on every monitor, under all others and clicked
# through, one per display, ended by --stop, a signal or a newer wallpaper;
# it follows the monitors and sleeps while wholly covered.
# Usage: wallpaper_test.sh CASE   (APP, DATA_DIR, MAKE_WINDOW and STACK_WINDOW in the environment)
source "$(dirname "$0")/lib.sh"
case_name=${1:?case}
TITLE="Marivelle wallpaper"

# True when the window's geometry matches the pattern GLOB.
# shellcheck disable=SC2053 # the pattern is meant as one
geometry_matches() { [[ $(geometry_of "$1") == $2 ]]; }

# True once COUNT wallpaper windows are mapped; sets WINDOWS to their ids
# (0x...) and GEOMETRIES to theirs, from left to right.
wallpapers_shown() {
  local id lines
  lines=$(for id in $(xdotool search --onlyvisible --name "^$TITLE\$" 2>/dev/null); do
    printf '0x%x %s\n' "$id" "$(geometry_of "$id")"
  done | sort -t+ -k2 -n)
  WINDOWS=$(echo "$lines" | awk '{ print $1 }' | xargs)
  GEOMETRIES=$(echo "$lines" | awk '{ print $2 }' | xargs)
  [ "$(echo "$lines" | grep -c .)" = "$1" ]
}

wait_wallpapers() {
  wait_until --while app_running "$WAIT_SECONDS" wallpapers_shown "$1" ||
    fail "expected $1 wallpaper window(s), found: ${GEOMETRIES:-none}"
}

# True when a screenshot of the screen (root.png) shows the room's grid on at
# least MIN % of each crop (WxH+X+Y); GRIDS holds the shares seen.
screen_shows_grid() {
  "$IM_IMPORT" -window root "$WORK/root.png" 2>/dev/null && picture_shows_grid "$WORK/root.png" "$@"
}

wait_screen_grid() {
  wait_until --while app_running --every 0.5 "$WAIT_SECONDS" screen_shows_grid "$@" ||
    fail "the screen shows too little grid in ${*:2} (${GRIDS:-no screenshot} %)"
}

# Starts `marivelle --wallpaper ARG...` as the wallpaper NAME, beside any
# other: its output in NAME.err, its exit status in NAME.code once it ends;
# APP_PID is its process.
spawn_wallpaper() {
  local name=$1
  shift
  [ -d "$WORK/run" ] || { mkdir -p "$WORK/run" && cp -r "$DATA_DIR"/. "$WORK/run/"; }
  (
    cd "$WORK/run" || exit
    "$APP" --wallpaper "$@" >"$WORK/$name.out" 2>"$WORK/$name.err" &
    echo $! >"$WORK/$name.pid"
    wait $!
    echo $? >"$WORK/$name.code"
  ) 2>/dev/null &
  wait_until "$WAIT_SECONDS" test -s "$WORK/$name.pid" || fail "$name was not started"
  APP_PID=$(cat "$WORK/$name.pid")
}

# Checks that wallpaper NAME ends with status 0, WHY naming what ended it.
expect_ended() {
  wait_until "$WAIT_SECONDS" test -s "$WORK/$1.code" || fail "$1 still runs after $2"
  [ "$(cat "$WORK/$1.code")" = 0 ] || fail "$1 ended with $(cat "$WORK/$1.code") after $2: $(cat "$WORK/$1.err")"
}

# Runs `marivelle ARG...` in the foreground; sets CODE and ERR (its standard error).
run_app() {
  "$APP" "$@" >"$WORK/out" 2>"$WORK/err"
  CODE=$?
  ERR=$(cat "$WORK/err")
}

# Checks that the last run_app said one line starting "Marivelle: " and
# matching PATTERN, and exited with CODE ("nonzero" for any but 0).
expect_one_line() {
  local what=$1 code=$2 pattern=$3
  { [ "$code" = nonzero ] && [ "$CODE" != 0 ]; } || [ "$CODE" = "$code" ] || fail "$what: exit status $CODE, expected $code"
  [ "$(grep -c . "$WORK/err")" = 1 ] && grep -q "^Marivelle: .*$pattern" "$WORK/err" ||
    fail "$what: expected one line matching '$pattern' on standard error: $ERR"
}

# The top-level windows from the top of the stack to the bottom (xwininfo lists
# them so), or the managed windows from the bottom up (_NET_CLIENT_LIST_STACKING).
bottom_window() { xwininfo -root -children | awk '$1 ~ /^0x/ { id = $1 } END { print id }'; }
client_stack() { xprop -root _NET_CLIENT_LIST_STACKING | sed 's/^.*# //; s/,//g'; }
at_bottom() { [ "$(bottom_window)" = "$1" ]; }
clicked_through() { grep -A1 "^ButtonPress event" "$WORK/clicks.log" | grep -q "subw 0x0,"; }
# True when the managed window A is stacked below the managed window B.
stacked_below() { client_stack | tr ' ' '\n' | awk -v a="$1" -v b="$2" '$1 == a { sa = NR } $1 == b { sb = NR } END { exit !(sa && sb && sa < sb) }'; }

# Measures the wallpaper's CPU while it is shown; it draws 30 frames a second.
expect_drawing_cpu() {
  local cpu
  cpu=$(cpu_percent_over "$APP_PID" 10) || fail "$1: cannot read the program's CPU time"
  echo "$1: $cpu % of a core over 10 s"
  awk -v p="$cpu" 'BEGIN { exit !(p >= 5) }' || fail "$1: only $cpu % of a core while shown: it does not draw"
}

# Checks that the picture on the screen moves, and goes on moving; WHAT names
# the change after which it must.
expect_moving() {
  local took
  took=$(wait_for_motion root) || fail "$1: the picture does not move"
  wait_for_motion root >/dev/null || fail "$1: the picture moved once, then stopped"
  echo "$1: the picture moves, $took ms later"
}

case "$case_name" in
window_manager)
  # Under openbox: a desktop window on every workspace, off the task bar and
  # pager, never focused, left alone by the manager (no frame to take its
  # clicks), and under every normal window however it is raised.
  start_xvfb; start_window_manager
  start_app_with --wallpaper
  wait_wallpapers 1
  wid=$WINDOWS
  [ "$GEOMETRIES" = 1280x1024+0+0 ] || fail "the wallpaper is at $GEOMETRIES, not over the screen"
  xprop -id "$wid" >"$WORK/props"
  for want in '_NET_WM_WINDOW_TYPE(ATOM) = _NET_WM_WINDOW_TYPE_DESKTOP$' '^_NET_WM_STATE(ATOM) = .*_BELOW' \
    '^_NET_WM_STATE(ATOM) = .*_SKIP_TASKBAR' '^_NET_WM_STATE(ATOM) = .*_SKIP_PAGER' '^_NET_WM_DESKTOP(CARDINAL) = 4294967295$' \
    'Client accepts input or input focus: False' '^WM_CLASS(STRING) = "marivelle-wallpaper", "Marivelle"$' \
    "^_NET_WM_PID(CARDINAL) = $APP_PID\$"; do
    grep -q "$want" "$WORK/props" || fail "no property matching '$want': $(grep -v '^	' "$WORK/props")"
  done
  xwininfo -id "$wid" | grep -q "Override Redirect State: yes" || fail "the wallpaper is not override-redirect"
  wait_screen_grid 3 1280x1024+0+0
  echo "the screen: $GRIDS % grid"
  wait_for_motion root >/dev/null || fail "the picture does not move"
  start_cover 400 300
  xdotool windowraise "$COVER"
  wait_until "$WAIT_SECONDS" at_bottom "$wid" || fail "a raised window is not above the wallpaper: $(bottom_window)"
  xdotool windowraise "$wid"
  wait_until --while app_running "$WAIT_SECONDS" at_bottom "$wid" ||
    fail "the raised wallpaper does not go back to the bottom"
  holds_throughout 2 at_bottom "$wid" || fail "the wallpaper left the bottom"
  # Tools that read the window's picture through its colormap (import, xwd) see it too.
  wait_for_picture "$wid" "$WORK/window.png" 20 || fail "the wallpaper window's own picture is dark"
  ;;
no_window_manager)
  # Without a window manager: kept at the bottom by the program, and a click
  # on it goes to the root window, where desktops listen.
  start_xvfb
  start_app_with --wallpaper
  wait_wallpapers 1
  wid=$WINDOWS
  xwininfo -id "$wid" | grep -q "Override Redirect State: yes" || fail "the wallpaper is not override-redirect"
  state=$(xprop -id "$wid" _NET_WM_STATE)
  for want in BELOW STICKY SKIP_TASKBAR SKIP_PAGER; do
    echo "$state" | grep -q "_NET_WM_STATE_$want" || fail "no $want state: $state"
  done
  wait_screen_grid 3 1280x1024+0+0
  start_cover 300 200
  [ "$(bottom_window)" = "$wid" ] || fail "the wallpaper is not at the bottom: $(bottom_window)"
  "$STACK_WINDOW" lower "$COVER"
  wait_until --while app_running "$WAIT_SECONDS" at_bottom "$wid" ||
    fail "a window lowered under the wallpaper stays there"
  xdotool windowraise "$wid"
  wait_until --while app_running "$WAIT_SECONDS" at_bottom "$wid" ||
    fail "the raised wallpaper does not go back to the bottom"
  holds_throughout 2 at_bottom "$wid" || fail "the wallpaper left the bottom"
  xev -root -event button >"$WORK/clicks.log" 2>&1 &
  wait_until "$WAIT_SECONDS" sh -c 'xwininfo -root -events | grep -q ButtonPress' || fail "xev does not watch the root"
  xdotool mousemove 800 700 click 1
  # Straight to the root: no window of the wallpaper under the pointer (subw).
  wait_until "$WAIT_SECONDS" clicked_through ||
    fail "the click did not reach the root window: $(grep -A1 ButtonPress "$WORK/clicks.log")"
  app_running || fail "the program ended"
  ;;
stop_and_replace)
  # One wallpaper a display: a newer one replaces it, --stop ends it, and a
  # killed one leaves nothing behind; SIGTERM and SIGINT end it with 0.
  start_xvfb
  spawn_wallpaper first
  wait_wallpapers 1
  spawn_wallpaper second
  expect_ended first "a second wallpaper started"
  shown_by_second() { wallpapers_shown 1 && xprop -id "$WINDOWS" _NET_WM_PID | grep -q "= $APP_PID\$"; }
  wait_until "$WAIT_SECONDS" shown_by_second || fail "the wallpaper shown is not the second's"
  expect_moving "replaced"
  run_app --wallpaper --stop
  [ "$CODE" = 0 ] || fail "--stop: exit status $CODE: $ERR"
  expect_ended second "--stop"
  [ -z "$(xdotool search --name "^$TITLE\$")" ] || fail "a wallpaper window is left after --stop"
  run_app --wallpaper --stop
  expect_one_line "--stop with none running" 1 "no wallpaper"
  none_running=$ERR
  spawn_wallpaper killed
  wait_wallpapers 1
  kill -KILL "$APP_PID"
  wait_until "$WAIT_SECONDS" test -s "$WORK/killed.code" || fail "SIGKILL did not end the wallpaper"
  read_clock; start_us=$CLOCK_US
  run_app --wallpaper --stop
  read_clock
  echo "--stop after SIGKILL: $(((CLOCK_US - start_us) / 1000)) ms, exit status $CODE: $ERR"
  [ "$ERR" = "$none_running" ] && [ "$CODE" = 1 ] || fail "--stop after SIGKILL found a claim left behind"
  for signal in TERM INT; do
    spawn_wallpaper "$signal"
    wait_wallpapers 1
    expect_moving "started after SIGKILL, before SIG$signal"
    kill -"$signal" "$APP_PID"
    expect_ended "$signal" "SIG$signal"
    [ ! -s "$WORK/$signal.err" ] || fail "the wallpaper ended by SIG$signal wrote: $(cat "$WORK/$signal.err")"
  done
  ;;
quit_while_waiting)
  # A newer wallpaper waits for the one that held the display to end; a
  # SIGTERM while it waits ends it at once, in one line, not after the wait.
  start_xvfb
  spawn_wallpaper first
  wait_wallpapers 1
  first_pid=$APP_PID
  kill -STOP "$first_pid"
  spawn_wallpaper second
  # Each wallpaper's claim is held by a 1x1 window of its own at -1,-1.
  claim_holders() { [ "$(timeout "$WAIT_SECONDS" xwininfo -root -children | grep -c ' 1x1+-1+-1 ')" -ge 2 ]; }
  wait_until --while app_running "$WAIT_SECONDS" claim_holders || fail "the second wallpaper never claimed the display"
  read_clock; start_us=$CLOCK_US
  kill -TERM "$APP_PID"
  wait_until "$WAIT_SECONDS" test -s "$WORK/second.code" || fail "SIGTERM did not end the waiting wallpaper"
  read_clock
  took=$(((CLOCK_US - start_us) / 1000))
  kill -CONT "$first_pid"
  echo "SIGTERM while waiting: ended in $took ms, status $(cat "$WORK/second.code"): $(cat "$WORK/second.err")"
  [ "$took" -lt 10000 ] || fail "the waiting wallpaper took $took ms to end"
  [ "$(cat "$WORK/second.code")" = 1 ] || fail "the waiting wallpaper ended with $(cat "$WORK/second.code")"
  [ "$(grep -c . "$WORK/second.err")" = 1 ] && grep -q '^Marivelle: asked to end while waiting' "$WORK/second.err" ||
    fail "the waiting wallpaper said: $(cat "$WORK/second.err")"
  ;;
two_monitors)
  # Two heads of different shapes side by side (Xephyr with Xinerama): a
  # window each, with the whole picture at its own aspect; covering one head
  # leaves the other drawing, covering both puts it to sleep.
  start_xvfb
  exec 3>"$WORK/nested"
  Xephyr -displayfd 3 -screen 640x480 -screen 800x400 +xinerama -nolisten tcp -noreset >"$WORK/xephyr.log" 2>&1 &
  XEPHYR_PID=$!
  trap 'kill "$XEPHYR_PID" 2>/dev/null; cleanup' EXIT
  wait_until "$WAIT_SECONDS" test -s "$WORK/nested" || fail "Xephyr did not start: $(cat "$WORK/xephyr.log")"
  exec 3>&-
  DISPLAY=":$(cat "$WORK/nested")"
  # Slow motion: the two pictures of one moment stay alike between their presents.
  start_app_with --wallpaper --speed 0.25
  wait_wallpapers 2
  [ "$GEOMETRIES" = "640x480+0+0 800x400+640+0" ] || fail "the windows are at $GEOMETRIES, not on the two heads"
  # Each head's left and right halves show the room.
  wait_screen_grid 2 320x480+0+0 320x480+320+0 400x400+640+0 400x400+1040+0
  echo "the heads' halves: $GRIDS % grid"
  # The same height of view on both: the wide head's middle is the narrow
  # head's picture scaled, not the narrow head's picture stretched.
  unstretched() {
    screen_shows_grid 2 640x480+0+0 800x400+640+0 || return 1
    "$IM_CONVERT" "$WORK/root.png" -crop 640x480+0+0 +repage -resize '533x400!' "$WORK/narrow.png"
    "$IM_CONVERT" "$WORK/root.png" -crop 533x400+773+0 +repage "$WORK/middle.png"
    "$IM_CONVERT" "$WORK/root.png" -crop 640x480+0+0 +repage -resize '800x400!' "$WORK/stretched.png"
    "$IM_CONVERT" "$WORK/root.png" -crop 800x400+640+0 +repage "$WORK/wide.png"
    SCALED=$(lit_mask_difference "$WORK/narrow.png" "$WORK/middle.png" 533x400+0+0)
    STRETCHED=$(lit_mask_difference "$WORK/stretched.png" "$WORK/wide.png" 800x400+0+0)
    [ $((SCALED * 3)) -lt $((STRETCHED * 2)) ]
  }
  wait_until --while app_running "$WAIT_SECONDS" unstretched ||
    fail "the wide head's picture is stretched: it differs from the narrow one's by $SCALED % scaled, $STRETCHED % stretched"
  echo "the wide head against the narrow one: $SCALED % differ scaled, $STRETCHED % stretched"
  expect_drawing_cpu "two heads shown"
  start_cover 640 480
  expect_moving "the first head covered, the second not"
  first_cover=$COVER
  start_cover 800 400
  xdotool windowmove "$COVER" 640 0
  expect_idle_cpu "both heads covered"
  xdotool windowunmap "$COVER"
  expect_moving "the second head uncovered"
  xdotool windowunmap "$first_cover"
  ;;
monitor_resized)
  # The monitor changes its mode: the window follows, and the picture fills
  # the new size; again on the way back.
  start_xvfb
  start_app_with --wallpaper
  wait_wallpapers 1
  wait_screen_grid 3 1280x1024+0+0
  xrandr --newmode 800x600 0 800 0 0 0 600 0 0 0 && xrandr --addmode screen 800x600 || fail "xrandr cannot add 800x600"
  for mode in 800x600 1280x1024; do
    read_clock; start_us=$CLOCK_US
    xrandr --output screen --mode "$mode" || fail "xrandr cannot switch to $mode"
    wait_until --while app_running "$WAIT_SECONDS" geometry_matches "$WINDOWS" "$mode+0+0" ||
      fail "the window is at $(geometry_of "$WINDOWS") after the switch to $mode"
    read_clock
    echo "$mode: the window followed in $(((CLOCK_US - start_us) / 1000)) ms"
    width=${mode%x*} height=${mode#*x}
    # No band left undrawn: the right, bottom and top strips show the grid.
    wait_screen_grid 1 "200x$height+$((width - 200))+0" "${width}x150+0+$((height - 150))" "${width}x150+0+0"
    echo "$mode: right, bottom and top strips $GRIDS % grid"
  done
  app_running || fail "the program ended"
  ;;
covered | covered_composited)
  # A maximised window over the only monitor puts the wallpaper to sleep;
  # unmapped, the picture moves again at once. With and without a compositor.
  start_xvfb
  if [ "$case_name" = covered_composited ]; then
    xcompmgr >"$WORK/xcompmgr.log" 2>&1 &
    wait_until "$WAIT_SECONDS" sh -c 'xdotool search --name "^xcompmgr\$" >/dev/null' || fail "xcompmgr did not start"
  fi
  start_window_manager
  start_app_with --wallpaper
  wait_wallpapers 1
  wait_screen_grid 3 1280x1024+0+0
  expect_drawing_cpu "shown"
  start_cover 640 480
  "$STACK_WINDOW" maximise "$COVER"
  wait_until "$WAIT_SECONDS" geometry_matches "$COVER" "1280x*" || fail "the window was not maximised"
  expect_idle_cpu "covered"
  xdotool windowunmap "$COVER"
  expect_moving "uncovered"
  ;;
locker_and_screen_saver)
  # Under openbox and xcompmgr (the server then reports every window as
  # unobscured), nobody sees the wallpaper under a window no manager
  # touches, as a screen locker's, nor while the X server's screen saver is
  # on: it sleeps, and draws again once the window is unmapped or the saver
  # ends.
  start_xvfb; start_window_manager; start_compositor
  start_app_with --wallpaper
  wait_wallpapers 1
  wait_screen_grid 3 1280x1024+0+0
  rm -f "$WORK/locker.id"
  "$MAKE_WINDOW" --override 8 1280 1024 0 0 >"$WORK/locker.id" &
  locker_shown() { [ -s "$WORK/locker.id" ] && window_viewable "$(cat "$WORK/locker.id")"; }
  wait_until "$WAIT_SECONDS" locker_shown || fail "no override-redirect window"
  expect_idle_cpu "under an override-redirect window"
  timeout 60 xdotool windowunmap --sync "$(cat "$WORK/locker.id")" || fail "xdotool could not unmap the window"
  expect_moving "the override-redirect window unmapped"
  timeout "$WAIT_SECONDS" xset s activate || fail "xset could not start the screen saver"
  expect_idle_cpu "screen saver on"
  timeout "$WAIT_SECONDS" xset s reset || fail "xset could not end the screen saver"
  expect_moving "the screen saver ended"
  ;;
powered_down)
  # DPMS powers the monitor down: the wallpaper sleeps, and draws again once
  # the monitor is on, which it learns by asking every two seconds. Xvfb has
  # no DPMS: a stand-in answers for it.
  start_xvfb; start_dpms_proxy
  start_app_with --wallpaper
  wait_wallpapers 1
  wait_screen_grid 3 1280x1024+0+0
  timeout "$WAIT_SECONDS" xset dpms force off || fail "xset could not power the monitor down"
  expect_idle_cpu "monitor powered down"
  timeout "$WAIT_SECONDS" xset dpms force on || fail "xset could not power the monitor on"
  expect_moving "the monitor on"
  ;;
dragged_window_costs_no_requests)
  # Moving a window over the wallpaper changes where it is bare, which the
  # copy of the stack that the events keep tells with no request to the
  # server. Its write calls (each flush of requests is one, a frame's among
  # them) stay near those of the same time without the drag; asking the
  # server about every window above at each move would make them many times
  # as many.
  start_xvfb; start_window_manager
  start_app_with --wallpaper
  wait_wallpapers 1
  wait_screen_grid 3 1280x1024+0+0
  ids=()
  for at in 0 1 2 3 4 5 6 7 8 9 10 11; do
    out="$WORK/window$at.id"
    row=$((at / 6))
    "$MAKE_WINDOW" 8 180 150 $((at % 6 * 210 + 10)) $((row * 300 + 10)) >"$out" 2>>"$WORK/windows.err" &
    wait_until "$WAIT_SECONDS" test -s "$out" || fail "window $at did not start"
    ids+=("$(cat "$out")")
  done
  shown_all() { for id in "${ids[@]}"; do window_viewable "$id" || return 1; done; }
  wait_until "$WAIT_SECONDS" shown_all || fail "the twelve windows are not all shown"
  writes() { awk '/^syscw:/ { print $2 }' "/proc/$APP_PID/io"; }
  sleep 2
  before=$(writes); sleep 10; still=$(($(writes) - before))
  # Back and forth across the screen, over the others, some 80 times a second.
  mapfile -t places < <(seq 0 40 1000; seq 1000 -40 0)
  steps=()
  for x in "${places[@]}"; do steps+=(windowmove "${ids[3]}" "$x" 200 sleep 0.01); done
  moves=0
  moved() { xwininfo -id "${ids[3]}" 2>/dev/null | grep -q "Absolute upper-left Y: *200$"; }
  before=$(writes)
  read_clock; end_us=$((CLOCK_US + 10000000))
  while read_clock && [ "$CLOCK_US" -lt "$end_us" ]; do
    timeout "$WAIT_SECONDS" xdotool "${steps[@]}" || fail "xdotool could not move the window"
    moves=$((moves + ${#places[@]}))
  done
  dragged=$(($(writes) - before))
  moved || fail "the window was not moved"
  echo "write calls over 10 s: $still still, $dragged while a window was moved $moves times"
  app_running || fail "the wallpaper ended"
  [ "$dragged" -le $((still * 2 + 200)) ] ||
    fail "moving a window made $dragged write calls in 10 s, against $still without"
  ;;
restack_fight)
  # Another program that keeps its own window under all others (another
  # wallpaper tool, say): the wallpaper answers it for a moment, then gives
  # way for a while and says so once, so that neither keeps a core busy;
  # once the other has gone, it goes back to the bottom.
  start_xvfb
  start_app_with --wallpaper
  wait_wallpapers 1
  wid=$WINDOWS
  start_cover 300 200
  "$STACK_WINDOW" keep-lowest "$COVER" 12 >"$WORK/lowered" &
  fighter=$!
  gave_way() { grep -q "another program keeps restacking" "$WORK/app.err"; }
  wait_until --while app_running "$WAIT_SECONDS" gave_way || fail "the wallpaper never gave way: $(cat "$WORK/app.err")"
  wait "$fighter"
  echo "against a program that keeps its window lowest: it lowered its window $(cat "$WORK/lowered") times in 12 s"
  # Each answers the other at once: without a pause they go on at the pace
  # of the wallpaper's frames or faster.
  [ "$(cat "$WORK/lowered")" -lt 150 ] || fail "the two programs restacked $(cat "$WORK/lowered") times in 12 s"
  kill "$COVER_PID"
  wait_until --while app_running "$WAIT_SECONDS" at_bottom "$wid" || fail "the wallpaper did not go back to the bottom"
  [ "$(grep -c "another program keeps restacking" "$WORK/app.err")" = 1 ] ||
    fail "the wallpaper said it more than once: $(cat "$WORK/app.err")"
  ;;
bad_command_line)
  # Refused before any window opens, in one line.
  unset DISPLAY
  for args in "--stop" "--wallpaper --root" "--wallpaper --window-id 0x123" "--wallpaper --fullscreen" "--wallpaper=1"; do
    # shellcheck disable=SC2086 # each case is several words
    run_app $args
    expect_one_line "marivelle $args" 2 ""
  done
  unset WAYLAND_DISPLAY
  run_app --wallpaper
  expect_one_line "--wallpaper without a display" nonzero ""
  run_app --wallpaper --stop
  expect_one_line "--wallpaper --stop without a display" nonzero ""
  # A Wayland session whose compositor is gone (the layer shell's own
  # refusal is a case of wayland_test.sh): one line of ours, none of the
  # Wayland library's.
  XDG_RUNTIME_DIR=$WORK WAYLAND_DISPLAY=wayland-0 run_app --wallpaper
  expect_one_line "--wallpaper on Wayland" 1 "no Wayland compositor answers"
  echo "on Wayland: $ERR"
  env -u XDG_RUNTIME_DIR WAYLAND_DISPLAY=wayland-0 "$APP" --wallpaper 2>"$WORK/bare.err" && fail "it ran"
  [ "$(wc -l <"$WORK/bare.err")" = 1 ] || fail "without XDG_RUNTIME_DIR it wrote: $(cat "$WORK/bare.err")"
  ;;
*) fail "unknown case $case_name" ;;
esac
echo "PASS $case_name"
