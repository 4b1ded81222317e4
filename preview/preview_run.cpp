// The preview's run from its command line to its last line: the passes in
// their order, the choice of the setting to draw between them, and the
// picture's end.
#include "preview/preview_run.h"

#include <cstdio>
#include <string>

#include "core/console.h"
#include "core/entry.h"
#include "core/platform.h"
#include "preview/exit_codes.h"
#include "preview/fit_search.h"
#include "preview/labels.h"
#include "preview/ladder.h"
#include "preview/preview_options.h"
#include "preview/preview_outcome.h"
#include "preview/preview_report.h"
#include "preview/route_output.h"
#include "preview/svg_picture.h"
#include "preview/temporary_files.h"
#include "preview/track_format.h"
#include "preview/track_passes.h"

namespace preview {

namespace {

const core::ProgramInfo preview_program = {
    PROGRAM_TITLE("Track to route preview"),
    "rt2preview [--output FILE.svg] [--fit N] [--within D] [--closest] [--sweep] [--format nmea|records|plt|gpx] "
    "[--view SOUTH,WEST,NORTH,EAST] [--size WIDTHxHEIGHT] [--write FORWARD.rt2 BACKWARD.rt2] "
    "TRACKFILE [" THRESHOLD_OPTIONS "] \n\n",
    nullptr,
    nullptr,
};

bool names_file(const char* path) {
    std::FILE* file = platform::open_file(path, "rb");
    if (file == nullptr) return false;
    bool directory = platform::is_directory(file);
    std::fclose(file);
    return !directory;
}

}  // namespace

void run_preview(int argc, char** argv) {
    platform::prepare_standard_output();
    argv = platform::utf8_arguments(&argc, argv);
    PreviewSettings run;
    if (read_preview_command_line(argc, argv, names_file, &run) != 0)
        core::show_usage(preview_program);

    // The passes' state: too large for the stack on every platform, and
    // there is one run per process.
    static PassState state;
    state.format = &judge_track(run.track_path, run.format);
    void (*check_input_header)() = state.format->program->check_input_header;
    if (check_input_header != nullptr) check_input_header();

    std::string picture_path = run.output_path != nullptr ? run.output_path
                                                          : std::string(run.track_path) + ".svg";
    start_temporary_files(picture_path);
    survey_track(run, &state);

    char directory[4096];
    if (!platform::current_directory(directory, sizeof directory)) directory[0] = 0;
    std::string track_on_command_line = converter_path(run.track_path, directory);
    print_track_figures(run.track_path, state);

    if (run.closest) {
        search_closest_route(run.track_path, &state);
        if (state.closest.fitting_slot < 0) {
            print_no_closest_route(run);
            remove_temporary_files();
            core::end_process(exit_no_fit);
        }
    }
    int chosen = run.closest ? -1 : measure_and_choose(run, &state);
    if (run.sweep) print_sweep(run, state, track_on_command_line);

    core::RunSettings limits = run.closest ? run.limits : state.surveyed[chosen].limits;
    draw_route(run, chosen, &state);

    const core::Thinning& drawn = state.drawing;
    std::string thresholds = run.closest ? closest_text(state.closest) : threshold_options(limits);
    Caption caption = {run.track_path, thresholds, drawn.points_read, drawn.waypoint_count, drawn.track_length_m,
                       chosen > 0 ? fit_note(run) : "", largest_deviation_m(state.drawn_meter)};
    bool written = end_picture(caption);
    if (!close_picture() || !written) end_with_picture_error(picture_write_error);
    if (!rename_picture()) end_with_picture_error(picture_rename_error);
    if (run.forward_path != nullptr)
        write_route_files(run.closest ? state.closest.files[state.closest.fitting_slot] : state.route_files[chosen],
                          run.forward_path, run.backward_path);
    remove_temporary_files();

    note_outcome(state.survey.points_read, state.survey.track_length_m, drawn.waypoint_count, limits,
                 state.drawn_meter, run.closest ? state.closest.fitting_text : "");
    if (run.closest)
        print_closest_outcome(run, state.closest, state.drawn_meter);
    else
        print_outcome(run, drawn.waypoint_count, state.drawn_meter);
    if (run.has_view) print_line(view_line(view_facts()));
    print_line("Picture: " + picture_path);
    // The command line that writes this route's files, under the names
    // --write gave.
    core::RunSettings named = limits;
    if (run.forward_path != nullptr) {
        named.forward_path = run.forward_path;
        named.backward_path = run.backward_path;
    }
    if (run.closest)
        print_line(closest_command(state.closest, track_on_command_line, named));
    else
        print_line(converter_command(state.format->converter, track_on_command_line, named));
    core::end_process(core::exit_success);
}

}  // namespace preview
