#!/usr/bin/env bash
# The frame cap of a screensaver that follows the machine's power supply, in
# the real program's loop: a stand-in for /sys/class/power_supply is mounted
# over it in a private mount namespace, and the program's frame-rate report
# (--fps) shows the rate it draws at.
# Usage: power_test.sh CASE   (APP and DATA_DIR in the environment; needs
# root or user namespaces, else the case is skipped with status 77)
# shellcheck source=tests/private_mounts.sh
source "$(dirname "$0")/../private_mounts.sh"
if [ -z "${MARIVELLE_PRIVATE_MOUNTS:-}" ]; then
  if ! find_private_mounts; then
    echo "SKIP: no private mount namespace here"
    exit 77
  fi
  exec unshare "${UNSHARE_ARGS[@]}" env MARIVELLE_PRIVATE_MOUNTS=1 PRIVATE_STEP="$PRIVATE_STEP" bash "$0" "$@"
fi
source "$(dirname "$0")/lib.sh"
case_name=${1:?case}

# The namespace must really be our own before anything is mounted in it.
[ "$(readlink /proc/self/ns/mnt)" != "$(readlink /proc/1/ns/mnt)" ] || fail "not in a private mount namespace"

# A laptop's supplies: a battery and the mains adapter, plugged in or not.
SUPPLIES=$WORK/power_supply
set_supply() {
  mkdir -p "$SUPPLIES/BAT0" "$SUPPLIES/AC"
  echo Battery >"$SUPPLIES/BAT0/type"
  echo 1 >"$SUPPLIES/BAT0/present"
  echo Mains >"$SUPPLIES/AC/type"
  if [ "$1" = battery ]; then
    echo Discharging >"$SUPPLIES/BAT0/status"
    echo 0 >"$SUPPLIES/AC/online"
  else
    echo Charging >"$SUPPLIES/BAT0/status"
    echo 1 >"$SUPPLIES/AC/online"
  fi
}
set_supply battery
make_mount_private /sys/class/power_supply || fail "cannot make /sys private in this namespace; nothing mounted"
mount --bind "$SUPPLIES" /sys/class/power_supply || fail "cannot mount the stand-in supplies"
[ "$(cat /sys/class/power_supply/AC/online)" = 0 ] || fail "the stand-in supplies are not in place"

# The rate in the last N reports at most/at least a bound: "fps_lines N".
last_rates() { grep ' fps$' "$WORK/app.out" | tail -n "$1" | cut -d' ' -f1; }
count_reports() { grep -c ' fps$' "$WORK/app.out"; }
# True when the last three reports are all below (or all above) RATE.
rates_below() { [ "$(count_reports)" -ge 3 ] && last_rates 3 | awk -v r="$1" '$1 > r { bad = 1 } END { exit bad }'; }
rates_above() { [ "$(count_reports)" -ge 3 ] && last_rates 3 | awk -v r="$1" '$1 < r { bad = 1 } END { exit bad }'; }
# Waits for REPORTS new reports beyond those there now, then applies CHECK.
after_new_reports() {
  local reports=$1
  shift
  local start
  start=$(count_reports)
  wait_until --while app_running "$WAIT_SECONDS" sh -c "[ \$(grep -c ' fps\$' '$WORK/app.out') -ge $((start + reports)) ]" ||
    fail "no $reports more frame-rate reports (the program $(app_running && echo runs || echo ended))"
  "$@"
}

case "$case_name" in
battery_paces_the_loop)
  start_xvfb
  start_app_with --root --fps --battery-fps 2
  # On battery from the start: 2 frames a second at the most.
  wait_until --while app_running "$WAIT_SECONDS" rates_below 3.5 || fail "on battery it drew at $(last_rates 3 | xargs)"
  echo "on battery: $(last_rates 3 | xargs) fps"
  # Plugged in: the state is acted on once two readings, 5 s apart, agree.
  set_supply mains
  wait_until --while app_running "$WAIT_SECONDS" rates_above 5 || fail "on mains it drew at $(last_rates 3 | xargs)"
  echo "on mains: $(last_rates 3 | xargs) fps"
  set_supply battery
  wait_until --while app_running "$WAIT_SECONDS" rates_below 3.5 || fail "back on battery it drew at $(last_rates 3 | xargs)"
  after_new_reports 3 rates_below 3.5 || fail "back on battery it drew at $(last_rates 3 | xargs)"
  echo "back on battery: $(last_rates 3 | xargs) fps"
  ;;
battery_stops_the_loop)
  # --battery-fps 0: nothing drawn on battery, so nothing to report; drawing
  # comes back once the machine is plugged in.
  start_xvfb
  start_app_with --root --fps --battery-fps 0
  holds_throughout 12 app_running || fail "the program ended on battery"
  [ "$(count_reports)" = 0 ] || fail "on battery with --battery-fps 0 it drew: $(last_rates 3 | xargs)"
  set_supply mains
  wait_until --while app_running "$WAIT_SECONDS" rates_above 5 || fail "plugged in, it drew at '$(last_rates 3 | xargs)'"
  echo "plugged in: $(last_rates 3 | xargs) fps"
  ;;
*) fail "unknown case $case_name" ;;
esac
echo "PASS $case_name"
