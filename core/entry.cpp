// The run flow: command line, settings echo, forward pass, backward pass.
#include "core/entry.h"

#include <cstdlib>
#include <sys/stat.h>

#include "core/command_line.h"
#include "core/route_writer.h"
#include "core/thinning.h"

namespace core {

std::FILE* input_stream = nullptr;
std::FILE* output_stream = nullptr;
ProcessEnd process_end = nullptr;

namespace {

const char author_line[] = "Written by the route converter developers, 2026\n";

// Closes the file in a slot and empties it; true when the close reported
// no error (buffered bytes that could not be written show up here).
bool close_slot(std::FILE** slot) {
    if (*slot == nullptr) return true;
    int result = std::fclose(*slot);
    *slot = nullptr;
    return result == 0;
}

[[noreturn]] void end_process(int exit_code) {
    if (process_end != nullptr) process_end(exit_code);
    std::exit(exit_code);
}

}  // namespace

void show_usage(const ProgramInfo& program) {
    std::fputs(program.title_line, stdout);
    std::fputs(author_line, stdout);
    std::fputs("Usage:\n", stdout);
    std::fputs(program.usage_line, stdout);
    end_process(exit_usage);
}

void abort_run(const char* message, int exit_code) {
    std::fputs(message, stdout);
    close_slot(&input_stream);
    close_slot(&output_stream);
    end_process(exit_code);
}

std::FILE* open_for_reading(const char* path) {
    std::FILE* file = std::fopen(path, "rb");
    if (file == nullptr) return nullptr;
    struct stat info;
    if (fstat(fileno(file), &info) == 0 && S_ISDIR(info.st_mode)) {
        std::fclose(file);
        return nullptr;
    }
    return file;
}

void run_program(const ProgramInfo& program, int argc, char** argv) {
    waypoint_count = 0;
    if (read_command_line(argc, argv, &settings) != 0) show_usage(program);
    print_settings(settings);

    input_stream = open_for_reading(settings.input_path);
    if (input_stream == nullptr) abort_run("Input file open error!\n", exit_forward_pass);
    if (program.check_input_header != nullptr) program.check_input_header();

    output_stream = std::fopen(settings.forward_path, "wb");
    if (output_stream == nullptr) abort_run("Output file open error!\n", exit_forward_pass);
    write_route_header(forward_route);

    thin_track(program.read_next_point);

    // The forward route is read back from disk, so bytes that only fail to
    // reach it when the file is closed must stop the run here.
    close_slot(&input_stream);
    if (!close_slot(&output_stream)) abort_run("Output file write error!\n", exit_forward_pass);

    write_backward_route();

    close_slot(&input_stream);
    if (!close_slot(&output_stream))
        abort_run("Backward route file write error!\n", exit_backward_copy);
    end_process(exit_success);
}

}  // namespace core
