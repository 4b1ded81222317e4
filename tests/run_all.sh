#!/usr/bin/env bash
# The whole test suite: installs what is missing, then the unit and
# end-to-end tests in the plain build and in the sanitizer build, the
# route maker page in Chromium, Firefox and WebKit, the install and package check, the fuzz seeds replayed and each fuzz target
# run for a few seconds (FUZZ_SECONDS, default 3), and the same unit and
# end-to-end tests built for Windows (under Wine), aarch64 and s390x
# (under qemu-user) and WebAssembly (under Node.js), and the real tracks
# beside the project converted on all five, which must agree byte for
# byte.
set -eu
cd "$(dirname "$0")/.."
# Each step says when it ends, and how long the suite has run by then.
step() {
    "$@"
    echo "== $* done at $((SECONDS / 60)) min $((SECONDS % 60)) s"
}
step bash tests/install_needs.sh
step cmake --workflow --preset ci
step cmake --workflow --preset asan
step cmake --workflow --preset web
step bash tests/package_check.sh
step bash fuzz/run.sh "${FUZZ_SECONDS:-3}"
# A fresh Wine prefix is made once, before the tests start several Wine
# processes at a time.
WINEPREFIX="$PWD/build/wine-prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml=" \
    wineboot --init
for platform in windows aarch64 s390x wasm; do
    step cmake --workflow --preset "$platform"
done
if [ -d ../shared/corpus ]; then
    step python3 bench/corpus_check
else
    echo "Corpus check skipped: no ../shared/corpus beside this checkout."
fi
