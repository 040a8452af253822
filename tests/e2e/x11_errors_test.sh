#!/usr/bin/env bash
# The X error trap's own tests, against a private Xvfb.
# Usage: x11_errors_test.sh   (X11_ERRORS_TESTS in the environment)
source "$(dirname "$0")/lib.sh"
start_xvfb
"$X11_ERRORS_TESTS" || fail "the X error trap's tests failed"
echo "PASS x11_errors"
