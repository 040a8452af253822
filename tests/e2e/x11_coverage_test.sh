#!/usr/bin/env bash
# The window-stack coverage's own tests, against a private Xvfb.
# Usage: x11_coverage_test.sh   (X11_COVERAGE_TESTS in the environment)
source "$(dirname "$0")/lib.sh"
start_xvfb
"$X11_COVERAGE_TESTS" || fail "the window-stack coverage's tests failed"
echo "PASS x11_coverage"
