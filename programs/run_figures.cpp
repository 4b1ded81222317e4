#include "programs/run_figures.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/command_line.h"
#include "core/entry.h"
#include "core/number_writer.h"
#include "core/platform.h"
#include "core/thinning.h"
#include "preview/preview_outcome.h"

namespace programs {

const char* const figure_keys[static_cast<int>(Figure::figure_count)] = {
    "exit", "points_read", "waypoint_count", "track_length_m",
    "min_distance_m", "max_distance_m", "max_angle_deg", "max_orth_error_m",
    "largest_deviation_m", "deviation_point", "deviation_leg", "deviation_lat_deg", "deviation_lon_deg",
    "picture_width", "picture_height", "map_left", "map_top", "map_width", "map_height",
    "origin_x", "origin_y", "origin_lon_deg", "origin_lat_deg", "x_per_deg", "y_per_deg",
    "closest_within_m",
};

namespace {

// Which program's figures the run ends with.
enum class FiguredRun { converter, preview };

FiguredRun figured_run = FiguredRun::converter;
const char* figures_path = nullptr;
std::FILE* figures_file = nullptr;

void put_text(Figure figure, const char* text, int size) {
    std::fprintf(figures_file, "%s=%.*s\n", figure_keys[static_cast<int>(figure)], size, text);
}

void put_integer(Figure figure, long long value) {
    char text[core::integer_text_size];
    put_text(figure, text, core::format_integer(text, value, 0, false));
}

// A length to the decimetre ("1234.5"), as the programs print lengths.
void put_tenths(Figure figure, double value) {
    char text[core::fixed_text_size];
    put_text(figure, text, core::format_fixed(text, value, 1, 0));
}

void put_shortest(Figure figure, double value) {
    char text[core::shortest_text_size];
    put_text(figure, text, core::format_shortest(text, value));
}

void put_preview_figures() {
    const preview::PreviewOutcome& o = preview::outcome;
    put_integer(Figure::points_read, o.points_read);
    put_integer(Figure::waypoint_count, o.waypoint_count);
    put_tenths(Figure::track_length_m, o.track_length_m);
    put_shortest(Figure::min_distance_m, o.limits.min_distance_m);
    put_shortest(Figure::max_distance_m, o.limits.max_distance_m);
    put_shortest(Figure::max_angle_deg, o.limits.max_angle_deg);
    put_shortest(Figure::max_orth_error_m, o.limits.max_orth_error_m);
    put_tenths(Figure::largest_deviation_m, o.largest_deviation_m);
    put_integer(Figure::deviation_point, o.worst_point);
    put_integer(Figure::deviation_leg, o.worst_leg);
    put_shortest(Figure::deviation_lat_deg, o.worst_lat_deg);
    put_shortest(Figure::deviation_lon_deg, o.worst_lon_deg);
    const preview::Projection& p = o.projection;
    put_shortest(Figure::picture_width, p.width);
    put_shortest(Figure::picture_height, p.height);
    put_shortest(Figure::map_left, preview::margin);
    put_shortest(Figure::map_top, preview::margin);
    put_shortest(Figure::map_width, p.map_width);
    put_shortest(Figure::map_height, p.map_height);
    put_shortest(Figure::origin_x, p.left);
    put_shortest(Figure::origin_y, p.top);
    put_shortest(Figure::origin_lon_deg, p.lon_min_deg);
    put_shortest(Figure::origin_lat_deg, p.lat_max_deg);
    put_shortest(Figure::x_per_deg, p.x_scale);
    put_shortest(Figure::y_per_deg, p.y_scale);
    if (o.closest_within[0] != 0)
        put_text(Figure::closest_within_m, o.closest_within, static_cast<int>(std::strlen(o.closest_within)));
}

[[noreturn]] void end_with_figures(int exit_code) {
    figures_file = platform::open_file(figures_path, "wb");
    if (figures_file != nullptr) {
        put_integer(Figure::exit_code, exit_code);
        if (figured_run == FiguredRun::converter && exit_code == core::exit_success) {
            put_integer(Figure::points_read, core::track_thinning.points_read);
            put_integer(Figure::waypoint_count, core::track_thinning.waypoint_count);
            put_tenths(Figure::track_length_m, core::track_thinning.track_length_m);
        }
        if (figured_run == FiguredRun::preview && preview::outcome.drawn) put_preview_figures();
        std::fclose(figures_file);
    }
    std::exit(exit_code);
}

}  // namespace

void write_figures_at_end(const char* program, const char* path) {
    figured_run = std::strcmp(program, "rt2preview") == 0 ? FiguredRun::preview : FiguredRun::converter;
    figures_path = path;
    core::process_end = end_with_figures;
}

}  // namespace programs
