#!/usr/bin/env bash
# Builds the programs and converts every bundled sample track into forward
# and backward routes under build/examples/.
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
echo "== routes written to $out"
