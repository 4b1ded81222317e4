#!/usr/bin/env bash
# Installs the Debian packages the whole suite needs, where missing: the
# native toolchain and GoogleTest, the header-only number text libraries, clang with libFuzzer, groff and
# dpkg-dev for the manual pages and the package, MPFR for the checks of
# the correctly rounded functions, xmllint and rsvg-convert for the
# preview's pictures, the cross compilers, Wine and qemu-user for the
# Windows, aarch64 and s390x builds, emscripten for the WebAssembly
# build (Node.js, which runs it, comes with the machine or with the
# package), and for the route maker page's browser tests chromium,
# firefox-esr, WebKitWebDriver with WebKitGTK's MiniBrowser, Xvfb for its
# display, a font, and the pinned puppeteer-core and selenium-webdriver
# (npm ci in web/).
set -eu
packages=(cmake g++ libgtest-dev googletest python3 clang libclang-rt-14-dev groff dpkg-dev
          g++-mingw-w64-x86-64 wine wine64 qemu-user g++-aarch64-linux-gnu g++-s390x-linux-gnu
          libmpfr-dev libxml2-utils librsvg2-bin libfast-float-dev libfmt-dev emscripten chromium
          firefox-esr webkit2gtk-driver xvfb fonts-dejavu-core)
need=()
for package in "${packages[@]}"; do
    dpkg -s "$package" >/dev/null 2>&1 || need+=("$package")
done
if [ ${#need[@]} -gt 0 ]; then
    sudo=""
    [ "$(id -u)" -eq 0 ] || sudo=sudo
    $sudo apt-get update -q
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "${need[@]}"
fi
web=$(cd "$(dirname "$0")/../web" && pwd)
# Every pinned package must be installed at its pinned version.
pinned="Object.entries(require('$web/package.json').devDependencies)"
installed="require('$web/node_modules/' + name + '/package.json').version"
if ! node -e "process.exit($pinned.every(([name, version]) => $installed === version) ? 0 : 1)" 2>/dev/null; then
    (cd "$web" && npm ci --no-audit --no-fund)
fi
