#!/usr/bin/env bash
# Renders a stretch of the scene headless (fish circling, bubbles rising, the
# caustics playing) and assembles it into a looping animated GIF with
# ImageMagick. The same arguments give the same file, byte for byte, on the
# same machine: every clock is driven and neither tool writes a timestamp.
#   make_animation.sh [--size WxH] [--seconds S] [--frames N] [--every K]
#                     SNAPSHOT_TOOL DATA_DIR OUT.gif
# By default, the README's animation: four seconds at 400x300 in 200 frames of
# 20 ms, every fourth one kept, which gives 50 pictures 80 ms apart. The GIF
# plays at the simulated speed: each picture shows for every x seconds / frames,
# in hundredths of a second (rounded).
set -euo pipefail

size=400x300 seconds=4 frames=200 every=4
while [ $# -gt 0 ]; do
  case "$1" in
  --size) size=${2:?}; shift 2 ;;
  --seconds) seconds=${2:?}; shift 2 ;;
  --frames) frames=${2:?}; shift 2 ;;
  --every) every=${2:?}; shift 2 ;;
  -*) echo "make_animation.sh: unknown option $1" >&2; exit 2 ;;
  *) break ;;
  esac
done
snapshot=${1:?snapshot tool} data=${2:?data folder} out=${3:?output GIF}
delay_cs=$(awk -v s="$seconds" -v n="$frames" -v k="$every" 'BEGIN { printf "%d", s * 100 * k / n + 0.5 }')

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$snapshot" "$work/frame.png" --data "$data" --pose side --size "$size" \
  --time "$seconds" --frames "$frames" --every "$every"
# One palette of 128 colours taken from all the frames together keeps the
# colours steady from frame to frame and the file under 2 MB; without
# dithering, unchanged areas stay identical and drop out of later frames.
# The delay is set on the pictures already read (-set): as a plain setting
# it would only reach pictures read after it.
convert "$work"/frame-*.png \( -clone 0--1 -append +dither -colors 128 -unique-colors -write mpr:palette +delete \) \
  +dither -remap mpr:palette -set delay "$delay_cs" -loop 0 -layers OptimizeTransparency "$work/animation.gif"
mv "$work/animation.gif" "$out"
