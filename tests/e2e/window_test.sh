#!/usr/bin/env bash
# End-to-end tests of the real program in a real window under Xvfb.
# Usage: window_test.sh CASE   (APP, DATA_DIR, SEND_CLOSE and MAKE_WINDOW in the environment)
source "$(dirname "$0")/lib.sh"
case_name=${1:?case}

run_case() {
# Starts the program under a window manager (and, given "composited", a
# compositing manager) and waits for its picture. Leaves its window in wid.
start_on_desktop() {
  start_xvfb; start_window_manager
  if [ "${1:-}" = composited ]; then start_compositor; fi
  start_app
  wid=$(wait_window Marivelle) || fail "no window"
  wait_for_picture "$wid" "$WORK/a.png" 20 || fail "the window shows no lit picture"
}

# Starts the program as start_on_desktop does (DESKTOP: "" or "composited");
# runs HIDE and expects the program to idle (WHAT names that state), then runs
# SHOW and expects the picture to move again, and to go on moving.
check_sleeps_while() {
  local what=$1 hide=$2 show=$3 took
  start_on_desktop "${4:-}"
  "$hide"
  expect_idle_cpu "$what"
  "$show"
  took=$(wait_for_motion "$wid") || fail "$what: the picture did not move again once shown"
  wait_for_motion "$wid" >/dev/null || fail "$what: the picture moved once after it was shown, then stopped"
  echo "$what: the picture moved again $took ms after it was shown"
}

# Starts the program, waits for its picture and pauses it with Space, then
# expects it to idle; leaves its window in wid.
start_paused() {
  start_xvfb; start_app
  wid=$(wait_window Marivelle) || fail "no window"
  wait_for_picture "$wid" "$WORK/a.png" 20 || fail "the window shows no lit picture"
  focus "$wid"
  xdotool key --window "$wid" space
  expect_idle_cpu "paused"
}

# Shows a window of make_window (ARGS as make_window takes them) and waits
# until it is mapped; its process id is added to covers.
covers=()
cover_with() {
  local out="$WORK/cover${#covers[@]}.id"
  "$MAKE_WINDOW" "$@" >"$out" &
  covers+=($!)
  wait_until "$WAIT_SECONDS" cover_shown "$out" || fail "no covering window ($*)"
}
cover_shown() { [ -s "$1" ] && window_viewable "$(cat "$1")"; }

case "$case_name" in
  window_appears)
    start_xvfb; start_app
    wid=$(wait_window Marivelle) || fail "no window named Marivelle"
    geometry=$(xdotool getwindowgeometry "$wid")
    echo "$geometry" | grep -q "Geometry: 800x600" || fail "window is not 800x600: $geometry"
    sleep 1
    app_running || fail "the program ended by itself"
    ;;
  escape_exits_zero)
    start_xvfb; start_app
    wid=$(wait_window Marivelle) || fail "no window"
    focus "$wid"; xdotool key --window "$wid" Escape
    code=$(wait_exit); [ "$code" = 0 ] || fail "exit code after Escape: $code"
    ;;
  close_exits_zero)
    start_xvfb; start_app
    wid=$(wait_window Marivelle) || fail "no window"
    "$SEND_CLOSE" "$wid"
    code=$(wait_exit); [ "$code" = 0 ] || fail "exit code after a close request: $code"
    ;;
  keys_fly_the_camera)
    start_xvfb; start_app
    wid=$(wait_window Marivelle) || fail "no window"
    focus "$wid"; sleep 1
    # The band at the bottom shows only the floor's grid in front of the tank.
    crop="780x120+10+470"
    wait_for_picture "$wid" "$WORK/a.png" 20 || fail "the window shows no lit picture"
    xdotool key --window "$wid" x; xdotool type --window "$wid" "zk1"; sleep 0.5
    screenshot "$wid" "$WORK/b.png"
    still=$(lit_mask_difference "$WORK/a.png" "$WORK/b.png" "$crop")
    [ "$still" -le 1 ] || fail "typing other letters changed the picture ($still %)"
    # W held until the view has moved (the speed itself is the camera's unit
    # tests' business); a busy machine draws few frames a second.
    moved=0
    flown() {
      screenshot "$wid" "$WORK/c.png" 2>/dev/null || return 1
      moved=$(lit_mask_difference "$WORK/b.png" "$WORK/c.png" "$crop")
      [[ $moved =~ ^[0-9]+$ ]] && [ "$moved" -ge 3 ]
    }
    xdotool keydown --window "$wid" w
    wait_until --while app_running --every 0.3 "$WAIT_SECONDS" flown
    xdotool keyup --window "$wid" w
    echo "picture change: letters $still %, W held $moved %"
    [ "$moved" -ge 3 ] || fail "holding W did not change the picture ($moved %)"
    app_running || fail "the program ended"
    xdotool key --window "$wid" Escape
    code=$(wait_exit); [ "$code" = 0 ] || fail "exit code: $code"
    ;;
  resize_and_minimise)
    start_xvfb; start_app
    wid=$(wait_window Marivelle) || fail "no window"
    for size in "400 300" "1200 900" "1 1" "640 1" "800 600"; do
      timeout 30 xdotool windowsize --sync "$wid" $size 2>/dev/null || xdotool windowsize "$wid" $size
      sleep 0.3
      app_running || fail "the program ended after resizing to $size"
    done
    screenshot "$wid" "$WORK/r.png"
    xdotool windowminimize "$wid"; sleep 0.5
    app_running || fail "the program ended after minimising"
    xdotool windowmap "$wid"; sleep 0.5
    app_running || fail "the program ended after restoring"
    focus "$wid"; xdotool key --window "$wid" Escape
    code=$(wait_exit); [ "$code" = 0 ] || fail "exit code: $code"
    ;;
  embedded_follows_its_shell)
    # The mode a desktop shell starts, here as GNOME Shell on X11 would: its
    # picture drawn, idle while the shell says nobody sees it or the screen
    # is locked, drawing again at once when seen and unlocked, resized when
    # told, ended with status 0 when the shell lets go of its input.
    start_xvfb; start_window_manager
    start_private_bus
    /usr/bin/python3 "$(dirname "$0")/screensaver_service.py" "$WORK/screensaver.log" 2>"$WORK/service.err" &
    SERVICE_PID=$!
    trap 'kill "$SERVICE_PID" "$BUS_PID" 2>/dev/null; cleanup' EXIT
    wait_until "$WAIT_SECONDS" grep -qs '^ready$' "$WORK/screensaver.log" ||
      fail "the stand-in screen saver service did not start: $(cat "$WORK/service.err")"
    set_locked() {
      timeout 30 dbus-send --session --print-reply --dest=org.freedesktop.ScreenSaver /org/freedesktop/ScreenSaver \
        org.freedesktop.ScreenSaver.SetActive "boolean:$1" >/dev/null || fail "the stand-in did not take SetActive $1 (dbus-send)"
    }
    mkfifo "$WORK/host"
    mkdir -p "$WORK/run"
    cp -r "$DATA_DIR"/. "$WORK/run/"
    launch_in "$WORK/run" sh -c 'exec "$0" --embedded --max-fps 30 <"$1"' "$APP" "$WORK/host"
    exec 4>"$WORK/host"
    wid=$(wait_window Marivelle) || fail "no window"
    wait_for_picture "$wid" "$WORK/a.png" 20 || fail "the window shows no lit picture"
    echo unseen >&4
    expect_idle_cpu "told unseen"
    echo seen >&4
    took=$(wait_for_motion "$wid") || fail "told seen, the picture did not move again"
    echo "told seen: the picture moved again after $took ms"
    grep -q '^GetActive$' "$WORK/screensaver.log" || fail "the program never asked whether the screen is locked"
    set_locked true
    expect_idle_cpu "the screen locked"
    set_locked false
    took=$(wait_for_motion "$wid") || fail "the screen unlocked, the picture did not move again"
    echo "the screen unlocked: the picture moved again after $took ms"
    echo "size 640 360" >&4
    resized() { [[ $(geometry_of "$wid") == 640x360+* ]]; }
    wait_until --while app_running "$WAIT_SECONDS" resized || fail "told a size, the window is $(geometry_of "$wid")"
    wait_for_picture "$wid" "$WORK/b.png" 20 || fail "resized, the window shows no lit picture"
    # Words it does not know, and a line too long to be any, change nothing.
    printf 'tomorrow\nsize 0 5\n%02000d\n' 0 >&4
    wait_for_motion "$wid" >/dev/null || fail "after words it does not know, the picture stopped"
    exec 4>&-
    [ "$(wait_exit)" = 0 ] || fail "the end of its input did not end the program with status 0: $(cat "$WORK/exit_code" 2>/dev/null)"
    echo "the end of its input ended the program with status 0"
    ;;
  minimised_sleeps)
    # Minimised under a window manager, the program draws nothing and waits;
    # restored, it draws again at once.
    minimise() {
      xdotool windowminimize "$wid"
      wait_until "$WAIT_SECONDS" window_hidden "$wid" || fail "the window did not minimise"
    }
    restore() { xdotool windowactivate "$wid" 2>/dev/null || xdotool windowmap "$wid"; }
    check_sleeps_while minimised minimise restore
    focus "$wid"; xdotool key --window "$wid" Escape
    code=$(wait_exit); [ "$code" = 0 ] || fail "exit code after Escape: $code"
    ;;
  space_pauses)
    # Space holds every motion and the program sleeps, the camera still
    # flies by the keys, F1 and H show and hide the help box, and Space again
    # sets everything going.
    start_paused
    screenshot "$wid" "$WORK/p1.png"
    sleep 1
    screenshot "$wid" "$WORK/p2.png"
    held=$(pixels_changed "$WORK/p1.png" "$WORK/p2.png")
    [ "$held" = 0 ] || fail "paused, the picture still changed in $held pixels"
    flown() { screenshot "$wid" "$WORK/p3.png" 2>/dev/null && picture_changed_from "$WORK/p2.png" "$WORK/p3.png"; }
    xdotool keydown --window "$wid" w
    wait_until --while app_running --every 0.3 "$WAIT_SECONDS" flown || fail "paused, W did not fly the camera"
    xdotool keyup --window "$wid" w
    # F1 shows the help box over the held picture, H hides it again.
    sleep 1
    screenshot "$wid" "$WORK/p4.png"
    helped() { screenshot "$wid" "$WORK/p5.png" 2>/dev/null && [ "$(count_dark_centre "$WORK/p5.png")" -ge 80 ]; }
    count_dark_centre() { "$IM_CONVERT" "$1" -crop 200x100+300+250 +repage -threshold 12% -negate -format "%[fx:int(100*mean)]" info:; }
    xdotool key --window "$wid" F1
    wait_until --while app_running "$WAIT_SECONDS" helped || fail "F1 showed no help box"
    xdotool key --window "$wid" h
    unhelped() { screenshot "$wid" "$WORK/p6.png" 2>/dev/null && [ "$(pixels_changed "$WORK/p4.png" "$WORK/p6.png")" = 0 ]; }
    wait_until --while app_running "$WAIT_SECONDS" unhelped || fail "H did not hide the help box"
    xdotool key --window "$wid" space
    wait_for_motion "$wid" >/dev/null || fail "Space again did not set the scene moving"
    echo "paused: $IDLE_CPU % of a core, $IDLE_WAKES wake-ups a second"
    xdotool key --window "$wid" Escape
    [ "$(wait_exit)" = 0 ] || fail "Escape did not end the program with 0"
    ;;
  f12_saves_the_picture)
    # F12 saves the picture as shown in the pictures folder that
    # user-dirs.dirs names, prints its path, never writes over a file, and a
    # folder that cannot take it is one line while the program goes on.
    mkdir -p "$WORK/home/.config" "$WORK/home/Pictures"
    echo 'XDG_PICTURES_DIR="$HOME/Pictures"' >"$WORK/home/.config/user-dirs.dirs"
    export HOME="$WORK/home"
    start_xvfb; start_app
    wid=$(wait_window Marivelle) || fail "no window"
    wait_for_picture "$wid" "$WORK/a.png" 20 || fail "the window shows no lit picture"
    focus "$wid"
    # Paused, the window keeps the picture F12 saves, to compare.
    xdotool key --window "$wid" space
    saved() { [ "$(grep -c '\.png$' "$WORK/app.out")" -ge "$1" ]; }
    xdotool key --window "$wid" F12
    wait_until --while app_running "$WAIT_SECONDS" saved 1 || fail "F12 printed no path"
    xdotool key --window "$wid" F12
    wait_until --while app_running "$WAIT_SECONDS" saved 2 || fail "a second F12 printed no path"
    first=$(grep '\.png$' "$WORK/app.out" | sed -n 1p)
    second=$(grep '\.png$' "$WORK/app.out" | sed -n 2p)
    [[ $first == "$HOME/Pictures/Marivelle "????-??-??" "??-??-??.png ]] || fail "saved as $first"
    [ "$first" != "$second" ] && [ -s "$first" ] && [ -s "$second" ] || fail "the second picture wrote over the first"
    screenshot "$wid" "$WORK/shown.png"
    differ=$(pixels_changed "$first" "$WORK/shown.png")
    [ "$(/usr/bin/identify -format %wx%h "$first")" = 800x600 ] || fail "the picture is not 800x600"
    [ "$differ" -le 100 ] || fail "the saved picture differs from the window in $differ pixels"
    xdotool key --window "$wid" Escape
    [ "$(wait_exit)" = 0 ] || fail "Escape did not end the program with 0"
    XDG_PICTURES_DIR=/dev/null/nowhere start_app
    wid=$(wait_window Marivelle) || fail "no second window"
    wait_for_picture "$wid" "$WORK/a.png" 20 || fail "the second window shows no lit picture"
    focus "$wid"
    xdotool key --window "$wid" F12
    refused() { grep -q '^Marivelle: cannot save the picture in /dev/null/nowhere: ' "$WORK/app.err"; }
    wait_until --while app_running "$WAIT_SECONDS" refused || fail "no line for a folder that cannot take the picture"
    [ "$(grep -c . "$WORK/app.err")" = 1 ] || fail "more than one line: $(cat "$WORK/app.err")"
    wait_for_motion "$wid" >/dev/null || fail "the program did not go on after the refusal"
    echo "saved $first and $second; $differ pixels apart from the window"
    ;;
  held_escape_is_not_a_quit)
    # One program after another on the same display, with no session bus
    # set, so that the first autolaunches one as on a startx session: the
    # second keeps running. An Escape that another program pressed and never
    # released repeats its press into the window that takes the focus; only
    # a press the window saw, once released, ends it.
    unset DBUS_SESSION_BUS_ADDRESS
    start_xvfb; start_app
    wid=$(wait_window Marivelle) || fail "no window"
    wait_for_picture "$wid" "$WORK/a.png" 20 || fail "the window shows no lit picture"
    focus "$wid"
    # xdotool may fail on the release once the window it aimed at has gone.
    timeout "$WAIT_SECONDS" xdotool key --window "$wid" Escape 2>/dev/null
    [ "$(wait_exit)" = 0 ] || fail "Escape did not end the first program with 0"
    timeout "$WAIT_SECONDS" xdotool keydown Escape || fail "xdotool could not hold Escape down"
    start_app
    wid=$(wait_window Marivelle) || fail "no second window"
    focus "$wid"
    holds_throughout 30 app_running || fail "the second program ended by itself, status $(wait_exit)"
    timeout "$WAIT_SECONDS" xdotool keyup Escape || fail "xdotool could not let Escape go"
    holds_throughout 2 app_running || fail "letting go of an Escape pressed elsewhere ended the program"
    timeout "$WAIT_SECONDS" xdotool key --window "$wid" Escape 2>/dev/null
    [ "$(wait_exit)" = 0 ] || fail "Escape did not end the second program with 0"
    ;;
  mouse_flies_the_camera)
    # Paused, so only the camera can change the picture: moving the mouse
    # changes nothing, a drag with a button held turns the view, the wheel
    # flies it.
    start_paused
    screenshot "$wid" "$WORK/m0.png"
    xdotool mousemove --window "$wid" 300 300 mousemove --window "$wid" 500 320
    sleep 1
    screenshot "$wid" "$WORK/m1.png"
    moved=$(pixels_changed "$WORK/m0.png" "$WORK/m1.png")
    [ "$moved" = 0 ] || fail "moving the mouse with no button held changed $moved pixels"
    changed_since() { screenshot "$wid" "$WORK/m2.png" 2>/dev/null && picture_changed_from "$1" "$WORK/m2.png"; }
    for button in 1 3; do
      xdotool mousemove --window "$wid" 300 300 mousedown "$button" mousemove --window "$wid" 360 330 mouseup "$button"
      wait_until --while app_running "$WAIT_SECONDS" changed_since "$WORK/m1.png" || fail "a drag with button $button did not turn the view"
      cp "$WORK/m2.png" "$WORK/m1.png"
    done
    xdotool click --repeat 3 4
    wait_until --while app_running "$WAIT_SECONDS" changed_since "$WORK/m1.png" || fail "the wheel did not fly the camera"
    xdotool key --window "$wid" Escape
    [ "$(wait_exit)" = 0 ] || fail "Escape did not end the program with 0"
    ;;
  unmapped_and_hidden_sleep)
    # With no window manager, each way a window stops being seen, alone:
    # unmapped, which the X server says, and mapped with the hidden state,
    # which a window manager that keeps minimised windows mapped for their
    # previews says. Each sleeps and wakes; the frame rate reported after it
    # counts the frames drawn since, not the time asleep.
    start_xvfb; start_app_with --fps
    wid=$(wait_window Marivelle) || fail "no window"
    wait_for_picture "$wid" "$WORK/a.png" 20 || fail "the window shows no lit picture"
    unmap() {
      xdotool windowunmap "$wid"
      wait_until "$WAIT_SECONDS" window_hidden "$wid" || fail "the window was not unmapped"
    }
    map() { xdotool windowmap "$wid"; }
    set_hidden() { xprop -id "$wid" -f _NET_WM_STATE 32a -set _NET_WM_STATE _NET_WM_STATE_HIDDEN; }
    clear_hidden() { xprop -id "$wid" -remove _NET_WM_STATE; }
    rates() { grep -c ' fps$' "$WORK/app.out"; }
    more_rates() { [ "$(rates)" -gt "$1" ]; }
    for way in "unmapped unmap map" "hidden set_hidden clear_hidden"; do
      set -- $way
      wait_until --while app_running "$WAIT_SECONDS" more_rates 1 || fail "$1: no frame rate reported"
      before=$(grep ' fps$' "$WORK/app.out" | tail -n 1 | cut -d' ' -f1)
      "$2"
      expect_idle_cpu "$1"
      seen=$(rates)
      "$3"
      wait_for_motion "$wid" >/dev/null || fail "$1: the picture did not move again once shown"
      wait_until --while app_running "$WAIT_SECONDS" more_rates "$seen" || fail "$1: no frame rate after waking"
      after=$(grep ' fps$' "$WORK/app.out" | sed -n "$((seen + 1))p" | cut -d' ' -f1)
      echo "$1: $before fps before, $after fps first after"
      # Counted across ten seconds asleep, the rate would be a tenth.
      awk -v a="$after" -v b="$before" 'BEGIN { exit !(a * 3 >= b) }' ||
        fail "$1: the first rate after waking, $after fps, counts the time asleep ($before fps before)"
    done
    ;;
  covered_sleeps | covered_sleeps_composited)
    # Wholly covered by another window, the program draws nothing; uncovered,
    # it draws again. A compositing manager makes the X server report the
    # window as unobscured all the while.
    cover() { cover_with 8 1280 1024; }
    uncover() { kill "${covers[0]}"; }
    check_sleeps_while covered cover uncover "$([ "$case_name" = covered_sleeps ] || echo composited)"
    ;;
  covered_by_two_windows_sleeps)
    # Neither window alone covers it: one covers the upper part, the other
    # the lower part.
    cover_in_two() {
      eval "$(xdotool getwindowgeometry --shell "$wid")"
      cover_with 8 1280 $((Y + HEIGHT / 2 + 50)) 0 0
      wait_for_motion "$wid" >/dev/null || fail "the picture stopped once half covered"
      cover_with 8 1280 $((1024 - Y - HEIGHT / 2 + 50)) 0 $((Y + HEIGHT / 2 - 50))
    }
    uncover_lower() { kill "${covers[1]}"; }
    check_sleeps_while "covered by two windows" cover_in_two uncover_lower composited
    ;;
  covered_by_translucent_window_draws)
    # A window with an alpha channel lets the picture show through.
    start_on_desktop composited
    cover_with argb 1280 1024 0 0
    wait_for_motion "$wid" >/dev/null && wait_for_motion "$wid" >/dev/null ||
      fail "the picture stopped under a translucent window"
    busy=$(cpu_percent_over "$APP_PID" 10) || fail "cannot read the program's CPU time"
    echo "under a translucent window: $busy % of a core over 10 s"
    awk -v p="$busy" 'BEGIN { exit !(p >= 10) }' || fail "the program idled under a translucent window ($busy %)"
    ;;
  covered_by_override_redirect_sleeps)
    # A window no manager touches (a screen locker's, a screensaver's) never
    # shows in the manager's list; over ours, under a compositing manager
    # that makes the server report ours unobscured, it still puts the
    # program to sleep. Unmapped, it lets it draw again.
    cover() { cover_with --override 8 1280 1024 0 0; }
    uncover() {
      local id
      id=$(cat "$WORK/cover0.id")
      timeout 60 xdotool windowunmap --sync "$id" || fail "xdotool could not unmap the covering window"
    }
    check_sleeps_while "covered by an override-redirect window" cover uncover composited
    ;;
  see_through_covers_draw)
    # Under a compositing manager a window lets ours show through when its
    # opacity is below full, on the window or on its frame (openbox copies
    # it there), or when its shape has holes: the program draws on. Opaque
    # again, the window covers it and the program sleeps.
    start_on_desktop composited
    cover_with 8 1280 1024 0 0
    expect_idle_cpu "covered by an opaque window"
    cover=$(cat "$WORK/cover0.id")
    opacity() {
      timeout "$WAIT_SECONDS" xprop -id "$cover" -f _NET_WM_WINDOW_OPACITY 32c -set _NET_WM_WINDOW_OPACITY "$1" ||
        fail "xprop could not set the opacity $1"
    }
    opacity 0x7fffffff
    wait_for_motion "$wid" >/dev/null && wait_for_motion "$wid" >/dev/null ||
      fail "the picture stays still under a window of half opacity"
    opacity 0xffffffff
    expect_idle_cpu "covered by the window made opaque again"
    kill "${covers[0]}"
    cover_with --holes 8 1280 1024 0 0
    wait_for_motion "$wid" >/dev/null && wait_for_motion "$wid" >/dev/null ||
      fail "the picture stays still under a window with holes"
    ;;
  screen_saver_sleeps)
    # The X server's own screen saver blanks the screen: nobody sees the
    # window. Its notice wakes the program when it ends.
    start_xvfb; start_app
    wid=$(wait_window Marivelle) || fail "no window"
    wait_for_picture "$wid" "$WORK/a.png" 20 || fail "the window shows no lit picture"
    timeout "$WAIT_SECONDS" xset s activate || fail "xset could not start the screen saver"
    expect_idle_cpu "screen saver on"
    timeout "$WAIT_SECONDS" xset s reset || fail "xset could not end the screen saver"
    took=$(wait_for_motion "$wid") || fail "the picture did not move again once the screen saver ended"
    echo "screen saver off: the picture moved again $took ms later"
    ;;
  powered_down_sleeps)
    # DPMS powers the monitor down: nobody sees the window. No event tells
    # of it; the program asks every two seconds, and draws again once the
    # monitor is on. Xvfb has no DPMS: a stand-in answers for it.
    start_xvfb; start_dpms_proxy; start_app
    wid=$(wait_window Marivelle) || fail "no window"
    wait_for_picture "$wid" "$WORK/a.png" 20 || fail "the window shows no lit picture"
    timeout "$WAIT_SECONDS" xset dpms force off || fail "xset could not power the monitor down"
    expect_idle_cpu "monitor powered down"
    timeout "$WAIT_SECONDS" xset dpms force on || fail "xset could not power the monitor on"
    took=$(wait_for_motion "$wid") || fail "the picture did not move again once the monitor was on"
    echo "monitor on: the picture moved again $took ms later"
    ;;
  scene_screenshot)
    start_xvfb; start_app
    wid=$(wait_window Marivelle) || fail "no window"
    sleep 1.5
    wait_for_picture "$wid" "$WORK/scene.png" 20 || fail "the window shows no lit picture"
    # The room's green lattice on the floor in front of the tank.
    grid=$(count_pixels "$WORK/scene.png" 800x60+0+540 'g > 40 && r < g / 3 && b < g / 3')
    # Fish of every colour behind the glass.
    fish=$(count_pixels "$WORK/scene.png" 800x300+0+0 '(r > 120 && g < r / 2) || (r > 120 && g > 120 && b < r / 2) || (g > 120 && r < g / 2 && b < g / 2)')
    # The tank's dark plinth across the lower middle.
    plinth=$(count_pixels "$WORK/scene.png" 400x30+200+440 'r + g + b < 90')
    echo "grid $grid, fish $fish, plinth $plinth pixels"
    [ "$grid" -gt 1500 ] || fail "no grid room on the floor ($grid)"
    [ "$fish" -gt 1500 ] || fail "no fish ($fish)"
    [ "$plinth" -gt 6000 ] || fail "no plinth ($plinth)"
    focus "$wid"; xdotool key --window "$wid" Escape
    code=$(wait_exit); [ "$code" = 0 ] || fail "exit code after Escape: $code"
    ;;
  no_display)
    unset DISPLAY WAYLAND_DISPLAY
    mkdir -p "$WORK/run"
    set +e
    (cd "$WORK/run" && "$APP") >"$WORK/app.out" 2>"$WORK/app.err"
    code=$?
    set -e
    [ "$code" -ne 0 ] || fail "exit code 0 without a display"
    grep -q "^Marivelle: " "$WORK/app.err" || fail "no message on standard error"
    echo "message: $(cat "$WORK/app.err")"
    ;;
  *)
    fail "unknown case $case_name"
    ;;
  esac
}

run_case
echo "PASS: $case_name"
