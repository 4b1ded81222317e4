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

namespace {

// Which program's figures the run ends with.
enum class FiguredRun { converter, preview };

FiguredRun figured_run = FiguredRun::converter;
const char* figures_path = nullptr;
std::FILE* figures_file = nullptr;

void put_integer(const char* key, long long value) {
    char text[24];
    int size = core::format_integer(text, value, 0, false);
    std::fprintf(figures_file, "%s=%.*s\n", key, size, text);
}

void put_decimetres(const char* key, double value) {
    char text[core::fixed_text_size];
    int size = core::format_fixed(text, value, 1, 0);
    std::fprintf(figures_file, "%s=%.*s\n", key, size, text);
}

void put_shortest(const char* key, double value) {
    char text[core::shortest_text_size];
    int size = core::format_shortest(text, value);
    std::fprintf(figures_file, "%s=%.*s\n", key, size, text);
}

void put_preview_figures() {
    const preview::PreviewOutcome& o = preview::outcome;
    put_integer("points_read", o.points_read);
    put_integer("waypoint_count", o.waypoint_count);
    put_decimetres("track_length_m", o.track_length_m);
    put_shortest("min_distance_m", o.limits.min_distance_m);
    put_shortest("max_distance_m", o.limits.max_distance_m);
    put_shortest("max_angle_deg", o.limits.max_angle_deg);
    put_shortest("max_orth_error_m", o.limits.max_orth_error_m);
    put_decimetres("largest_deviation_m", o.largest_deviation_m);
    put_integer("deviation_point", o.worst_point);
    put_integer("deviation_leg", o.worst_leg);
    put_shortest("deviation_lat_deg", o.worst_lat_deg);
    put_shortest("deviation_lon_deg", o.worst_lon_deg);
    const preview::Projection& p = o.picture;
    put_shortest("picture_width", p.width);
    put_shortest("picture_height", p.height);
    put_shortest("map_left", preview::margin);
    put_shortest("map_top", preview::margin);
    put_shortest("map_width", p.map_width);
    put_shortest("map_height", p.map_height);
    put_shortest("origin_x", p.left);
    put_shortest("origin_y", p.top);
    put_shortest("origin_lon_deg", p.lon_min_deg);
    put_shortest("origin_lat_deg", p.lat_max_deg);
    put_shortest("x_per_deg", p.x_scale);
    put_shortest("y_per_deg", p.y_scale);
    if (o.closest_within[0] != 0) std::fprintf(figures_file, "closest_within_m=%s\n", o.closest_within);
}

[[noreturn]] void end_with_figures(int exit_code) {
    figures_file = platform::open_file(figures_path, "wb");
    if (figures_file != nullptr) {
        put_integer("exit", exit_code);
        if (figured_run == FiguredRun::converter && exit_code == core::exit_success) {
            put_integer("points_read", core::track_thinning.points_read);
            put_integer("waypoint_count", core::track_thinning.waypoints_written);
            put_decimetres("track_length_m", core::track_thinning.track_length_m);
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
