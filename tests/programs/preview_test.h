// What the preview's end-to-end tests share: tracks written in every
// format, the converters that read them, and the routes and pictures
// they give.
#ifndef TESTS_PREVIEW_TEST_H
#define TESTS_PREVIEW_TEST_H

#include <cmath>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/programs/program_test.h"
#include "tests/support/record_builder.h"

namespace preview_test {

struct Fix {
    double lat, lon;
};

// A winding road: about 10 m between fixes, the heading swinging on two
// periods, so that every threshold has turns and offsets to act on.
inline std::vector<Fix> winding_road(int count, double step_deg = 9e-5) {
    std::vector<Fix> fixes;
    double lat = 55.03, lon = 82.92;
    for (int i = 0; i < count; ++i) {
        fixes.push_back({lat, lon});
        double heading = 0.9 * std::sin(i / 25.0) + 0.5 * std::sin(i / 7.0) + i / 150.0;
        lat += step_deg * std::cos(heading);
        lon += step_deg * std::sin(heading) / 0.5733;
    }
    return fixes;
}

inline std::string gpx_of(const std::vector<Fix>& fixes) {
    std::string text = "<?xml version=\"1.0\"?>\n<gpx version=\"1.1\"><trk><trkseg>\n";
    char line[96];
    for (const Fix& f : fixes) {
        std::snprintf(line, sizeof line, "<trkpt lat=\"%.7f\" lon=\"%.7f\"/>\n", f.lat, f.lon);
        text += line;
    }
    return text + "</trkseg></trk></gpx>\n";
}

inline std::string plt_of(const std::vector<Fix>& fixes) {
    std::string text = "OziExplorer Track Point File Version 2.1\r\nWGS 84\r\nAltitude is in Feet\r\n"
                       "Reserved 3\r\n0,2,255,road,0,0,2,8421376\r\n0\r\n";
    char line[96];
    for (const Fix& f : fixes) {
        std::snprintf(line, sizeof line, "%.7f,%.7f,0,-777,0,,\r\n", f.lat, f.lon);
        text += line;
    }
    return text;
}

// Minutes with four decimals, as the sentences below give them.
inline std::string minutes_text(double degrees) {
    double magnitude = std::fabs(degrees);
    int whole = static_cast<int>(magnitude);
    char text[16];
    std::snprintf(text, sizeof text, "%07.4f", (magnitude - whole) * 60);
    return text;
}

inline std::string nmea_of(const std::vector<Fix>& fixes) {
    std::string text;
    char body[128], line[160];
    int second = 0;
    for (const Fix& f : fixes) {
        int lat_whole = static_cast<int>(std::fabs(f.lat)), lon_whole = static_cast<int>(std::fabs(f.lon));
        std::snprintf(body, sizeof body, "GPRMC,%02d%02d%02d,A,%02d%s,%c,%03d%s,%c,0.0,0.0,081226,,",
                      second / 3600 % 24, second / 60 % 60, second % 60, lat_whole, minutes_text(f.lat).c_str(),
                      f.lat < 0 ? 'S' : 'N', lon_whole, minutes_text(f.lon).c_str(), f.lon < 0 ? 'W' : 'E');
        unsigned checksum = 0;
        for (const char* c = body; *c != 0; ++c) checksum ^= static_cast<unsigned char>(*c);
        std::snprintf(line, sizeof line, "$%s*%02X\r\n", body, checksum);
        text += line;
        ++second;
    }
    return text;
}

inline std::string records_of(const std::vector<Fix>& fixes) {
    std::vector<test_support::Semicircles> points;
    for (const Fix& f : fixes)
        points.push_back({std::llround(f.lat * 2147483648.0 / 180.0), std::llround(f.lon * 2147483648.0 / 180.0)});
    return test_support::signature() + test_support::record('W', "not a track") +
           test_support::record('T', test_support::track_body("road", points));
}

struct Format {
    const char* converter;
    const char* path;
    const char* file;
    std::string (*write)(const std::vector<Fix>&);
};

inline const Format formats[] = {
    {"Tolvek", TOLVEK_PATH, "road.nmea", nmea_of},
    {"Brisham", BRISHAM_PATH, "road.rec", records_of},
    {"Quendal", QUENDAL_PATH, "road.plt", plt_of},
    {"Marovin", MAROVIN_PATH, "road.gpx", gpx_of},
};

// The forward route's records as the picture's titles give them.
inline std::vector<std::string> route_titles(const std::string& route) {
    std::vector<std::string> titles;
    size_t at = 0;
    for (int line = 0; (at = route.find("\r\n", at)) != std::string::npos; ++line) {
        size_t start = at + 2;
        at = start;
        if (line < 2 || start >= route.size()) continue;
        std::string record = route.substr(start, route.find("\r\n", start) - start);
        // W,RW000012, 55.030553,  82.920508,0
        std::string name = record.substr(2, 8);
        std::string lat = record.substr(11, 10), lon = record.substr(22, 11);
        lat.erase(0, lat.find_first_not_of(' '));
        lon.erase(0, lon.find_first_not_of(' '));
        titles.push_back(name + ' ' + lat + ' ' + lon);
    }
    return titles;
}

inline std::vector<std::string> svg_titles(const std::string& svg) {
    std::vector<std::string> titles;
    for (size_t at = 0; (at = svg.find("<title>RW", at)) != std::string::npos;) {
        size_t end = svg.find("</title>", at);
        titles.push_back(svg.substr(at + 7, end - at - 7));
        at = end;
    }
    return titles;
}

inline std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    size_t start = 0;
    for (size_t at; (at = text.find(separator, start)) != std::string::npos; start = at + 1)
        parts.push_back(text.substr(start, at - start));
    if (start < text.size()) parts.push_back(text.substr(start));
    return parts;
}

class Rt2preview : public ProgramRun {
protected:
    test_support::RunResult preview(const std::vector<std::string>& args) { return run(RT2PREVIEW_PATH, args); }

    // Runs a printed converter command line ("Marovin road.gpx forward.rt2
    // backward.rt2 /m5 ...") and returns the route's titles.
    std::vector<std::string> convert(const Format& format, const std::string& command_line) {
        std::vector<std::string> words = split(command_line, ' ');
        EXPECT_EQ(format.converter, words.at(0));
        test_support::RunResult result = run(format.path, std::vector<std::string>(words.begin() + 1, words.end()));
        EXPECT_EQ(0, result.exit_code) << command_line;
        // A failed run may have left an earlier run's route behind.
        if (result.exit_code != 0) return {};
        return route_titles(read("forward.rt2"));
    }

    // Names in the test's directory that end in ".tmp": the preview
    // leaves none behind, however it ends.
    std::vector<std::string> temporaries() {
        std::vector<std::string> names;
        for (const auto& entry : std::filesystem::directory_iterator(dir.path())) {
            std::string name = entry.path().filename().string();
            if (name.size() >= 4 && name.compare(name.size() - 4, 4, ".tmp") == 0) names.push_back(name);
        }
        return names;
    }

    static std::string last_line(const std::string& out) {
        std::vector<std::string> lines = split(out, '\n');
        return lines.empty() ? "" : lines.back();
    }
};

}  // namespace preview_test

#endif
