// The run flow: command line, settings echo, forward pass, backward pass.
#include "core/entry.h"

#include <cstdlib>

#include "core/command_line.h"
#include "core/console.h"
#include "core/platform.h"
#include "core/route_writer.h"
#include "core/thinning.h"

namespace core {

InputStream input_stream = {};
std::FILE* output_stream = nullptr;
ProcessEnd process_end = nullptr;

namespace {

const char author_line[] = "Written by the route converter developers, 2026\n";

char output_buffer[64 * 1024];

}  // namespace

bool close_output() {
    if (output_stream == nullptr) return true;
    int result = std::fclose(output_stream);
    output_stream = nullptr;
    return result == 0;
}

void end_process(int exit_code) {
    std::fflush(console);
    if (process_end != nullptr) process_end(exit_code);
    std::exit(exit_code);
}

void show_usage(const ProgramInfo& program) {
    print_text(program.title_line);
    print_text(author_line);
    print_text("Usage:\n");
    print_text(program.usage_line);
    end_process(exit_usage);
}

void abort_run(const char* message, int exit_code) {
    print_text(message);
    close_input(&input_stream);
    close_output();
    end_process(exit_code);
}

bool open_input_file(const char* path) {
    std::FILE* file = platform::open_file(path, "rb");
    if (file == nullptr) return false;
    if (platform::is_directory(file)) {
        std::fclose(file);
        return false;
    }
    attach_input(&input_stream, file);
    return true;
}

bool open_output_file(const char* path) {
    output_stream = platform::open_file(path, "wb");
    if (output_stream == nullptr) return false;
    std::setvbuf(output_stream, output_buffer, _IOFBF, sizeof output_buffer);
    return true;
}

void run_program(const ProgramInfo& program, int argc, char** argv) {
    waypoint_count = 0;
    platform::prepare_standard_output();
    argv = platform::utf8_arguments(&argc, argv);
    if (read_command_line(argc, argv, &settings) != 0) show_usage(program);
    print_settings(settings);

    if (!open_input_file(settings.input_path))
        abort_run("Input file open error!\n", exit_forward_pass);
    if (program.check_input_header != nullptr) program.check_input_header();

    if (!open_output_file(settings.forward_path)) abort_run("Output file open error!\n", exit_forward_pass);
    write_route_header(forward_route);

    thin_track(program.read_next_point);

    // The forward route is read back from disk, so bytes that only fail to
    // reach it when the file is closed must stop the run here.
    close_input(&input_stream);
    if (!close_output()) abort_run("Output file write error!\n", exit_forward_pass);

    write_backward_route();

    close_input(&input_stream);
    if (!close_output()) abort_run("Backward route file write error!\n", exit_backward_copy);
    end_process(exit_success);
}

}  // namespace core
