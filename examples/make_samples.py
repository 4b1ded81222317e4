#!/usr/bin/env python3
"""Writes the bundled sample tracks: one made-up drive, in each input format.

The drive is deterministic (a fixed-seed generator), so running this again
gives the same bytes. Usage: make_samples.py [DIRECTORY]
"""
import math
import os
import struct
import sys

START = (55.0302, 82.9204)  # degrees north, east
METRES_PER_DEG_LAT = 111195.0

# Legs of the drive: (heading in degrees, length in metres, speed m/s).
# A speed of 0 is a stop of that many seconds.
LEGS = [(10, 400, 10), (10, 0, 12), (95, 300, 8), (140, 250, 8), (180, 200, 6),
        (270, 350, 9), (300, 150, 5), (0, 0, 8), (355, 260, 10)]


class Random:
    """A small linear congruential generator, the same on every machine."""

    def __init__(self, seed):
        self.state = seed

    def uniform(self, low, high):
        self.state = (self.state * 6364136223846793005 + 1442695040888963407) % 2**64
        return low + (high - low) * (self.state >> 11) / 2**53


def drive():
    """One fix a second: (seconds, lat, lon) with receiver error that drifts
    slowly within about a metre, as a real receiver's does."""
    rnd = Random(20261208)
    lat, lon = START
    drift_north = drift_east = 0.0
    t = 0
    fixes = [(t, lat, lon)]
    for heading, length, speed in LEGS:
        steps = speed if length == 0 else int(length / speed)
        for _ in range(steps):
            t += 1
            if length:
                north = speed * math.cos(math.radians(heading))
                east = speed * math.sin(math.radians(heading))
                lat += north / METRES_PER_DEG_LAT
                lon += east / (METRES_PER_DEG_LAT * math.cos(math.radians(lat)))
            drift_north = max(-1.0, min(1.0, drift_north + rnd.uniform(-0.1, 0.1)))
            drift_east = max(-1.0, min(1.0, drift_east + rnd.uniform(-0.1, 0.1)))
            fixes.append((t, lat + drift_north / METRES_PER_DEG_LAT,
                          lon + drift_east / METRES_PER_DEG_LAT))
    return fixes


def nmea_sentence(body):
    checksum = 0
    for c in body.encode():
        checksum ^= c
    return "$%s*%02X\r\n" % (body, checksum)


def ddmm(value, degree_digits, positive, negative):
    hemisphere = positive if value >= 0 else negative
    value = abs(value)
    degrees = int(value)
    minutes = (value - degrees) * 60
    return "%0*d%07.4f" % (degree_digits, degrees, minutes), hemisphere


def clock(t):
    return "%02d%02d%02d" % (8 + t // 3600, t // 60 % 60, t % 60)


def write_nmea(path, fixes):
    with open(path, "wb") as out:
        for i, (t, lat, lon) in enumerate(fixes):
            la, ns = ddmm(lat, 2, "N", "S")
            lo, ew = ddmm(lon, 3, "E", "W")
            status = "V" if i in (5, 6) else "A"
            out.write(nmea_sentence("GPGGA,%s.00,%s,%s,%s,%s,1,08,0.9,152.0,M,-12.0,M,,"
                                    % (clock(t), la, ns, lo, ew)).encode())
            rmc = nmea_sentence("GPRMC,%s.00,%s,%s,%s,%s,%s,015.5,045.0,081226,,,A"
                                % (clock(t), status, la, ns, lo, ew))
            if i == 40:  # a sentence garbled on the serial line
                rmc = rmc.replace("GPRMC,", "GPRMC,1", 1)
            out.write(rmc.encode())
            if i % 10 == 0:
                out.write(nmea_sentence("GPGSA,A,3,04,05,09,12,,,,,,,,,2.5,1.3,2.1").encode())


def write_plt(path, fixes):
    with open(path, "wb") as out:
        out.write(b"OziExplorer Track Point File Version 2.1\r\nWGS 84\r\n"
                  b"Altitude is in Feet\r\nReserved 3\r\n"
                  b"0,2,255,Sample drive,0,0,2,8421376\r\n%d\r\n" % len(fixes))
        for t, lat, lon in fixes:
            days = 46364.333 + t / 86400.0
            out.write(b"  %.6f,  %.6f,%d, 498.7,%.7f,08-Dec-26, %s\r\n"
                      % (lat, lon, 1 if t == 0 else 0, days, clock(t).encode()))


def write_gpx(path, fixes):
    third = len(fixes) // 3
    parts = [fixes[:third], fixes[third:2 * third], fixes[2 * third:]]
    with open(path, "wb") as out:
        out.write(b'<?xml version="1.0" encoding="UTF-8"?>\n'
                  b'<gpx version="1.1" creator="sample maker" '
                  b'xmlns="http://www.topografix.com/GPX/1/1">\n'
                  b'  <wpt lat="55.0400" lon="82.9300"><name>Depot</name></wpt>\n'
                  b'  <rte><rtept lat="55.0500" lon="82.9400"/></rte>\n')
        for track, segments in (("Morning", parts[:2]), ("Return", parts[2:])):
            out.write(b"  <trk>\n    <name>%s</name>\n" % track.encode())
            for segment in segments:
                out.write(b"    <trkseg>\n")
                for t, lat, lon in segment:
                    out.write(b'      <trkpt lat="%.7f" lon="%.7f"><ele>152.0</ele>'
                              b'<time>2026-12-08T%s:%s:%sZ</time></trkpt>\n'
                              % (lat, lon, clock(t)[:2].encode(), clock(t)[2:4].encode(),
                                 clock(t)[4:].encode()))
                out.write(b"    </trkseg>\n")
            out.write(b"  </trk>\n")
        out.write(b"</gpx>\n")


def record(kind, body):
    return struct.pack("<i", len(body)) + kind + body


def semicircles(degrees):
    return int(round(degrees * 2**31 / 180.0))


def track_record(name, fixes):
    body = name.encode() + b"\0" + b"\x01\x00\xff\x00\x00" + struct.pack("<i", len(fixes))
    for t, lat, lon in fixes:
        body += struct.pack("<ii", semicircles(lat), semicircles(lon))
        body += struct.pack("<fIQBxxxxxx", 152.0, 1165564800 + t, 0, 1)
    return record(b"T", body)


def write_records(path, fixes):
    half = len(fixes) // 2
    with open(path, "wb") as out:
        out.write(b"MsRcd\0")
        out.write(record(b"D", b"\x6d\x00"))
        out.write(record(b"A", b"\x0a\x00sample maker\0"))
        out.write(track_record("Morning", fixes[:half]))
        out.write(record(b"W", b"\x00" * 40))
        out.write(record(b"T", b""))
        out.write(track_record("Return", fixes[half:]))
        out.write(record(b"V", b"\0\x01"))


def main():
    directory = sys.argv[1] if len(sys.argv) > 1 else os.path.dirname(os.path.abspath(__file__))
    fixes = drive()
    write_nmea(os.path.join(directory, "drive.nmea"), fixes)
    write_plt(os.path.join(directory, "drive.plt"), fixes)
    write_gpx(os.path.join(directory, "drive.gpx"), fixes)
    write_records(os.path.join(directory, "drive.rec"), fixes)


if __name__ == "__main__":
    main()
