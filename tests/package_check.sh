#!/usr/bin/env bash
# Installs into a temporary prefix and builds the Debian package, and checks
# that both hold the six programs and their manual pages, the README, the
# route maker page and its site folder, and that the manual pages render
# without warnings; then builds the Windows zip and checks that it holds
# the six static programs, their manual pages as text, the README, the page
# and the site folder. The page comes from the web preset, built before
# (the package presets stop without it).
set -eu
cd "$(dirname "$0")/.."
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
cmake --install build/ci --prefix "$prefix" >/dev/null
cmake --workflow --preset package >/dev/null
deb=$(ls build/package/*.deb)
listing=$(dpkg-deb -c "$deb")
for program in Tolvek Brisham Quendal Marovin rt2preview rt2gpx; do
    test -x "$prefix/bin/$program"
    test -f "$prefix/share/man/man1/$program.1"
    grep -q "usr/bin/$program\$" <<<"$listing"
    grep -q "usr/share/man/man1/$program.1\$" <<<"$listing"
    warnings=$(groff -man -ww -z "man/$program.1" 2>&1)
    [ -z "$warnings" ] || { echo "$program.1: $warnings"; exit 1; }
done
test -f "$prefix/share/doc/track-route-converters/README.md"
cmp build/web/route-maker.html "$prefix/share/doc/track-route-converters/route-maker.html"
grep -q "usr/share/doc/track-route-converters/route-maker.html\$" <<<"$listing"
for file in index.html manifest.webmanifest service-worker.js icon-192.png icon-512.png apple-touch-icon.png; do
    cmp "build/web/site/$file" "$prefix/share/doc/track-route-converters/route-maker-site/$file"
    grep -q "usr/share/doc/track-route-converters/route-maker-site/$file\$" <<<"$listing"
done
dpkg-deb -f "$deb" Package Version Depends
echo "package check: 6 programs, 6 manual pages, the README, the page and its site folder installed and packaged"

cmake --workflow --preset windows-package >/dev/null
zip=$(ls build/windows-package/*.zip)
listing=$(cmake -E tar tf "$zip")
for program in Tolvek Brisham Quendal Marovin rt2preview rt2gpx; do
    grep -q "/$program.exe\$" <<<"$listing"
    grep -q "/$program.txt\$" <<<"$listing"
    # Only system DLLs: the C++ runtime is linked in.
    dlls=$(x86_64-w64-mingw32-objdump -p "build/windows-package/programs/$program.exe" | grep 'DLL Name')
    ! grep -q -i -E 'libstdc|libgcc|winpthread' <<<"$dlls"
done
grep -q "/README.md\$" <<<"$listing"
grep -q "/route-maker.html\$" <<<"$listing"
grep -q "/route-maker-site/service-worker.js\$" <<<"$listing"
echo "windows zip check: $(basename "$zip") holds 6 static programs, 6 manual pages, the README, the page and its site folder"
