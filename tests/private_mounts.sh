# A mount namespace of the test's own, where nothing it mounts can reach the
# host's. Sourced by the tests that mount a stand-in (a small tmpfs, fake
# power supplies).
#
# unshare normally makes every mount of the new namespace private at once.
# Inside a chroot, as in the bare Debian root that CI runs in, "/" is no
# mount point and that step fails; then the namespace keeps the propagation
# it was copied with, and make_mount_private must turn the one mount the test
# mounts under private before anything is mounted there.

# Sets UNSHARE_ARGS to the unshare options that give a private mount
# namespace here (with a user namespace when not root), and PRIVATE_STEP to
# 1 when make_mount_private is needed inside it. False when none can be had.
find_private_mounts() {
  local as_root=()
  [ "$(id -u)" -eq 0 ] || as_root=(--map-root-user)
  PRIVATE_STEP=0
  UNSHARE_ARGS=("${as_root[@]}" --mount --propagation private)
  timeout 60 unshare "${UNSHARE_ARGS[@]}" true 2>/dev/null && return 0
  PRIVATE_STEP=1
  UNSHARE_ARGS=("${as_root[@]}" --mount --propagation unchanged)
  timeout 60 unshare "${UNSHARE_ARGS[@]}" sh -c 'mount --make-rprivate "$(findmnt -n -o TARGET --target /tmp)"' 2>/dev/null
}

# Inside the namespace: when PRIVATE_STEP is 1, makes the mount that holds
# PATH (and every mount under it) private, so that what is mounted under
# PATH stays in this namespace. False, with nothing mounted, when it cannot.
make_mount_private() {
  [ "${PRIVATE_STEP:-0}" = 1 ] || return 0
  local holder
  holder=$(findmnt -n -o TARGET --target "$1") && mount --make-rprivate "$holder"
}
