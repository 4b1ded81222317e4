#!/usr/bin/env bash
# Installs the Debian packages the whole suite needs, where missing: the
# native toolchain and GoogleTest, the header-only number text libraries, clang with libFuzzer, groff and
# dpkg-dev for the manual pages and the package, MPFR for the checks of
# the correctly rounded functions, xmllint and rsvg-convert for the
# preview's pictures, the cross compilers, Wine and qemu-user for the
# Windows, aarch64 and s390x builds, and emscripten for the WebAssembly
# build (Node.js, which runs it, comes with the machine or with the
# package).
set -eu
packages=(cmake g++ libgtest-dev googletest python3 clang libclang-rt-14-dev groff dpkg-dev
          g++-mingw-w64-x86-64 wine wine64 qemu-user g++-aarch64-linux-gnu g++-s390x-linux-gnu
          libmpfr-dev libxml2-utils librsvg2-bin libfast-float-dev libfmt-dev emscripten)
need=()
for package in "${packages[@]}"; do
    dpkg -s "$package" >/dev/null 2>&1 || need+=("$package")
done
[ ${#need[@]} -eq 0 ] && exit 0
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
$sudo apt-get update -q
DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q "${need[@]}"
