#!/usr/bin/env bash
# Installs what building the programs needs where it is missing, builds
# the six programs alone (no tests), converts every bundled sample track
# into forward and backward routes under build/examples/, draws the sample
# drive's route with rt2preview and writes its GPX route with rt2gpx.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
bash tests/install_needs.sh programs
cmake --preset programs >/dev/null
cmake --build --preset programs >/dev/null
out="$top/build/examples"
mkdir -p "$out"
cp "$top"/examples/drive.* "$out"/
cd "$out"
bin="$top/build/programs/programs"
for pair in Tolvek:drive.nmea Quendal:drive.plt Brisham:drive.rec Marovin:drive.gpx; do
    program=${pair%%:*} input=${pair#*:}
    name=${input%.*}-${input##*.}
    echo "== $program $input"
    "$bin/$program" "$input" "$name-forward.rt2" "$name-backward.rt2"
done
echo "== rt2preview drive.gpx"
"$bin/rt2preview" drive.gpx
echo "== rt2gpx drive-gpx-forward.rt2 drive-gpx-route.gpx"
"$bin/rt2gpx" drive-gpx-forward.rt2 drive-gpx-route.gpx
echo
echo "Routes:  $out/drive-*-forward.rt2 and drive-*-backward.rt2"
echo "GPX route: $out/drive-gpx-route.gpx"
echo "Picture: $out/drive.gpx.svg"
echo "Programs: $bin/"
if [ -f "$top/build/web/route-maker.html" ]; then
    echo "Page:    $top/build/web/route-maker.html"
else
    echo "Page:    not built; cmake --workflow --preset page builds build/web/route-maker.html"
fi
