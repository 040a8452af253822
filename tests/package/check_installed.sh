#!/usr/bin/env bash
# Checks an installed marivelle package as a user meets it, on a system that
# holds only the package and the test tools: the menu entry and the command in
# a terminal each open the window and render frames, Escape ends the program
# with 0 and nothing reaches standard error; the wallpaper's menu entry shows
# the wallpaper until `marivelle --wallpaper --stop`; then `apt-get purge`
# removes every file the package installed.
# Usage: check_installed.sh   (run as root, next to the e2e helpers lib.sh)
source "$(dirname "$0")/lib.sh"

dpkg-query -W -f='${Status}' marivelle 2>/dev/null | grep -q 'install ok installed' ||
  fail "the marivelle package is not installed"
dpkg -L marivelle >"$WORK/installed.txt"

desktop=/usr/share/applications/marivelle.desktop
[ -f "$desktop" ] || fail "no menu entry at $desktop"
icon=$(sed -n 's/^Icon=//p' "$desktop")
for size in 48 256; do
  [ -s "/usr/share/icons/hicolor/${size}x${size}/apps/$icon.png" ] || fail "no ${size}x$size icon named $icon"
done
gzip -t /usr/share/man/man6/marivelle.6.gz || fail "no readable manual page in section 6"

# Runs COMMAND... in DIR as a user would and checks the window, its frames,
# Escape and standard error. LABEL names the way it was started.
check_run() {
  local label=$1 dir=$2 wid lit changed code
  shift 2
  launch_in "$dir" "$@"
  wid=$(wait_window Marivelle) || fail "$label: no window named Marivelle"
  focus "$wid"
  sleep 1
  # Frames come late on a busy machine: each picture is waited for.
  if ! wait_for_picture "$wid" "$WORK/first.png" 5; then
    app_running || fail "$label: the program ended by itself"
    fail "$label: the window is dark ($(lit_share "$WORK/first.png") % lit)"
  fi
  if ! wait_for_change "$wid" "$WORK/first.png" "$WORK/second.png" 100; then
    app_running || fail "$label: the program ended by itself"
    fail "$label: the picture did not move ($(pixels_changed "$WORK/first.png" "$WORK/second.png") pixels changed)"
  fi
  lit=$(lit_share "$WORK/first.png")
  changed=$(pixels_changed "$WORK/first.png" "$WORK/second.png")
  echo "$label: $lit % of the window lit, then $changed pixels changed"
  xdotool key --window "$wid" Escape
  code=$(wait_exit)
  [ "$code" = 0 ] || fail "$label: exit code after Escape: $code"
  [ ! -s "$WORK/app.err" ] || fail "$label: the program wrote to standard error"
}

start_xvfb

# The menu runs the entry's command from the user's home folder.
exec_line=$(sed -n 's/^Exec=//p' "$desktop")
[ -n "$exec_line" ] || fail "the menu entry has no Exec line"
check_run "menu entry ($exec_line)" "$HOME" sh -c "exec $exec_line"

cd "$HOME" || fail "no home folder"
check_run "terminal in $HOME" "$HOME" marivelle

# The wallpaper's menu entry shows the wallpaper until --stop ends it.
wallpaper_exec=$(sed -n 's/^Exec=//p' /usr/share/applications/marivelle-wallpaper.desktop)
[ "$wallpaper_exec" = "marivelle --wallpaper" ] || fail "the wallpaper's menu entry runs '$wallpaper_exec'"
launch_in "$HOME" sh -c "exec $wallpaper_exec"
wait_window "Marivelle wallpaper" >/dev/null || fail "the wallpaper's menu entry shows no wallpaper"
marivelle --wallpaper --stop || fail "marivelle --wallpaper --stop did not end the wallpaper"
[ "$(wait_exit)" = 0 ] || fail "the wallpaper ended with status $(cat "$WORK/exit_code")"
echo "wallpaper menu entry ($wallpaper_exec): shown, then ended by --stop"

export DEBIAN_FRONTEND=noninteractive
apt-get purge -y -qq marivelle >/dev/null || fail "apt-get purge failed"
left=0
while IFS= read -r path; do
  # Folders such as /usr/bin are shared with other packages and stay; the
  # package's own folders must go with its files.
  case "$path" in
  /usr/share/marivelle | /usr/libexec/marivelle | /usr/share/doc/marivelle) ;;
  *) [ -d "$path" ] && [ ! -L "$path" ] && continue ;;
  esac
  if [ -e "$path" ] || [ -L "$path" ]; then
    echo "left behind after purge: $path" >&2
    left=$((left + 1))
  fi
done <"$WORK/installed.txt"
[ "$left" -eq 0 ] || fail "$left installed paths remain after apt-get purge"
echo "purge removed all $(grep -c . "$WORK/installed.txt") installed paths"
echo "package check passed"
