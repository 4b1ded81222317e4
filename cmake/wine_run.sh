#!/usr/bin/env bash
# Runs one Windows test program under Wine for CTest.
#
# The program's output goes to a file first, for two reasons:
# - Wine's server and services, started by whichever test comes first,
#   would otherwise keep that test's output pipe open until the last test
#   ends, so CTest would wait on it;
# - now and then Wine starts nothing at all: the program prints not a
#   line and fails within milliseconds. Every test program prints before
#   it does anything, so a failure with no output at all is Wine's, and
#   the run is tried again (at most three times), saying so.
set -u
output=$(mktemp)
trap 'rm -f "$output"' EXIT
for attempt in 1 2 3; do
    wine "$@" >"$output" 2>&1
    status=$?
    if [ "$status" -eq 0 ] || [ -s "$output" ]; then break; fi
    echo "wine_run.sh: Wine started nothing (exit $status, no output) on attempt $attempt" >&2
done
cat "$output"
exit "$status"
