#!/usr/bin/env bash
# Installs what a build needs, where it is missing.
#
#   bash tests/install_needs.sh programs   # the programs alone (examples/run.sh)
#   bash tests/install_needs.sh            # the whole test suite (tests/run_all.sh)
#
# On Debian and Ubuntu it installs the missing packages with apt-get (with
# sudo when not root). Elsewhere it says in one line what to install and
# stops with exit code 3 if anything is missing.
#
# The programs need the native toolchain and the header-only number text
# libraries. The suite adds GoogleTest and its sources, clang with
# libFuzzer, groff and dpkg-dev for the manual pages and the package, MPFR
# for the checks of the correctly rounded functions, file for the
# package's library dependencies, xmllint and
# rsvg-convert for the preview's pictures (and the page's icons), GPSBabel
# and gpxpy, which read the GPX routes back, the cross compilers, Wine and
# qemu-user for the Windows, aarch64 and s390x builds, emscripten for the
# WebAssembly build, esbuild, which bundles the page's scripts, Node.js
# with npm (Debian's, or whichever the machine has), and for the route maker page's browser tests chromium,
# firefox-esr, WebKitWebDriver with WebKitGTK's MiniBrowser, Xvfb for its
# display, a font, and the pinned puppeteer-core and selenium-webdriver
# (npm ci in web/).
set -eu
group=${1:-suite}
programs_packages=(cmake g++ libfast-float-dev libfmt-dev)
suite_packages=(libgtest-dev googletest python3 clang libclang-rt-14-dev groff dpkg-dev
                g++-mingw-w64-x86-64 wine wine64 qemu-user g++-aarch64-linux-gnu g++-s390x-linux-gnu
                libmpfr-dev libxml2-utils librsvg2-bin file gpsbabel python3-gpxpy emscripten esbuild
                chromium firefox-esr webkit2gtk-driver xvfb fonts-dejavu-core)
case "$group" in
    programs) packages=("${programs_packages[@]}") ;;
    suite) packages=("${programs_packages[@]}" "${suite_packages[@]}") ;;
    *) echo "Usage: bash tests/install_needs.sh [programs|suite]"; exit 1 ;;
esac

debian_like() {
    [ -r /etc/os-release ] && command -v apt-get >/dev/null && command -v dpkg >/dev/null &&
        grep -Eq '^(ID|ID_LIKE)=.*(debian|ubuntu)' /etc/os-release
}

as_root() {
    if [ "$(id -u)" -eq 0 ]; then
        "$@"
    elif command -v sudo >/dev/null; then
        sudo "$@"
    else
        echo "Installing needs root: run this as root or install sudo, then run it again."
        exit 3
    fi
}

if ! debian_like; then
    # Without apt, only say what is missing: a compiler, CMake and the two
    # header-only libraries for the programs.
    missing=()
    command -v cmake >/dev/null || missing+=("CMake 3.25 or later")
    command -v g++ >/dev/null || missing+=("g++ 12 or later")
    if command -v g++ >/dev/null; then
        for header in fast_float/fast_float.h fmt/format.h; do
            echo "#include <$header>" | g++ -std=c++20 -fsyntax-only -x c++ - 2>/dev/null ||
                missing+=("${header%%/*} (header-only)")
        done
    fi
    if [ ${#missing[@]} -gt 0 ]; then
        (IFS=,; echo "Not a Debian or Ubuntu system: install ${missing[*]}, then run this again.")
        exit 3
    fi
    [ "$group" = programs ] && exit 0
    echo "Not a Debian or Ubuntu system: the whole suite installs its needs only there (see tests/install_needs.sh)."
    exit 3
fi

need=()
for package in "${packages[@]}"; do
    dpkg -s "$package" >/dev/null 2>&1 || need+=("$package")
done
if [ "$group" = suite ]; then
    # Node.js and npm come from Debian unless the machine has its own.
    command -v node >/dev/null || need+=(nodejs)
    command -v npm >/dev/null || need+=(npm)
fi
if [ ${#need[@]} -gt 0 ]; then
    as_root apt-get update -q
    as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -q "${need[@]}"
fi
[ "$group" = programs ] && exit 0

# The test packages pinned by web/package-lock.json, installed again
# whenever what is in web/node_modules is not what the lock file names.
web=$(cd "$(dirname "$0")/../web" && pwd)
if ! (cd "$web" && npm ls --offline >/dev/null 2>&1); then
    (cd "$web" && npm ci --no-audit --no-fund)
fi
