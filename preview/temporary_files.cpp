// Temporary files beside the picture, and their removal however the run
// ends.
#include "preview/temporary_files.h"

#include <cstdlib>

#include "core/console.h"
#include "core/entry.h"
#include "core/platform.h"

namespace preview {

volatile std::sig_atomic_t interrupt_signal = 0;

namespace {

std::string picture_name;
bool started = false;
bool picture_exists = false;
std::FILE* route_files[most_route_files];
bool route_file_exists[most_route_files];

std::string route_path(int k) { return picture_name + "." + std::to_string(k) + ".tmp"; }

std::string picture_temporary_path() { return picture_name + ".tmp"; }

// Only sets the flag: the passes over the track end the run at their next
// point, outside the handler.
void note_signal(int signal) { interrupt_signal = signal; }

}  // namespace

void start_temporary_files(const std::string& picture_path) {
    picture_name = picture_path;
    if (started) return;
    started = true;
    std::atexit(remove_temporary_files);
    std::signal(SIGINT, note_signal);
    std::signal(SIGTERM, note_signal);
}

std::FILE* open_route_file(int k) {
    remove_route_file(k);
    std::FILE* file = platform::open_file(route_path(k).c_str(), "w+b");
    if (file == nullptr) return nullptr;
    route_files[k] = file;
    route_file_exists[k] = true;
    return file;
}

void remove_route_file(int k) {
    if (!route_file_exists[k]) return;
    std::fclose(route_files[k]);
    route_files[k] = nullptr;
    platform::remove_file(route_path(k).c_str());
    route_file_exists[k] = false;
}

bool open_picture_file() {
    core::output_stream = platform::open_file(picture_temporary_path().c_str(), "wb");
    if (core::output_stream == nullptr) return false;
    picture_exists = true;
    return true;
}

bool close_picture() {
    int closed = std::fclose(core::output_stream);
    core::output_stream = nullptr;
    return closed == 0;
}

bool rename_picture() {
    if (!platform::replace_file(picture_temporary_path().c_str(), picture_name.c_str())) return false;
    picture_exists = false;
    return true;
}

void remove_temporary_files() {
    for (int k = 0; k < most_route_files; ++k) remove_route_file(k);
    if (!picture_exists) return;
    if (core::output_stream != nullptr) {
        std::fclose(core::output_stream);
        core::output_stream = nullptr;
    }
    platform::remove_file(picture_temporary_path().c_str());
    picture_exists = false;
}

void end_by_signal() {
    int signal = interrupt_signal;
    remove_temporary_files();
    std::fflush(core::console);
    std::signal(signal, SIG_DFL);
    std::raise(signal);
    // Where the default action does not end the process.
    std::_Exit(128 + signal);
}

}  // namespace preview
