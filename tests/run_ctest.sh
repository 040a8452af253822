#!/usr/bin/env bash
# Runs ctest with the given arguments (the build folder through --test-dir)
# and ends with its status. A selection that matches no test fails. Under CI
# (scripts/lib/ci.sh says when) a test that skipped fails the run as well,
# with one line naming it: CI proves every test, and a skip means that
# something a test needs is missing.
set -uo pipefail
log=$(mktemp) || exit 1
trap 'rm -f "$log"' EXIT
ctest --no-tests=error "$@" | tee "$log"
status=$?
source "$(dirname "$0")/../scripts/lib/ci.sh"
if under_ci; then
  skipped=$(sed -n 's/^[[:space:]]*[0-9]* - \(.*\) (Skipped)$/\1/p' "$log" | xargs)
  if [ -n "$skipped" ]; then
    echo "tests: a skipped test fails under CI: $skipped" >&2
    [ "$status" -ne 0 ] || status=1
  fi
fi
exit "$status"
