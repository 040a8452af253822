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

# The daemon runs the hack through this wrapper, which notes how each run
# ended: the daemon's helper that kills the hacks exits without waiting for
# them, so its log never says. SIGTERM is passed on as the daemon sends it.
statuses=$home/hack-status.log
rm -f "$statuses"
mkdir -p "$home/status"
cat >"$home/status/marivelle" <<'WRAPPER'
#!/bin/sh
marivelle "$@" &
child=$!
trap 'kill -TERM $child' TERM INT
wait $child
status=$?
while kill -0 $child 2>/dev/null; do wait $child; status=$?; done
echo "status $status" >>"$HOME/hack-status.log"
exit $status
WRAPPER
chmod 755 "$home/status" "$home/status/marivelle"

cat >"$home/.xscreensaver" <<'SETTINGS'
mode:		one
selected:	0
timeout:	1:00:00
lock:		False
fade:		False
unfade:		False
splash:		False
dpmsEnabled:	False
programs:	GL: HOME/status/marivelle --root \n\

SETTINGS
sed -i "s|HOME/status|$home/status|" "$home/.xscreensaver"
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
# Still, what the hack was doing says why: stopped, asleep, ended.
hack_state() {
  echo "hack $hack_pid: $(ps -o stat=,wchan:20= -p "$hack_pid" 2>/dev/null || echo gone)," \
    "runs: $(cat "$statuses" 2>/dev/null | xargs), log: $(tail -n 4 "$log" 2>/dev/null | tr '\n' '|')"
}
wait_until 30 moved || fail "the picture did not move (${LAST_CHANGED:-0} pixels changed); $(hack_state)"
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

# Blanked and unblanked 20 times, as through a user's day: each run of the hack
# draws, then ends on the daemon's SIGTERM while its window goes.
runs() { grep -c 'forked ".*marivelle --root" in pid' "$log" 2>/dev/null; }
for cycle in $(seq 20); do
  before=$(runs)
  as_user xscreensaver-command -activate >/dev/null || fail "cycle $cycle: xscreensaver-command -activate failed"
  wait_until 60 sh -c "[ \$(grep -c 'forked \".*marivelle --root\" in pid' '$log') -gt $before ]" ||
    fail "cycle $cycle: the daemon did not start the hack again"
  hack_pid=$(grep 'forked ".*marivelle --root" in pid' "$log" | tail -n 1 | sed -n 's/.* in pid \([0-9]*\) on window.*/\1/p')
  wait_until 60 shot_lit || fail "cycle $cycle: the screen shows no aquarium"
  as_user xscreensaver-command -deactivate >/dev/null || fail "cycle $cycle: xscreensaver-command -deactivate failed"
  wait_until 30 hack_ended || fail "cycle $cycle: the hack (pid $hack_pid) is still running"
done
sleep 1
echo "blanked and unblanked 20 times more: $(runs) runs of the hack in all"
# Every run ended with status 0 and wrote nothing on standard error, which
# the daemon's log receives (its own lines, after its banner, begin with its
# name).
wait_until 30 sh -c "[ \$(grep -c . '$statuses' 2>/dev/null || echo 0) -ge $(runs) ]" ||
  fail "the wrapper noted how $(grep -c . "$statuses" 2>/dev/null) of $(runs) runs ended"
echo "how the runs ended: $(sort "$statuses" | uniq -c | xargs)"
grep -v -q -x "status 0" "$statuses" && fail "a run of the hack did not end with status 0: $(sort "$statuses" | uniq -c | xargs)"
stray=$(sed -n '/forked "/,$p' "$log" | grep -v -E "^xscreensaver(-gfx|-systemd|-auth)?: |^[[:space:]]*$")
[ -z "$stray" ] || fail "the hack wrote on standard error: $(echo "$stray" | head -n 3)"
as_user xscreensaver-command -exit >/dev/null 2>&1
kill "$daemon" 2>/dev/null
echo "screensaver check passed"
