#!/usr/bin/env bash
# Renders four seconds of the scene headless (fish circling, bubbles rising,
# the caustics playing) and assembles them into a looping animated GIF with
# ImageMagick. The same arguments give the same file, byte for byte, on the
# same machine: every clock is driven and neither tool writes a timestamp.
#   make_animation.sh SNAPSHOT_TOOL DATA_DIR OUT.gif
set -euo pipefail
snapshot=${1:?snapshot tool} data=${2:?data folder} out=${3:?output GIF}

# 200 frames of 20 ms; every fourth one kept gives 50 pictures 80 ms apart.
readonly size=400x300 seconds=4 frames=200 every=4 delay_cs=8

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
"$snapshot" "$work/frame.png" --data "$data" --pose side --size "$size" \
  --time "$seconds" --frames "$frames" --every "$every"
# One palette of 128 colours taken from all the frames together keeps the
# colours steady from frame to frame and the file under 2 MB; without
# dithering, unchanged areas stay identical and drop out of later frames.
convert "$work"/frame-*.png \( -clone 0--1 -append +dither -colors 128 -unique-colors -write mpr:palette +delete \) \
  +dither -remap mpr:palette -delay "$delay_cs" -loop 0 -layers OptimizeTransparency "$work/animation.gif"
mv "$work/animation.gif" "$out"
