#!/usr/bin/env bash
# Proves the project on a bare Debian 12: builds a minimal root with
# mmdebstrap (only make, git and ca-certificates on top of minbase), clones
# the commit under test into it and runs the README's test command there as
# root. Whatever the host has installed by hand cannot hide a missing install
# step. Needs root; CI runs it through .ci/run, contributors as
# `make fresh-check`.
#
# Then it builds the Debian package there, checks it with lintian and
# desktop-file-validate, installs it into a second bare root that holds only
# the package and the test tools, and checks it as a user meets it
# (tests/package/check_installed.sh): menu entry, terminal, Escape, purge.
#
# Prints the time spent building the root, installing the packages, running
# the tests and checking the package. A network failure of mmdebstrap or apt
# is retried; a failing test never is.
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
suite=bookworm
attempts=3

if [ "$(id -u)" -ne 0 ]; then
  echo "fresh-check: needs root (it builds a Debian root and mounts into it)" >&2
  exit 1
fi

export DEBIAN_FRONTEND=noninteractive
if ! command -v mmdebstrap >/dev/null; then
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends mmdebstrap >/dev/null
fi

# The root's package sources are the host's own, so the root reaches the same
# archive the host does.
sources=""
for f in /etc/apt/sources.list.d/debian.sources /etc/apt/sources.list; do
  if [ -s "$f" ] && grep -q -v -E '^\s*(#|$)' "$f"; then
    sources=$f
    break
  fi
done
if [ -z "$sources" ]; then
  echo "fresh-check: the host has no Debian package sources to copy" >&2
  exit 1
fi

work=$(mktemp -d /var/tmp/marivelle-fresh.XXXXXX)
mounts=()

# Unmounts in reverse order and deletes the work folder; runs on every exit,
# interrupts included. Each mount is a slave of the host's, so unmounting it
# never propagates back to the host.
cleanup() {
  local rc=$?
  trap - EXIT INT TERM HUP
  local i
  for ((i = ${#mounts[@]} - 1; i >= 0; i--)); do
    umount -R "${mounts[i]}" 2>/dev/null || umount -R -l "${mounts[i]}" 2>/dev/null || true
  done
  # Never delete through a mount that is still in place.
  if ! grep -q " $work/" /proc/self/mounts; then
    rm -rf "$work"
  else
    echo "fresh-check: mounts remain under $work; left in place" >&2
  fi
  exit "$rc"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
trap 'exit 129' HUP

# Runs a command up to $attempts times, for steps whose failure can be a
# passing network fault.
retry() {
  local n
  for ((n = 1; n <= attempts; n++)); do
    if "$@"; then
      return 0
    fi
    if [ "$n" -lt "$attempts" ]; then
      echo "fresh-check: attempt $n of $attempts failed; trying again in $((n * 15)) s" >&2
      sleep $((n * 15))
    fi
  done
  return 1
}

# Makes a bare Debian root at $1 with the given extra packages (comma list).
make_root() {
  local root=$1 include=$2
  rm -rf "$root"
  mmdebstrap --quiet --variant=minbase --include="$include" "$suite" "$root" "$sources"
}

# Mounts /proc, /sys, /dev and a private /tmp into the root at $1.
mount_root() {
  local root=$1 d
  mount -t proc proc "$root/proc"
  mounts+=("$root/proc")
  for d in sys dev; do
    mount --rbind "/$d" "$root/$d"
    mounts+=("$root/$d")
    mount --make-rslave "$root/$d"
  done
  mount -t tmpfs -o mode=1777 tmpfs "$root/tmp"
  mounts+=("$root/tmp")
  cp -L /etc/resolv.conf "$root/etc/resolv.conf" 2>/dev/null || true
}

# Runs a shell command inside the root at $1 as root, with a clean environment,
# starting in the root's /.
in_root() {
  local root=$1
  shift
  (cd "$root" && chroot "$root" /usr/bin/env -i HOME=/root LANG=C.UTF-8 TERM=dumb CI="${CI:-}" DEBIAN_FRONTEND=noninteractive \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    bash -c "$1")
}

seconds() { date +%s; }

# Builds the package in the first root and lints it, then installs it into a
# second bare root with the test tools and runs the user's checks there.
check_package() {
  in_root "$root" "cd $src && make package" || return
  retry in_root "$root" "apt-get install -y -qq --no-install-recommends lintian desktop-file-utils >/dev/null" ||
    return
  local deb
  deb=$(cd "$root$src/build" && ls marivelle_*.deb) || return
  echo "$deb: $(stat -c %s "$root$src/build/$deb") bytes"
  in_root "$root" "dpkg-deb -f $src/build/$deb Depends | sed 's/^/Depends: /'"
  echo "-- lintian"
  in_root "$root" "lintian --fail-on error --display-info $src/build/$deb" || return
  echo "-- desktop-file-validate"
  in_root "$root" "desktop-file-validate $src/packaging/marivelle.desktop" || return

  local root2=$work/root2
  echo "-- a second bare root with the package and the test tools"
  retry make_root "$root2" xvfb,xfonts-base,xdotool,x11-utils,imagemagick || return
  mkdir -p "$root2/check"
  cp "$root$src/build/$deb" "$root2/check/"
  cp "$root$src/tests/e2e/lib.sh" "$root$src/tests/package/check_installed.sh" "$root2/check/"
  mount_root "$root2"
  retry in_root "$root2" "apt-get update -qq && apt-get install -y -qq /check/$deb >/dev/null" || return
  in_root "$root2" "bash /check/check_installed.sh"
}

root=$work/root
src=/src/marivelle

t0=$(seconds)
echo "== building a bare Debian 12 root"
retry make_root "$root" make,git,ca-certificates
git clone -q --no-hardlinks "$repo" "$root$src"
git -C "$root$src" checkout -q "$(git -C "$repo" rev-parse HEAD)"
mount_root "$root"
t1=$(seconds)

echo "== installing the packages"
retry in_root "$root" "cd $src && bash scripts/install-deps.sh"
t2=$(seconds)

echo "== make test"
status=0
in_root "$root" "cd $src && make test" || status=$?
t3=$(seconds)

echo "== the Debian package"
package_status=0
check_package || package_status=$?
t4=$(seconds)

echo
echo "fresh-check: root $((t1 - t0)) s, packages $((t2 - t1)) s, tests $((t3 - t2)) s," \
  "package check $((t4 - t3)) s, total $((t4 - t0)) s"
if [ "$status" -ne 0 ]; then
  echo "fresh-check: make test failed in the fresh root (exit $status)" >&2
fi
if [ "$package_status" -ne 0 ]; then
  echo "fresh-check: the package check failed (exit $package_status)" >&2
  [ "$status" -ne 0 ] || status=$package_status
fi
exit "$status"
