#!/usr/bin/env bash
# Runs the installed hack under the real xscreensaver daemon, as a user (the
# daemon launches no hacks as root), on a private Xvfb with no window
# manager: the daemon names the hack's pid and window, the screen shows the
# aquarium and moves, the hack maps no window of its own, nothing unblanks
# the screen, and after -deactivate the hack is gone within 2 s.
# Usage: check_screensaver.sh   (as root, next to the e2e helpers lib.sh;
# xscreensaver and xscreensaver-gl installed)
source "$(dirname "$0")/lib.sh"

user=marivelle-saver
id "$user" >/dev/null 2>&1 || useradd --create-home --shell /bin/sh "$user" || fail "cannot make the user $user"
home=$(getent passwd "$user" | cut -d: -f6)
log=$home/xscreensaver.log
rm -f "$log"

# Runs a command as the user, on the test's display.
as_user() { runuser -u "$user" -- env HOME="$home" DISPLAY="$DISPLAY" PATH="$PATH" "$@"; }

cat >"$home/.xscreensaver" <<'SETTINGS'
mode:		one
selected:	0
timeout:	1:00:00
lock:		False
fade:		False
unfade:		False
splash:		False
dpmsEnabled:	False
programs:	GL: marivelle --root \n\

SETTINGS
chown "$user" "$home/.xscreensaver"

start_xvfb
as_user xscreensaver -no-splash -log "$log" >"$WORK/daemon.out" 2>&1 &
daemon=$!
# The daemon is ready once it answers a command.
wait_until 60 as_user xscreensaver-command -version >/dev/null 2>&1 || fail "xscreensaver did not start: $(cat "$WORK/daemon.out" "$log" 2>/dev/null | tail -n 5)"
as_user xscreensaver-command -select 1 >/dev/null || fail "xscreensaver-command -select 1 failed"

forked() { grep -m 1 'forked ".*marivelle --root" in pid' "$log" 2>/dev/null; }
wait_until 60 forked || fail "the daemon did not start the hack: $(tail -n 5 "$log")"
line=$(forked)
hack_pid=$(echo "$line" | sed -n 's/.* in pid \([0-9]*\) on window.*/\1/p')
saver_window=$(echo "$line" | sed -n 's/.* on window \(0x[0-9a-f]*\).*/\1/p')
echo "daemon: $line"
[ -n "$hack_pid" ] && [ -n "$saver_window" ] || fail "the log names no pid and window"

# The aquarium on the screen, moving.
shot_lit() {
  "$IM_IMPORT" -window root "$WORK/first.png" 2>/dev/null && LAST_LIT=$(lit_share "$WORK/first.png") && [ "$LAST_LIT" -ge 20 ]
}
wait_until 60 shot_lit || fail "the screen shows no aquarium (${LAST_LIT:-0} % lit)"
# A second later the picture has moved; a busy machine may take longer to
# draw a full-screen frame, so look again for a while before calling it still.
moved() {
  sleep 1
  "$IM_IMPORT" -window root "$WORK/second.png" 2>/dev/null &&
    LAST_CHANGED=$(pixels_changed "$WORK/first.png" "$WORK/second.png") && [ "$LAST_CHANGED" -ge 1000 ]
}
wait_until 30 moved || fail "the picture did not move (${LAST_CHANGED:-0} pixels changed)"
echo "screen: $LAST_LIT % lit, $LAST_CHANGED pixels changed in a second"
kill -0 "$hack_pid" 2>/dev/null || fail "the hack (pid $hack_pid) is not running"

# Only the daemon's own windows are mapped; none is the hack's.
windows=$(viewable_top_windows)
echo "mapped top-level windows:"
echo "$windows" | sed 's/^/  /'
echo "$windows" | grep -q "^$saver_window" || fail "the saver window $saver_window is not mapped"
echo "$windows" | grep -i -q marivelle && fail "the hack mapped a window of its own"

sleep 10
blanked=$(as_user xscreensaver-command -time 2>&1)
echo "10 s later: $blanked"
echo "$blanked" | grep -q "blanked since" || fail "the screen is no longer blanked"
kill -0 "$hack_pid" 2>/dev/null || fail "the hack ended while the screen was blanked"

as_user xscreensaver-command -deactivate >/dev/null || fail "xscreensaver-command -deactivate failed"
start=$(date +%s%N)
# A hack whose daemon has gone is reparented, and may stay a zombie until its
# new parent reaps it: it has ended all the same.
hack_ended() { ! grep -q -v '^[^)]*) Z' "/proc/$hack_pid/stat" 2>/dev/null; }
wait_until 30 hack_ended || fail "the hack is still running"
took=$((($(date +%s%N) - start) / 1000000))
echo "the hack ended $took ms after -deactivate"
[ "$took" -le 2000 ] || fail "the hack took $took ms to end"
sleep 1
grep -i "did not die" "$log" && fail "the daemon says the hack did not die"
as_user xscreensaver-command -exit >/dev/null 2>&1
kill "$daemon" 2>/dev/null
echo "screensaver check passed"
