#!/usr/bin/env bash
# Measures what following the window stack costs the wallpaper while a window
# is dragged about: under Xvfb with openbox, the wallpaper (--fps) below 30
# windows of another program that leave gaps of it bare, then one of them
# moved some 80 times a second for 10 s (xdotool windowmove: the manager moves
# its frame, as when it is dragged by its title). For 10 s without the drag and 10 s with it,
# it prints the program's write calls (syscw in /proc/PID/io: each flush of
# requests to the X server is one, a presented frame among them), its frame
# rate as --fps reports it, and its CPU use. Run it on an otherwise idle
# machine; compare two programs by running it once for each.
# Usage: scripts/coverage-bench.sh BUILD_DIR [PROGRAM]
#   BUILD_DIR holds the data and the make_window helper; PROGRAM defaults
#   to BUILD_DIR/marivelle.
set -u
build=$(cd "${1:?usage: coverage-bench.sh BUILD_DIR [PROGRAM]}" && pwd)
program=${2:-$build/marivelle}
# The program runs in a copy of its data folder: its path must hold from there.
APP=$(cd "$(dirname "$program")" && pwd)/$(basename "$program")
export APP DATA_DIR=$build/data MAKE_WINDOW=$build/tests/e2e/make_window
source "$(dirname "$0")/../tests/e2e/lib.sh"

writes() { awk '/^syscw:/ { print $2 }' "/proc/$APP_PID/io"; }
cpu_ticks() { sed 's/^.*) //' "/proc/$APP_PID/stat" | awk '{ print $12 + $13 }'; }
rates() { grep -c ' fps$' "$WORK/app.out"; }

# Prints one line for the 10 s that COMMAND (run in the background, killed
# after) makes busy: write calls, the mean of the frame rates reported
# meanwhile, CPU in % of a core.
measure() {
  local what=$1 writes_before ticks_before rates_before helper mean
  shift
  writes_before=$(writes); ticks_before=$(cpu_ticks); rates_before=$(rates)
  "$@" 2>/dev/null &
  helper=$!
  sleep 10
  kill "$helper" 2>/dev/null
  wait "$helper" 2>/dev/null
  mean=$(grep ' fps$' "$WORK/app.out" | sed -n "$((rates_before + 2)),\$p" | awk '{ n++; s += $1 } END { if (n) printf "%.1f", s / n; else print "?" }')
  printf '%-8s %5d write calls in 10 s, %5s fps, %5.1f %% CPU\n' "$what" "$(($(writes) - writes_before))" "$mean" \
    "$(awk -v t="$(($(cpu_ticks) - ticks_before))" -v hz="$(getconf CLK_TCK)" 'BEGIN { print t / hz * 10 }')"
}

# Moves WINDOW back and forth across the screen, as often as xdotool can
# with a pause of 10 ms between moves (some 80 times a second).
drag() {
  local steps=() x
  for x in $(seq 0 40 1000) $(seq 1000 -40 0); do steps+=(windowmove "$1" "$x" 300 sleep 0.01); done
  while :; do xdotool "${steps[@]}" || return; done
}

start_xvfb; start_window_manager
start_app_with --wallpaper --fps
wait_until --while app_running "$WAIT_SECONDS" test -s "$WORK/app.out" || fail "the wallpaper reports no frame rate"
# Six by five windows of 180 x 150 with bare gaps between them.
ids=()
for row in 0 1 2 3 4; do
  for column in 0 1 2 3 4 5; do
    out="$WORK/window$row$column.id"
    "$MAKE_WINDOW" 8 180 150 $((column * 210 + 10)) $((row * 200 + 10)) >"$out" 2>>"$WORK/windows.err" &
    wait_until "$WAIT_SECONDS" test -s "$out" || fail "window $row,$column did not start"
    ids+=("$(cat "$out")")
  done
done
sleep 5
echo "$(basename "$APP") ($APP), 30 windows under openbox:"
measure still sleep 10
measure dragged drag "${ids[14]}"
app_running || fail "the wallpaper ended"
