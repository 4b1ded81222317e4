#!/usr/bin/env bash
# Builds the programs, converts every bundled sample track into forward
# and backward routes under build/examples/, and draws the sample drive's
# route with rt2preview.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
cmake --preset default -S "$top" >/dev/null
cmake --build --preset default >/dev/null
out="$top/build/examples"
mkdir -p "$out"
cp "$top"/examples/drive.* "$out"/
cd "$out"
bin="$top/build/default/programs"
for pair in Tolvek:drive.nmea Quendal:drive.plt Brisham:drive.rec Marovin:drive.gpx; do
    program=${pair%%:*} input=${pair#*:}
    name=${input%.*}-${input##*.}
    echo "== $program $input"
    "$bin/$program" "$input" "$name-forward.rt2" "$name-backward.rt2"
done
echo "== rt2preview drive.gpx"
"$bin/rt2preview" drive.gpx
echo "== routes and drive.gpx.svg written to $out"
