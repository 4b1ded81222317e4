#include "preview/preview_run.h"

#include <cstdlib>
#include <string>

#include "core/console.h"
#include "core/distance.h"
#include "core/entry.h"
#include "core/number_writer.h"
#include "core/platform.h"
#include "core/thinning.h"
#include "preview/leg_distance.h"
#include "preview/preview_options.h"
#include "preview/labels.h"
#include "preview/preview_outcome.h"
#include "preview/route_meter.h"
#include "preview/svg_picture.h"
#include "preview/temporary_files.h"
#include "preview/track_format.h"

namespace preview {

namespace {

const core::ProgramInfo preview_program = {
    "Track to route preview V1.12 \n",
    "rt2preview [--output FILE.svg] [--fit N] [--within D] [--sweep] [--format nmea|records|plt|gpx] "
    "[--view SOUTH,WEST,NORTH,EAST] [--size WIDTHxHEIGHT] "
    "TRACKFILE [/mMINMETERS /xMAXMETERS /aMAXDEGREES /eMAXORTERROR] \n\n",
    nullptr,
    nullptr,
};

// The survey's thinnings, each writing its waypoints to its route file.
core::Thinning thinnings[most_thinnings];
bool running[most_thinnings];
// The indices of the running thinnings, so that the survey loop visits
// only those.
int running_list[most_thinnings];
// The routes measured in the measuring pass, for the sweep's column and
// the choice of --within.
RouteMeter meters[most_thinnings];
bool measured[most_thinnings];
RouteMeter drawn_meter;

core::TrackPoint point;
core::TrackPoint previous_point;

// Set once the survey has read the last point: the waypoint handed then
// is that point itself, not the one before it.
bool track_ended = false;
bool route_write_failed = false;

int ladder_index(int level, int rung) { return 1 + level * rung_count + rung; }

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

bool names_file(const char* path) {
    std::FILE* file = platform::open_file(path, "rb");
    if (file == nullptr) return false;
    bool directory = platform::is_directory(file);
    std::fclose(file);
    return !directory;
}

void print_line(const std::string& text) {
    core::print_text(text.c_str());
    core::print_text("\n");
}

std::string fixed_text(double value, int decimals) {
    char text[core::fixed_text_size];
    return std::string(text, core::format_fixed(text, value, decimals, 0));
}

std::string shortest_text(double value) {
    char text[core::shortest_text_size];
    return std::string(text, core::format_shortest(text, value));
}

const FormatBinding* binding = nullptr;

// Opens the track and checks the header of the format read, where it has
// one; the run ends when the track cannot be opened, and the reader ends
// it when the header is wrong.
void open_track(const char* path) {
    if (!core::open_input_file(path)) core::abort_run("Input file open error!\n", core::exit_forward_pass);
    if (binding != nullptr && binding->check_input_header != nullptr) binding->check_input_header();
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

[[noreturn]] void fail(const char* message) {
    remove_temporary_files();
    core::abort_run(message, core::exit_forward_pass);
}

// What the survey found.
struct Survey {
    int points_read;
    double track_length_m;
    TrackExtent extent;
    double levels[most_distance_levels];
    int level_count;
};

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
        if (running[i] && file == nullptr) fail("Picture file open error!\n");
        core::start_thinning(&thinnings[i], limits, core::WaypointSink{record_waypoint, file});
    }
}

// The survey pass: the track's length and extent, and every running
// thinning's waypoints in its route file.
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
    while (binding->read_next_point(&point) == 0) {
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
    if (survey->points_read < 3) core::abort_run("Too short input file!\n", core::exit_too_short);
    track_ended = true;
    for (int k = 0; k < running_count; ++k) {
        core::Thinning& t = thinnings[running_list[k]];
        core::finish_thinning(&t);
        std::FILE* file = static_cast<std::FILE*>(t.sink.context);
        if (std::fflush(file) != 0 || std::ferror(file) != 0) route_write_failed = true;
    }
    if (route_write_failed) fail("Picture file write error!\n");
}

// Starts a meter on a route file from its first waypoint.
void start_reading(RouteMeter* meter, int route) {
    std::FILE* file = static_cast<std::FILE*>(thinnings[route].sink.context);
    if (!platform::seek_file(file, 0)) fail("Picture file write error!\n");
    start_meter(meter, file);
}

// The measuring pass: every route marked in measured, in step with one
// more reading of the track.
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
    while (binding->read_next_point(&point) == 0) {
        check_interrupt();
        UnitVector position = unit_vector(point);
        for (int k = 0; k < count; ++k) measure_point(&meters[list[k]], point, position);
    }
    restore_console();
    core::close_input(&core::input_stream);
    for (int k = 0; k < count; ++k)
        if (!finish_meter(meters[list[k]])) fail("Track file changed while it was read!\n");
}

// "25 m", the distance as the command line gave it.
std::string within_text(const PreviewSettings& run) { return std::string(run.within_text) + " m"; }

// The first /x level the choice looks at: --fit starts where the track's
// length leaves half the budget for its shape.
int first_level(const PreviewSettings& run, const Survey& survey) {
    if (run.fit_budget == 0) return 0;
    return starting_level(survey.levels, survey.level_count, survey.track_length_m, run.fit_budget);
}

// The setting to draw under --fit and --within: at the first /x level
// that has one, the finest rung within the budget, or with --within the
// rung with the fewest waypoints that keeps within the distance (of two
// with the same count, the finer). Ends the run with exit 6 when none
// qualifies.
int choose_setting(const PreviewSettings& run, const Survey& survey) {
    bool any_in_budget = false;
    for (int level = first_level(run, survey); level < survey.level_count; ++level) {
        int best = -1;
        for (int rung = 0; rung < rung_count; ++rung) {
            int i = ladder_index(level, rung);
            int count = thinnings[i].waypoints_written;
            if (!running[i] || (run.fit_budget > 0 && count > run.fit_budget)) continue;
            any_in_budget = true;
            if (run.within_m == 0) return i;
            if (largest_deviation_m(meters[i]) <= run.within_m &&
                (best < 0 || count < thinnings[best].waypoints_written))
                best = i;
        }
        if (best >= 0) return best;
    }
    if (run.within_m == 0 || !any_in_budget)
        core::print_text(("No setting on the ladder gives at most " + std::to_string(run.fit_budget) +
                          " waypoints!\n").c_str());
    else
        core::print_text(("No setting on the ladder keeps the route within " + within_text(run) + "!\n")
                             .c_str());
    remove_temporary_files();
    core::end_process(exit_no_fit);
}

void print_sweep(const PreviewSettings& run, const std::string& track_on_command_line) {
    std::string options = threshold_options(run.limits);
    print_line("Sweep of /a and /e with " + options.substr(0, options.find(" /a")) + ", from fine to coarse:");
    print_line(" waypoints  deviation  converter command line");
    for (int rung = 0; rung < rung_count; ++rung) {
        int i = ladder_index(0, rung);
        const core::Thinning& t = thinnings[i];
        char count[24], deviation[core::fixed_text_size];
        std::string row(count, core::format_integer(count, t.waypoints_written, 10, false));
        row += "  " + std::string(deviation, core::format_fixed(deviation, largest_deviation_m(meters[i]), 1, 7));
        print_line(row + " m  " + converter_command(binding->converter, track_on_command_line, t.limits));
    }
}

// The drawing pass: the track, the route thinned again with the chosen
// limits, and its deviation measured from the survey's route file, which
// must agree with it.
void draw_route(const PreviewSettings& run, const Survey& survey, int chosen) {
    const core::Thinning& surveyed = thinnings[chosen];
    core::RunSettings limits = surveyed.limits;
    int waypoint_count = surveyed.waypoints_written;
    start_reading(&drawn_meter, chosen);
    if (!open_picture_file()) fail("Picture file open error!\n");
    Framing framing = {run.has_view, run.view, run.width_px, run.height_px};
    begin_picture(core::output_stream, survey.extent, waypoint_count,
                  std::string("Route preview of ") + run.track_path, framing);

    open_track(run.track_path);
    silence_console();
    core::Thinning& drawing = thinnings[0];
    core::start_thinning(&drawing, limits, core::WaypointSink{draw, nullptr});
    while (binding->read_next_point(&drawing.lookahead) == 0) {
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
        fail("Track file changed while it was read!\n");
}

std::string fit_note(const PreviewSettings& run) {
    std::string note = "Fitted to";
    if (run.fit_budget > 0) note += " at most " + std::to_string(run.fit_budget) + " waypoints";
    if (run.fit_budget > 0 && run.within_m > 0) note += ",";
    if (run.within_m > 0) note += " within " + within_text(run);
    return note;
}

void print_outcome(const PreviewSettings& run, const core::RunSettings& limits, int waypoint_count) {
    if (run.fit_budget == 0 && run.within_m == 0) {
        print_line("Waypoints: " + std::to_string(waypoint_count));
    } else {
        std::string line = "Fit: " + std::to_string(waypoint_count) + " waypoints";
        if (run.fit_budget > 0) line += ", at most " + std::to_string(run.fit_budget);
        if (run.within_m > 0) line += ", within " + within_text(run);
        if (limits.max_distance_m != run.limits.max_distance_m)
            line += ", /x raised from " + shortest_text(run.limits.max_distance_m) + " for the track's length";
        print_line(line);
    }
    char start[24], end[24];
    print_line("Largest deviation: " + fixed_text(largest_deviation_m(drawn_meter), 1) + " m at track point " +
               std::to_string(drawn_meter.worst_point) + ", between RW" +
               std::string(start, core::format_integer(start, drawn_meter.worst_leg, 6, true)) + " and RW" +
               std::string(end, core::format_integer(end, drawn_meter.worst_leg + 1, 6, true)));
}

}  // namespace

int distance_levels(double user_max_distance_m, double* levels) {
    int count = 0;
    levels[count++] = user_max_distance_m;
    for (double power = 10.0; power <= 1e6; power *= 10.0)
        for (double factor : {1.0, 2.0, 5.0}) {
            double value = power * factor;
            if (value <= 1e6 && value > user_max_distance_m && count < most_distance_levels)
                levels[count++] = value;
        }
    return count;
}

int starting_level(const double* levels, int level_count, double track_length_m, int budget) {
    for (int level = 0; level < level_count; ++level)
        if (track_length_m / levels[level] <= budget / 2.0) return level;
    return level_count - 1;
}

void run_preview(int argc, char** argv) {
    platform::prepare_standard_output();
    argv = platform::utf8_arguments(&argc, argv);
    PreviewSettings run;
    if (read_preview_command_line(argc, argv, names_file, &run) != 0)
        core::show_usage(preview_program);

    open_track(run.track_path);
    TrackFormat format = run.format != TrackFormat::unknown ? run.format : detect_format();
    if (format == TrackFormat::unknown)
        core::abort_run("Unknown track file format!\n", core::exit_forward_pass);
    binding = &binding_of(format);
    if (binding->check_input_header != nullptr) binding->check_input_header();

    std::string picture_path = run.output_path != nullptr ? run.output_path
                                                          : std::string(run.track_path) + ".svg";
    start_temporary_files(picture_path);
    Survey survey;
    survey_track(run, &survey);

    char directory[4096];
    if (!platform::current_directory(directory, sizeof directory)) directory[0] = 0;
    std::string track_on_command_line = converter_path(run.track_path, directory);
    print_line(std::string("Track file: ") + run.track_path + " (" + binding->name + ", as " +
               binding->converter + " reads it)");
    print_line("Points read: " + std::to_string(survey.points_read));
    print_line("Track length: " + fixed_text(survey.track_length_m, 1) + " m");

    // The sweep's rows and the settings --within chooses from are
    // measured in one more pass.
    int first = first_level(run, survey);
    for (int i = 1; i < most_thinnings; ++i)
        measured[i] = running[i] && ((run.sweep && i <= rung_count) || (run.within_m > 0 && i >= ladder_index(first, 0)));
    if (run.sweep || run.within_m > 0) measure_routes(run.track_path);
    if (run.sweep) print_sweep(run, track_on_command_line);

    int chosen = run.fit_budget > 0 || run.within_m > 0 ? choose_setting(run, survey) : 0;
    core::RunSettings limits = thinnings[chosen].limits;
    draw_route(run, survey, chosen);

    Caption caption = {run.track_path, threshold_options(limits), thinnings[0].points_read,
                       thinnings[0].waypoints_written, thinnings[0].track_length_m,
                       chosen > 0 ? fit_note(run) : "", largest_deviation_m(drawn_meter)};
    bool written = end_picture(caption);
    if (!close_picture() || !written) fail("Picture file write error!\n");
    if (!rename_picture()) fail("Picture file rename error!\n");
    remove_temporary_files();

    note_outcome(survey.points_read, survey.track_length_m, thinnings[0].waypoints_written, limits, drawn_meter);
    print_outcome(run, limits, thinnings[0].waypoints_written);
    if (run.has_view) print_line(view_line(view_facts()));
    print_line("Picture: " + picture_path);
    print_line(converter_command(binding->converter, track_on_command_line, limits));
    core::end_process(core::exit_success);
}

}  // namespace preview
