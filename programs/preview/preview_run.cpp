#include "programs/preview/preview_run.h"

#include <cstdlib>
#include <string>

#include "core/console.h"
#include "core/distance.h"
#include "core/entry.h"
#include "core/number_writer.h"
#include "core/platform.h"
#include "core/thinning.h"
#include "programs/preview/preview_options.h"
#include "programs/preview/svg_picture.h"
#include "programs/preview/track_format.h"

namespace preview {

namespace {

const core::ProgramInfo preview_program = {
    "Track to route preview V1.12 \n",
    "rt2preview [--output FILE.svg] [--fit N] [--sweep] [--format nmea|records|plt|gpx] "
    "TRACKFILE [/mMINMETERS /xMAXMETERS /aMAXDEGREES /eMAXORTERROR] \n\n",
    nullptr,
    nullptr,
};

// Thinnings of the survey pass: the user's setting, then the ladder at
// each /x level.
constexpr int most_thinnings = 1 + most_distance_levels * rung_count;
core::Thinning thinnings[most_thinnings];
bool running[most_thinnings];
// The indices of the running thinnings, so that the survey loop visits
// only those.
int running_list[most_thinnings];

core::TrackPoint point;
core::TrackPoint previous_point;

int ladder_index(int level, int rung) { return 1 + level * rung_count + rung; }

void count_only(core::Thinning*, core::TrackPoint*) {}

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

std::string length_text(double length_m) {
    char text[core::fixed_text_size];
    return std::string(text, core::format_fixed(text, length_m, 1, 0)) + " m";
}

const FormatBinding* binding = nullptr;

// Opens the track; the run ends when it cannot be opened.
void open_track(const char* path) {
    if (!core::open_input_file(path)) core::abort_run("Input file open error!\n", core::exit_forward_pass);
}

// Checks the header of the format read, where it has one; the reader ends
// the run on failure.
void check_header() {
    if (binding->check_input_header != nullptr) binding->check_input_header();
}

// The picture under its temporary name, removed when the run ends before
// it is complete.
std::string temporary_path;
bool temporary_exists = false;

void remove_temporary() {
    if (!temporary_exists) return;
    if (core::output_stream != nullptr) {
        std::fclose(core::output_stream);
        core::output_stream = nullptr;
    }
    platform::remove_file(temporary_path.c_str());
    temporary_exists = false;
}

[[noreturn]] void fail_picture(const char* message) {
    remove_temporary();
    core::abort_run(message, core::exit_forward_pass);
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
    const core::RunSettings& user = run.limits;

    open_track(run.track_path);
    TrackFormat format = run.format != TrackFormat::unknown ? run.format : detect_format();
    if (format == TrackFormat::unknown)
        core::abort_run("Unknown track file format!\n", core::exit_forward_pass);
    binding = &binding_of(format);
    check_header();

    // The survey pass.
    double levels[most_distance_levels];
    int level_count = run.fit_budget > 0 ? distance_levels(user.max_distance_m, levels) : 1;
    bool ladder_needed = run.sweep || run.fit_budget > 0;
    const core::WaypointSink counter = {count_only, nullptr};
    core::start_thinning(&thinnings[0], user, counter);
    running[0] = run.fit_budget == 0;
    for (int level = 0; level < most_distance_levels; ++level)
        for (int rung = 0; rung < rung_count; ++rung) {
            int index = ladder_index(level, rung);
            core::RunSettings limits = user;
            limits.max_distance_m = level < level_count ? levels[level] : user.max_distance_m;
            limits.max_angle_deg = ladder[rung].max_angle_deg;
            limits.max_orth_error_m = ladder[rung].max_orth_error_m;
            core::start_thinning(&thinnings[index], limits, counter);
            running[index] = ladder_needed && level < level_count;
        }
    int running_count = 0;
    for (int i = 0; i < most_thinnings; ++i)
        if (running[i]) running_list[running_count++] = i;
    TrackExtent extent;
    start_extent(&extent);
    int points_read = 0;
    double track_length_m = 0.0;
    while (binding->read_next_point(&point) == 0) {
        ++points_read;
        extend(&extent, point);
        double hop_m = 0.0, hop_bearing_deg = 0.0;
        if (points_read >= 2) {
            core::distance_and_bearing(previous_point, point, &hop_m, &hop_bearing_deg);
            track_length_m += hop_m;
        }
        int kept = 0;
        for (int k = 0; k < running_count; ++k) {
            int i = running_list[k];
            thinnings[i].lookahead = point;
            core::take_point_after_hop(&thinnings[i], hop_m, hop_bearing_deg);
            // Past the budget a fitting setting is out: the last point
            // still adds one. The sweep's rows run to the end.
            bool swept = run.sweep && i <= rung_count;
            if (i > 0 && run.fit_budget > 0 && !swept &&
                thinnings[i].waypoints_written >= run.fit_budget)
                running[i] = false;
            else
                running_list[kept++] = i;
        }
        running_count = kept;
        previous_point = point;
    }
    core::close_input(&core::input_stream);
    if (points_read < 3) core::abort_run("Too short input file!\n", core::exit_too_short);
    for (int i = 0; i < most_thinnings; ++i)
        if (running[i]) core::finish_thinning(&thinnings[i]);

    char directory[4096];
    if (!platform::current_directory(directory, sizeof directory)) directory[0] = 0;
    std::string track_on_command_line = converter_path(run.track_path, directory);

    print_line(std::string("Track file: ") + run.track_path + " (" + binding->name + ", as " +
               binding->converter + " reads it)");
    print_line("Points read: " + std::to_string(points_read));
    print_line("Track length: " + length_text(track_length_m));

    if (run.sweep) {
        std::string options = threshold_options(user);
        print_line("Sweep of /a and /e with " + options.substr(0, options.find(" /a")) +
                   ", from fine to coarse:");
        print_line(" waypoints  converter command line");
        for (int rung = 0; rung < rung_count; ++rung) {
            const core::Thinning& t = thinnings[ladder_index(0, rung)];
            char count[24];
            std::string row(count, core::format_integer(count, t.waypoints_written, 10, false));
            print_line(row + "  " + converter_command(binding->converter, track_on_command_line, t.limits));
        }
    }

    // The setting to draw.
    int chosen = 0;
    std::string note;
    if (run.fit_budget > 0) {
        chosen = -1;
        int first = starting_level(levels, level_count, track_length_m, run.fit_budget);
        for (int level = first; level < level_count && chosen < 0; ++level)
            for (int rung = 0; rung < rung_count && chosen < 0; ++rung) {
                int index = ladder_index(level, rung);
                if (running[index] && thinnings[index].waypoints_written <= run.fit_budget)
                    chosen = index;
            }
        if (chosen < 0) {
            core::print_text(("No setting on the ladder gives at most " + std::to_string(run.fit_budget) +
                              " waypoints!\n").c_str());
            core::end_process(exit_no_fit);
        }
        note = "Fitted to at most " + std::to_string(run.fit_budget) + " waypoints";
    }
    const core::Thinning& survey = thinnings[chosen];
    core::RunSettings limits = survey.limits;
    int waypoint_count = survey.waypoints_written;

    // The drawing pass.
    std::string picture_path = run.output_path != nullptr ? run.output_path
                                                          : std::string(run.track_path) + ".svg";
    temporary_path = picture_path + ".tmp";
    core::output_stream = platform::open_file(temporary_path.c_str(), "wb");
    if (core::output_stream == nullptr) core::abort_run("Picture file open error!\n", core::exit_forward_pass);
    temporary_exists = true;
    std::atexit(remove_temporary);
    begin_picture(core::output_stream, extent, waypoint_count,
                  std::string("Route preview of ") + run.track_path);

    open_track(run.track_path);
    check_header();
    // Messages the reader gave in the survey pass would come again.
    std::FILE* console = core::console;
    std::FILE* quiet = platform::open_null_output();
    if (quiet != nullptr) core::console = quiet;
    core::Thinning& drawing = thinnings[0];
    core::start_thinning(&drawing, limits, core::WaypointSink{draw, nullptr});
    while (binding->read_next_point(&drawing.lookahead) == 0) {
        draw_track_point(drawing.lookahead);
        core::take_point(&drawing);
    }
    if (quiet != nullptr) {
        std::fclose(quiet);
        core::console = console;
    }
    core::close_input(&core::input_stream);
    // The file changed since the survey.
    if (!core::finish_thinning(&drawing) || drawing.waypoints_written != waypoint_count)
        fail_picture("Track file changed while it was read!\n");

    Caption caption = {run.track_path, threshold_options(limits), drawing.points_read,
                       drawing.waypoints_written, drawing.track_length_m, note};
    bool written = end_picture(caption);
    int closed = std::fclose(core::output_stream);
    core::output_stream = nullptr;
    if (!written || closed != 0) fail_picture("Picture file write error!\n");
    if (!platform::replace_file(temporary_path.c_str(), picture_path.c_str()))
        fail_picture("Picture file rename error!\n");
    temporary_exists = false;

    if (run.fit_budget > 0) {
        std::string raised;
        if (limits.max_distance_m != user.max_distance_m) {
            char number[core::shortest_text_size];
            raised = ", /x raised from " +
                     std::string(number, core::format_shortest(number, user.max_distance_m)) +
                     " for the track's length";
        }
        print_line("Fit: " + std::to_string(waypoint_count) + " waypoints, at most " +
                   std::to_string(run.fit_budget) + raised);
    } else {
        print_line("Waypoints: " + std::to_string(waypoint_count));
    }
    print_line("Picture: " + picture_path);
    print_line(converter_command(binding->converter, track_on_command_line, limits));
    core::end_process(core::exit_success);
}

}  // namespace preview
