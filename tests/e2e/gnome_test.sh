#!/usr/bin/env bash
# End-to-end tests of the aquarium as GNOME's background, against a real
# headless GNOME Shell 43 with two virtual monitors, run as an unprivileged
# user with a session bus of its own. The tests look through a small
# extension of their own (gnome_probe/): stage screenshots, the window lists,
# the notifications, the idle monitor and the lock screen's session mode.
# The cases named on_x11 run GNOME on X11 instead: gnome-shell --x11 on Xvfb.
# Usage: gnome_test.sh CASE   (APP, DATA_DIR and EXTENSION_DIR in the environment)
source "$(dirname "$0")/lib.sh"
case_name=${1:?case}
USER_NAME=nobody
UUID=marivelle@marivelle.example
PROBE=marivelle-probe@marivelle.example
PYTHON=/usr/bin/python3
SHELL_PID=""
RUNTIME=$WORK/runtime
# The monitors, as the shell is told to make them: 800x600 at 0,0 (with the
# top bar) and 640x400 at 800,0. The crops leave the top bar and the
# notification banners under it out.
MONITOR_CROPS=("800x400+0+200" "640x400+800+0")
SESSION_KIND=wayland
if [[ $case_name == *on_x11 ]]; then
  SESSION_KIND=x11
  # Xvfb's one 1280x1024 screen.
  MONITOR_CROPS=("1280x824+0+200")
fi

stop_shell() {
  [ -n "$SHELL_PID" ] && kill "$SHELL_PID" 2>/dev/null
  kill_session_of "$RUNTIME"
  cleanup
}
trap stop_shell EXIT

# Runs COMMAND... as the session's user, on its session bus, under a
# deadline of 30 s.
as_user() {
  setpriv --reuid="$USER_NAME" --regid="$(id -g "$USER_NAME")" --clear-groups \
    env -i HOME="$WORK/home" XDG_RUNTIME_DIR="$RUNTIME" PATH="$WORK/user-bin:/usr/bin:/bin" \
    WAYLAND_DISPLAY=gnome-test GDK_BACKEND="$SESSION_KIND" DISPLAY="${DISPLAY:-}" \
    DBUS_SESSION_BUS_ADDRESS="$(cat "$RUNTIME/session_bus")" timeout 30 "$@"
}

# Starts the fullscreen windows that cover every monitor, as the session's
# user, for as long as the test needs them; COVER_PID is the process.
start_cover_windows() {
  setpriv --reuid="$USER_NAME" --regid="$(id -g "$USER_NAME")" --clear-groups \
    env -i HOME="$WORK/home" XDG_RUNTIME_DIR="$RUNTIME" WAYLAND_DISPLAY=gnome-test GDK_BACKEND="$SESSION_KIND" \
    DISPLAY="${DISPLAY:-}" DBUS_SESSION_BUS_ADDRESS="$(cat "$RUNTIME/session_bus")" \
    gjs "$(dirname "$0")/gnome_cover.js" >"$WORK/cover.log" 2>&1 &
  COVER_PID=$!
}

# Calls METHOD of the tests' probe with ARGS (gdbus syntax).
probe() {
  local method=$1
  shift
  as_user gdbus call --session -d org.gnome.Shell -o /org/marivelle/ShellProbe \
    -m "org.marivelle.ShellProbe.$method" "$@"
}

# Starts the shell with the extensions in ENABLED (a GVariant list) on, the
# aquarium's extension installed unless INSTALL is "none", and waits until
# the probe answers with the overview closed.
start_shell() {
  local enabled=$1 install=${2:-installed} extensions
  mkdir -p "$WORK/home" "$RUNTIME" "$WORK/user-bin" "$WORK/shots"
  extensions=$WORK/home/.local/share/gnome-shell/extensions
  mkdir -p "$extensions"
  cp -r "$(dirname "$0")/gnome_probe" "$extensions/$PROBE"
  if [ "$install" != none ]; then
    cp -r "$EXTENSION_DIR" "$extensions/$UUID"
    glib-compile-schemas "$extensions/$UUID/schemas" || fail "the extension's settings schema does not compile"
  fi
  # The program as the package installs it: on the PATH, run in its data.
  # What the extension's program says goes to program.log, for the failures.
  printf '#!/bin/sh\ncd "%s" || exit 1\n[ "$1" = --embedded ] && exec "%s" "$@" 2>>"%s"\nexec "%s" "$@"\n' \
    "$DATA_DIR" "$APP" "$WORK/shots/program.log" "$APP" >"$WORK/user-bin/marivelle"
  chmod 755 "$WORK/user-bin/marivelle" "$WORK"
  chown -R "$USER_NAME" "$WORK/home" "$RUNTIME" "$WORK/shots"
  chmod 700 "$RUNTIME"
  cat >"$WORK/session.sh" <<SESSION
dbus-daemon --session --address="unix:path=\$XDG_RUNTIME_DIR/system_bus" --fork
export DBUS_SYSTEM_BUS_ADDRESS="unix:path=\$XDG_RUNTIME_DIR/system_bus"
gsettings set org.gnome.shell disable-user-extensions false
gsettings set org.gnome.shell enabled-extensions "$enabled"
# A real session's manager gives the bus what the shell's helpers need.
dbus-update-activation-environment WAYLAND_DISPLAY=gnome-test
echo "\$DBUS_SESSION_BUS_ADDRESS" >"\$XDG_RUNTIME_DIR/session_bus.tmp"
mv "\$XDG_RUNTIME_DIR/session_bus.tmp" "\$XDG_RUNTIME_DIR/session_bus"
\$SHELL_COMMAND
SESSION
  local command="gnome-shell --headless --wayland --no-x11 --wayland-display gnome-test"
  command="$command --virtual-monitor 800x600 --virtual-monitor 640x400"
  if [ "$SESSION_KIND" = x11 ]; then
    start_xvfb
    command="gnome-shell --x11 --replace"
  fi
  setpriv --reuid="$USER_NAME" --regid="$(id -g "$USER_NAME")" --clear-groups \
    env -i HOME="$WORK/home" XDG_RUNTIME_DIR="$RUNTIME" PATH="$WORK/user-bin:/usr/bin:/bin" \
    DISPLAY="${DISPLAY:-}" SHELL_COMMAND="exec $command" \
    dbus-run-session -- sh "$WORK/session.sh" >"$WORK/shell.log" 2>&1 &
  SHELL_PID=$!
  probe_answers() { [ -s "$RUNTIME/session_bus" ] && probe Overview false >/dev/null 2>&1; }
  wait_until --every 0.5 "$WAIT_SECONDS" probe_answers ||
    fail "the headless GNOME Shell did not answer the tests' probe: $(tail -n 5 "$WORK/shell.log")"
  # The shell opens the overview once it has started, after the probe may
  # already have closed it.
  overview_closed() {
    probe Overview false >/dev/null && read_lists && [ "$(list_entries startingUp)" = False ] &&
      [ "$(list_entries overview)" = False ]
  }
  wait_until --every 0.5 "$WAIT_SECONDS" overview_closed || fail "the shell's overview did not close"
}

# The window lists as the probe reports them, as JSON in LISTS.
read_lists() {
  LISTS=$(probe Lists | "$PYTHON" -c 'import ast, sys; print(ast.literal_eval(sys.stdin.read())[0])') ||
    fail "the probe did not report the window lists"
}

# Prints the entries of list NAME in LISTS, one a line.
list_entries() {
  echo "$LISTS" | "$PYTHON" -c "import json, signal, sys; signal.signal(signal.SIGPIPE, signal.SIG_DFL)
v = json.load(sys.stdin)['$1']; print('\n'.join(v) if isinstance(v, list) else v)"
}

# The program's process id in PROGRAM, once exactly one runs; false while
# none or several do.
find_program() {
  local pids
  pids=$(session_programs)
  [ -n "$pids" ] && [ "$(echo "$pids" | wc -l)" = 1 ] || return 1
  PROGRAM=$pids
  APP_PID=$pids
}
no_program() { [ -z "$(session_programs)" ]; }

# The aquarium programs of this test's session (other tests may run theirs
# beside it as the same user).
session_programs() { embedded_programs_of "$USER_NAME" "$RUNTIME"; }
wait_program() { wait_until "$WAIT_SECONDS" find_program || fail "$1: the aquarium program is not running (once)"; }

# Saves the stage as OUT (the whole 1440x600 of both monitors).
shoot() {
  rm -f "$1"
  probe Screenshot "$1" >/dev/null && [ -s "$1" ]
}

# True when every monitor's background moves from one screenshot to the
# next and differs from GNOME's own (REFERENCE, where one was taken) in most
# of its pixels.
backgrounds_show_aquarium() {
  local reference=$1 i crop area
  shoot "$WORK/shots/a.png" || return 1
  sleep 0.3
  shoot "$WORK/shots/b.png" || return 1
  for i in "${!MONITOR_CROPS[@]}"; do
    crop=${MONITOR_CROPS[$i]}
    "$IM_CONVERT" "$WORK/shots/a.png" -crop "$crop" +repage "$WORK/a$i.png"
    "$IM_CONVERT" "$WORK/shots/b.png" -crop "$crop" +repage "$WORK/b$i.png"
    [ -e "$reference" ] && "$IM_CONVERT" "$reference" -crop "$crop" +repage "$WORK/r$i.png"
    area=$(("${crop%%x*}" * $(echo "$crop" | sed 's/^[0-9]*x\([0-9]*\).*/\1/')))
    [ "$(pixels_changed "$WORK/a$i.png" "$WORK/b$i.png")" -ge 500 ] || return 1
    [ -e "$reference" ] || continue
    [ "$(pixels_changed "$WORK/a$i.png" "$WORK/r$i.png")" -ge $((area / 2)) ] || return 1
  done
}

expect_aquarium() {
  wait_until --every 0.5 "$WAIT_SECONDS" backgrounds_show_aquarium "$WORK/shots/own.png" ||
    fail "$1: the backgrounds of the monitors do not show the aquarium moving"
  echo "$1: the monitors' backgrounds show the aquarium, moving"
}

# Takes a picture of GNOME's own backgrounds, before the aquarium, once the
# stage has settled (the overview's closing animation over, the background
# drawn).
shoot_own_background() {
  settled() {
    shoot "$WORK/shots/own.png" && sleep 0.5 && shoot "$WORK/shots/own2.png" &&
      at_most "$(pixels_changed "$WORK/shots/own.png" "$WORK/shots/own2.png")" 0 &&
      [ "$(lit_share "$WORK/shots/own.png")" -ge 50 ]
  }
  wait_until --every 0.5 "$WAIT_SECONDS" settled || fail "GNOME's own background did not settle on the stage"
}

# True once the monitors' backgrounds are GNOME's own again.
own_background_back() {
  local i
  shoot "$WORK/shots/c.png" || return 1
  for i in "${!MONITOR_CROPS[@]}"; do
    "$IM_CONVERT" "$WORK/shots/c.png" -crop "${MONITOR_CROPS[$i]}" +repage "$WORK/c$i.png"
    "$IM_CONVERT" "$WORK/shots/own.png" -crop "${MONITOR_CROPS[$i]}" +repage "$WORK/r$i.png"
    at_most "$(pixels_changed "$WORK/c$i.png" "$WORK/r$i.png")" 100 || return 1
  done
}

# Checks that the program's window is in none of the lists a user sees.
expect_window_hidden() {
  local list
  read_lists
  for list in altTab running stage focus focusApp; do
    if list_entries "$list" | grep -qi marivelle; then
      fail "$1: the aquarium's window shows in the shell's $list: $(list_entries "$list" | tr '\n' ' ')"
    fi
  done
  # On X11 a minimised window is unmapped, with nothing drawn in it: there
  # the window stays, drawn only through the backgrounds' copies.
  local hidden='minimized=true|skip=true'
  [ "$SESSION_KIND" = x11 ] && hidden='minimized=false|skip=true'
  list_entries all | grep -qF "|$hidden|" ||
    fail "$1: the aquarium's window is not $hidden: $(list_entries all | tr '\n' ' ')"
  echo "$1: the window is in no list, never focused ($hidden)"
}

# Runs the program as the user; its status in STATUS, its standard error in
# SAID.
run_program() {
  STATUS=0
  SAID=$(as_user marivelle "$@" 2>&1 >/dev/null) || STATUS=$?
}

# Waits until the program uses more than a few percent of a core again,
# and prints how long that took.
expect_awake() {
  local what=$1 start_us busy
  read_clock; start_us=$CLOCK_US
  awake() { find_program && busy=$(cpu_percent_over "$PROGRAM" 0.5) && awk -v p="$busy" 'BEGIN { exit !(p > 5) }'; }
  wait_until "$WAIT_SECONDS" awake || fail "$what: the program did not wake (${busy:-?} % of a core)"
  read_clock
  echo "$what: drawing again after $(((CLOCK_US - start_us) / 1000)) ms"
}

# Sets mutter's power saving as GNOME's power settings daemon does when it
# blanks the screen (0 on, 3 off).
set_power_save() {
  as_user gdbus call --session -d org.gnome.Mutter.DisplayConfig -o /org/gnome/Mutter/DisplayConfig \
    -m org.freedesktop.DBus.Properties.Set org.gnome.Mutter.DisplayConfig PowerSaveMode "<$1>" >/dev/null ||
    fail "mutter did not take power save mode $1"
}

# Lays the monitors out as LOGICAL (ApplyMonitorsConfig's logical monitors,
# GVariant text), as the Displays settings do, for this session only.
apply_monitors() {
  local state serial
  state=$(as_user gdbus call --session -d org.gnome.Mutter.DisplayConfig -o /org/gnome/Mutter/DisplayConfig \
    -m org.gnome.Mutter.DisplayConfig.GetCurrentState) || fail "mutter did not report its monitors"
  serial=$(echo "$state" | sed -n 's/^(uint32 \([0-9]*\),.*/\1/p')
  as_user gdbus call --session -d org.gnome.Mutter.DisplayConfig -o /org/gnome/Mutter/DisplayConfig \
    -m org.gnome.Mutter.DisplayConfig.ApplyMonitorsConfig "$serial" 1 "$1" "@a{sv} {}" >/dev/null ||
    fail "mutter refused the monitors $1"
}
BOTH_MONITORS="[(0, 0, 1.0, 0, true, [('Meta-0', '800x600@60.000', @a{sv} {})]),
  (800, 0, 1.0, 0, false, [('Meta-1', '640x400@60.000', @a{sv} {})])]"
SMALL_MONITOR="[(0, 0, 1.0, 0, true, [('Meta-1', '640x400@60.000', @a{sv} {})])]"

# True when the probe counts SHOWN copies of the aquarium on the stage and
# MADE in all (the overview's workspaces keep theirs while hidden); MADE may
# be left out.
covers_are() {
  read_lists
  [ "$(list_entries covers | sed -n 2p)" = "$1" ] || return 1
  [ -z "${2:-}" ] || [ "$(list_entries covers | sed -n 1p)" = "$2" ]
}

# True when the program's window has the size WxH.
window_size_is() {
  read_lists
  list_entries geometry | grep -q "^Marivelle|.*|buffer=$1|"
}

set_setting() {
  as_user gsettings --schemadir "$WORK/home/.local/share/gnome-shell/extensions/$UUID/schemas" \
    set org.gnome.shell.extensions.marivelle "$1" "$2" || fail "cannot set the extension's $1"
}

# Checks that neither the shell nor the preferences window met an error in
# the extension's code (they log it and go on).
expect_no_extension_errors() {
  local errors
  errors=$(grep -A 8 "JS ERROR" "$WORK/shell.log" | grep -B 8 "extensions/$UUID/")
  [ -z "$errors" ] || fail "the extension's code failed: $errors"
}

case "$case_name" in
switched_from_the_command_line)
  # Turned on and off with the program's own options, through the shell's
  # extensions interface; GNOME's own background before and after.
  start_shell "['$PROBE']"
  shoot_own_background
  as_user gsettings set org.gnome.shell disable-user-extensions true
  run_program --wallpaper
  [ "$STATUS" = 1 ] && [[ $SAID == "Marivelle: "*"gsettings set org.gnome.shell disable-user-extensions false"* ]] ||
    fail "with user extensions off, --wallpaper gave status $STATUS and said: $SAID"
  echo "user extensions off: $SAID"
  as_user gsettings set org.gnome.shell disable-user-extensions false
  wait_until --every 0.5 "$WAIT_SECONDS" probe_answers || fail "the probe did not come back with user extensions"
  run_program --wallpaper --stop
  [ "$STATUS" = 1 ] && [[ $SAID == "Marivelle: "*"not on"* ]] ||
    fail "--wallpaper --stop before it was on gave status $STATUS and said: $SAID"
  run_program --wallpaper
  [ "$STATUS" = 0 ] || fail "--wallpaper gave status $STATUS and said: $SAID"
  wait_program "--wallpaper"
  expect_aquarium "--wallpaper"
  expect_window_hidden "in the session"
  covers_are 2 || fail "the session's backgrounds show $(list_entries covers | sed -n 2p) copies of the aquarium, not 2"
  # A right-click on the desktop, over the aquarium, opens GNOME's own menu.
  probe Click 400.0 400.0 3 >/dev/null
  menu_open() { read_lists; [ "$(list_entries backgroundMenu)" = True ]; }
  wait_until "$WAIT_SECONDS" menu_open || fail "a right-click on the aquarium did not open GNOME's background menu"
  echo "a right-click on the desktop opens GNOME's background menu"
  probe Click 400.0 400.0 1 >/dev/null
  # Monitors that change: one program, one copy a monitor, the window at the
  # largest monitor's size.
  find_program || fail "before the monitors changed: programs $(session_programs | xargs)"
  first=$PROGRAM
  apply_monitors "$SMALL_MONITOR"
  wait_until "$WAIT_SECONDS" covers_are 1 || fail "one monitor left: $(list_entries covers | sed -n 2p) copies shown"
  # mutter keeps a window out from under the top bar: the height is less.
  wait_until "$WAIT_SECONDS" window_size_is "640x[34][0-9][0-9]" ||
    fail "one 640x400 monitor left: the window is $(list_entries geometry | grep '^Marivelle')"
  apply_monitors "$BOTH_MONITORS"
  wait_until "$WAIT_SECONDS" covers_are 2 || fail "two monitors again: $(list_entries covers | sed -n 2p) copies shown"
  wait_until "$WAIT_SECONDS" window_size_is "800x[56][0-9][0-9]" ||
    fail "the 800x600 monitor back: the window is $(list_entries geometry | grep '^Marivelle')"
  find_program && [ "$PROGRAM" = "$first" ] ||
    fail "the monitors changed, and the program with them: $first before, $(session_programs | xargs) now;" \
      "it said: $(tail -n 5 "$WORK/shots/program.log"); the shell's log:" \
      "$(grep -E 'Marivelle: |WL: |client communication|protocol error' "$WORK/shell.log")"
  expect_aquarium "the monitors changed and came back"
  probe Overview true >/dev/null
  overview_moves() {
    shoot "$WORK/shots/o1.png" && sleep 0.3 && shoot "$WORK/shots/o2.png" || return 1
    local i
    for i in 0 1; do
      "$IM_CONVERT" "$WORK/shots/o1.png" -crop "${MONITOR_CROPS[$i]}" +repage "$WORK/o1-$i.png"
      "$IM_CONVERT" "$WORK/shots/o2.png" -crop "${MONITOR_CROPS[$i]}" +repage "$WORK/o2-$i.png"
      [ "$(pixels_changed "$WORK/o1-$i.png" "$WORK/o2-$i.png")" -ge 500 ] || return 1
    done
  }
  wait_until --every 0.5 "$WAIT_SECONDS" overview_moves ||
    fail "the overview's workspaces do not show the aquarium moving on both monitors"
  echo "the overview: the workspaces' backgrounds move on both monitors"
  expect_window_hidden "in the overview"
  probe Overview false >/dev/null
  run_program --wallpaper --stop
  [ "$STATUS" = 0 ] || fail "--wallpaper --stop gave status $STATUS and said: $SAID"
  wait_until "$WAIT_SECONDS" no_program || fail "the program still runs after --wallpaper --stop"
  wait_until --every 0.5 "$WAIT_SECONDS" own_background_back ||
    fail "GNOME's own background is not back after --wallpaper --stop"
  covers_are 0 0 || fail "after --wallpaper --stop, $(list_entries covers | sed -n 1p) copies of the aquarium are left"
  echo "--wallpaper --stop: the program ended, GNOME's background is back"
  ;;
not_installed)
  start_shell "['$PROBE']" none
  run_program --wallpaper
  [ "$STATUS" = 1 ] && [[ $SAID == "Marivelle: "*"not installed"* ]] && [ "$(echo "$SAID" | wc -l)" = 1 ] ||
    fail "without the extension, --wallpaper gave status $STATUS and said: $SAID"
  echo "not installed: $SAID"
  no_program || fail "a program runs without the extension"
  ;;
sleeps_unseen)
  # Covered on every monitor, blanked, idle and locked: under 1 % of a core;
  # seen again: drawing at once.
  start_shell "['$PROBE', '$UUID']"
  wait_program "enabled"
  expect_aquarium "enabled"
  start_cover_windows
  covered() { read_lists; [ "$(list_entries all | grep -c '^cover ')" = 2 ]; }
  wait_until "$WAIT_SECONDS" covered || fail "the fullscreen windows did not come: $(cat "$WORK/cover.log")"
  expect_idle_cpu "a fullscreen window on each monitor"
  kill "$COVER_PID"
  expect_awake "the fullscreen windows closed"
  expect_aquarium "uncovered"
  set_power_save 3
  expect_idle_cpu "the screen blanked"
  set_power_save 0
  expect_awake "the screen on again"
  as_user gsettings set org.gnome.desktop.session idle-delay 3
  expect_idle_cpu "the session idle"
  probe Touch >/dev/null
  expect_awake "the pointer moved"
  as_user gsettings set org.gnome.desktop.session idle-delay 0
  # GNOME turns user extensions off on the lock screen: the program ends,
  # and comes back with the unlocked session.
  probe Locked true >/dev/null
  wait_until "$WAIT_SECONDS" no_program || fail "the program still runs on the lock screen"
  echo "locked: the program ended"
  probe Locked false >/dev/null
  wait_program "unlocked"
  expect_aquarium "unlocked"
  ;;
started_again)
  # Killed: started again; a setting changed: the program follows; killed
  # again and again: the extension gives up and says so.
  start_shell "['$PROBE', '$UUID']"
  wait_program "enabled"
  expect_aquarium "enabled"
  first=$PROGRAM
  kill -9 "$first"
  another() { find_program && [ "$PROGRAM" != "$1" ]; }
  wait_until "$WAIT_SECONDS" another "$first" || fail "the program was not started again after it was killed"
  echo "killed: started again as $PROGRAM"
  expect_aquarium "started again"
  # The preferences window, as the Extensions app opens it.
  as_user gnome-extensions prefs "$UUID" || fail "the extension's preferences did not open"
  prefs_shown() { read_lists; list_entries all | grep -q '^Marivelle aquarium wallpaper|'; }
  wait_until "$WAIT_SECONDS" prefs_shown || fail "no preferences window: $(list_entries all | xargs)"
  expect_no_extension_errors
  echo "the preferences window opens"
  read_clock; start_us=$CLOCK_US
  set_setting fish 120
  set_setting speed 2.5
  follows() { find_program && tr '\0' ' ' <"/proc/$PROGRAM/cmdline" | grep -q -- "--fish 120 --speed 2.5 "; }
  wait_until "$WAIT_SECONDS" follows || fail "the program did not follow the settings: $(tr '\0' ' ' <"/proc/$PROGRAM/cmdline")"
  read_clock
  echo "settings changed: the program runs with $(tr '\0' ' ' <"/proc/$PROGRAM/cmdline") after $(((CLOCK_US - start_us) / 1000)) ms"
  for round in 1 2 3 4; do
    wait_program "before kill $round"
    killed=$PROGRAM
    kill -9 "$killed"
    [ "$round" = 4 ] || wait_until "$WAIT_SECONDS" another "$killed" || fail "not started again after kill $round"
  done
  gave_up() { read_lists; list_entries notifications | grep -q "^Marivelle: The aquarium stopped 4 times"; }
  wait_until "$WAIT_SECONDS" gave_up ||
    fail "no notification that the extension gave up: $(list_entries notifications); running: $(session_programs | xargs);" \
      "the shell's log: $(grep 'Marivelle: ' "$WORK/shell.log")"
  holds_throughout 5 no_program || fail "the program was started again after the extension gave up"
  echo "killed four times within a minute: $(list_entries notifications | grep '^Marivelle')"
  ;;
on_x11)
  # GNOME on X11: the program is a plain child of the shell, known by its
  # process; the same background, lists, sleep and stop.
  start_shell "['$PROBE']"
  shoot_own_background
  run_program --wallpaper
  [ "$STATUS" = 0 ] || fail "--wallpaper gave status $STATUS and said: $SAID"
  wait_program "--wallpaper on X11"
  expect_aquarium "--wallpaper on X11"
  expect_window_hidden "on X11"
  covers_are 1 || fail "on X11 the background shows $(list_entries covers | sed -n 2p) copies, not 1"
  # The shell restarted in place (Alt+F2 r): the program it started goes
  # with it, and the restarted shell starts one, with one copy.
  before=$PROGRAM
  probe Restart >/dev/null
  restarted() { find_program && [ "$PROGRAM" != "$before" ] && overview_closed && covers_are 1; }
  wait_until --every 0.5 "$WAIT_SECONDS" restarted ||
    fail "after the shell restarted: programs $(session_programs | xargs), copies $(list_entries covers | xargs)"
  # Its parent gone by the exec, the old program may stay a zombie.
  [ -e "/proc/$before" ] && ! grep -q '^[0-9]* (.*) Z' "/proc/$before/stat" &&
    fail "the program of the shell before the restart still runs"
  expect_aquarium "the shell restarted on X11"
  start_cover_windows
  expect_idle_cpu "a fullscreen window on X11"
  kill "$COVER_PID"
  expect_awake "the fullscreen window closed on X11"
  run_program --wallpaper --stop
  [ "$STATUS" = 0 ] || fail "--wallpaper --stop gave status $STATUS and said: $SAID"
  wait_until "$WAIT_SECONDS" no_program || fail "the program still runs after --wallpaper --stop"
  wait_until --every 0.5 "$WAIT_SECONDS" own_background_back ||
    fail "GNOME's own background is not back after --wallpaper --stop on X11"
  echo "--wallpaper --stop on X11: the program ended, GNOME's background is back"
  ;;
*) fail "unknown case $case_name" ;;
esac
expect_no_extension_errors
echo "PASS: $case_name"
