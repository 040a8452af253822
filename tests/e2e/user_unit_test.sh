#!/usr/bin/env bash
# The wallpaper's systemd user unit as `cmake --install` puts it: under
# lib/systemd/user of the prefix, naming the launcher installed there by its
# full path (/usr/bin/marivelle in the Debian package's tree), passed by
# `systemd-analyze verify` in the tree it was installed for, and its
# ExecStart shows the wallpaper under Xvfb until its ExecStop ends it, both
# with status 0.
# Usage: user_unit_test.sh BUILD_DIR
source "$(dirname "$0")/lib.sh"
build=${1:?build folder}
unit=lib/systemd/user/marivelle-wallpaper.service

# The value of KEY= in the unit file UNIT (one line, or fails).
unit_line() {
  local found
  found=$(sed -n "s/^$2=//p" "$1")
  [ "$(grep -c . <<<"$found")" = 1 ] || fail "$1 has $(grep -c . <<<"$found") $2= lines"
  echo "$found"
}

# A command line of the unit without the prefixes systemd reads before the
# path ('-' lets it fail, and the like).
command_of() { [[ $1 =~ ^[-@:+!]*(.*)$ ]] && echo "${BASH_REMATCH[1]}"; }

# Where `make install PREFIX=...` puts it: the unit names that prefix's
# launcher, which systemd-analyze finds there.
prefix=$WORK/prefix
timeout 300 cmake --install "$build" --prefix "$prefix" >/dev/null || fail "cmake --install to $prefix failed"
[ -f "$prefix/$unit" ] || fail "no user unit at $unit"
start_line=$(unit_line "$prefix/$unit" ExecStart) || exit 1
stop_line=$(unit_line "$prefix/$unit" ExecStop) || exit 1
[ "$(command_of "$start_line")" = "$prefix/bin/marivelle --wallpaper" ] || fail "ExecStart runs '$start_line'"
[ "$(command_of "$stop_line")" = "$prefix/bin/marivelle --wallpaper --stop" ] || fail "ExecStop runs '$stop_line'"
for line in "PartOf=graphical-session.target" "After=graphical-session.target" "Restart=on-failure" "RemainAfterExit=yes" \
  "WantedBy=graphical-session.target"; do
  grep -qx "$line" "$prefix/$unit" || fail "the unit has no line $line"
done
# The user manager's checks need a runtime folder; a warning counts as a
# fault too (systemd-analyze ignores a bad value with status 0).
mkdir -m 700 "$WORK/runtime"
XDG_RUNTIME_DIR=$WORK/runtime timeout 120 systemd-analyze --user verify "$prefix/$unit" >"$WORK/verify.log" 2>&1 ||
  fail "systemd-analyze verify: $(cat "$WORK/verify.log")"
[ ! -s "$WORK/verify.log" ] || fail "systemd-analyze verify said: $(cat "$WORK/verify.log")"

# The package's tree (prefix /usr, staged as CPack stages it): the same unit
# but for the launcher's place, so what was verified above holds for it.
# systemd-analyze cannot verify it here, where /usr/bin/marivelle is not.
tree=$WORK/tree
DESTDIR=$tree timeout 300 cmake --install "$build" --prefix /usr >/dev/null || fail "cmake --install to a staged /usr failed"
[ -x "$tree/usr/bin/marivelle" ] || fail "the package's tree has no launcher at /usr/bin/marivelle"
sed "s|$prefix/|/usr/|g" "$prefix/$unit" | cmp -s - "$tree/usr/$unit" ||
  fail "the package's unit is not the installed one with /usr: $(diff <(sed "s|$prefix/|/usr/|g" "$prefix/$unit") "$tree/usr/$unit")"

# Run as the user manager would: ExecStart in the background, then ExecStop.
start_xvfb
read -ra start_command <<<"$(command_of "$start_line")"
read -ra stop_command <<<"$(command_of "$stop_line")"
launch_in "$WORK" "${start_command[@]}"
wait_window "Marivelle wallpaper" >/dev/null || fail "ExecStart ($start_line) shows no wallpaper"
status=0
timeout 120 "${stop_command[@]}" 2>"$WORK/stop.err" || status=$?
[ "$status" = 0 ] || fail "ExecStop ($stop_line) ended with $status: $(cat "$WORK/stop.err")"
code=$(wait_exit)
[ "$code" = 0 ] || fail "the wallpaper of ExecStart ended with $code after ExecStop"
[ ! -s "$WORK/app.err" ] || fail "the wallpaper of ExecStart wrote to standard error"
echo "PASS: user unit installed, verified, started and stopped"
