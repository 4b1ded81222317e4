#!/usr/bin/env bash
# The whole test suite: unit and end-to-end tests in the plain build and
# in the sanitizer build, then the fuzz seeds replayed and each fuzz target
# run for a few seconds (FUZZ_SECONDS, default 3).
set -eu
cd "$(dirname "$0")/.."
cmake --workflow --preset ci
cmake --workflow --preset asan
bash tests/package_check.sh
bash fuzz/run.sh "${FUZZ_SECONDS:-3}"
