// Writes a large, realistic input of one of the four formats for the
// benchmarks: a vehicle driving trips of straight runs, curves, right-angle
// turns and stops, parked between trips, seen by a 1 Hz receiver whose
// error drifts by a metre or two. The same size and seed give the same
// bytes.
//
//   generate_tracks nmea|gpx|plt|rec SIZE_MB SEED OUTPUT
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/track_point.h"

namespace {

constexpr double metres_per_deg = 111195.0;
using core::pi;

uint64_t rng_state = 1;

double uniform(double low, double high) {
    rng_state = rng_state * 6364136223846793005ULL + 1442695040888963407ULL;
    return low + (high - low) * static_cast<double>(rng_state >> 11) / 9007199254740992.0;
}

// The vehicle and the receiver, one step a second.
struct Drive {
    double lat = 55.03, lon = 82.92;
    double heading_deg = 0, speed_mps = 0, turn_rate = 0;
    int manoeuvre_left = 0;
    double drift_n = 0, drift_e = 0;
    long t = 1765180800;  // seconds since 1970

    void next_manoeuvre() {
        double pick = uniform(0, 1);
        if (pick < 0.45) {  // straight run
            turn_rate = 0;
            speed_mps = uniform(8, 25);
            manoeuvre_left = static_cast<int>(uniform(20, 240));
        } else if (pick < 0.75) {  // curve
            turn_rate = uniform(-3, 3);
            speed_mps = uniform(6, 15);
            manoeuvre_left = static_cast<int>(uniform(10, 60));
        } else if (pick < 0.92) {  // right-angle turn
            turn_rate = (uniform(0, 1) < 0.5 ? -90.0 : 90.0) / 6;
            speed_mps = 5;
            manoeuvre_left = 6;
        } else {  // stop at lights or a junction
            turn_rate = 0;
            speed_mps = 0;
            manoeuvre_left = static_cast<int>(uniform(10, 90));
        }
    }

    void step() {
        if (manoeuvre_left-- <= 0) next_manoeuvre();
        heading_deg = std::fmod(heading_deg + turn_rate + 360.0, 360.0);
        double north = speed_mps * std::cos(heading_deg * pi / 180);
        double east = speed_mps * std::sin(heading_deg * pi / 180);
        lat += north / metres_per_deg;
        lon += east / (metres_per_deg * std::cos(lat * pi / 180));
        drift_n = std::fmax(-2.0, std::fmin(2.0, drift_n + uniform(-0.2, 0.2)));
        drift_e = std::fmax(-2.0, std::fmin(2.0, drift_e + uniform(-0.2, 0.2)));
        ++t;
    }
    double fix_lat() const { return lat + drift_n / metres_per_deg; }
    double fix_lon() const { return lon + drift_e / metres_per_deg; }
};

struct Clock {
    int year, month, day, hour, minute, second;
};

Clock clock_of(long t) {
    long days = t / 86400, secs = t % 86400;
    // Civil date from days since 1970 (Howard Hinnant's algorithm).
    days += 719468;
    long era = days / 146097, doe = days - era * 146097;
    long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    long doy = doe - (365 * yoe + yoe / 4 - yoe / 100), mp = (5 * doy + 2) / 153;
    int d = static_cast<int>(doy - (153 * mp + 2) / 5 + 1);
    int m = static_cast<int>(mp < 10 ? mp + 3 : mp - 9);
    int y = static_cast<int>(yoe + era * 400 + (m <= 2));
    return {y, m, d, static_cast<int>(secs / 3600), static_cast<int>(secs / 60 % 60),
            static_cast<int>(secs % 60)};
}

void put_sentence(std::FILE* out, const char* body, bool garble) {
    unsigned checksum = 0;
    for (const char* c = body; *c; ++c) checksum ^= static_cast<unsigned char>(*c);
    if (garble) checksum ^= 0x21;
    std::fprintf(out, "$%s*%02X\r\n", body, checksum);
}

void ddmm(double value, int degree_digits, char* text, char* hemisphere, char positive, char negative) {
    *hemisphere = value >= 0 ? positive : negative;
    value = std::fabs(value);
    int degrees = static_cast<int>(value);
    std::snprintf(text, 32, "%0*d%07.4f", degree_digits, degrees, (value - degrees) * 60);
}

void write_nmea_second(std::FILE* out, const Drive& drive) {
    Clock c = clock_of(drive.t);
    char lat[32], lon[32], ns, ew, body[200];
    ddmm(drive.fix_lat(), 2, lat, &ns, 'N', 'S');
    ddmm(drive.fix_lon(), 3, lon, &ew, 'E', 'W');
    bool void_fix = uniform(0, 1) < 0.01;
    std::snprintf(body, sizeof body, "GPGGA,%02d%02d%02d.00,%s,%c,%s,%c,%d,09,0.9,%.1f,M,-12.0,M,,",
                  c.hour, c.minute, c.second, lat, ns, lon, ew, void_fix ? 0 : 1, 150 + drive.drift_n);
    put_sentence(out, body, uniform(0, 1) < 0.001);
    std::snprintf(body, sizeof body, "GPRMC,%02d%02d%02d.00,%c,%s,%c,%s,%c,%05.1f,%05.1f,%02d%02d%02d,,,A",
                  c.hour, c.minute, c.second, void_fix ? 'V' : 'A', lat, ns, lon, ew,
                  drive.speed_mps * 1.943844, drive.heading_deg, c.day, c.month, c.year % 100);
    put_sentence(out, body, uniform(0, 1) < 0.001);
    put_sentence(out, "GPGSA,A,3,04,05,09,12,17,20,23,25,,,,,1.8,0.9,1.5", false);
    put_sentence(out, "GPGSV,3,1,11,04,72,218,45,05,35,068,42,09,14,302,38,12,48,110,44", false);
    put_sentence(out, "GPGSV,3,2,11,17,22,245,36,20,61,031,47,23,09,160,31,25,17,284,35", false);
    put_sentence(out, "GPGSV,3,3,11,28,05,198,,29,40,335,41,31,12,078,33", false);
}

void write_gpx_point(std::FILE* out, const Drive& drive) {
    Clock c = clock_of(drive.t);
    std::fprintf(out,
                 "      <trkpt lat=\"%.7f\" lon=\"%.7f\"><ele>%.1f</ele>"
                 "<time>%04d-%02d-%02dT%02d:%02d:%02dZ</time></trkpt>\n",
                 drive.fix_lat(), drive.fix_lon(), 150 + drive.drift_n, c.year, c.month, c.day,
                 c.hour, c.minute, c.second);
}

void write_plt_point(std::FILE* out, const Drive& drive, bool first) {
    static const char* months[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    Clock c = clock_of(drive.t);
    std::fprintf(out, "%.6f,%.6f,%d,%.1f,%.7f,%02d-%s-%02d,%02d:%02d:%02d\r\n", drive.fix_lat(),
                 drive.fix_lon(), first ? 1 : 0, 492 + drive.drift_n * 3,
                 25569.0 + drive.t / 86400.0, c.day, months[c.month - 1], c.year % 100, c.hour,
                 c.minute, c.second);
}

void put_le32(unsigned char* at, uint32_t value) {
    for (int i = 0; i < 4; ++i) at[i] = static_cast<unsigned char>(value >> (8 * i));
}

void write_record(std::FILE* out, char type, const void* body, uint32_t length) {
    unsigned char head[5];
    put_le32(head, length);
    head[4] = static_cast<unsigned char>(type);
    std::fwrite(head, 1, 5, out);
    std::fwrite(body, 1, length, out);
}

int32_t semicircles(double degrees) {
    return static_cast<int32_t>(std::lround(degrees * 2147483648.0 / 180.0));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 5) {
        std::fprintf(stderr, "usage: generate_tracks nmea|gpx|plt|rec SIZE_MB SEED OUTPUT\n");
        return 2;
    }
    const char* format = argv[1];
    long target = static_cast<long>(std::atof(argv[2]) * 1000000);
    rng_state = std::strtoull(argv[3], nullptr, 10) * 2654435761ULL + 1;
    std::FILE* out = std::fopen(argv[4], "wb");
    if (out == nullptr) return 1;

    Drive drive;
    bool gpx = std::strcmp(format, "gpx") == 0, plt = std::strcmp(format, "plt") == 0;
    bool rec = std::strcmp(format, "rec") == 0, nmea = std::strcmp(format, "nmea") == 0;
    if (!gpx && !plt && !rec && !nmea) return 2;
    if (gpx)
        std::fprintf(out, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<gpx version=\"1.1\" "
                          "creator=\"bench\">\n  <wpt lat=\"55.0300000\" lon=\"82.9200000\">"
                          "<name>Home</name></wpt>\n  <wpt lat=\"55.0400000\" lon=\"82.9400000\">"
                          "<name>Work</name></wpt>\n");
    if (plt)
        std::fprintf(out, "OziExplorer Track Point File Version 2.1\r\nWGS 84\r\nAltitude is in Feet\r\n"
                          "Reserved 3\r\n0,2,255,Bench,0,0,2,8421376\r\n0\r\n");
    if (rec) {
        std::fwrite("MsRcd\0", 1, 6, out);
        write_record(out, 'D', "\x6d\x00", 2);
        write_record(out, 'A', "\x0a\x00" "bench\0", 8);
    }
    static unsigned char track[64 * 1024 * 1024];
    for (int trip = 0; std::ftell(out) < target; ++trip) {
        int seconds = static_cast<int>(uniform(1800, 7200));
        bool first = true;
        size_t used = 0;
        if (gpx) std::fprintf(out, "  <trk><name>Trip %d</name><trkseg>\n", trip);
        if (rec) {
            used = static_cast<size_t>(std::snprintf(reinterpret_cast<char*>(track), 64, "Trip %d", trip)) + 1;
            std::memcpy(track + used, "\x01\x00\xff\x00\x00", 5);
            used += 5 + 4;
        }
        for (int s = 0; s < seconds && std::ftell(out) + static_cast<long>(used) < target + 4096; ++s) {
            drive.step();
            if (nmea) write_nmea_second(out, drive);
            if (gpx) write_gpx_point(out, drive);
            if (plt) write_plt_point(out, drive, first);
            if (rec) {
                unsigned char* p = track + used;
                put_le32(p, static_cast<uint32_t>(semicircles(drive.fix_lat())));
                put_le32(p + 4, static_cast<uint32_t>(semicircles(drive.fix_lon())));
                std::memset(p + 8, 0, 23);
                put_le32(p + 12, static_cast<uint32_t>(drive.t));
                used += 31;
            }
            first = false;
        }
        if (gpx) std::fprintf(out, "  </trkseg></trk>\n");
        if (rec) {
            int name_length = static_cast<int>(std::strlen(reinterpret_cast<char*>(track)));
            put_le32(track + name_length + 1 + 5, static_cast<uint32_t>((used - name_length - 10) / 31));
            write_record(out, 'T', track, static_cast<uint32_t>(used));
            if (trip % 3 == 0) write_record(out, 'W', "Parking\0\0\0\0\0\0\0\0\0", 16);
        }
        // Parked between trips: a logger keeps writing the same place.
        int parked = static_cast<int>(uniform(60, 600));
        double speed = drive.speed_mps;
        drive.speed_mps = 0;
        drive.turn_rate = 0;
        for (int s = 0; s < parked && nmea; ++s) {
            drive.step();
            drive.manoeuvre_left = 1;
            write_nmea_second(out, drive);
        }
        drive.speed_mps = speed;
        drive.manoeuvre_left = 0;
    }
    if (gpx) std::fprintf(out, "</gpx>\n");
    if (rec) write_record(out, 'V', "\0\x01", 2);
    std::fclose(out);
    return 0;
}
