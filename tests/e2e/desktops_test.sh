#!/usr/bin/env bash
# End-to-end tests of the wallpaper on the X11 desktops people use, under
# Xvfb, each with its own window manager and desktop program as Debian
# ships them and a few files on ~/Desktop: the aquarium shows and moves
# whichever starts first; the desktop program's right-click menu (or the
# window manager's root menu) still opens; a left click, a window minimised
# or closed never takes the picture away; the icons show over it where the
# program lets what lies beneath show; covered, it sleeps; --stop gives the
# desktop back as it was.
# Usage: desktops_test.sh CASE   (APP, DATA_DIR, MAKE_WINDOW and STACK_WINDOW in the environment)
source "$(dirname "$0")/lib.sh"
case_name=${1:?case}
TITLE="Marivelle wallpaper"
# The user the desktop programs that refuse root run as.
DESKTOP_USER=nobody
DESKTOP_PIDS=()

# Ends process PID and every process it started.
kill_tree() {
  local child
  for child in $(pgrep -P "$1"); do
    kill_tree "$child"
  done
  kill "$1" 2>/dev/null
}

stop_desktop() {
  local pid proc
  for pid in "${DESKTOP_PIDS[@]}"; do
    kill_tree "$pid"
  done
  # What the other user's session started on its own (the stand-in system
  # bus, the daemons a desktop starts) carries its runtime folder.
  for proc in /proc/[0-9]*; do
    grep -qzxF "XDG_RUNTIME_DIR=$WORK/runtime-$DESKTOP_USER" "$proc/environ" 2>/dev/null && kill "${proc#/proc/}" 2>/dev/null
  done
  [ -n "${DBUS_SESSION_BUS_PID:-}" ] && kill "$DBUS_SESSION_BUS_PID" 2>/dev/null
  cleanup
}
trap stop_desktop EXIT

# A home of its own with the files a desktop shows: two notes and a folder.
# Readable and writable by DESKTOP_USER, for the programs that run as it.
make_home() {
  export HOME=$WORK/home
  export XDG_CONFIG_HOME=$HOME/.config XDG_DATA_HOME=$HOME/.local/share XDG_CACHE_HOME=$HOME/.cache
  export XDG_RUNTIME_DIR=$WORK/runtime
  mkdir -p "$HOME/Desktop/Projects" "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_CACHE_HOME" "$XDG_RUNTIME_DIR"
  echo "Buy fish food" >"$HOME/Desktop/notes.txt"
  echo "Clean the glass" >"$HOME/Desktop/todo.txt"
  printf 'XDG_DESKTOP_DIR="$HOME/Desktop"\n' >"$XDG_CONFIG_HOME/user-dirs.dirs"
  chmod 700 "$XDG_RUNTIME_DIR"
  chmod 755 "$WORK"
}

# A session bus of its own, as a desktop session has.
start_session_bus() {
  local line
  line=$(timeout 30 dbus-launch --sh-syntax) || fail "no session bus"
  eval "$line"
}

# Starts COMMAND... as a long-lived part of the desktop, its output in
# NAME.log.
start_part() {
  local name=$1
  shift
  "$@" >"$WORK/$name.log" 2>&1 &
  DESKTOP_PIDS+=($!)
}

# True once a mapped window of type DESKTOP other than the wallpaper's exists;
# sets DESKTOP_WINDOW to it.
find_desktop_window() {
  local id
  for id in $(xdotool search --onlyvisible --name '' 2>/dev/null); do
    xprop -id "$id" _NET_WM_WINDOW_TYPE WM_CLASS 2>/dev/null | grep -q '_NET_WM_WINDOW_TYPE_DESKTOP' || continue
    xprop -id "$id" WM_CLASS 2>/dev/null | grep -q '"Marivelle"' && continue
    DESKTOP_WINDOW=$(printf '0x%x' "$id")
    return 0
  done
  return 1
}
wait_desktop_window() {
  wait_until "$WAIT_SECONDS" find_desktop_window || fail "$1 shows no desktop window: $(tail -n 5 "$WORK/$1.log")"
}

# Starts the session of DESKTOP_USER, for the desktops that refuse root or
# want a system bus: a session bus of its own, a stand-in for the system
# bus, and nothing else; the parts come with run_as_user.
start_user_session() {
  [ -e "$WORK/user_bus" ] && return
  chown -R "$DESKTOP_USER" "$HOME"
  mkdir -p "$WORK/runtime-$DESKTOP_USER"
  chown "$DESKTOP_USER" "$WORK/runtime-$DESKTOP_USER"
  chmod 700 "$WORK/runtime-$DESKTOP_USER"
  cat >"$WORK/user_session.sh" <<'SESSION'
dbus-daemon --session --address="unix:path=$XDG_RUNTIME_DIR/system_bus" --fork --print-pid >"$XDG_RUNTIME_DIR/system_bus.pid"
echo "$DBUS_SESSION_BUS_ADDRESS" >"$XDG_RUNTIME_DIR/session_bus.tmp"
mv "$XDG_RUNTIME_DIR/session_bus.tmp" "$XDG_RUNTIME_DIR/session_bus"
exec sleep infinity
SESSION
  start_part user_session setpriv --reuid="$DESKTOP_USER" --regid="$(id -g "$DESKTOP_USER")" --clear-groups \
    env XDG_RUNTIME_DIR="$WORK/runtime-$DESKTOP_USER" dbus-run-session -- sh "$WORK/user_session.sh"
  wait_until "$WAIT_SECONDS" test -s "$WORK/runtime-$DESKTOP_USER/session_bus" ||
    fail "no session for $DESKTOP_USER: $(cat "$WORK/user_session.log")"
  touch "$WORK/user_bus"
}

# Starts COMMAND... as DESKTOP_USER in that session; its output in NAME.log.
run_as_user() {
  local name=$1
  shift
  start_user_session
  start_part "$name" setpriv --reuid="$DESKTOP_USER" --regid="$(id -g "$DESKTOP_USER")" --clear-groups \
    env XDG_RUNTIME_DIR="$WORK/runtime-$DESKTOP_USER" \
    DBUS_SESSION_BUS_ADDRESS="$(cat "$WORK/runtime-$DESKTOP_USER/session_bus")" \
    DBUS_SYSTEM_BUS_ADDRESS="unix:path=$WORK/runtime-$DESKTOP_USER/system_bus" "$@"
}

# The desktops, each started as its session starts it: the window manager,
# then the desktop program (start_icons).
start_manager() {
  case "$1" in
  xfwm4_composited | xfwm4)
    # The user's own setting, as XFCE's window manager settings keep it.
    timeout 30 xfconf-query -c xfwm4 -p /general/use_compositing -n -t bool \
      -s "$([ "$1" = xfwm4 ] && echo false || echo true)" || fail "xfconf cannot keep xfwm4's settings"
    start_part xfwm4 xfwm4 ;;
  marco) start_part marco marco --composite ;;
  openbox) start_part openbox openbox ;;
  openbox_composited)
    start_part openbox openbox
    start_compositor ;;
  # Plasma's and GNOME's window managers, each compositing with OpenGL.
  kwin) run_as_user kwin kwin_x11 ;;
  mutter) run_as_user mutter mutter --x11 --replace ;;
  esac
  wait_until "$WAIT_SECONDS" sh -c 'xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q "window id"' ||
    fail "the window manager $1 did not start: $(tail -n 5 "$WORK/${1%_composited}.log")"
}

start_icons() {
  case "$1" in
  xfdesktop) start_part xfdesktop xfdesktop ;;
  pcmanfm) start_part pcmanfm pcmanfm --desktop ;;
  pcmanfm-qt) start_part pcmanfm-qt pcmanfm-qt --desktop ;;
  caja) start_part caja caja -n --force-desktop ;;
  # It refuses to run as root.
  nemo-desktop) run_as_user nemo-desktop nemo-desktop ;;
  # Plasma's shell wants the activity manager running first.
  plasmashell)
    run_as_user kactivitymanagerd /usr/lib/x86_64-linux-gnu/libexec/kactivitymanagerd
    run_as_user plasmashell plasmashell ;;
  esac
  wait_desktop_window "$1"
}

# True when a picture of the screen shows the aquarium over at least MIN %
# of it, outside the first icons' corner.
screen_shows_aquarium() {
  "$IM_IMPORT" -window root "$WORK/root.png" 2>/dev/null && picture_shows_grid "$WORK/root.png" "$1" 800x600+400+300
}
expect_aquarium() {
  wait_until --every 0.5 "$WAIT_SECONDS" screen_shows_aquarium 3 ||
    fail "$1: the aquarium does not show (${GRIDS:-no picture} % grid); the stack from the top:" \
      "$(xwininfo -root -children | grep -E '^ +0x' | head -n 12)"
  local took
  took=$(wait_for_motion root) || fail "$1: the aquarium does not move"
  echo "$1: the aquarium shows (${GRIDS} % grid) and moves, $took ms later"
}

# The mapped top-level windows, one id a line.
viewable_ids() { viewable_top_windows | cut -f1 | sort; }

# Right-clicks an empty spot of the desktop and checks that a menu opens (a
# new window is mapped), then closes it.
expect_menu() {
  local before
  viewable_ids >"$WORK/before_menu"
  timeout 30 xdotool mousemove 1000 800 click 3
  new_window() { viewable_ids | comm -13 "$WORK/before_menu" - | grep -q .; }
  wait_until "$WAIT_SECONDS" new_window || fail "$1: a right-click on the desktop opened no menu"
  echo "$1: a right-click opens $(viewable_ids | comm -13 "$WORK/before_menu" - | head -n 1)"
  timeout 30 xdotool key Escape
  menu_gone() { ! new_window; }
  wait_until "$WAIT_SECONDS" menu_gone || fail "$1: Escape did not close the menu"
}

# A left click on an empty spot, a window minimised and one closed: the
# aquarium still shows, moves, and stays shown a while.
expect_kept() {
  local what=$1
  timeout 30 xdotool mousemove 1000 800 click 1
  expect_aquarium "$what: after a left click on the desktop"
  start_shown_cover 500 300
  shown_with_cover() {
    screen_shows_aquarium 3 && [ "$(grid_share "$WORK/root.png" "$(geometry_of "$COVER")")" -lt 1 ]
  }
  wait_until --every 0.5 "$WAIT_SECONDS" shown_with_cover ||
    fail "$what: a window over the aquarium does not show over it ($(grid_share "$WORK/root.png" "$(geometry_of "$COVER")") % grid inside it)"
  timeout 30 xdotool windowminimize "$COVER"
  # Some managers keep a minimised window mapped, and say it is hidden.
  minimised() { window_hidden "$COVER" || xprop -id "$COVER" _NET_WM_STATE 2>/dev/null | grep -q _HIDDEN; }
  wait_until "$WAIT_SECONDS" minimised || fail "$what: the window was not minimised"
  expect_aquarium "$what: after the last window was minimised"
  xdotool windowmap "$COVER"
  wait_until "$WAIT_SECONDS" window_viewable "$COVER" || fail "$what: the window was not restored"
  kill "$COVER_PID"
  wait_until "$WAIT_SECONDS" window_hidden "$COVER" || fail "$what: the window was not closed"
  expect_aquarium "$what: after the last window was closed"
  holds_throughout 3 screen_shows_aquarium 3 || fail "$what: the aquarium went away (${GRIDS} % grid)"
}

# A window of another program, shown.
start_shown_cover() {
  start_cover "$@"
  wait_until "$WAIT_SECONDS" window_viewable "$COVER" || fail "the window of another program is not shown"
}

# The share, in percent, of the pixels of the desktop's first icons (the
# corner where desktop programs put them) in the picture BEFORE, taken
# without the aquarium, that are the same in AFTER: the icons over it.
icons_kept() {
  local crop=400x300+0+0 background
  background=$("$IM_CONVERT" "$1" -crop 1x1+1279+1023 -depth 8 txt:- | grep -o '#[0-9A-F]\{6\}')
  paste <("$IM_CONVERT" "$1" -crop "$crop" +repage -depth 8 rgb:- | od -An -v -tu1 -w3) \
    <("$IM_CONVERT" "$2" -crop "$crop" +repage -depth 8 rgb:- | od -An -v -tu1 -w3) |
    awk -v bg="$background" '
      { c = sprintf("#%02X%02X%02X", $1, $2, $3); if (c == bg) next; icon++
        if ($1 == $4 && $2 == $5 && $3 == $6) same++ }
      END { if (icon < 500) print 0; else print int(same * 100 / icon) }'
}

# One session of a desktop: MANAGER, the desktop program ICONS (or none),
# and whether the icons show over the aquarium (shown or hidden).
run_desktop() {
  local manager=$1 icons=$2 expect_icons=$3 what="$1 with ${2}"
  make_home
  start_xvfb
  start_session_bus
  start_manager "$manager"
  # Started before the desktop program: it still shows once the program has.
  start_app_with --wallpaper
  wait_until --while app_running "$WAIT_SECONDS" find_window "$TITLE" >/dev/null || fail "no wallpaper window"
  if [ "$icons" != none ]; then
    start_icons "$icons"
  fi
  expect_aquarium "$what, the wallpaper started first"
  timeout 30 "$APP" --wallpaper --stop >/dev/null 2>&1 || fail "--stop failed"
  [ "$(wait_exit)" = 0 ] || fail "the wallpaper did not end with 0 after --stop"
  # The desktop alone, as it was before any wallpaper.
  settled() { screenshot root "$WORK/before.png" && sleep 1 && screenshot root "$WORK/again.png" &&
    [ "$(pixels_changed "$WORK/before.png" "$WORK/again.png")" -lt 100 ]; }
  wait_until "$WAIT_SECONDS" settled || fail "the desktop did not settle once the wallpaper ended"
  # Started after the desktop program.
  start_app_with --wallpaper
  expect_aquarium "$what, the wallpaper started after"
  screenshot root "$WORK/with.png"
  local kept
  kept=$(icons_kept "$WORK/before.png" "$WORK/with.png")
  echo "$what: $kept % of the icons' pixels as the desktop program draws them"
  if [ "$expect_icons" = shown ]; then
    [ "$kept" -ge 60 ] || fail "$what: the icons are not shown over the aquarium ($kept % of their pixels)"
  fi
  # GNOME's window manager opens no menu on the bare desktop.
  [ "$manager" = mutter ] || expect_menu "$what"
  expect_kept "$what"
  start_shown_cover 400 300
  # Plasma's panel is translucent: over a maximised window's side of the
  # screen the aquarium still shows through it. A fullscreen window hides all.
  local state=maximise
  [ "$manager" = kwin ] && state=fullscreen
  "$STACK_WINDOW" "$state" "$COVER"
  grown() { [ "$(geometry_of "$COVER" | cut -d+ -f1)" != 400x300 ]; }
  wait_until "$WAIT_SECONDS" grown || fail "$what: the window did not $state"
  expect_idle_cpu "$what: covered by a window asked to $state"
  kill "$COVER_PID"
  timeout 30 "$APP" --wallpaper --stop >/dev/null 2>&1 || fail "--stop failed"
  [ "$(wait_exit)" = 0 ] || fail "the wallpaper did not end with 0 after --stop"
  as_before() { screenshot root "$WORK/after.png" && [ "$(pixels_changed "$WORK/before.png" "$WORK/after.png")" -lt 2000 ]; }
  wait_until "$WAIT_SECONDS" as_before ||
    fail "$what: after --stop the desktop differs from before in $(pixels_changed "$WORK/before.png" "$WORK/after.png") pixels"
  # What the wallpaper told of the desktop program, once.
  ADVICE=$(cat "$WORK/app.out")
  echo "$what: the wallpaper said: ${ADVICE:-nothing}"
}

# Checks that the last wallpaper said one line naming PROGRAM and CLUE.
expect_advice() {
  [ "$(echo "$ADVICE" | grep -c .)" = 1 ] && echo "$ADVICE" | grep -q "^Marivelle: $1 .*$2" ||
    fail "the wallpaper should name $1 and '$2' in one line, said: $ADVICE"
}

# Starts the wallpaper again, runs the command its line names, as a user
# would, and checks that the icons then come to show over the aquarium.
follow_advice() {
  local command
  start_app_with --wallpaper
  told() { grep -q "run: " "$WORK/app.out"; }
  wait_until --while app_running "$WAIT_SECONDS" told || fail "the wallpaper names no command: $(cat "$WORK/app.out")"
  command=$(sed -n 's/^.*; to keep them, run: //p' "$WORK/app.out")
  echo "running what the wallpaper said: $command"
  if [[ $command = *' &' ]]; then
    # shellcheck disable=SC2086 # a command line as the user would type it
    start_part followed ${command% &}
  else
    timeout 30 sh -c "$command" || fail "the command it named failed: $command"
  fi
  icons_over() { screenshot root "$WORK/with.png" && [ "$(icons_kept "$WORK/before.png" "$WORK/with.png")" -ge 60 ]; }
  wait_until --while app_running "$WAIT_SECONDS" icons_over ||
    fail "after '$command' the icons are still hidden ($(icons_kept "$WORK/before.png" "$WORK/with.png") % of their pixels)"
  expect_aquarium "after '$command'"
  echo "after '$command': $(icons_kept "$WORK/before.png" "$WORK/with.png") % of the icons' pixels over the aquarium"
  timeout 30 "$APP" --wallpaper --stop >/dev/null 2>&1 || fail "--stop failed"
}

case "$case_name" in
xfce_composited)
  run_desktop xfwm4_composited xfdesktop hidden
  expect_advice xfdesktop "run nemo-desktop"
  ;;
xfce)
  run_desktop xfwm4 xfdesktop hidden
  expect_advice xfdesktop "run nemo-desktop"
  ;;
lxde)
  run_desktop openbox pcmanfm hidden
  expect_advice pcmanfm "run nemo-desktop"
  ;;
lxqt)
  run_desktop openbox pcmanfm-qt hidden
  expect_advice pcmanfm-qt "run nemo-desktop"
  ;;
mate)
  run_desktop marco caja hidden
  expect_advice caja "run nemo-desktop"
  ;;
nemo_composited)
  run_desktop openbox_composited nemo-desktop shown
  [ -z "$ADVICE" ] || fail "the icons show, yet the wallpaper said: $ADVICE"
  ;;
nemo)
  run_desktop openbox nemo-desktop hidden
  expect_advice nemo-desktop "run: xcompmgr &"
  follow_advice
  ;;
xfce_nemo)
  run_desktop xfwm4 nemo-desktop hidden
  expect_advice nemo-desktop "run: xfconf-query -c xfwm4 -p /general/use_compositing -s true"
  follow_advice
  ;;
plasma)
  run_desktop kwin plasmashell hidden
  expect_advice plasmashell "panels stay over the aquarium"
  ;;
gnome)
  run_desktop mutter none hidden
  [ -z "$ADVICE" ] || fail "no desktop program runs, yet the wallpaper said: $ADVICE"
  ;;
openbox)
  run_desktop openbox none hidden
  [ -z "$ADVICE" ] || fail "no desktop program runs, yet the wallpaper said: $ADVICE"
  # A small window on the desktop of type DESKTOP, as conky makes for a
  # system monitor: it stays over the aquarium.
  start_app_with --wallpaper
  expect_aquarium "openbox alone, started again"
  start_shown_cover 300 200
  xprop -id "$COVER" -f _NET_WM_WINDOW_TYPE 32a -set _NET_WM_WINDOW_TYPE _NET_WM_WINDOW_TYPE_DESKTOP
  widget_shown() {
    screen_shows_aquarium 3 && [ "$(grid_share "$WORK/root.png" "$(geometry_of "$COVER")")" -lt 1 ]
  }
  holds_throughout 3 widget_shown ||
    fail "a small desktop window is hidden by the aquarium ($(grid_share "$WORK/root.png" "$(geometry_of "$COVER")") % grid inside it)"
  echo "a small desktop window at $(geometry_of "$COVER") stays over the aquarium"
  ;;
*) fail "unknown case $case_name" ;;
esac
echo "PASS: $case_name"
