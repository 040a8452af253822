#!/usr/bin/env bash
# Proves the project on a bare Debian 12: builds a minimal root with
# mmdebstrap (only make, git and ca-certificates on top of minbase), clones
# the commit under test into it and runs the README's test command there as
# root. Whatever the host has installed by hand cannot hide a missing install
# step. Needs root; CI runs it through .ci/run, contributors as
# `make fresh-check`.
#
# Then it builds the Debian package there and checks it with lintian,
# desktop-file-validate and appstreamcli. It installs the package alone into a
# second bare root and checks that it brought everything the program loads
# (tests/package/check_loadable.sh); only then does it add the test tools,
# run the hack under the xscreensaver daemon
# (tests/package/check_screensaver.sh) and check the package as a user meets
# it (tests/package/check_installed.sh): menu entry, terminal, Escape, purge.
#
# Prints the time spent building the root, installing the packages, running
# the tests and checking the package. A network failure of mmdebstrap or apt
# is retried; a failing test never is.
#
# Everything after the set-up runs in a private mount and PID namespace
# (unshare): the mounts it makes into its roots can never reach the host's,
# and they vanish with the namespace however the run ends, SIGKILL included.
# The work folder under /var/tmp is removed by the run itself, or, if every
# process of the run was killed at once, by the next run (its owner file
# names the processes that keep it).
#
# FRESH_CHECK_TESTS replaces the test command (default `make test`), e.g.
# FRESH_CHECK_TESTS=true to reach the package check without the long suite.
# Under CI (scripts/lib/ci.sh says when) the run refuses it: CI always runs
# the whole suite.
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
suite=bookworm
attempts=3
tests=${FRESH_CHECK_TESTS:-make test}

source "$repo/scripts/lib/ci.sh"
if under_ci && [ "$tests" != "make test" ]; then
  echo "fresh-check: CI runs \`make test\`; FRESH_CHECK_TESTS=$tests is refused under CI=$CI" >&2
  exit 2
fi

if [ "$(id -u)" -ne 0 ]; then
  echo "fresh-check: needs root (it builds a Debian root and mounts into it)" >&2
  exit 1
fi

# Prints the start time of process $1 (in clock ticks since boot), which tells
# it apart from a later process that got the same id.
start_time() {
  local stat
  stat=$(cat "/proc/$1/stat" 2>/dev/null) || return 1
  stat=${stat##*) }
  # shellcheck disable=SC2086
  set -- $stat
  echo "${20}"
}

# Prints the mount points under folder $1 in this mount namespace, deepest
# first.
mounts_under() {
  awk -v dir="$1/" 'index($5, dir) == 1 { print $5 }' /proc/self/mountinfo | sort -r
}

if [ -z "${FRESH_CHECK_WORK:-}" ]; then
  # ---- The outer part, in the host's namespaces: prepares, starts the run in
  # its own namespaces, waits for it and removes its work folder.
  export DEBIAN_FRONTEND=noninteractive
  if ! command -v mmdebstrap >/dev/null; then
    apt-get update -qq
    apt-get install -y -qq --no-install-recommends mmdebstrap >/dev/null
  fi
  for tool in unshare setpriv; do
    command -v "$tool" >/dev/null || {
      echo "fresh-check: $tool (package util-linux) is missing" >&2
      exit 1
    }
  done

  # Deletes a work folder from this host's namespace, where no run mounts
  # anything; refuses if a mount shows there all the same.
  remove_work() {
    local dir=$1
    if [ -n "$(mounts_under "$dir")" ]; then
      echo "fresh-check: mounts remain under $dir; left in place" >&2
      return 1
    fi
    rm -rf --one-file-system "$dir"
  }

  # Removes the work folders of earlier runs whose processes are all gone. A
  # folder without an owner file belongs to a run that is just starting, or
  # to some other tool, and is left alone.
  for dir in /var/tmp/marivelle-fresh.*; do
    [ -d "$dir" ] && [ -f "$dir/owner" ] || continue
    alive=0
    while read -r pid started; do
      [ "$(start_time "$pid" || true)" = "$started" ] && alive=1
    done <"$dir/owner"
    if [ "$alive" -eq 0 ]; then
      echo "fresh-check: removing $dir, left by an earlier run that was killed"
      remove_work "$dir" || true
    fi
  done

  work=$(mktemp -d /var/tmp/marivelle-fresh.XXXXXX)
  echo "$$ $(start_time $$)" >"$work/owner"
  echo "fresh-check: working in $work"

  # The run: unshare forks it as process 1 of a new PID namespace in a new
  # mount namespace whose mounts propagate nowhere. When unshare ends, the
  # run gets SIGTERM (--kill-child); setpriv makes unshare end with this
  # process, even when this one is killed with SIGKILL. When process 1 ends,
  # the kernel kills every process left in its namespace.
  FRESH_CHECK_WORK=$work FRESH_CHECK_HOST_NS=$(readlink /proc/self/ns/mnt) \
    setpriv --pdeathsig KILL \
    unshare --mount --propagation private --pid --fork --kill-child=SIGTERM \
    bash "$0" &
  unshared=$!
  # Prints the ids of the children of process $1.
  children_of() {
    local f stat fields
    if [ -r "/proc/$1/task/$1/children" ]; then
      cat "/proc/$1/task/$1/children"
      return 0
    fi
    for f in /proc/[0-9]*/stat; do
      stat=$(<"$f") 2>/dev/null || continue
      read -r -a fields <<<"${stat##*) }"
      if [ "${fields[1]}" = "$1" ]; then
        f=${f#/proc/}
        echo "${f%/stat}"
      fi
    done
  }
  # The run, seen from here: the child of unshare that runs bash (unshare
  # may have short-lived children of its own first).
  bash_exe=$(readlink /proc/$$/exe)
  inner=""
  inner_started=""
  for _ in $(seq 300); do
    for pid in $(children_of "$unshared"); do
      if [ "$(readlink "/proc/$pid/exe" 2>/dev/null)" = "$bash_exe" ]; then
        inner_started=$(start_time "$pid") && inner=$pid && break
      fi
    done
    [ -n "$inner" ] && break
    kill -0 "$unshared" 2>/dev/null || break
    sleep 0.1
  done
  echo "$unshared $(start_time "$unshared" || echo gone)" >>"$work/owner"
  [ -z "$inner" ] || echo "$inner $inner_started" >>"$work/owner"

  # A signal stops the run: it gets SIGTERM, cleans up, and ends unshare.
  stop() {
    trap '' INT TERM HUP
    if [ -n "$inner" ] && [ "$(start_time "$inner" || true)" = "$inner_started" ]; then
      kill -TERM "$inner" 2>/dev/null || true
    else
      kill -KILL "$unshared" 2>/dev/null || true
    fi
  }
  trap 'stop; signal=130' INT
  trap 'stop; signal=143' TERM
  trap 'stop; signal=129' HUP
  signal=0
  status=0
  # wait returns early when a trapped signal arrives; wait again for the end.
  while :; do
    status=0
    wait "$unshared" || status=$?
    kill -0 "$unshared" 2>/dev/null || break
  done
  if [ -d "$work" ]; then
    remove_work "$work" || status=1
  fi
  if [ "$signal" -ne 0 ]; then
    echo "fresh-check: interrupted" >&2
    exit "$signal"
  fi
  if [ "$status" -gt 128 ]; then
    echo "fresh-check: the run was killed by signal $((status - 128))" >&2
  fi
  exit "$status"
fi

# ---- The run, process 1 of its own PID and mount namespaces.
work=$FRESH_CHECK_WORK
if [ "$(readlink /proc/self/ns/mnt)" = "${FRESH_CHECK_HOST_NS:-}" ] || [ "$$" -ne 1 ]; then
  echo "fresh-check: not in a mount and PID namespace of its own; refusing to mount anything" >&2
  exit 1
fi
if awk '{ for (i = 7; $i != "-"; i++) if ($i ~ /^shared:/) found = 1 } END { exit !found }' /proc/self/mountinfo; then
  echo "fresh-check: a mount of the private namespace still propagates; refusing to mount anything" >&2
  exit 1
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

# On every exit, interrupts included: ends every other process of the
# namespace, unmounts whatever is mounted under the work folder, deepest
# first, and deletes it, never through a mount that is still in place.
cleanup() {
  local rc=$? m
  trap - EXIT INT TERM HUP
  trap '' INT TERM HUP
  # Process 1 of a PID namespace: -1 means the other processes of this
  # namespace alone.
  kill -TERM -1 2>/dev/null || true
  for _ in $(seq 100); do
    kill -0 -1 2>/dev/null || break
    sleep 0.1
  done
  kill -KILL -1 2>/dev/null || true
  for _ in $(seq 100); do
    kill -0 -1 2>/dev/null || break
    sleep 0.1
  done
  for m in $(mounts_under "$work"); do
    umount "$m" 2>/dev/null || umount -l "$m" 2>/dev/null || true
  done
  if [ -z "$(mounts_under "$work")" ]; then
    rm -rf --one-file-system "$work"
  else
    echo "fresh-check: mounts remain under $work; left for the namespace's end" >&2
  fi
  exit "$rc"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM
trap 'exit 129' HUP

# Runs a command in the background and waits for it, so that a signal reaches
# the traps at once rather than when the command ends.
step() {
  "$@" &
  wait $!
}

# Prints why the run fails, as its last line, and ends it.
die() {
  echo "fresh-check: $*" >&2
  exit 1
}

# Runs a step of the package check; when it fails, keeps why for the closing
# message and returns its status.
must() {
  local why=$1 rc=0
  shift
  step "$@" || rc=$?
  [ "$rc" -eq 0 ] || echo "$why (exit $rc)" >"$work/package-failure"
  return "$rc"
}

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

# Makes a bare Debian root at $1, with the extra packages of the comma list $2.
make_root() {
  local root=$1 include=${2:-}
  rm -rf --one-file-system "$root"
  mmdebstrap --quiet --variant=minbase ${include:+--include="$include"} "$suite" "$root" "$sources"
}

# Mounts /proc, /sys, /dev and a private /tmp into the root at $1.
mount_root() {
  local root=$1 d
  mount -t proc proc "$root/proc" || return
  for d in sys dev; do
    mount --rbind "/$d" "$root/$d" || return
  done
  mount -t tmpfs -o mode=1777 tmpfs "$root/tmp" || return
  cp -L /etc/resolv.conf "$root/etc/resolv.conf" 2>/dev/null || true
}

# Runs a shell command inside the root at $1 as root, with a clean environment,
# starting in the root's /. The command stops at its first failing step.
in_root() {
  local root=$1
  shift
  (cd "$root" && chroot "$root" /usr/bin/env -i HOME=/root LANG=C.UTF-8 TERM=dumb CI="${CI:-}" DEBIAN_FRONTEND=noninteractive \
    PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin \
    bash -e -o pipefail -c "$1")
}

seconds() { date +%s; }

# Builds the package in the first root and lints it, then installs it alone
# into a second bare root, checks that it brought what the program loads, and
# only then adds the test tools and runs the user's checks there. Each step's
# failure fails the check.
check_package() {
  must "make package failed" in_root "$root" "cd $src && make package" || return
  must "lintian, desktop-file-utils and appstream could not be installed" \
    retry in_root "$root" \
    "apt-get install -y -qq --no-install-recommends lintian desktop-file-utils appstream >/dev/null" || return
  local deb
  deb=$(cd "$root$src/build" && ls marivelle_*.deb) || {
    echo "make package made no marivelle_*.deb" >"$work/package-failure"
    return 1
  }
  echo "$deb: $(stat -c %s "$root$src/build/$deb") bytes"
  must "dpkg-deb cannot read the package" in_root "$root" "dpkg-deb -f $src/build/$deb Depends Recommends" || return
  echo "-- lintian"
  must "lintian found errors" in_root "$root" "lintian --fail-on error --display-info $src/build/$deb" || return
  echo "-- desktop-file-validate"
  must "the menu entries are not valid" in_root "$root" "desktop-file-validate $src/packaging/marivelle.desktop $src/packaging/marivelle-wallpaper.desktop" ||
    return
  # No errors and no warnings; infos may stand (the id's top-level domain is
  # a reserved one that the validator does not know).
  echo "-- appstreamcli validate"
  must "the AppStream metadata has errors or warnings" in_root "$root" \
    "out=\$(appstreamcli validate --no-net $src/packaging/example.marivelle.marivelle.metainfo.xml) &&
     echo \"\$out\" && ! echo \"\$out\" | grep -q '^[EW]:'" || return

  local root2=$work/root2
  echo "-- a second bare root with the package alone"
  must "mmdebstrap could not build the second root" retry make_root "$root2" || return
  must "cannot copy the package and its checks into the second root" mkdir -p "$root2/check" || return
  must "cannot copy the package and its checks into the second root" \
    cp "$root$src/build/$deb" "$root$src/tests/e2e/lib.sh" "$root$src/tests/package/check_loadable.sh" \
    "$root$src/tests/package/check_installed.sh" "$root$src/tests/package/check_screensaver.sh" \
    "$root2/check/" || return
  must "cannot mount /proc, /sys, /dev and /tmp into the second root" mount_root "$root2" || return
  must "apt-get could not install the package alone" \
    retry in_root "$root2" "apt-get update -qq && apt-get install -y -qq /check/$deb >/dev/null" || return
  echo "-- what the program loads"
  must "the package does not bring everything the program loads" \
    in_root "$root2" "bash /check/check_loadable.sh" || return
  echo "-- the test tools, and the package as a user meets it"
  must "the test tools could not be installed next to the package" retry in_root "$root2" \
    "apt-get install -y -qq --no-install-recommends xvfb xdotool x11-utils imagemagick xscreensaver xscreensaver-gl >/dev/null" ||
    return
  echo "-- the installed hack under the xscreensaver daemon"
  must "the hack failed under the xscreensaver daemon" in_root "$root2" "bash /check/check_screensaver.sh" || return
  must "the installed package failed its checks" in_root "$root2" "bash /check/check_installed.sh" || return
}

root=$work/root
src=/src/marivelle

t0=$(seconds)
echo "== building a bare Debian 12 root"
step retry make_root "$root" make,git,ca-certificates || die "mmdebstrap could not build the root ($attempts tries)"
git clone -q --no-hardlinks "$repo" "$root$src" || die "cannot clone $repo into the root"
git -C "$root$src" checkout -q "$(git -C "$repo" rev-parse HEAD)" || die "cannot check out the commit under test"
mount_root "$root" || die "cannot mount /proc, /sys, /dev and /tmp into the root"
t1=$(seconds)

echo "== installing the packages"
step retry in_root "$root" "cd $src && bash scripts/install-deps.sh" ||
  die "scripts/install-deps.sh failed in the root ($attempts tries)"
t2=$(seconds)

echo "== the tests ($tests)"
status=0
step in_root "$root" "cd $src && $tests" || status=$?
t3=$(seconds)

echo "== the Debian package"
package_status=0
step check_package || package_status=$?
t4=$(seconds)

echo
echo "fresh-check: root $((t1 - t0)) s, packages $((t2 - t1)) s, tests $((t3 - t2)) s," \
  "package check $((t4 - t3)) s, total $((t4 - t0)) s"
if [ "$status" -ne 0 ]; then
  echo "fresh-check: the tests failed in the fresh root (exit $status)" >&2
fi
if [ "$package_status" -ne 0 ]; then
  echo "fresh-check: the package check failed: $(cat "$work/package-failure" 2>/dev/null ||
    echo "exit $package_status")" >&2
  [ "$status" -ne 0 ] || status=$package_status
fi
exit "$status"
