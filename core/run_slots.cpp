// The stream slots, and how a run ends.
#include "core/run_slots.h"

#include <cstdlib>

#include "core/console.h"
#include "core/platform.h"

namespace core {

InputStream input_stream = {};
std::FILE* output_stream = nullptr;
ProcessEnd process_end = nullptr;

namespace {

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

}  // namespace core
