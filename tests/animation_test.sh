#!/usr/bin/env bash
# tools/make_animation.sh on a short, small animation: two runs give the same
# bytes, the GIF holds the pictures, size and timing asked for, and the scene
# moves from picture to picture. The committed README animation, which
# `make snapshot` renders in full, has the script's default frames, size and
# timing and stays under 2 MB.
# Usage: animation_test.sh SNAPSHOT_TOOL DATA_DIR COMMITTED_GIF
set -euo pipefail
snapshot=${1:?snapshot tool} data=${2:?data folder} committed=${3:?committed GIF}
script=$(dirname "$0")/../tools/make_animation.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

# Frame count, page size and delay, one line per kind of frame.
describe() { identify -format '%W %H %T\n' "$1" | sort | uniq -c | sed 's/^ *//'; }

# Three pictures of 160x120, 0.2 s of simulated time apart: 20 hundredths.
small=(--size 160x120 --seconds 0.6 --frames 6 --every 2)
bash "$script" "${small[@]}" "$snapshot" "$data" "$work/a.gif"
bash "$script" "${small[@]}" "$snapshot" "$data" "$work/b.gif"
cmp -s "$work/a.gif" "$work/b.gif" || fail "two runs with the same arguments gave different files"
[ "$(describe "$work/a.gif")" = "3 160 120 20" ] ||
  fail "asked for 3 pictures of 160x120, 20 hundredths apart; made: $(describe "$work/a.gif" | tr '\n' ';')"

# Each picture differs from the one before over a good part of it (2 % of the
# pixels): the clocks drive the fish, the bubbles and the caustics.
convert "$work/a.gif" -coalesce "$work/frame-%d.png"
for i in 1 2; do
  changed=$(compare -metric AE -fuzz 5% "$work/frame-$((i - 1)).png" "$work/frame-$i.png" null: 2>&1 || true)
  [ "${changed%.*}" -ge 384 ] || fail "the scene hardly moves: $changed pixels changed from picture $((i - 1)) to $i"
done

# The README's animation as make snapshot makes it with the script's
# defaults: 50 pictures of 400x300, 8 hundredths apart.
[ "$(describe "$committed")" = "50 400 300 8" ] ||
  fail "$committed is not what the script makes (run make snapshot): $(describe "$committed" | tr '\n' ';')"
bytes=$(stat -c %s "$committed")
[ "$bytes" -lt 2000000 ] || fail "$committed is $bytes bytes, over 2 MB"
echo "small animation reproducible and moving; $committed: 50 pictures, $bytes bytes"
