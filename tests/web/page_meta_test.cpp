// The page's shared table (web/meta.js) against the programs: each
// threshold's letter selects the setting whose default it states, each
// format is read by the converter it names, and the head judged and the
// sizes of a picture are the preview's. The table keeps one entry to a line, which is what is read.
#include <gtest/gtest.h>

#include <cctype>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "core/command_line.h"
#include "core/route_writer.h"
#include "preview/projection.h"
#include "programs/run_figures.h"
#include "preview/track_format.h"

namespace {

// The lines of web/meta.js that hold key.
std::vector<std::string> meta_lines_with(const std::string& key) {
    std::ifstream file(PAGE_META_PATH, std::ios::binary);
    EXPECT_TRUE(file.good()) << PAGE_META_PATH;
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);)
        if (line.find(key) != std::string::npos) lines.push_back(line);
    return lines;
}

// The value of "name: 'text'" or "name: 12.5" in a line, where name
// starts a word; empty when absent. (Plain scanning: std::regex draws
// false maybe-uninitialized warnings from g++ 12 in the sanitizer build.)
std::string field(const std::string& line, const std::string& name) {
    auto word_char = [](char c) { return std::isalnum(static_cast<unsigned char>(c)) || c == '_'; };
    for (size_t at = line.find(name + ": "); at != std::string::npos; at = line.find(name + ": ", at + 1)) {
        if (at > 0 && word_char(line[at - 1])) continue;
        size_t value = at + name.size() + 2;
        if (value < line.size() && line[value] == '\'') {
            size_t end = line.find('\'', value + 1);
            return end == std::string::npos ? "" : line.substr(value + 1, end - value - 1);
        }
        size_t end = line.find_first_not_of("-+0123456789.e", value);
        return line.substr(value, (end == std::string::npos ? line.size() : end) - value);
    }
    return "";
}

TEST(PageMeta, EachThresholdDefaultIsTheConverters) {
    std::vector<std::string> lines = meta_lines_with("letter: '");
    ASSERT_EQ(4u, lines.size());
    std::string letters;
    for (const std::string& line : lines) {
        std::string letter = field(line, "letter");
        ASSERT_EQ(1u, letter.size()) << line;
        core::RunSettings run = core::default_settings;
        const double* setting = core::threshold_setting(letter[0], &run);
        ASSERT_NE(nullptr, setting) << line;
        EXPECT_EQ(*setting, std::stod(field(line, "value"))) << line;
        letters += letter;
    }
    // In the order the converters' command lines give them.
    EXPECT_EQ("mxae", letters);
}

TEST(PageMeta, EachFormatIsReadByTheConverterItNames) {
    std::vector<std::string> lines = meta_lines_with("program: '");
    ASSERT_EQ(4u, lines.size());
    std::set<std::string> names;
    for (const std::string& line : lines) {
        std::string name = field(line, "name");
        preview::TrackFormat format = preview::format_named(name.c_str());
        ASSERT_NE(preview::TrackFormat::unknown, format) << line;
        EXPECT_EQ(std::string(preview::binding_of(format).converter), field(line, "program")) << line;
        names.insert(name);
    }
    EXPECT_EQ((std::set<std::string>{"gpx", "nmea", "plt", "records"}), names);
}

// The figure of a one-line entry "name: value," of the table.
std::string meta_figure(const std::string& name) {
    std::vector<std::string> lines = meta_lines_with(name + ": ");
    EXPECT_EQ(1u, lines.size()) << name;
    return lines.empty() ? "" : field(lines[0], name);
}

TEST(PageMeta, JudgedHeadAndPictureLayoutAreThePreviews) {
    EXPECT_EQ(std::to_string(preview::format_head_size), meta_figure("judgedHeadBytes"));
    EXPECT_EQ(std::to_string(preview::smallest_picture_width), meta_figure("smallestPictureWidth"));
    EXPECT_EQ(std::to_string(preview::smallest_picture_height), meta_figure("smallestPictureHeight"));
    EXPECT_EQ(std::to_string(preview::largest_picture_side), meta_figure("largestPictureSide"));
    EXPECT_EQ(preview::margin, std::stod(meta_figure("pictureMargin")));
    EXPECT_EQ(preview::scale_bar_gap, std::stod(meta_figure("scaleBarGap")));
    EXPECT_EQ(preview::caption_line, std::stod(meta_figure("captionLine")));
    EXPECT_EQ(std::to_string(preview::view_caption_lines), meta_figure("viewCaptionLines"));
}

// The keys of the page's table of figures (meta.figures), one to a line.
std::set<std::string> meta_figure_keys() {
    std::ifstream file(PAGE_META_PATH, std::ios::binary);
    std::set<std::string> keys;
    bool inside = false;
    for (std::string line; std::getline(file, line);) {
        if (line.find("figures: Object.freeze({") != std::string::npos) inside = true;
        else if (inside && line.find("}),") != std::string::npos) break;
        else if (inside) keys.insert(line.substr(line.find_first_not_of(' '), line.find(':') - line.find_first_not_of(' ')));
    }
    return keys;
}

TEST(PageMeta, FigureKeysAreTheModules) {
    std::set<std::string> module_keys(std::begin(programs::figure_keys), std::end(programs::figure_keys));
    EXPECT_EQ(static_cast<size_t>(programs::Figure::figure_count), module_keys.size());
    // The page knows the thresholds' figures by the thresholds' keys.
    std::set<std::string> page_keys = meta_figure_keys();
    for (const std::string& line : meta_lines_with("letter: '")) page_keys.insert(field(line, "key"));
    EXPECT_EQ(module_keys, page_keys);
}

TEST(PageMeta, WaypointNameIsTheRoutes) {
    EXPECT_EQ(core::waypoint_name_prefix, meta_figure("waypointNamePrefix"));
    EXPECT_EQ(std::to_string(core::waypoint_name_digits), meta_figure("waypointNameDigits"));
}

}  // namespace
