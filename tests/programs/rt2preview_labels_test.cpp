// The picture's labels end to end: no two labels' boxes overlap and none
// overlaps a marker, with the boxes computed from the font size and the
// length of each text as the picture states them; every waypoint drawn
// keeps its marker and title; the caption counts the numbers left out.
#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#include "tests/programs/preview_test.h"

namespace {

using namespace preview_test;

struct Box {
    double left, top, right, bottom;
    std::string what;
};

bool overlap(const Box& a, const Box& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

// A tag's attribute, or "" when it has none.
std::string attribute(const std::string& tag, const std::string& name) {
    size_t at = tag.find(" " + name + "=\"");
    if (at == std::string::npos) return "";
    size_t start = at + name.size() + 3;
    return tag.substr(start, tag.find('"', start) - start);
}

double number(const std::string& tag, const std::string& name) {
    return std::strtod(attribute(tag, name).c_str(), nullptr);
}

struct Drawn {
    std::vector<Box> labels;   // on the map: numbers, Start, End, the deviation
    std::vector<Box> markers;  // circles, the start's triangle and the end's square, with their strokes
    int numbers = 0;
};

// The picture's labels and markers, reading the font size, weight and
// stroke each inherits from its groups.
Drawn labels_and_markers(const std::string& svg) {
    Drawn drawn;
    std::vector<std::map<std::string, std::string>> inherited = {{}};
    for (size_t at = 0; (at = svg.find('<', at)) != std::string::npos;) {
        size_t end = svg.find('>', at);
        std::string tag = svg.substr(at, end - at + 1);
        at = end;
        std::map<std::string, std::string> here = inherited.back();
        for (const char* name : {"font-size", "font-weight", "fill", "stroke-width"})
            if (!attribute(tag, name).empty()) here[name] = attribute(tag, name);
        if (tag.rfind("<g", 0) == 0 || tag.rfind("<svg", 0) == 0) inherited.push_back(here);
        if (tag.rfind("</g", 0) == 0) inherited.pop_back();
        double half_stroke = std::strtod(here["stroke-width"].c_str(), nullptr) / 2;
        if (tag.rfind("<circle", 0) == 0) {
            double r = number(tag, "r") + half_stroke;
            drawn.markers.push_back({number(tag, "cx") - r, number(tag, "cy") - r, number(tag, "cx") + r,
                                     number(tag, "cy") + r, "circle"});
        } else if (tag.rfind("<rect", 0) == 0 && !attribute(tag, "x").empty()) {
            drawn.markers.push_back({number(tag, "x") - half_stroke, number(tag, "y") - half_stroke,
                                     number(tag, "x") + number(tag, "width") + half_stroke,
                                     number(tag, "y") + number(tag, "height") + half_stroke, "end"});
        } else if (tag.rfind("<path fill=\"#1d8a3a\"", 0) == 0) {
            // The start's triangle: its points' extent.
            Box box = {1e9, 1e9, -1e9, -1e9, "start"};
            const char* c = tag.c_str() + tag.find(" d=\"") + 4;
            while (*c == 'M' || *c == 'L') {
                char* next;
                double x = std::strtod(c + 1, &next), y = std::strtod(next, &next);
                box = {std::fmin(box.left, x - half_stroke), std::fmin(box.top, y - half_stroke),
                       std::fmax(box.right, x + half_stroke), std::fmax(box.bottom, y + half_stroke), "start"};
                c = next;
            }
            drawn.markers.push_back(box);
        } else if (tag.rfind("<text", 0) == 0) {
            std::string text = svg.substr(at + 1, svg.find('<', at) - at - 1);
            // The scale bar, the north arrow and the caption lie below the map.
            if (here["fill"] == "#333333" || here["fill"] == "#222222") continue;
            double size = std::strtod(here["font-size"].c_str(), nullptr);
            double width = text.size() * size * (here["font-weight"] == "bold" ? 0.72 : 0.64);
            EXPECT_EQ("", attribute(tag, "text-anchor"));
            double x = number(tag, "x"), y = number(tag, "y");
            drawn.labels.push_back({x, y - size, x + width, y, text});
            if (here["fill"] == "#7a2c0c") ++drawn.numbers;
        }
    }
    return drawn;
}

// Labels are placed to a tenth of a pixel, as the picture writes them.
void expect_apart(const Drawn& drawn, const std::string& what) {
    auto shrunk = [](Box b) {
        b.left += 0.06;
        b.top += 0.06;
        b.right -= 0.06;
        b.bottom -= 0.06;
        return b;
    };
    for (size_t i = 0; i < drawn.labels.size(); ++i) {
        Box a = shrunk(drawn.labels[i]);
        for (size_t j = i + 1; j < drawn.labels.size(); ++j)
            ASSERT_FALSE(overlap(a, drawn.labels[j])) << what << ": " << a.what << " and " << drawn.labels[j].what;
        for (const Box& m : drawn.markers)
            ASSERT_FALSE(overlap(a, m)) << what << ": " << a.what << " on a " << m.what << " at " << m.left << ','
                                        << m.top;
    }
}

// "Numbers on 202 of 1,340 waypoints: zoom in for the other 1,138": the
// counts, or -1s when the caption has no such line.
std::vector<long> numbers_line(const std::string& svg) {
    size_t at = svg.find(">Numbers on ");
    if (at == std::string::npos) return {-1, -1, -1};
    std::string line = svg.substr(at + 1, svg.find('<', at) - at - 1);
    std::vector<long> counts;
    for (const std::string& word : split(line, ' ')) {
        std::string plain;
        for (char c : word)
            if (c >= '0' && c <= '9') plain += c;
        if (!plain.empty()) counts.push_back(std::strtol(plain.c_str(), nullptr, 10));
    }
    return counts;
}

TEST_F(Rt2preview, LabelsOverlapNoOtherLabelAndNoMarker) {
    // A tight road: at /m0 most fixes are waypoints, most numbers left
    // out. Views about two of its fixes.
    std::vector<Fix> fixes = winding_road(3000, 3e-5);
    write("road.gpx", gpx_of(fixes));
    auto around = [&](int i, double half_deg) {
        char text[128];
        std::snprintf(text, sizeof text, "%.7f,%.7f,%.7f,%.7f", fixes[i].lat - half_deg + 1.234e-7,
                      fixes[i].lon - 2 * half_deg + 1.234e-7, fixes[i].lat + half_deg + 1.234e-7,
                      fixes[i].lon + 2 * half_deg + 1.234e-7);
        return std::string(text);
    };
    struct Run {
        std::vector<std::string> args;
    };
    const Run runs[] = {
        {{"road.gpx"}},
        {{"road.gpx", "/m0", "/a0", "/e0"}},
        {{"road.gpx", "/m0", "/a0", "/e0", "--size", "1600x1200"}},
        {{"road.gpx", "/m0", "/a0", "/e0", "--view", around(1500, 0.0008)}},
        {{"road.gpx", "/m0", "/a0", "/e0", "--view", around(2400, 0.0002)}},
        {{"road.gpx", "/m2", "--view", around(10, 0.001), "--size", "300x400"}},
    };
    for (const Run& run : runs) {
        std::string line;
        for (const std::string& arg : run.args) line += arg + ' ';
        test_support::RunResult result = preview(run.args);
        ASSERT_EQ(0, result.exit_code) << line << result.stdout_bytes;
        std::string svg = read("road.gpx.svg");
        Drawn drawn = labels_and_markers(svg);
        expect_apart(drawn, line);
        std::vector<std::string> titles = svg_titles(svg);
        ASSERT_GT(titles.size(), 3u) << line;
        // Every waypoint drawn keeps its marker, with its title; the
        // numbers left out are counted.
        EXPECT_EQ(titles.size() + (svg.find("largest deviation") != std::string::npos ? 1 : 0),
                  static_cast<size_t>(std::count_if(drawn.markers.begin(), drawn.markers.end(),
                                                    [](const Box& b) { return b.what == "circle"; })));
        std::vector<long> counts = numbers_line(svg);
        if (counts[0] >= 0) {
            EXPECT_EQ(drawn.numbers, counts[0]) << line;
            EXPECT_EQ(counts[1] - counts[0], counts[2]) << line;
            EXPECT_GE(static_cast<long>(titles.size()), counts[1]) << line;
        } else {
            EXPECT_GE(drawn.numbers + 2, static_cast<int>(titles.size())) << line;
        }
    }
}

// The numbers left out of the crowded whole picture, and the track
// drawn again, thin, over the route.
TEST_F(Rt2preview, CrowdedPictureLeavesNumbersOutAndShowsTheTrackOverTheRoute) {
    write("road.gpx", gpx_of(winding_road(3000, 3e-5)));
    ASSERT_EQ(0, preview({"road.gpx", "/m0", "/a0", "/e0"}).exit_code);
    std::string svg = read("road.gpx.svg");
    std::vector<long> counts = numbers_line(svg);
    ASSERT_EQ(3u, counts.size());
    EXPECT_EQ(static_cast<long>(svg_titles(svg).size()) - 2, counts[1]);  // all but the start and the end
    EXPECT_GT(counts[2], 500);
    EXPECT_GT(counts[0], 50);
    EXPECT_NE(std::string::npos, svg.find(" waypoints: zoom in for the other "));
    size_t route = svg.find("<g fill=\"none\" stroke=\"#e0601f\"");
    size_t track = svg.find("<g id=\"track-");
    ASSERT_NE(std::string::npos, track);
    std::string id = svg.substr(track + 7, 14);
    size_t track_again = svg.find("<use href=\"#" + id + "\"");
    ASSERT_NE(std::string::npos, route);
    EXPECT_GT(track_again, route);
    EXPECT_LT(track_again, svg.find("<circle"));
}

}  // namespace
