#!/usr/bin/env bash
# Measures what the program costs while nobody can see it, under Xvfb with
# openbox, then with xcompmgr as well: its CPU use in % of one core over 10 s
# (from /proc/PID/stat) with its window visible and wholly covered, and how
# long after the covering window goes it draws again: until it has used 20 ms
# of CPU, and until two screenshots differ (which includes taking them; the
# same wait on a window that never stopped is given for comparison).
# Usage: scripts/measure-sleep.sh BUILD_DIR
set -u
build=$(cd "${1:?usage: measure-sleep.sh BUILD_DIR}" && pwd)
export APP=$build/marivelle DATA_DIR=$build/data MAKE_WINDOW=$build/tests/e2e/make_window
lib=$(dirname "$0")/../tests/e2e/lib.sh

measure_on() (
  source "$lib"
  cpu_ticks() {
    local stat
    read -r stat <"/proc/$APP_PID/stat"
    # shellcheck disable=SC2086 # the fields after the command's name, one word each
    set -- ${stat##*) }
    echo $((${12} + ${13}))
  }
  # Covers the screen with another window, and gives whatever was under way
  # when it came two seconds to settle.
  cover() {
    rm -f "$WORK/cover.id"
    "$MAKE_WINDOW" 8 1280 1024 0 0 >"$WORK/cover.id" &
    cover=$!
    wait_until "$WAIT_SECONDS" cover_shown || fail "no covering window"
    sleep 2
  }
  drawn() { [ $(($(cpu_ticks) - ticks)) -ge 2 ]; }
  cover_shown() { [ -s "$WORK/cover.id" ] && window_viewable "$(cat "$WORK/cover.id")"; }
  start_xvfb; start_window_manager
  if [ "$1" = composited ]; then start_compositor; fi
  start_app
  wid=$(wait_window Marivelle) || fail "no window"
  wait_for_picture "$wid" "$WORK/a.png" 20 || fail "no picture"
  visible=$(cpu_percent_over "$APP_PID" 10)
  moving=$(wait_for_motion "$wid")
  cover; covered=$(cpu_percent_over "$APP_PID" 10)
  ticks=$(cpu_ticks)
  read_clock; start_us=$CLOCK_US
  kill "$cover"
  wait_until --every 0.005 "$WAIT_SECONDS" drawn || fail "it did not draw again once uncovered"
  read_clock; drawing=$(((CLOCK_US - start_us) / 1000))
  cover; kill "$cover"
  shown=$(wait_for_motion "$wid")
  echo "$1: visible $visible %, covered $covered %; uncovered, it has used 20 ms of CPU after $drawing ms," \
    "and screenshots differ after $shown ms ($moving ms while it never stopped)"
)

measure_on plain
measure_on composited
