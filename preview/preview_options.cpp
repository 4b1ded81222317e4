#include "preview/preview_options.h"

#include <cstring>

#include "core/number_reader.h"
#include "core/number_writer.h"

namespace preview {

namespace {

// A whole number from 2 to largest_budget in plain digits, or 0.
int read_budget(const char* text) {
    int value = 0;
    if (*text == 0) return 0;
    for (; *text != 0; ++text) {
        if (*text < '0' || *text > '9') return 0;
        value = value * 10 + (*text - '0');
        if (value > largest_budget) return 0;
    }
    return value >= 2 ? value : 0;
}

// A positive finite number of metres in plain decimal notation, digits
// with an optional fraction and exponent; 0 for anything else.
double read_distance(const char* text) {
    const char* c = text;
    bool digits = false;
    for (; core::is_digit(*c); ++c) digits = true;
    if (*c == '.')
        for (++c; core::is_digit(*c); ++c) digits = true;
    if (!digits) return 0.0;
    if (*c == 'e' || *c == 'E') {
        ++c;
        if (*c == '+' || *c == '-') ++c;
        if (!core::is_digit(*c)) return 0.0;
        while (core::is_digit(*c)) ++c;
    }
    if (*c != 0) return 0.0;
    double value = core::read_number(text);
    return value > 0.0 && value <= 1.7976931348623157e308 ? value : 0.0;
}

// A finite number in plain decimal notation with an optional sign, up to
// the end or the separator; false for anything else.
bool read_coordinate(const char** text, char separator, double* value) {
    const char* start = *text;
    const char* c = start;
    if (*c == '-' || *c == '+') ++c;
    bool digits = false;
    for (; core::is_digit(*c); ++c) digits = true;
    if (*c == '.')
        for (++c; core::is_digit(*c); ++c) digits = true;
    if (!digits || *c != separator) return false;
    char number[64];
    if (c - start >= static_cast<long>(sizeof number)) return false;
    std::memcpy(number, start, c - start);
    number[c - start] = 0;
    *value = core::read_number(number);
    *text = *c == 0 ? c : c + 1;
    return true;
}

// "SOUTH,WEST,NORTH,EAST" in degrees.
bool read_window(const char* text, Window* window) {
    double* parts[] = {&window->south_deg, &window->west_deg, &window->north_deg, &window->east_deg};
    for (int k = 0; k < 4; ++k)
        if (!read_coordinate(&text, k < 3 ? ',' : 0, parts[k])) return false;
    auto within = [](double v, double limit) { return v >= -limit && v <= limit; };
    return within(window->south_deg, 90) && within(window->north_deg, 90) && window->south_deg < window->north_deg &&
           within(window->west_deg, 720) && within(window->east_deg, 720);
}

// A whole number of pixels from smallest to largest_picture_side, up to
// the end or the separator; 0 for anything else.
int read_pixels(const char** text, char separator, int smallest) {
    int value = 0;
    const char* c = *text;
    for (; core::is_digit(*c); ++c) {
        value = value * 10 + (*c - '0');
        if (value > largest_picture_side) return 0;
    }
    if (c == *text || *c != separator || value < smallest) return 0;
    *text = *c == 0 ? c : c + 1;
    return value;
}

}  // namespace

int read_preview_command_line(int argc, char** argv, FileTest is_file, PreviewSettings* out) {
    PreviewSettings run = {};
    run.within_text = "";
    run.format = TrackFormat::unknown;
    run.limits = core::default_settings;
    bool thresholds_given = false;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strncmp(arg, "--", 2) == 0) {
            const char* name = arg + 2;
            if (std::strcmp(name, "sweep") == 0 || std::strcmp(name, "closest") == 0) {
                (name[0] == 's' ? run.sweep : run.closest) = true;
                continue;
            }
            // The other options take the next argument as their value.
            if (i + 1 >= argc) return 1;
            const char* value = argv[++i];
            if (std::strcmp(name, "write") == 0) {
                if (i + 1 >= argc || *value == 0 || *argv[i + 1] == 0) return 1;
                run.forward_path = value;
                run.backward_path = argv[++i];
            } else if (std::strcmp(name, "output") == 0) {
                if (*value == 0) return 1;
                run.output_path = value;
            } else if (std::strcmp(name, "fit") == 0) {
                run.fit_budget = read_budget(value);
                if (run.fit_budget == 0) return 1;
            } else if (std::strcmp(name, "within") == 0) {
                run.within_m = read_distance(value);
                run.within_text = value;
                if (run.within_m == 0.0) return 1;
            } else if (std::strcmp(name, "view") == 0) {
                run.has_view = true;
                if (!read_window(value, &run.view)) return 1;
            } else if (std::strcmp(name, "size") == 0) {
                run.width_px = read_pixels(&value, 'x', smallest_picture_width);
                run.height_px = run.width_px == 0 ? 0 : read_pixels(&value, 0, smallest_picture_height);
                if (run.height_px == 0) return 1;
            } else if (std::strcmp(name, "format") == 0) {
                run.format = format_named(value);
                if (run.format == TrackFormat::unknown) return 1;
            } else {
                return 1;
            }
            continue;
        }
        bool option = arg[0] == '-' || (arg[0] == '/' && !(run.track_path == nullptr && is_file(arg)));
        if (option) {
            double* target = core::threshold_setting(arg[1], &run.limits);
            if (target == nullptr) return 1;
            *target = core::read_number(arg + 2);
            thresholds_given = true;
            continue;
        }
        if (run.track_path != nullptr || *arg == 0) return 1;
        run.track_path = arg;
    }
    if (run.track_path == nullptr) return 1;
    // The picture would replace the track it is drawn from.
    if (run.output_path != nullptr && std::strcmp(run.output_path, run.track_path) == 0) return 1;
    // The closest route takes no thresholds and has no ladder to sweep.
    if (run.closest && (run.sweep || thresholds_given || (run.fit_budget == 0 && run.within_m == 0))) return 1;
    // The backward route is made from the forward one on disk, and
    // neither may replace the track or the picture.
    if (run.forward_path != nullptr) {
        const char* written[] = {run.forward_path, run.backward_path};
        for (const char* path : written)
            if (std::strcmp(path, run.track_path) == 0 ||
                (run.output_path != nullptr && std::strcmp(path, run.output_path) == 0))
                return 1;
        if (std::strcmp(run.forward_path, run.backward_path) == 0) return 1;
    }
    *out = run;
    return 0;
}

std::string threshold_options(const core::RunSettings& limits) {
    const char letters[] = "mxae";
    const double values[] = {limits.min_distance_m, limits.max_distance_m, limits.max_angle_deg,
                             limits.max_orth_error_m};
    std::string text;
    char number[core::shortest_text_size];
    for (int k = 0; k < 4; ++k) {
        if (k > 0) text += ' ';
        text += '/';
        text += letters[k];
        text.append(number, core::format_shortest(number, values[k]));
    }
    return text;
}

std::string converter_path(const char* path, const char* directory) {
    std::string text;
    if (path[0] == '/') {
        // From the current directory, one ".." per level reaches the root.
        for (const char* c = directory; *c != 0; ++c) {
            bool separator = *c == '/' || *c == '\\';
            bool starts_part = !separator && (c == directory || c[-1] == '/' || c[-1] == '\\');
            // A drive ("C:") is not a level.
            if (starts_part && !(c[1] == ':' && (c[2] == 0 || c[2] == '/' || c[2] == '\\')))
                text += "../";
        }
        if (text.empty()) text = "./";
        text += path + 1;
    } else {
        text = path;
    }
    const char plain[] = "+,-./:=@_~\\";
    bool quote = text.empty();
    for (unsigned char c : text)
        if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
              c >= 0x80 || std::strchr(plain, c) != nullptr))
            quote = true;
    return quote ? '"' + text + '"' : text;
}

std::string converter_command(const char* converter, const std::string& track_path,
                              const core::RunSettings& limits) {
    return std::string(converter) + ' ' + track_path + ' ' + limits.forward_path + ' ' +
           limits.backward_path + ' ' + threshold_options(limits);
}

}  // namespace preview
