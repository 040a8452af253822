#!/usr/bin/env bash
# F12's picture saved under faults, by save_picture_probe (the program's own
# savePicture on a picture of noise):
#
#   swapped_for_a_link  the moment the new file is made, its name is made a
#                       link to another file (the swap_on_create preload).
#                       That file keeps its bytes, and the save fails in one
#                       line naming the picture.
#   disk_full           the pictures folder is a 64 KiB tmpfs, mounted in a
#                       private mount namespace of this script's own. The save
#                       fails in one line ending "No space left on device",
#                       nothing from libpng reaches stderr, and no partial
#                       file is left.
#
# Usage: picture_faults_test.sh CASE PROBE PRELOAD
#
# Exit status: 0 when the case passes, 1 on a failure (one line saying what),
# 77 when unshare cannot make a private mount namespace here; under CI
# run_ctest.sh fails a skipped test.
set -u

# Seconds any one program the script starts may take on a busy machine.
wait_seconds=120
# The name the probe saves under, from the fixed time it uses.
picture="Marivelle 2026-12-08 14-03-22.png"

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# Runs the probe on FOLDER WIDTH HEIGHT, after any VAR=value words given
# first; its output lands in $work/out and $work/err, its status in $status.
run_probe() {
    timeout "$wait_seconds" env "$@" >"$work/out" 2>"$work/err"
    status=$?
    [ "$status" -ne 124 ] || fail "save_picture_probe did not finish within $wait_seconds s"
}

# The probe failed with exactly one stderr line that begins with PREFIX and
# ends with SUFFIX, and nothing from libpng.
expect_one_line() {
    local prefix=$1 suffix=$2 line
    [ "$status" -eq 1 ] || fail "save_picture_probe exited $status, not 1 (stdout: $(cat "$work/out"))"
    [ "$(wc -l <"$work/err")" -eq 1 ] || fail "stderr is not one line: $(cat "$work/err")"
    line=$(cat "$work/err")
    case $line in
    "$prefix"*"$suffix") ;;
    *) fail "stderr is \"$line\", not \"$prefix...$suffix\"" ;;
    esac
    ! grep -qi libpng "$work/err" || fail "libpng reached stderr: $line"
}

swapped_for_a_link() {
    local folder=$work/pictures victim=$work/victim
    mkdir "$folder" || fail "cannot make $folder"
    printf 'bytes that must stay as they are\n' >"$victim"
    cp "$victim" "$work/victim.before"
    # ASan, in a sanitized build, wants to be first of the libraries; the
    # preload comes before it here.
    run_probe LD_PRELOAD="$preload" SWAP_FOLDER="$folder" SWAP_VICTIM="$victim" \
        ASAN_OPTIONS="${ASAN_OPTIONS:+$ASAN_OPTIONS:}verify_asan_link_order=0" "$probe" "$folder" 64 64
    [ -L "$folder/$picture" ] || fail "the preload did not swap the new file for a link (stderr: $(cat "$work/err"))"
    cmp -s "$victim" "$work/victim.before" || fail "the file behind the swapped-in link was written over"
    expect_one_line "Marivelle: cannot save the picture $folder/$picture: " ""
    [ "$(ls -A "$folder")" = "$picture" ] || fail "the folder holds more than the link: $(ls -A "$folder")"
}

# The disk_full case inside the private namespace: OUTER is the mount
# namespace the script started in, which this one must not be.
disk_full_inside() {
    local outer=$1 small=$work/small
    [ "$(readlink /proc/self/ns/mnt)" != "$outer" ] || fail "not in a mount namespace of its own; nothing mounted"
    mkdir "$small" || fail "cannot make $small"
    # shellcheck source=tests/private_mounts.sh
    source "$(dirname "$0")/private_mounts.sh"
    make_mount_private "$small" || fail "cannot make the mount that holds $small private; nothing mounted"
    mount -t tmpfs -o size=64k,mode=0755 marivelle-full "$small" || fail "cannot mount a tmpfs on $small"
    # 256 x 256 pixels of noise make a PNG of about 260 KiB.
    run_probe "$probe" "$small" 256 256
    expect_one_line "Marivelle: cannot write the picture $small/$picture: " "No space left on device"
    [ -z "$(ls -A "$small")" ] || fail "a partial file is left: $(ls -A "$small")"
}

disk_full() {
    local outer
    # shellcheck source=tests/private_mounts.sh
    source "$(dirname "$0")/private_mounts.sh"
    if ! find_private_mounts; then
        echo "SKIP: unshare cannot make a private mount namespace here" >&2
        exit 77
    fi
    outer=$(readlink /proc/self/ns/mnt)
    timeout "$wait_seconds" unshare "${UNSHARE_ARGS[@]}" env PRIVATE_STEP="$PRIVATE_STEP" \
        bash "$0" disk_full_inside "$probe" "$preload" "$work" "$outer"
    status=$?
    [ "$status" -ne 124 ] || fail "the private namespace's run did not finish within $wait_seconds s"
    [ "$status" -eq 0 ] || exit 1
    ! mountpoint -q "$work/small" || fail "the tmpfs is mounted outside the private namespace"
}

if [ $# -lt 3 ]; then
    echo "usage: $0 CASE PROBE PRELOAD" >&2
    exit 1
fi
case_name=$1
probe=$2
preload=$3
[ -x "$probe" ] || fail "no probe at $probe (build the save_picture_probe target)"
[ -f "$preload" ] || fail "no preload at $preload (build the swap_on_create target)"

case $case_name in
disk_full_inside)
    # Called by disk_full itself, inside the namespace, with its work folder.
    work=$4
    disk_full_inside "$5"
    ;;
swapped_for_a_link | disk_full)
    work=$(mktemp -d) || fail "cannot make a temporary folder"
    # Never past this file system, whatever is mounted inside.
    trap 'rm -rf --one-file-system "$work"' EXIT
    "$case_name"
    ;;
*)
    fail "unknown case $case_name"
    ;;
esac
