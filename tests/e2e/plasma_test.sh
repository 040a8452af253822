#!/usr/bin/env bash
# End-to-end tests of the aquarium as Plasma's wallpaper, against a real
# Plasma 5.27 on Xvfb (kwin_x11, kactivitymanagerd, plasmashell), run as an
# unprivileged user with a session bus of its own and a stand-in system
# bus. The plugin is installed in the user's own folder and the program is
# on the session's PATH, as the package leaves them.
# Usage: plasma_test.sh CASE   (APP, DATA_DIR and PLUGIN_DIR in the environment)
source "$(dirname "$0")/lib.sh"
case_name=${1:?case}
USER_NAME=nobody
PLUGIN=example.marivelle.wallpaper
RUNTIME=$WORK/runtime
APPLETSRC=$WORK/home/.config/plasma-org.kde.plasma.desktop-appletsrc
PLASMA_PID=""
# How many times the aquarium is chosen, replaced and taken off in a row.
ROUNDS=${ROUNDS:-6}

stop_session() {
  [ -n "$PLASMA_PID" ] && kill "$PLASMA_PID" 2>/dev/null
  kill_session_of "$RUNTIME"
  cleanup
}
trap stop_session EXIT

# The session's environment for COMMAND...
user_env() {
  setpriv --reuid="$USER_NAME" --regid="$(id -g "$USER_NAME")" --clear-groups \
    env -i HOME="$WORK/home" XDG_RUNTIME_DIR="$RUNTIME" PATH="$WORK/user-bin:/usr/bin:/bin" DISPLAY="$DISPLAY" \
    XDG_CURRENT_DESKTOP=KDE KDE_FULL_SESSION=true KDE_SESSION_VERSION=5 QT_QPA_PLATFORM=xcb \
    DBUS_SESSION_BUS_ADDRESS="$(cat "$RUNTIME/session_bus" 2>/dev/null)" \
    DBUS_SYSTEM_BUS_ADDRESS="unix:path=$RUNTIME/system_bus" "$@"
}
# Runs COMMAND... as the session's user, under a deadline of 30 s.
as_user() { user_env timeout 30 "$@"; }

# Runs a desktop script in plasmashell; its output in SCRIPT_OUT.
plasma_script() {
  SCRIPT_OUT=$(as_user gdbus call --session -d org.kde.plasmashell -o /PlasmaShell \
    -m org.kde.PlasmaShell.evaluateScript "$1") || fail "plasmashell did not run the script: $1"
}

# The user's home with files on ~/Desktop, the plugin installed in it, the
# program on the PATH (run in its data folder; what it says goes to
# program.log), and the session: the buses, kwin and the activity manager.
start_session() {
  mkdir -p "$WORK/home/Desktop" "$WORK/home/.config" "$WORK/home/.local/share/plasma/wallpapers" \
    "$RUNTIME" "$WORK/user-bin" "$WORK/shots"
  echo "Buy fish food" >"$WORK/home/Desktop/notes.txt"
  printf 'XDG_DESKTOP_DIR="$HOME/Desktop"\n' >"$WORK/home/.config/user-dirs.dirs"
  cp -r "$PLUGIN_DIR" "$WORK/home/.local/share/plasma/wallpapers/$PLUGIN"
  printf '#!/bin/sh\ncd "%s" || exit 1\n[ "$1" = --embedded ] && exec "%s" "$@" 2>>"%s"\nexec "%s" "$@"\n' \
    "$DATA_DIR" "$APP" "$WORK/shots/program.log" "$APP" >"$WORK/user-bin/marivelle"
  chmod 755 "$WORK/user-bin/marivelle" "$WORK"
  chown -R "$USER_NAME" "$WORK/home" "$RUNTIME" "$WORK/shots"
  chmod 700 "$RUNTIME"
  start_xvfb
  cat >"$WORK/session.sh" <<'SESSION'
dbus-daemon --session --address="unix:path=$XDG_RUNTIME_DIR/system_bus" --fork
echo "$DBUS_SESSION_BUS_ADDRESS" >"$XDG_RUNTIME_DIR/session_bus.tmp"
mv "$XDG_RUNTIME_DIR/session_bus.tmp" "$XDG_RUNTIME_DIR/session_bus"
kwin_x11 >"$XDG_RUNTIME_DIR/kwin.log" 2>&1 &
/usr/lib/x86_64-linux-gnu/libexec/kactivitymanagerd >"$XDG_RUNTIME_DIR/kamd.log" 2>&1 &
exec sleep infinity
SESSION
  user_env dbus-run-session -- sh "$WORK/session.sh" >"$WORK/session.log" 2>&1 &
  wait_until "$WAIT_SECONDS" test -s "$RUNTIME/session_bus" || fail "no session bus: $(cat "$WORK/session.log")"
  wait_until "$WAIT_SECONDS" sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"' ||
    fail "kwin_x11 did not start: $(tail -n 5 "$RUNTIME/kwin.log")"
  as_user gdbus wait --session --timeout 30 org.kde.ActivityManager ||
    fail "the activity manager did not start: $(tail -n 5 "$RUNTIME/kamd.log")"
}

# Starts plasmashell and waits until it answers scripts and shows its
# desktop and panel.
start_plasmashell() {
  user_env plasmashell >"$WORK/plasmashell.log" 2>&1 &
  ready() { as_user gdbus call --session -d org.kde.plasmashell -o /PlasmaShell \
    -m org.kde.PlasmaShell.evaluateScript 'print(desktops().length)' 2>/dev/null | grep -q "'[1-9]"; }
  wait_until --every 0.5 "$WAIT_SECONDS" ready || fail "plasmashell did not start: $(tail -n 5 "$WORK/plasmashell.log")"
  # The shell's own process, not the one that started it.
  local pid
  PLASMA_PID=""
  for pid in $(pgrep -x -u "$USER_NAME" plasmashell); do
    grep -qzxF "XDG_RUNTIME_DIR=$RUNTIME" "/proc/$pid/environ" 2>/dev/null && PLASMA_PID=$pid
  done
  [ -n "$PLASMA_PID" ] || fail "plasmashell runs under another name"
}

# The aquarium programs of this session (other tests may run theirs beside
# it as the same user).
session_programs() { embedded_programs_of "$USER_NAME" "$RUNTIME"; }
# The program's process id in APP_PID once exactly one runs.
find_program() {
  local pids
  pids=$(session_programs)
  [ -n "$pids" ] && [ "$(echo "$pids" | wc -l)" = 1 ] || return 1
  APP_PID=$pids
}
no_program() { [ -z "$(session_programs)" ]; }
wait_program() {
  wait_until "$WAIT_SECONDS" find_program ||
    fail "$1: not one aquarium program runs, but $(session_programs | wc -l). The program said:" \
      "$(tail -n 3 "$WORK/shots/program.log" 2>/dev/null); plasmashell: $(grep -i marivelle "$WORK/plasmashell.log" | tail -n 3)"
}
# True while this session's plasmashell runs and has not crashed. (KDE's
# crash handler keeps a crashed one in being, stopped, under its dialog,
# drkonqi, and starts another.)
plasma_running() {
  kill -0 "$PLASMA_PID" 2>/dev/null || return 1
  case "$(process_state "$PLASMA_PID")" in T | t | Z) return 1 ;; esac
  local pid
  for pid in $(pgrep -u "$USER_NAME" -x drkonqi); do
    grep -qzxF "XDG_RUNTIME_DIR=$RUNTIME" "/proc/$pid/environ" 2>/dev/null && return 1
  done
  return 0
}
# Where a plasmashell that does not end waits, read without stopping it:
# each thread's name, state and kernel wait, and the last lines of its log.
plasma_stuck_at() {
  local task
  for task in /proc/"$PLASMA_PID"/task/*; do
    printf '%s %s %s; ' "$(cat "$task/comm" 2>/dev/null)" "$(process_state "$PLASMA_PID/task/${task##*/}")" \
      "$(cat "$task/wchan" 2>/dev/null)"
  done
  tail -n 20 "$WORK/plasmashell.log"
}
# Ends plasmashell as a session's end does (SIGTERM). Plasma's own exit,
# with no wallpaper of ours left in it, is not what is tested: one that
# hangs is reported with where it waits, and killed.
end_plasmashell() {
  kill "$PLASMA_PID"
  wait_until "$WAIT_SECONDS" sh -c "! kill -0 $PLASMA_PID 2>/dev/null" && return 0
  echo "plasmashell had not ended $WAIT_SECONDS s after SIGTERM, and was killed; it waited at: $(plasma_stuck_at)"
  kill -9 "$PLASMA_PID"
  wait_until "$WAIT_SECONDS" sh -c "! kill -0 $PLASMA_PID 2>/dev/null" || fail "plasmashell did not end on SIGKILL"
}
# The one letter of the process's state: R, S, T (stopped)...
process_state() { sed 's/^.*) //' "/proc/$1/stat" 2>/dev/null | cut -c1; }

# The desktop above the panel, where the wallpaper shows; the inside of the
# first desktop icon's picture; the panel, translucent and light.
ABOVE_PANEL=1280x960+0+0
BESIDE_ICONS=1130x960+150+0
ICON=30x44+38+16
PANEL=1280x36+0+986

shoot() { "$IM_IMPORT" -window root "$1" 2>/dev/null; }
# The box (WxH+X+Y) that holds every pixel that differs between two pictures.
where_changed() {
  "$IM_CONVERT" "$1" "$2" -compose difference -composite -colorspace gray -threshold 3% -format '%@' info: 2>/dev/null
}
crop_of() { "$IM_CONVERT" "$1" -crop "$2" +repage "$3"; }

# True when the screen shows the aquarium above the panel, moving, with the
# panel and the desktop's icon as they were in BEFORE.
shows_aquarium() {
  shoot "$WORK/a.png" && sleep 0.3 && shoot "$WORK/b.png" || return 1
  picture_shows_grid "$WORK/b.png" 3 "$ABOVE_PANEL" || return 1
  crop_of "$WORK/a.png" "$ABOVE_PANEL" "$WORK/a_top.png"
  crop_of "$WORK/b.png" "$ABOVE_PANEL" "$WORK/b_top.png"
  MOVED=$(pixels_changed "$WORK/a_top.png" "$WORK/b_top.png")
  at_most 1000 "$MOVED" || return 1
  crop_of "$WORK/b.png" "$ICON" "$WORK/b_icon.png"
  crop_of "$WORK/before.png" "$ICON" "$WORK/before_icon.png"
  ICON_DIFF=$(pixels_changed "$WORK/b_icon.png" "$WORK/before_icon.png")
  at_most "$ICON_DIFF" 10 || return 1
  PANEL_LIGHT=$(($(count_pixels "$WORK/b.png" "$PANEL" 'r > 170 && g > 170 && b > 170') * 100 / (1280 * 36)))
  [ "$PANEL_LIGHT" -ge 80 ]
}
expect_aquarium() {
  wait_until --every 0.5 "$WAIT_SECONDS" shows_aquarium ||
    fail "$1: the aquarium does not show and move behind the panel and icon (grid ${GRIDS:-?} %," \
      "${MOVED:-?} pixels moved, icon ${ICON_DIFF:-?} pixels changed, panel ${PANEL_LIGHT:-?} % light)." \
      "plasmashell: $(grep -i marivelle "$WORK/plasmashell.log" | tail -n 3) program: $(tail -n 3 "$WORK/shots/program.log")"
  echo "$1: the aquarium shows (${GRIDS# } % grid) and moves behind Plasma's panel and icon"
}

# Runs the program as the session's user; its status in STATUS, what it
# said on standard error in SAID.
run_program() {
  STATUS=0
  [ "$1" = env ] || set -- marivelle "$@"
  SAID=$(as_user "$@" 2>&1 >/dev/null) || STATUS=$?
}

# Gives every desktop a plain colour wallpaper of Plasma's own, as a user's
# earlier choice, and takes its picture once the desktop has settled.
choose_plain_colour() {
  plasma_script 'var all = desktops(); for (var i = 0; i < all.length; ++i) {
    all[i].wallpaperPlugin = "org.kde.color";
    all[i].currentConfigGroup = ["Wallpaper", "org.kde.color", "General"];
    all[i].writeConfig("Color", "#2a4d69"); }'
  settled() { shoot "$WORK/before.png" && sleep 1 && shoot "$WORK/again.png" &&
    at_most "$(pixels_changed "$WORK/before.png" "$WORK/again.png")" 50 &&
    [ "$(count_pixels "$WORK/before.png" 100x100+600+400 'r == 42 && g == 77 && b == 105')" = 10000 ]; }
  wait_until --every 0.5 "$WAIT_SECONDS" settled || fail "the plain colour wallpaper did not settle"
}

# Right-clicks an empty spot of the desktop: Plasma's menu opens.
expect_menu() {
  xwininfo -root -children | grep -E '^ +0x' | awk '{ print $1 }' | sort >"$WORK/before_menu"
  timeout 30 xdotool mousemove 900 600 click 3
  menu_open() {
    local id
    for id in $(xwininfo -root -children | grep -E '^ +0x' | awk '{ print $1 }' | sort | comm -13 "$WORK/before_menu" -); do
      window_viewable "$id" && MENU=$id && return 0
    done
    return 1
  }
  wait_until "$WAIT_SECONDS" menu_open || fail "a right-click on the desktop opened no menu"
  echo "a right-click on the desktop opens Plasma's menu ($MENU)"
  timeout 30 xdotool key Escape
  menu_closed() { ! window_viewable "$MENU"; }
  wait_until "$WAIT_SECONDS" menu_closed || fail "Escape did not close the desktop's menu"
}

# Milliseconds since START_US.
since() { read_clock; echo $(((CLOCK_US - $1) / 1000)); }

case "$case_name" in
wallpaper)
  start_session
  start_plasmashell
  choose_plain_colour
  run_program --wallpaper
  [ "$STATUS" = 0 ] && [ -z "$SAID" ] || fail "--wallpaper under Plasma: status $STATUS, said: $SAID"
  wait_program "--wallpaper"
  expect_aquarium "chosen by --wallpaper"
  expect_menu
  timeout 30 xdotool mousemove 900 600 click 1
  expect_aquarium "after a left click on the desktop"
  as_user gdbus call --session -d org.kde.KWin -o /KWin -m org.kde.KWin.showDesktop true >/dev/null ||
    fail "KWin did not show the desktop"
  expect_aquarium "with the desktop shown"
  as_user gdbus call --session -d org.kde.KWin -o /KWin -m org.kde.KWin.showDesktop false >/dev/null
  start_cover 500 300
  wait_until "$WAIT_SECONDS" window_viewable "$COVER" || fail "the window of another program is not shown"
  kill "$COVER_PID"
  wait_until "$WAIT_SECONDS" window_hidden "$COVER" || fail "the window was not closed"
  expect_aquarium "after a window was opened and closed"

  # Covered: the program is stopped, and let go on once the window is gone.
  start_cover 400 300
  wait_until "$WAIT_SECONDS" window_viewable "$COVER" || fail "the window of another program is not shown"
  "$STACK_WINDOW" maximise "$COVER"
  wait_program "maximised"
  expect_idle_cpu "under a maximised window"
  [ "$(process_state "$APP_PID")" = T ] || fail "under a maximised window the program is not stopped"
  read_clock; closed_us=$CLOCK_US
  kill "$COVER_PID"
  awake() { [ "$(process_state "$APP_PID")" != T ]; }
  wait_until --every 0.02 "$WAIT_SECONDS" awake || fail "the program was not let go on once the window closed"
  echo "the window closed: the program drawing again after $(since "$closed_us") ms"
  expect_aquarium "once the maximised window closed"

  # Killed: started again, and the desktop goes on.
  first=$APP_PID
  kill -9 "$first"
  restarted() { find_program && [ "$APP_PID" != "$first" ]; }
  read_clock; killed_us=$CLOCK_US
  wait_until "$WAIT_SECONDS" restarted || fail "the killed program was not started again"
  echo "the killed program was started again after $(since "$killed_us") ms"
  plasma_running || fail "plasmashell ended with the program"
  expect_aquarium "after the program was killed"

  # A setting saved as the wallpaper's settings page saves it.
  read_clock; saved_us=$CLOCK_US
  plasma_script 'var d = desktops()[0]; d.currentConfigGroup = ["Wallpaper", "example.marivelle.wallpaper", "General"];
    d.writeConfig("FishCount", 7); d.writeConfig("Speed", 2.5);'
  follows() { find_program && tr '\0' ' ' <"/proc/$APP_PID/cmdline" | grep -q -- "--fish 7 --speed 2.5 "; }
  wait_until --every 0.05 "$WAIT_SECONDS" follows || fail "the program did not follow the new settings"
  echo "the program follows the new settings after $(since "$saved_us") ms"
  expect_aquarium "with 7 fish"

  # --stop: the plain colour comes back, and the program ends.
  run_program --wallpaper --stop
  [ "$STATUS" = 0 ] && [ -z "$SAID" ] || fail "--wallpaper --stop under Plasma: status $STATUS, said: $SAID"
  # The icon's label, drawn again over the new wallpaper, may differ from
  # before at its edges: the column of icons is left out.
  colour_back() { shoot "$WORK/after.png" && crop_of "$WORK/after.png" "$BESIDE_ICONS" "$WORK/after_top.png" &&
    crop_of "$WORK/before.png" "$BESIDE_ICONS" "$WORK/before_top.png" &&
    at_most "$(pixels_changed "$WORK/after_top.png" "$WORK/before_top.png")" 50; }
  wait_until --every 0.5 "$WAIT_SECONDS" colour_back ||
    fail "after --stop the desktop differs from before in $(pixels_changed "$WORK/after_top.png" "$WORK/before_top.png")" \
      "pixels, within $(where_changed "$WORK/after_top.png" "$WORK/before_top.png")"
  wait_until "$WAIT_SECONDS" no_program || fail "the program still runs after --stop"
  plasma_running || fail "plasmashell ended when the aquarium was taken off the desktop"
  echo "--stop: the plain colour is back and the program ended"

  # Taken off the desktop while it draws, again and again: the compositor
  # inside plasmashell goes with the wallpaper, and plasmashell stays.
  for round in $(seq 1 "$ROUNDS"); do
    run_program --wallpaper
    [ "$STATUS" = 0 ] || fail "--wallpaper, round $round: status $STATUS, said: $SAID"
    wait_program "chosen again, round $round"
    wait_until --every 0.5 "$WAIT_SECONDS" shows_aquarium || fail "round $round: the aquarium did not show"
    # A new setting replaces the program, and so its window.
    plasma_script "var d = desktops()[0]; d.currentConfigGroup = ['Wallpaper', '$PLUGIN', 'General'];
      d.writeConfig('FishCount', $((round + 10)));"
    replaced() { find_program && tr '\0' ' ' <"/proc/$APP_PID/cmdline" | grep -q -- "--fish $((round + 10)) "; }
    wait_until --every 0.05 "$WAIT_SECONDS" replaced || fail "round $round: the program did not follow the new settings"
    wait_until --every 0.5 "$WAIT_SECONDS" shows_aquarium || fail "round $round: the new program did not show"
    run_program --wallpaper --stop
    [ "$STATUS" = 0 ] || fail "--wallpaper --stop, round $round: status $STATUS, said: $SAID"
    wait_until "$WAIT_SECONDS" no_program || fail "round $round: the program still runs after --stop"
    holds_throughout 2 plasma_running || fail "plasmashell crashed or ended when the aquarium was taken off the desktop, round $round"
  done
  echo "replaced, then taken off the desktop as it drew, $ROUNDS times: plasmashell still runs"
  run_program --wallpaper --stop
  [ "$STATUS" = 1 ] && [ "$SAID" = "Marivelle: the aquarium is not Plasma's wallpaper on any desktop" ] ||
    fail "--stop with no aquarium: status $STATUS, said: $SAID"

  # Chosen in Plasma's settings file, as the dialog leaves it, before
  # plasmashell starts.
  # What --stop chose is on disk before plasmashell is asked to end, so
  # that the edit below never depends on how it ends.
  wait_until --every 0.5 "$WAIT_SECONDS" grep -q '^wallpaperplugin=org.kde.color$' "$APPLETSRC" ||
    fail "plasmashell did not save the plain colour in $APPLETSRC"
  end_plasmashell
  sed -i 's/^wallpaperplugin=org.kde.color$/wallpaperplugin=example.marivelle.wallpaper/' "$APPLETSRC"
  grep -q '^wallpaperplugin=example.marivelle.wallpaper$' "$APPLETSRC" || fail "no desktop in $APPLETSRC"
  start_plasmashell
  wait_program "chosen in the settings file"
  expect_aquarium "chosen in the settings file"
  run_program --wallpaper --stop
  [ "$STATUS" = 0 ] || fail "--wallpaper --stop after the settings file: status $STATUS, said: $SAID"
  wait_until "$WAIT_SECONDS" no_program || fail "the program still runs after --stop"

  # Not installed: one line, and Plasma's wallpaper stays. (The system's
  # folders are left out, where a package may have put it.)
  rm -rf "$WORK/home/.local/share/plasma/wallpapers/$PLUGIN"
  run_program env XDG_DATA_DIRS="$WORK/empty" marivelle --wallpaper
  [ "$STATUS" = 1 ] && [ "$SAID" = "Marivelle: the aquarium's Plasma wallpaper plugin ($PLUGIN) is not installed: install the marivelle package" ] ||
    fail "--wallpaper without the plugin: status $STATUS, said: $SAID"
  no_program || fail "the program runs without the plugin"
  ;;
settings_page)
  # The page Plasma's dialog shows, apart from Plasma: it loads, shows the
  # settings it is given and saves what the user turns; and every setting
  # the plugin keeps, but the one kept for --stop, is on it.
  cp "$(dirname "$0")/plasma_config_check.qml" "$PLUGIN_DIR/contents/ui/config.qml" "$WORK/"
  mkdir -p -m 700 "$RUNTIME"
  XDG_RUNTIME_DIR=$RUNTIME QT_QPA_PLATFORM=offscreen QT_QUICK_BACKEND=software \
    timeout 60 qmlscene "$WORK/plasma_config_check.qml" >"$WORK/page.log" 2>&1 ||
    fail "the settings page: $(grep -E 'FAIL|rror' "$WORK/page.log" | head -n 3)"
  grep '^qml: ' "$WORK/page.log" | sed 's/^qml: //'
  for entry in $(sed -n 's/.*<entry name="\([A-Za-z]*\)".*/\1/p' "$PLUGIN_DIR/contents/config/main.xml"); do
    [ "$entry" = PreviousPlugin ] && continue
    grep -q "property .*cfg_$entry\b" "$PLUGIN_DIR/contents/ui/config.qml" || fail "the settings page has no $entry"
  done
  ;;
*) fail "unknown case $case_name" ;;
esac
echo "PASS: $case_name"
