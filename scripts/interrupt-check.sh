#!/usr/bin/env bash
# Interrupts scripts/fresh-check.sh in each of its phases and checks that it
# leaves the host as it found it: the host's mount table (mount points, file
# systems and sources, and their count) is the same afterwards, no process of
# the run is left, and its work folder under /var/tmp is gone.
#
# Signals: TERM and KILL sent to the script, and KILL-ALL, SIGKILL to every
# process of the run at once. After KILL-ALL the work folder stays until the
# next run, which removes it; the run after it in the table shows that.
#
# Phases: root (mmdebstrap at work), packages (install-deps), tests (the test
# command, here `sleep`), package (apt at work in the second root, both roots
# mounted). Slow, several roots and a build: not part of CI. Needs root and
# the network. Prints a table; the logs stay in a folder under /tmp.
# Usage: scripts/interrupt-check.sh [PHASE...]
#        (SIGNALS="TERM KILL KILL-ALL" by default)
set -euo pipefail

repo=$(cd "$(dirname "$0")/.." && pwd)
read -r -a signals <<<"${SIGNALS:-TERM KILL KILL-ALL}"
phases=("$@")
[ ${#phases[@]} -gt 0 ] || phases=(root packages tests package)

if [ "$(id -u)" -ne 0 ]; then
  echo "interrupt-check: needs root, as fresh-check does" >&2
  exit 1
fi
for phase in "${phases[@]}"; do
  case "$phase" in
  root | packages | tests | package) ;;
  *)
    echo "interrupt-check: unknown phase $phase (root, packages, tests or package)" >&2
    exit 1
    ;;
  esac
done

logs=$(mktemp -d /tmp/interrupt-check.XXXXXX)

# The host's mounts, one a line: mount point, file system type and source
# (fields that change by themselves, such as ids and options, left out).
# Mounts inside other fresh-check work folders belong to other people's runs.
host_mounts() {
  awk '{ for (i = 7; $i != "-"; i++) ; print $5, $(i + 1), $(i + 2) }' /proc/self/mountinfo |
    grep -v '^/var/tmp/marivelle-fresh\.' | sort
}

# Counts the mounts under folder $2 in the mount table file $1.
count_under() { awk -v dir="$2/" 'index($5, dir) == 1 { n++ } END { print n + 0 }' "$1" 2>/dev/null || echo 0; }

# Polls until command "$@" succeeds or $deadline seconds pass.
poll() {
  local deadline=$1 t0=$SECONDS
  shift
  until "$@"; do
    [ $((SECONDS - t0)) -lt "$deadline" ] || return 1
    sleep 1
  done
}

# When to interrupt each phase: the line that opens it, and a condition that
# holds once the phase is at work with its mounts in place.
marker() {
  case "$1" in
  root) echo "== building a bare Debian 12 root" ;;
  packages) echo "== installing the packages" ;;
  tests) echo "== the tests" ;;
  package) echo "-- the test tools" ;;
  esac
}

run_pid=""
work=""
inner=""
run_alive() { kill -0 "$run_pid" 2>/dev/null; }
group_alive() { kill -0 -- "-$run_pid" 2>/dev/null || { [ -n "$inner" ] && kill -0 "$inner" 2>/dev/null; }; }
has_line() { grep -q -F -- "$1" "$log"; }
started() { has_line "$(marker "$phase")" || ! run_alive; }
work_known() {
  work=$(sed -n 's/^fresh-check: working in //p' "$log" | head -n 1)
  [ -n "$work" ] && [ -f "$work/owner" ] && [ "$(wc -l <"$work/owner")" -ge 3 ]
}
in_phase() {
  case "$phase" in
  root) [ "$(count_under "/proc/$inner/mountinfo" "$work")" -gt 0 ] ;;
  packages) has_line "Installing:" ;;
  tests) [ "$(count_under "/proc/$inner/mountinfo" "$work/root")" -gt 0 ] ;;
  package) [ "$(count_under "/proc/$inner/mountinfo" "$work/root2")" -gt 0 ] ;;
  esac
}

# Stops a run still going when this script is stopped.
trap '[ -z "$run_pid" ] || ! run_alive || kill -TERM "$run_pid"' EXIT

rows=()
for phase in "${phases[@]}"; do
  for signal in "${signals[@]}"; do
    log=$logs/$phase-$signal.log
    before=$(host_mounts)
    tests_command=true
    [ "$phase" != tests ] || tests_command="sleep 3600"
    # A session of its own, so that KILL-ALL reaches every process of the run.
    FRESH_CHECK_TESTS=$tests_command setsid bash "$repo/scripts/fresh-check.sh" >"$log" 2>&1 </dev/null &
    run_pid=$!
    work=""
    inner=""
    poll 120 work_known || true
    inner=$(sed -n 3p "$work/owner" 2>/dev/null | cut -d' ' -f1)
    row="$phase $signal"
    # The package phase comes after a full build.
    if ! poll 5400 started || ! run_alive; then
      rows+=("$row | the run ended before the phase (see $log)")
      continue
    fi
    poll 120 in_phase || true
    # Well into the package downloads and installs.
    [ "$phase" != packages ] || sleep 30
    ns_mounts=$(count_under "/proc/$inner/mountinfo" "$work")
    host_under=$(count_under /proc/self/mountinfo "$work")
    signalled=$SECONDS
    case "$signal" in
    TERM) kill -TERM "$run_pid" ;;
    KILL) kill -KILL "$run_pid" ;;
    KILL-ALL) kill -KILL -- "-$run_pid" ;;
    esac
    poll 300 eval '! group_alive' || true
    wait "$run_pid" 2>/dev/null && code=0 || code=$?
    # After a signal to the script alone, the run cleans up on its own.
    [ "$signal" = KILL-ALL ] || poll 300 test ! -d "$work" || true
    took=$((SECONDS - signalled))
    after=$(host_mounts)
    same=yes
    if [ "$before" != "$after" ]; then
      same="NO: $(diff <(echo "$before") <(echo "$after") | grep '^[<>]' | tr '\n' ';')"
    fi
    left=no
    [ ! -d "$work" ] || left="yes ($work)"
    procs=no
    ! group_alive || procs=yes
    rows+=("$row | $ns_mounts | $host_under | $same ($(echo "$after" | grep -c .) mounts) | $left | $procs | $code | $took s")
    echo "interrupt-check: $phase, $signal: ${rows[-1]#"$row | "}" >&2
  done
done

echo
echo "phase signal | mounts in the run's namespace at the signal | of them seen by the host | host mounts unchanged | work folder left | processes left | exit | signal to end"
printf '%s\n' "${rows[@]}"
leftover=$(ls -d /var/tmp/marivelle-fresh.* 2>/dev/null || true)
echo "folders under /var/tmp now: ${leftover:-none}"
echo "logs: $logs"
