// The run flow: command line, settings echo, forward pass, backward pass.
#include "core/entry.h"

#include "core/command_line.h"
#include "core/console.h"
#include "core/platform.h"
#include "core/route_writer.h"
#include "core/thinning.h"

namespace core {

namespace {

const char author_line[] = "Written by the route converter developers, 2026\n";

}  // namespace

void show_usage(const ProgramInfo& program) {
    print_text(program.title_line);
    print_text(author_line);
    print_text("Usage:\n");
    print_text(program.usage_line);
    end_process(exit_usage);
}

void run_program(const ProgramInfo& program, int argc, char** argv) {
    waypoint_count = 0;
    platform::prepare_standard_output();
    argv = platform::utf8_arguments(&argc, argv);
    if (read_command_line(argc, argv, &settings) != 0) show_usage(program);
    print_settings(settings);

    if (!open_input_file(settings.input_path)) abort_run(input_open_error);
    if (program.check_input_header != nullptr) program.check_input_header();

    if (!open_output_file(settings.forward_path)) abort_run(output_open_error);
    write_route_header(forward_route);

    thin_track(program.read_next_point);

    // The forward route is read back from disk, so bytes that only fail to
    // reach it when the file is closed must stop the run here.
    close_input(&input_stream);
    if (!close_output()) abort_run(output_write_error);

    write_backward_route();

    close_input(&input_stream);
    if (!close_output()) abort_run(backward_write_error);
    end_process(exit_success);
}

}  // namespace core
