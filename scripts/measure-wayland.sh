#!/usr/bin/env bash
# Measures the Wayland wallpaper under a headless sway (pixman renderer) on
# this machine's llvmpipe: frames a second and CPU on one 1280 x 1024 output
# and on two, and how long a new output waits for its first frame.
# Usage: scripts/measure-wayland.sh [BUILD_DIR]   (as root or any user; sway
# itself runs as nobody when started by root)
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
runtime=$(mktemp -d /tmp/marivelle-measure.XXXXXX)
chmod 700 "$runtime"
as=()
if [ "$(id -u)" = 0 ]; then chown 65534:65534 "$runtime"; as=(setpriv --reuid=65534 --regid=65534 --clear-groups); fi
printf 'xwayland disable\noutput HEADLESS-1 resolution 1280x1024\noutput HEADLESS-2 resolution 1280x1024\n' >"$runtime/sway.cfg"
export XDG_RUNTIME_DIR=$runtime
HOME=$runtime WLR_BACKENDS=headless WLR_RENDERER=pixman WLR_LIBINPUT_NO_DEVICES=1 "${as[@]}" sway -c "$runtime/sway.cfg" \
  >"$runtime/sway.log" 2>&1 &
sway_pid=$!
trap 'kill $app $sway_pid 2>/dev/null; wait 2>/dev/null; rm -rf --one-file-system "$runtime"' EXIT
for _ in $(seq 300); do [ -S "$runtime/wayland-1" ] && ls "$runtime"/sway-ipc.*.sock >/dev/null 2>&1 && break; sleep 0.1; done
export WAYLAND_DISPLAY=wayland-1 SWAYSOCK
SWAYSOCK=$(ls "$runtime"/sway-ipc.*.sock)
cd "$build/data"
"${as[@]}" ../marivelle --wallpaper --fps >"$runtime/fps" 2>"$runtime/err" &
app=$!
ticks() { sed 's/^.*) //' "/proc/$app/stat" | awk '{ print $12 + $13 }'; }
measure() {
  sleep 5
  local before lines
  before=$(ticks); lines=$(wc -l <"$runtime/fps")
  sleep 10
  echo "$1: $(tail -n +$((lines + 1)) "$runtime/fps" | awk '{ s += $1; n++ } END { printf "%.1f", s / n }') frames a second," \
    "$(( ($(ticks) - before) * 100 / $(getconf CLK_TCK) / 10 )) % of a core"
}
measure "one output"
start=$EPOCHREALTIME
swaymsg create_output >/dev/null
lit() { grim -o HEADLESS-2 "$runtime/two.png" 2>/dev/null &&
  [ "$(convert "$runtime/two.png" -format '%[fx:mean > 0.03]' info:)" = 1 ]; }
until lit; do sleep 0.02; done
echo "second output: first frame within $(awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN { printf "%d", (b - a) * 1000 }') ms" \
  "(a screenshot poll included)"
measure "two outputs"
