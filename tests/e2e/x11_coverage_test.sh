#!/usr/bin/env bash
# The window-stack coverage's own tests, against a private Xvfb (and, for
# DPMS, a stand-in for the extension in front of it: DPMS_DISPLAY).
# Usage: x11_coverage_test.sh   (X11_COVERAGE_TESTS in the environment)
source "$(dirname "$0")/lib.sh"
start_xvfb
# The DPMS tests reach the server through a stand-in for the extension.
start_dpms_proxy
export DPMS_DISPLAY=$DISPLAY DISPLAY=$XVFB_DISPLAY
"$X11_COVERAGE_TESTS" || fail "the window-stack coverage's tests failed"
echo "PASS x11_coverage"
