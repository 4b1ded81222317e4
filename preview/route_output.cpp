// The two route files of the route drawn.
#include "preview/route_output.h"

#include <cstdint>
#include <cstring>

#include "core/command_line.h"
#include "core/entry.h"
#include "core/platform.h"
#include "core/route_writer.h"
#include "preview/route_meter.h"

namespace preview {

void write_route_files(std::FILE* route_file, const char* forward_path, const char* backward_path) {
    core::settings.forward_path = forward_path;
    core::settings.backward_path = backward_path;
    if (!core::open_output_file(forward_path)) core::abort_run(core::output_open_error);
    core::write_route_header(core::forward_route);
    if (!platform::seek_file(route_file, 0)) core::abort_run(core::output_write_error);
    unsigned char bytes[waypoint_record_size];
    while (std::fread(bytes, 1, sizeof bytes, route_file) == sizeof bytes) {
        double lat_deg, lon_deg;
        std::memcpy(&lat_deg, bytes + 4, 8);
        std::memcpy(&lon_deg, bytes + 12, 8);
        core::TrackPoint waypoint;
        core::set_point_degrees(&waypoint, lat_deg, lon_deg);
        core::write_waypoint(&waypoint);
    }
    if (std::ferror(route_file) != 0) core::abort_run(core::output_write_error);
    if (!core::close_output()) core::abort_run(core::output_write_error);
    core::write_backward_route();
    core::close_input(&core::input_stream);
    if (!core::close_output()) core::abort_run(core::backward_write_error);
}

}  // namespace preview
