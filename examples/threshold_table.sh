#!/usr/bin/env bash
# Prints, as a Markdown table, how many waypoints each program makes of its
# bundled sample under a range of thresholds (run examples/run.sh first to
# build the programs). The README's table is this script's output.
set -eu
top=$(cd "$(dirname "$0")/.." && pwd)
bin=$top/build/default/programs
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cp "$top"/examples/drive.* "$work"/
cd "$work"
count() {  # program input options...: the waypoints of the forward route
    local program=$1 input=$2
    shift 2
    "$bin/$program" "$input" f.rt2 b.rt2 "$@" >/dev/null
    echo $(( $(wc -l < f.rt2) - 3 ))
}
echo "| options | Tolvek drive.nmea | Brisham drive.rec | Quendal drive.plt | Marovin drive.gpx |"
echo "|---|---|---|---|---|"
for options in "" "/m0" "/m50" "/x200" "/x100000" "/a2" "/a20" "/e5" "/e500" "/m20 /x5000 /a30 /e500"; do
    # shellcheck disable=SC2086
    echo "| ${options:-(defaults)} | $(count Tolvek drive.nmea $options) | $(count Brisham drive.rec $options)" \
         "| $(count Quendal drive.plt $options) | $(count Marovin drive.gpx $options) |"
done
