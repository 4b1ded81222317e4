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

// The track point number of the waypoint a thinning hands over: the
// candidate, the point before the one just read; the first is point 1,
// and once the track has ended the last is the last point read.
int waypoint_index(const core::Thinning& thinning, const PassState& state) {
    if (thinning.waypoint_count == 1) return 1;
    return state.track_ended ? thinning.points_read : thinning.points_read - 1;
}

// The sink of a route written to its file, whose context is the run's
// PassState.
void record_waypoint(core::Thinning* thinning, core::TrackPoint* waypoint) {
    PassState* state = static_cast<PassState*>(thinning->sink.context);
    int index = waypoint_index(*thinning, *state);
    if (!write_waypoint_record(state->route_files[thinning - state->surveyed], index, *waypoint))
        state->route_write_failed = true;
}

void draw(core::Thinning* thinning, core::TrackPoint* waypoint) {
    draw_waypoint(*waypoint, thinning->waypoint_count);
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

// The survey's sink for the fit's settings: the leg that ends at the
// waypoint is measured over the track points kept, as the route meter
// would measure it.
void measure_leg(core::Thinning* thinning, core::TrackPoint*) {
    PassState* state = static_cast<PassState*>(thinning->sink.context);
    int index = waypoint_index(*thinning, *state);
    LegsMeasured* legs = &state->legs_measured[thinning - state->surveyed];
    const UnitVector& position = state->recent_positions[(index - 1) % recent_points];
    if (index > 1) {
        Leg leg;
        start_leg(&leg, legs->last_position, position);
        int first = legs->last_index + 1;
        int oldest_kept = state->survey.points_read - recent_points + 1;
        if (first < oldest_kept) {
            legs->exact = false;
            first = oldest_kept;
        }
        for (int k = first; k < index; ++k) {
            LegPart nearest;
            const UnitVector& point = state->recent_positions[(k - 1) % recent_points];
            double key = deviation_key(leg, point, &nearest);
            if (key > legs->worst_key) {
                legs->worst_key = key;
                legs->worst_rad = deviation_rad(leg, point);
            }
        }
    }
    legs->last_index = index;
    legs->last_position = position;
}

// Starts every thinning the run needs: the user's setting or the rungs
// with their route files, the grid's without.
void start_thinnings(const PreviewSettings& run, PassState* state) {
    bool plain = run.fit_budget == 0 && run.within_m == 0 && !run.closest;
    bool grid = (run.fit_budget > 0 || run.within_m > 0) && !run.closest;
    double levels[most_distance_levels];
    int level_count = distance_levels(run.limits.max_distance_m, levels);
    for (int i = 0; i < most_thinnings; ++i) {
        core::RunSettings limits = run.limits;
        bool used = i == 0 ? plain : i < first_grid_thinning ? run.sweep : grid;
        bool filed = used && i < first_grid_thinning;
        // The rung of a sweep row or of a level's ladder.
        int rung = i < first_level_thinning ? i - 1 : (i - first_level_thinning) % rung_count;
        if (i >= first_grid_thinning && i < first_level_thinning) {
            limits = grid_setting(i - first_grid_thinning, run.limits);
        } else if (i > 0) {
            limits.max_angle_deg = ladder[rung].max_angle_deg;
            limits.max_orth_error_m = ladder[rung].max_orth_error_m;
        }
        if (i >= first_level_thinning) {
            int level = (i - first_level_thinning) / rung_count;
            used = used && level < level_count;
            if (level < level_count) limits.max_distance_m = levels[level];
        }
        state->has_route[i] = used;
        state->route_files[i] = filed ? open_route_file(i) : nullptr;
        if (filed && state->route_files[i] == nullptr) end_with_picture_error(picture_open_error);
        core::WaypointSink sink = {filed ? record_waypoint : measure_leg, state};
        core::start_thinning(&state->surveyed[i], limits, sink);
        state->legs_measured[i] = LegsMeasured{0, {0.0, 0.0, 0.0}, 0.0, 0.0, true};
        state->deviation_m[i] = -1.0;
        state->beyond_distance[i] = false;
    }
}

// The hop from the point before, measured once for every thinning.
struct Hop {
    double distance_m, bearing_deg;
};

Hop measure_hop(const core::TrackPoint& previous, const core::TrackPoint& point, int points_read) {
    Hop hop = {0.0, 0.0};
    if (points_read >= 2) core::distance_and_bearing(previous, point, &hop.distance_m, &hop.bearing_deg);
    return hop;
}

// Ends the thinnings listed, with their route files flushed.
void finish_thinnings(PassState* state, const int* list, int count) {
    state->track_ended = true;
    for (int k = 0; k < count; ++k) {
        int i = list[k];
        core::finish_thinning(&state->surveyed[i]);
        std::FILE* file = state->route_files[i];
        if (file != nullptr && (std::fflush(file) != 0 || std::ferror(file) != 0)) state->route_write_failed = true;
    }
    if (state->route_write_failed) end_with_picture_error(picture_write_error);
}

// Starts a meter on a route file from its first waypoint.
void start_reading(RouteMeter* meter, std::FILE* file) {
    if (!platform::seek_file(file, 0)) end_with_picture_error(picture_write_error);
    start_meter(meter, file);
}

}  // namespace

void end_with_picture_error(const core::RunFailure& failure) {
    remove_temporary_files();
    core::abort_run(failure);
}

void open_track(const FormatBinding& format, const char* path) {
    if (!core::open_input_file(path)) core::abort_run(core::input_open_error);
    void (*check_input_header)() = format.program->check_input_header;
    if (check_input_header != nullptr) check_input_header();
}

void survey_track(const PreviewSettings& run, PassState* state) {
    Survey* survey = &state->survey;
    state->track_ended = false;
    state->route_write_failed = false;
    start_thinnings(run, state);
    ClosestSearch* closest = &state->closest;
    if (run.closest) {
        start_closest_search(closest, run.fit_budget, run.within_m, run.within_text);
        if (!plan_closest_pass(closest)) end_with_picture_error(picture_open_error);
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
    bool fitting = (run.fit_budget > 0 || run.within_m > 0) && !run.closest;
    core::TrackPoint point, previous_point;
    core::PointReader read_next_point = state->format->program->read_next_point;
    while (read_next_point(&point) == 0) {
        check_interrupt();
        ++survey->points_read;
        extend(&survey->extent, point);
        Hop hop = measure_hop(previous_point, point, survey->points_read);
        survey->track_length_m += hop.distance_m;
        if (fitting) state->recent_positions[(survey->points_read - 1) % recent_points] = unit_vector(point);
        int kept = 0;
        for (int k = 0; k < running_count; ++k) {
            int i = running_list[k];
            core::Thinning& thinning = state->surveyed[i];
            thinning.lookahead = point;
            core::take_point_after_hop(&thinning, hop.distance_m, hop.bearing_deg);
            // Past the budget a fit's setting is out: the last point still
            // adds one. Past the distance it is out too.
            bool out = i >= first_grid_thinning &&
                       ((run.fit_budget > 0 && thinning.waypoint_count >= run.fit_budget) ||
                        (run.within_m > 0 && state->legs_measured[i].worst_rad * core::earth_radius_m > run.within_m));
            if (out) {
                state->has_route[i] = false;
                state->beyond_distance[i] = run.fit_budget == 0 || thinning.waypoint_count < run.fit_budget;
            } else
                running_list[kept++] = i;
        }
        running_count = kept;
        if (run.closest) take_point_in_tries(closest, point, unit_vector(point));
        previous_point = point;
    }
    core::close_input(&core::input_stream);
    if (survey->points_read < 3) core::abort_run(core::too_short_input);
    finish_thinnings(state, running_list, running_count);
    for (int i = 0; i < most_thinnings; ++i) {
        state->counts[i] = state->surveyed[i].waypoint_count;
        const LegsMeasured& legs = state->legs_measured[i];
        if (i >= first_grid_thinning && state->has_route[i] && legs.exact)
            state->deviation_m[i] = legs.worst_rad * core::earth_radius_m;
    }
    if (run.closest && !end_closest_pass(closest)) end_with_picture_error(picture_write_error);
}

void thin_and_measure(const char* track_path, PassState* state, const int* thin, int thin_count,
                      const int* measure, int measure_count) {
    for (int k = 0; k < thin_count; ++k) {
        int i = thin[k];
        state->route_files[i] = open_route_file(i);
        if (state->route_files[i] == nullptr) end_with_picture_error(picture_open_error);
        core::start_thinning(&state->surveyed[i], state->surveyed[i].limits, core::WaypointSink{record_waypoint, state});
    }
    for (int k = 0; k < measure_count; ++k) start_reading(&state->route_meters[measure[k]], state->route_files[measure[k]]);
    state->track_ended = false;
    open_track(*state->format, track_path);
    QuietConsole console = silence_console();
    core::TrackPoint point, previous_point;
    int points_read = 0;
    core::PointReader read_next_point = state->format->program->read_next_point;
    while (read_next_point(&point) == 0) {
        check_interrupt();
        ++points_read;
        Hop hop = measure_hop(previous_point, point, points_read);
        for (int k = 0; k < thin_count; ++k) {
            core::Thinning& thinning = state->surveyed[thin[k]];
            thinning.lookahead = point;
            core::take_point_after_hop(&thinning, hop.distance_m, hop.bearing_deg);
        }
        if (measure_count > 0) {
            UnitVector position = unit_vector(point);
            for (int k = 0; k < measure_count; ++k) measure_point(&state->route_meters[measure[k]], point, position);
        }
        previous_point = point;
    }
    restore_console(console);
    core::close_input(&core::input_stream);
    bool changed = points_read != state->survey.points_read;
    if (!changed) finish_thinnings(state, thin, thin_count);
    for (int k = 0; k < thin_count; ++k)
        changed = changed || state->surveyed[thin[k]].waypoint_count != state->counts[thin[k]];
    for (int k = 0; k < measure_count; ++k) changed = changed || !finish_meter(state->route_meters[measure[k]]);
    if (changed) end_with_picture_error(track_changed_error);
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
        if (points != state->survey.points_read) end_with_picture_error(track_changed_error);
        if (!end_closest_pass(closest)) end_with_picture_error(picture_write_error);
    }
}

void draw_route(const PreviewSettings& run, int chosen, PassState* state) {
    bool thinned = chosen >= 0;
    const ClosestSearch& closest = state->closest;
    core::RunSettings limits = thinned ? state->surveyed[chosen].limits : run.limits;
    int waypoint_count = thinned ? state->surveyed[chosen].waypoint_count : closest.fitting_count;
    RouteMeter* meter = &state->drawn_meter;
    start_reading(meter, thinned ? state->route_files[chosen] : closest.files[closest.fitting_slot]);
    if (!open_picture_file()) end_with_picture_error(picture_open_error);
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
            drawing.waypoint_count = meter->leg_number;
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
    if ((thinned && !core::finish_thinning(&drawing)) || drawing.waypoint_count != waypoint_count ||
        !finish_meter(*meter))
        end_with_picture_error(track_changed_error);
}

}  // namespace preview
