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

namespace {

// The survey's sink, whose context is the run's PassState: a waypoint
// decided while the track is read is the candidate, the point before the
// one just read; the first is point 1.
void record_waypoint(core::Thinning* thinning, core::TrackPoint* waypoint) {
    PassState* state = static_cast<PassState*>(thinning->sink.context);
    int index = thinning->waypoints_written == 1 ? 1
                : state->track_ended              ? thinning->points_read
                                                  : thinning->points_read - 1;
    if (!write_waypoint_record(state->route_files[thinning - state->surveyed], index, *waypoint))
        state->route_write_failed = true;
}

void draw(core::Thinning* thinning, core::TrackPoint* waypoint) {
    draw_waypoint(*waypoint, thinning->waypoints_written);
}

// Messages the reader gave in the survey pass would come again in a later
// pass: those go nowhere while the console is quiet.
struct QuietConsole {
    std::FILE* kept;
    std::FILE* quiet;
};

QuietConsole silence_console() {
    QuietConsole console = {core::console, platform::open_null_output()};
    if (console.quiet != nullptr) core::console = console.quiet;
    return console;
}

void restore_console(const QuietConsole& console) {
    if (console.quiet == nullptr) return;
    std::fclose(console.quiet);
    core::console = console.kept;
}

// Starts every thinning the run needs, each with its route file.
void start_thinnings(const PreviewSettings& run, PassState* state) {
    const core::RunSettings& user = run.limits;
    const Survey& survey = state->survey;
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
        bool used = i == 0 ? run.fit_budget == 0 && run.within_m == 0 : ladder_needed && level < survey.level_count;
        state->has_route[i] = used;
        state->route_files[i] = used ? open_route_file(i) : nullptr;
        if (used && state->route_files[i] == nullptr) end_with_picture_error("Picture file open error!\n");
        core::start_thinning(&state->surveyed[i], limits, core::WaypointSink{record_waypoint, state});
    }
}

// Starts a meter on a route file from its first waypoint.
void start_reading(RouteMeter* meter, std::FILE* file) {
    if (!platform::seek_file(file, 0)) end_with_picture_error("Picture file write error!\n");
    start_meter(meter, file);
}

}  // namespace

void end_with_picture_error(const char* message) {
    remove_temporary_files();
    core::abort_run(message, exit_picture_error);
}

void open_track(const FormatBinding& format, const char* path) {
    if (!core::open_input_file(path)) core::abort_run("Input file open error!\n", exit_track_error);
    void (*check_input_header)() = format.program->check_input_header;
    if (check_input_header != nullptr) check_input_header();
}

void survey_track(const PreviewSettings& run, PassState* state) {
    Survey* survey = &state->survey;
    survey->level_count = run.fit_budget > 0 ? distance_levels(run.limits.max_distance_m, survey->levels) : 1;
    if (run.fit_budget == 0) survey->levels[0] = run.limits.max_distance_m;
    state->track_ended = false;
    state->route_write_failed = false;
    start_thinnings(run, state);
    ClosestSearch* closest = &state->closest;
    if (run.closest) {
        start_closest_search(closest, run.fit_budget, run.within_m, run.within_text);
        if (!plan_closest_pass(closest)) end_with_picture_error("Picture file open error!\n");
    }
    // The indices of the thinnings still running, so that the loop visits
    // only those.
    int running_list[most_thinnings];
    int running_count = 0;
    for (int i = 0; i < most_thinnings; ++i)
        if (state->has_route[i]) running_list[running_count++] = i;
    start_extent(&survey->extent);
    survey->points_read = 0;
    survey->track_length_m = 0.0;
    core::TrackPoint point, previous_point;
    core::PointReader read_next_point = state->format->program->read_next_point;
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
            core::Thinning& thinning = state->surveyed[i];
            thinning.lookahead = point;
            core::take_point_after_hop(&thinning, hop_m, hop_bearing_deg);
            // Past the budget a fitting setting is out: the last point
            // still adds one. The sweep's rows run to the end.
            bool swept = run.sweep && i <= rung_count;
            if (i > 0 && run.fit_budget > 0 && !swept && thinning.waypoints_written >= run.fit_budget) {
                state->has_route[i] = false;
                state->route_files[i] = nullptr;
                remove_route_file(i);
            } else {
                running_list[kept++] = i;
            }
        }
        running_count = kept;
        if (run.closest) take_point_in_tries(closest, point, unit_vector(point));
        previous_point = point;
    }
    core::close_input(&core::input_stream);
    if (survey->points_read < 3) core::abort_run("Too short input file!\n", exit_too_short);
    state->track_ended = true;
    for (int k = 0; k < running_count; ++k) {
        int i = running_list[k];
        core::finish_thinning(&state->surveyed[i]);
        std::FILE* file = state->route_files[i];
        if (std::fflush(file) != 0 || std::ferror(file) != 0) state->route_write_failed = true;
    }
    if (run.closest && !end_closest_pass(closest)) state->route_write_failed = true;
    if (state->route_write_failed) end_with_picture_error("Picture file write error!\n");
}

void measure_routes(const char* track_path, PassState* state) {
    int list[most_thinnings];
    int count = 0;
    for (int i = 0; i < most_thinnings; ++i)
        if (state->to_measure[i]) {
            start_reading(&state->route_meters[i], state->route_files[i]);
            list[count++] = i;
        }
    open_track(*state->format, track_path);
    QuietConsole console = silence_console();
    core::TrackPoint point;
    core::PointReader read_next_point = state->format->program->read_next_point;
    while (read_next_point(&point) == 0) {
        check_interrupt();
        UnitVector position = unit_vector(point);
        for (int k = 0; k < count; ++k) measure_point(&state->route_meters[list[k]], point, position);
    }
    restore_console(console);
    core::close_input(&core::input_stream);
    for (int k = 0; k < count; ++k)
        if (!finish_meter(state->route_meters[list[k]]))
            end_with_picture_error("Track file changed while it was read!\n");
}

void search_closest_route(const char* track_path, PassState* state) {
    ClosestSearch* closest = &state->closest;
    core::TrackPoint point;
    core::PointReader read_next_point = state->format->program->read_next_point;
    while (plan_closest_pass(closest)) {
        open_track(*state->format, track_path);
        QuietConsole console = silence_console();
        int points = 0;
        while (read_next_point(&point) == 0) {
            check_interrupt();
            ++points;
            take_point_in_tries(closest, point, unit_vector(point));
        }
        restore_console(console);
        core::close_input(&core::input_stream);
        if (points != state->survey.points_read) end_with_picture_error("Track file changed while it was read!\n");
        if (!end_closest_pass(closest)) end_with_picture_error("Picture file write error!\n");
    }
}

void draw_route(const PreviewSettings& run, int chosen, PassState* state) {
    bool thinned = chosen >= 0;
    const ClosestSearch& closest = state->closest;
    core::RunSettings limits = thinned ? state->surveyed[chosen].limits : run.limits;
    int waypoint_count = thinned ? state->surveyed[chosen].waypoints_written : closest.fitting_count;
    RouteMeter* meter = &state->drawn_meter;
    start_reading(meter, thinned ? state->route_files[chosen] : closest.files[closest.fitting_slot]);
    if (!open_picture_file()) end_with_picture_error("Picture file open error!\n");
    Framing framing = {run.has_view, run.view, run.width_px, run.height_px};
    begin_picture(core::output_stream, state->survey.extent, waypoint_count,
                  std::string("Route preview of ") + run.track_path, framing);

    open_track(*state->format, run.track_path);
    QuietConsole console = silence_console();
    core::Thinning& drawing = state->drawing;
    core::start_thinning(&drawing, limits, core::WaypointSink{draw, nullptr});
    core::PointReader read_next_point = state->format->program->read_next_point;
    while (read_next_point(&drawing.lookahead) == 0) {
        check_interrupt();
        const core::TrackPoint& p = drawing.lookahead;
        draw_track_point(p);
        UnitVector position = unit_vector(p);
        if (measure_point(meter, p, position))
            mark_deviation(p, meter->points, largest_deviation_m(*meter), meter->start.lat_deg,
                           meter->start.lon_deg, meter->end.lat_deg, meter->end.lon_deg,
                           nearest_fraction(meter->leg, position));
        if (thinned) {
            core::take_point(&drawing);
        } else if (meter->consistent && meter->start.index == meter->points) {
            // The closest route's waypoints are the file's, each drawn as
            // the meter reaches it.
            drawing.waypoints_written = meter->leg_number;
            drawing.points_read = meter->points;
            draw_waypoint(p, meter->leg_number);
        }
    }
    restore_console(console);
    core::close_input(&core::input_stream);
    if (!thinned) {
        drawing.points_read = meter->points;
        drawing.track_length_m = state->survey.track_length_m;
    }
    // The file changed since the survey.
    if ((thinned && !core::finish_thinning(&drawing)) || drawing.waypoints_written != waypoint_count ||
        !finish_meter(*meter))
        end_with_picture_error("Track file changed while it was read!\n");
}

}  // namespace preview
