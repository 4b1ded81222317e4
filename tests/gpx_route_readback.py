#!/usr/bin/env python3
"""Turns route files into GPX routes with rt2gpx and reads each back with
two GPX readers that devices' tools use: GPSBabel (gpsbabel -r -i gpx) and
gpxpy. Both must give the route's waypoints in order, with the names and
the coordinates of the .rt2 records (GPSBabel's six decimals compared as
text, gpxpy's numbers as the values of the route's digits).

    gpx_route_readback.py [--emulator CMD] RT2GPX WORK_DIR ROUTE.rt2...

Prints one line per reader with the routes and waypoints read back and how
many differ; exits with 1 when any differs or cannot be read."""
import csv
import io
import os
import shlex
import subprocess
import sys

import gpxpy


def rt2_waypoints(path):
    """The (name, latitude text, longitude text) of each record."""
    with open(path, 'rb') as f:
        lines = f.read().decode('latin-1').splitlines()
    points = []
    for line in lines[3:]:
        if line.strip():
            fields = line.split(',')
            points.append((fields[1], fields[2].strip(), fields[3].strip()))
    return points


def gpsbabel_points(gpx):
    out = subprocess.run(['gpsbabel', '-r', '-i', 'gpx', '-f', gpx, '-o', 'unicsv', '-F', '-'],
                         check=True, capture_output=True, text=True).stdout
    rows = list(csv.DictReader(io.StringIO(out)))
    return [(row['Name'], row['Latitude'], row['Longitude']) for row in rows]


def gpxpy_points(gpx):
    with open(gpx, encoding='utf-8') as f:
        parsed = gpxpy.parse(f)
    if len(parsed.routes) != 1:
        return None
    return [(p.name or '', p.latitude, p.longitude) for p in parsed.routes[0].points]


def main():
    args = sys.argv[1:]
    emulator = []
    if args[:1] == ['--emulator']:
        emulator = shlex.split(args[1])
        args = args[2:]
    rt2gpx, work, routes = args[0], args[1], args[2:]
    os.makedirs(work, exist_ok=True)
    waypoints = 0
    differ = {'GPSBabel': 0, 'gpxpy': 0}
    for n, route in enumerate(routes):
        gpx = os.path.join(work, 'route%d.gpx' % n)
        run = subprocess.run(emulator + [rt2gpx, route, gpx], capture_output=True)
        if run.returncode != 0:
            print('%s: rt2gpx ended with %d: %s' % (route, run.returncode, run.stdout.decode(errors='replace')))
            return 1
        expected = rt2_waypoints(route)
        waypoints += len(expected)
        babel = gpsbabel_points(gpx)
        if babel != expected:
            differ['GPSBabel'] += 1
            print('%s: GPSBabel reads %s' % (route, babel[:3]))
        values = [(name, float(lat), float(lon)) for name, lat, lon in expected]
        if gpxpy_points(gpx) != values:
            differ['gpxpy'] += 1
            print('%s: gpxpy reads something else' % route)
    for reader, count in differ.items():
        print('%s read back %d routes, %d waypoints: %d differ' % (reader, len(routes), waypoints, count))
    return 1 if any(differ.values()) else 0


if __name__ == '__main__':
    sys.exit(main())
