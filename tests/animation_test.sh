#!/usr/bin/env bash
# The README's animation is what tools/make_animation.sh makes: two runs give
# the same bytes, the picture moves, it stays under 2 MB, and the committed
# file has the frames, size and timing the script produces.
# Usage: animation_test.sh SNAPSHOT_TOOL DATA_DIR COMMITTED_GIF
set -euo pipefail
snapshot=${1:?snapshot tool} data=${2:?data folder} committed=${3:?committed GIF}
script=$(dirname "$0")/../tools/make_animation.sh
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

bash "$script" "$snapshot" "$data" "$work/a.gif"
bash "$script" "$snapshot" "$data" "$work/b.gif"
cmp -s "$work/a.gif" "$work/b.gif" || fail "two runs with the same arguments gave different files"

bytes=$(stat -c %s "$work/a.gif")
[ "$bytes" -lt 2000000 ] || fail "the animation is $bytes bytes, over 2 MB"

# Frame count, page size, delay and loop, one line per frame.
describe() { identify -format '%W %H %T %@\n' "$1" | awk '{ print $1, $2, $3 }' | sort | uniq -c; }
frames=$(identify -format '%n\n' "$work/a.gif" | head -n 1)
[ "$frames" -ge 40 ] || fail "only $frames frames"
[ "$(describe "$work/a.gif")" = "$(describe "$committed")" ] ||
  fail "the committed animation does not match what the script makes (run make snapshot)"

# The first and last frames differ over a good part of the picture.
convert "$work/a.gif" -coalesce "$work/frame-%02d.png"
last=$(printf '%02d' $((frames - 1)))
changed=$(compare -metric AE -fuzz 5% "$work/frame-00.png" "$work/frame-$last.png" null: 2>&1 || true)
[ "${changed%.*}" -ge 2000 ] || fail "the scene hardly moves: $changed pixels changed"
echo "animation: $frames frames, $bytes bytes, $changed pixels changed from first to last"
