// The survey, measuring and drawing passes over the track, and the sinks
// their thinnings hand waypoints to.
#include "preview/track_passes.h"

#include <cstdio>
#include <string>

#include "core/console.h"
#include "core/distance.h"
#include "core/entry.h"
#include "core/platform.h"
#include "preview/exit_codes.h"
#include "preview/leg_distance.h"
#include "preview/temporary_files.h"

namespace preview {

const FormatBinding* track_binding = nullptr;
core::Thinning thinnings[most_thinnings];
bool running[most_thinnings];
bool measured[most_thinnings];
RouteMeter meters[most_thinnings];
RouteMeter drawn_meter;

namespace {

// The indices of the running thinnings, so that the survey loop visits
// only those.
int running_list[most_thinnings];

core::TrackPoint point;
core::TrackPoint previous_point;

// Set once the survey has read the last point: the waypoint handed then
// is that point itself, not the one before it.
bool track_ended = false;
bool route_write_failed = false;

// The survey's sink: a waypoint decided while the track is read is the
// candidate, the point before the one just read; the first is point 1.
void record_waypoint(core::Thinning* thinning, core::TrackPoint* waypoint) {
    int index = thinning->waypoints_written == 1 ? 1
                : track_ended                     ? thinning->points_read
                                                  : thinning->points_read - 1;
    if (!write_waypoint_record(static_cast<std::FILE*>(thinning->sink.context), index, *waypoint))
        route_write_failed = true;
}

void draw(core::Thinning* thinning, core::TrackPoint* waypoint) {
    draw_waypoint(*waypoint, thinning->waypoints_written);
}

// Messages the reader gave in the survey pass would come again in a later
// pass: those go nowhere.
std::FILE* console_kept = nullptr;
std::FILE* quiet_console = nullptr;

void silence_console() {
    console_kept = core::console;
    quiet_console = platform::open_null_output();
    if (quiet_console != nullptr) core::console = quiet_console;
}

void restore_console() {
    if (quiet_console == nullptr) return;
    std::fclose(quiet_console);
    quiet_console = nullptr;
    core::console = console_kept;
}

// Starts every thinning the run needs, each with its route file.
void start_thinnings(const PreviewSettings& run, const Survey& survey) {
    const core::RunSettings& user = run.limits;
    bool ladder_needed = run.sweep || run.fit_budget > 0 || run.within_m > 0;
    for (int i = 0; i < most_thinnings; ++i) {
        core::RunSettings limits = user;
        int level = 0;
        if (i > 0) {
            level = (i - 1) / rung_count;
            int rung = (i - 1) % rung_count;
            limits.max_distance_m = level < survey.level_count ? survey.levels[level] : user.max_distance_m;
            limits.max_angle_deg = ladder[rung].max_angle_deg;
            limits.max_orth_error_m = ladder[rung].max_orth_error_m;
        }
        running[i] = i == 0 ? run.fit_budget == 0 && run.within_m == 0 : ladder_needed && level < survey.level_count;
        std::FILE* file = running[i] ? open_route_file(i) : nullptr;
        if (running[i] && file == nullptr) end_with_picture_error("Picture file open error!\n");
        core::start_thinning(&thinnings[i], limits, core::WaypointSink{record_waypoint, file});
    }
}

// Starts a meter on a route file from its first waypoint.
void start_reading(RouteMeter* meter, int route) {
    std::FILE* file = static_cast<std::FILE*>(thinnings[route].sink.context);
    if (!platform::seek_file(file, 0)) end_with_picture_error("Picture file write error!\n");
    start_meter(meter, file);
}

}  // namespace

void end_with_picture_error(const char* message) {
    remove_temporary_files();
    core::abort_run(message, exit_picture_error);
}

void open_track(const char* path) {
    if (!core::open_input_file(path)) core::abort_run("Input file open error!\n", exit_track_error);
    void (*check_input_header)() = track_binding->program->check_input_header;
    if (check_input_header != nullptr) check_input_header();
}

void survey_track(const PreviewSettings& run, Survey* survey) {
    survey->level_count = run.fit_budget > 0 ? distance_levels(run.limits.max_distance_m, survey->levels) : 1;
    if (run.fit_budget == 0) survey->levels[0] = run.limits.max_distance_m;
    start_thinnings(run, *survey);
    int running_count = 0;
    for (int i = 0; i < most_thinnings; ++i)
        if (running[i]) running_list[running_count++] = i;
    start_extent(&survey->extent);
    survey->points_read = 0;
    survey->track_length_m = 0.0;
    core::PointReader read_next_point = track_binding->program->read_next_point;
    while (read_next_point(&point) == 0) {
        check_interrupt();
        ++survey->points_read;
        extend(&survey->extent, point);
        double hop_m = 0.0, hop_bearing_deg = 0.0;
        if (survey->points_read >= 2) {
            core::distance_and_bearing(previous_point, point, &hop_m, &hop_bearing_deg);
            survey->track_length_m += hop_m;
        }
        int kept = 0;
        for (int k = 0; k < running_count; ++k) {
            int i = running_list[k];
            thinnings[i].lookahead = point;
            core::take_point_after_hop(&thinnings[i], hop_m, hop_bearing_deg);
            // Past the budget a fitting setting is out: the last point
            // still adds one. The sweep's rows run to the end.
            bool swept = run.sweep && i <= rung_count;
            if (i > 0 && run.fit_budget > 0 && !swept && thinnings[i].waypoints_written >= run.fit_budget) {
                running[i] = false;
                remove_route_file(i);
            } else {
                running_list[kept++] = i;
            }
        }
        running_count = kept;
        previous_point = point;
    }
    core::close_input(&core::input_stream);
    if (survey->points_read < 3) core::abort_run("Too short input file!\n", exit_too_short);
    track_ended = true;
    for (int k = 0; k < running_count; ++k) {
        core::Thinning& t = thinnings[running_list[k]];
        core::finish_thinning(&t);
        std::FILE* file = static_cast<std::FILE*>(t.sink.context);
        if (std::fflush(file) != 0 || std::ferror(file) != 0) route_write_failed = true;
    }
    if (route_write_failed) end_with_picture_error("Picture file write error!\n");
}

void measure_routes(const char* track_path) {
    int list[most_thinnings];
    int count = 0;
    for (int i = 0; i < most_thinnings; ++i)
        if (measured[i]) {
            start_reading(&meters[i], i);
            list[count++] = i;
        }
    open_track(track_path);
    silence_console();
    core::PointReader read_next_point = track_binding->program->read_next_point;
    while (read_next_point(&point) == 0) {
        check_interrupt();
        UnitVector position = unit_vector(point);
        for (int k = 0; k < count; ++k) measure_point(&meters[list[k]], point, position);
    }
    restore_console();
    core::close_input(&core::input_stream);
    for (int k = 0; k < count; ++k)
        if (!finish_meter(meters[list[k]])) end_with_picture_error("Track file changed while it was read!\n");
}

void draw_route(const PreviewSettings& run, const Survey& survey, int chosen) {
    const core::Thinning& surveyed = thinnings[chosen];
    core::RunSettings limits = surveyed.limits;
    int waypoint_count = surveyed.waypoints_written;
    start_reading(&drawn_meter, chosen);
    if (!open_picture_file()) end_with_picture_error("Picture file open error!\n");
    Framing framing = {run.has_view, run.view, run.width_px, run.height_px};
    begin_picture(core::output_stream, survey.extent, waypoint_count,
                  std::string("Route preview of ") + run.track_path, framing);

    open_track(run.track_path);
    silence_console();
    core::Thinning& drawing = thinnings[0];
    core::start_thinning(&drawing, limits, core::WaypointSink{draw, nullptr});
    core::PointReader read_next_point = track_binding->program->read_next_point;
    while (read_next_point(&drawing.lookahead) == 0) {
        check_interrupt();
        const core::TrackPoint& p = drawing.lookahead;
        draw_track_point(p);
        UnitVector position = unit_vector(p);
        if (measure_point(&drawn_meter, p, position))
            mark_deviation(p, drawn_meter.points, largest_deviation_m(drawn_meter), drawn_meter.start.lat_deg,
                           drawn_meter.start.lon_deg, drawn_meter.end.lat_deg, drawn_meter.end.lon_deg,
                           nearest_fraction(drawn_meter.leg, position));
        core::take_point(&drawing);
    }
    restore_console();
    core::close_input(&core::input_stream);
    // The file changed since the survey.
    if (!core::finish_thinning(&drawing) || drawing.waypoints_written != waypoint_count ||
        !finish_meter(drawn_meter))
        end_with_picture_error("Track file changed while it was read!\n");
}

}  // namespace preview
