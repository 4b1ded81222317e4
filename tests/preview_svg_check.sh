#!/usr/bin/env bash
# The preview's pictures of the sample drive, in every format and under
# several settings, and of a file whose name holds markup characters and
# bytes that are not UTF-8: each must be well-formed XML and render to a
# non-empty PNG.
#   Usage: preview_svg_check.sh [--utf8-names] EXAMPLES_DIR RT2PREVIEW...
# RT2PREVIEW is the words that start the program (node and the script in
# the wasm build). --utf8-names gives the odd file name a UTF-8 letter
# instead of the stray byte, for a system such as Node.js that passes
# arguments on as UTF-8 and so cannot name such a file.
set -eu
odd_byte='\xff'
if [ "$1" = --utf8-names ]; then
    odd_byte='\xc3\xa9'
    shift
fi
examples=$1
shift
preview=("$@")
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$examples"/drive.gpx "$examples"/drive.nmea "$examples"/drive.plt "$examples"/drive.rec "$work"
cd "$work"
odd_name=$(printf "a&b <c> $odd_byte.gpx")
cp drive.gpx "$odd_name"
pictures=0
for track in drive.gpx drive.nmea drive.plt drive.rec "$odd_name"; do
    for settings in "" "/m0 /a0 /e0" "--fit 12" "--sweep /x200" "--within 50" \
        "--view 55.035,82.925,55.045,82.935 --size 800x600" "--view -34,151,-33.9,151.1"; do
        # shellcheck disable=SC2086
        "${preview[@]}" --output p.svg "$track" $settings >/dev/null
        xmllint --noout p.svg
        rsvg-convert p.svg -o p.png
        size=$(wc -c <p.png)
        [ "$size" -gt 2000 ] || { echo "$track $settings: PNG of $size bytes"; exit 1; }
        [ "$(head -c 4 p.png | tail -c 3)" = PNG ] || { echo "$track $settings: not a PNG"; exit 1; }
        pictures=$((pictures + 1))
    done
done
echo "preview pictures: $pictures well-formed and rendered"
