#!/usr/bin/env bash
# End-to-end tests of turning the aquarium's GNOME Shell extension on and off
# over the session bus, as --wallpaper and --wallpaper --stop do under GNOME:
# against a stand-in for the shell (gnome_shell_standin.py) on a bus of the
# test's own, through the real D-Bus daemon.
# Usage: gnome_switch_test.sh CASE   (DRIVER in the environment: gnome_switch_driver)
source "$(dirname "$0")/lib.sh"
case_name=${1:?case}
here=$(dirname "$0")
UUID=marivelle@marivelle.example
NOT_INSTALLED="the aquarium's GNOME Shell extension ($UUID) is not installed: install the marivelle package, then log out and in again"
BUS_PID=""
SHELL_PID=""

# Nothing of the session the test runs in: no bus of the user's to fall
# back on.
unset DBUS_SESSION_BUS_ADDRESS
export XDG_RUNTIME_DIR=$WORK/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"

stop_all() {
  [ -n "$SHELL_PID" ] && kill "$SHELL_PID" 2>/dev/null
  [ -n "$BUS_PID" ] && kill "$BUS_PID" 2>/dev/null
  cleanup
}
trap stop_all EXIT

shell_running() { kill -0 "$SHELL_PID" 2>/dev/null; }

# Starts the stand-in for GNOME Shell with these options and waits until it
# owns its names.
start_shell() {
  /usr/bin/python3 "$here/gnome_shell_standin.py" "$WORK/shell.log" "$@" 2>"$WORK/shell.err" &
  SHELL_PID=$!
  wait_until --while shell_running "$WAIT_SECONDS" grep -qs '^ready$' "$WORK/shell.log" ||
    fail "the GNOME Shell stand-in did not start: $(cat "$WORK/shell.err")"
}

# How many times the stand-in was called with METHOD.
calls() { grep -c "^$1"$'\t' "$WORK/shell.log"; }

# The extension's state as the stand-in reports it over the bus, in STATE.
read_state() {
  local reply
  reply=$(timeout 30 dbus-send --session --print-reply --dest=org.gnome.Shell /org/gnome/Shell \
    org.gnome.Shell.Extensions.GetExtensionInfo "string:$UUID") ||
    fail "the GNOME Shell stand-in did not answer GetExtensionInfo within 30 s (dbus-send)"
  STATE=$(echo "$reply" | grep -A 1 '"state"' | sed -n 's/.*double \([0-9]*\).*/\1/p')
}

expect_state() {
  read_state
  [ "$STATE" = "$1" ] || fail "$2: the stand-in reports state '$STATE', not $1"
}

# Turns the extension on or off with the driver: its exit code in CODE, what
# it wrote to standard error in ERR, the time it took in TOOK_MS.
turn() {
  local start_us
  read_clock; start_us=$CLOCK_US
  timeout 60 "$DRIVER" "$1" >"$WORK/driver.out" 2>"$WORK/driver.err"
  CODE=$?
  read_clock; TOOK_MS=$(((CLOCK_US - start_us) / 1000))
  ERR=$(cat "$WORK/driver.err")
  [ "$CODE" != 124 ] || fail "switching the extension $1 did not end within 60 s"
}

# Checks the last turn: exit CODE, and either nothing written (TEXT empty)
# or the program's one line, which holds TEXT.
#   expect CODE TEXT WHAT
expect() {
  local code=$1 text=$2 what=$3
  [ "$CODE" = "$code" ] || fail "$what: exit $CODE, not $code; it wrote: $ERR"
  [ -z "$(cat "$WORK/driver.out")" ] || fail "$what: it wrote to standard output: $(cat "$WORK/driver.out")"
  if [ -z "$text" ]; then
    [ -z "$ERR" ] || fail "$what: it wrote: $ERR"
    return
  fi
  [ "$(wc -l <"$WORK/driver.err")" = 1 ] || fail "$what: not one line: $ERR"
  [[ $ERR == "Marivelle: "* && $ERR != "Marivelle: Marivelle:"* ]] || fail "$what: not the program's line: $ERR"
  [[ $ERR == *"$text"* ]] || fail "$what: the line does not say \"$text\": $ERR"
  echo "$what: $ERR"
}

case "$case_name" in
on_and_off)
  # On, on again, off; off when it is not on is refused without asking the
  # shell to switch. The stand-in switches a moment after it answers, as the
  # shell does.
  start_private_bus; start_shell --state 2
  turn on
  expect 0 "" "on"
  expect_state 1 "on"
  echo "on in $TOOK_MS ms"
  turn on
  expect 0 "" "on when already on"
  expect_state 1 "on when already on"
  turn off
  expect 0 "" "off"
  expect_state 2 "off"
  echo "off in $TOOK_MS ms"
  turn off
  expect 1 "the aquarium's GNOME Shell extension is not on" "off when off"
  [ "$(calls DisableExtension)" = 1 ] || fail "the shell was asked to turn the extension off $(calls DisableExtension) times, not once"
  ;;
not_installed | uninstalled)
  # The shell does not know the extension (an empty answer), or lists it as
  # removed (state 99): both ways refused, with what to do.
  start_private_bus
  if [ "$case_name" = not_installed ]; then start_shell --state absent; else start_shell --state 99; fi
  turn on
  expect 1 "$NOT_INSTALLED" "on"
  turn off
  expect 1 "$NOT_INSTALLED" "off"
  [ "$(calls EnableExtension)$(calls DisableExtension)" = 00 ] || fail "the shell was asked to switch an extension it lacks"
  ;;
user_extensions_off)
  start_private_bus; start_shell --user-extensions off
  turn on
  expect 1 "gsettings set org.gnome.shell disable-user-extensions false" "on"
  [[ $ERR == *"GNOME has user extensions turned off"* && $ERR == *'"Extensions" app'* ]] ||
    fail "the line does not say that user extensions are off and where to turn them on"
  [ "$(calls EnableExtension)" = 0 ] || fail "the shell was asked to turn the extension on"
  expect_state 2 "on with user extensions off"
  ;;
out_of_date)
  start_private_bus; start_shell --state 4
  turn on
  expect 1 "out of date for this GNOME Shell version" "on"
  [ "$(calls EnableExtension)" = 0 ] || fail "the shell was asked to turn the extension on"
  ;;
enable_error)
  # The shell takes the extension on but its code fails: the shell's error
  # text reaches the user.
  start_private_bus; start_shell --enable-error "TypeError: this._tank is undefined"
  turn on
  expect 1 "TypeError: this._tank is undefined" "on"
  expect_state 3 "on"
  ;;
shell_silent)
  # The shell holds the name but never answers: the call gives up after its
  # 10 seconds, well before sd-bus's own 25.
  start_private_bus; start_shell --silent
  turn on
  expect 1 "GNOME Shell did not answer" "on"
  echo "gave up after $TOOK_MS ms"
  if [ "$TOOK_MS" -lt 9000 ] || [ "$TOOK_MS" -ge 20000 ]; then fail "gave up after $TOOK_MS ms, not 10 s"; fi
  ;;
no_shell)
  # A session bus but no GNOME Shell on it: the wallpaper is drawn as
  # elsewhere. The extensions' name alone, without the shell's, is no shell.
  start_private_bus
  turn on
  expect 3 "" "on with nobody on the bus"
  turn off
  expect 3 "" "off with nobody on the bus"
  start_shell --extensions-only
  turn on
  expect 3 "" "on with only org.gnome.Shell.Extensions owned"
  [ "$(calls GetExtensionInfo)" = 0 ] || fail "the stand-in was asked about the extension without owning org.gnome.Shell"
  ;;
no_session_bus)
  # An address where no bus listens, then no address and an empty runtime
  # folder, then no runtime folder either.
  DBUS_SESSION_BUS_ADDRESS=unix:path=$WORK/nobody-listens turn on
  expect 3 "" "on with a dead bus address"
  DBUS_SESSION_BUS_ADDRESS=unix:path=$WORK/nobody-listens turn off
  expect 3 "" "off with a dead bus address"
  turn on
  expect 3 "" "on with an empty runtime folder"
  timeout 60 env -u XDG_RUNTIME_DIR "$DRIVER" on >"$WORK/driver.out" 2>"$WORK/driver.err"
  CODE=$? ERR=$(cat "$WORK/driver.err")
  [ "$CODE" != 124 ] || fail "switching the extension on without XDG_RUNTIME_DIR did not end within 60 s"
  expect 3 "" "on without XDG_RUNTIME_DIR"
  ;;
*) fail "unknown case $case_name" ;;
esac
echo "PASS $case_name"
