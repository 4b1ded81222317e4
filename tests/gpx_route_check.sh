#!/usr/bin/env bash
# The GPX routes of the sample drive's routes (each converter's forward and
# backward route, under two settings, and the closest route) and of a route
# with the coordinates at the ends of their ranges and names that need
# escaping, read back by GPSBabel and gpxpy (tests/gpx_route_readback.py).
#   Usage: gpx_route_check.sh EXAMPLES_DIR PROGRAMS_DIR
set -eu
examples=$(cd "$1" && pwd)
programs=$(cd "$2" && pwd)
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$examples"/drive.gpx "$examples"/drive.nmea "$examples"/drive.plt "$examples"/drive.rec "$work"
cd "$work"
routes=()
n=0
for pair in Tolvek:drive.nmea Brisham:drive.rec Quendal:drive.plt Marovin:drive.gpx; do
    program=${pair%%:*}
    track=${pair#*:}
    for settings in "" "/m0 /a1 /e1"; do
        # shellcheck disable=SC2086
        n=$((n + 1))
        "$programs/$program" "$track" "$n.rt2" "$n-back.rt2" $settings >/dev/null
        routes+=("$n.rt2" "$n-back.rt2")
    done
done
"$programs/rt2preview" --closest --fit 50 drive.gpx --write closest.rt2 closest-back.rt2 >/dev/null
routes+=(closest.rt2 closest-back.rt2)
printf 'H1,OziExplorer CE Route2 File Version 1.0\r\nH2,WGS 84\r\nH3,Ends & <odd> names,,0\r\n%b' \
    'W,A&B, 90.000000, 180.000000,0\r\nW,<C>,-90.000000,-180.000000,0\r\nW,"D'"'"'E", -0.000001,  -0.000001,0\r\n' \
    > ends.rt2
routes+=(ends.rt2)
python=python3
[ -x /usr/bin/python3 ] && python=/usr/bin/python3
"$python" "$here/gpx_route_readback.py" "$programs/rt2gpx" gpx "${routes[@]}"
