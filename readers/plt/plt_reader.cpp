// Header check and point lines, both through the shared line reader.
#include "readers/plt/plt_reader.h"

#include <cstring>

#include "core/byte_scan.h"
#include "core/line_reader.h"
#include "core/number_reader.h"
#include "core/point_reader.h"
#include "core/run_slots.h"

namespace plt {

namespace {

// Zero-filled, and written only below line_capacity, so every line in it
// ends in a zero.
char line_buffer[core::line_buffer_size];

constexpr int ignored_header_lines = 5;

int read_line() { return core::read_text_line(&core::input_stream, line_buffer, core::line_capacity); }

}  // namespace

void check_input_header() {
    if (read_line() < 0) core::abort_run(core::input_read_error);
    // A shorter line ends in its zero, which differs from the signature.
    if (std::strncmp(line_buffer, signature, signature_length) != 0)
        core::abort_run(core::input_format_error);
    for (int i = 0; i < ignored_header_lines; ++i)
        if (read_line() < 0) core::abort_run(core::input_read_error);
}

int read_plt_line(core::TrackPoint* point) {
    int length = read_line();
    if (length < 0) return -1;
    // The first comma of the line; a line that fills the capacity ends in
    // the buffer's zero after it, and no line holds a zero.
    const unsigned char* text = reinterpret_cast<const unsigned char*>(line_buffer);
    const unsigned char* end = text + length;
    const unsigned char* found = core::find_byte_within(text, end, text + sizeof line_buffer, ',');
    if (found == end) return 1;
    const char* comma = line_buffer + (found - text);
    // Written so that NaN fails too.
    double lat_deg = core::read_number(line_buffer);
    point->lat_deg = lat_deg;
    if (!(lat_deg >= -100.0 && lat_deg <= 100.0)) return 3;
    double lon_deg = core::read_number(comma + 1);
    point->lon_deg = lon_deg;
    if (!(lon_deg >= -370.0 && lon_deg <= 370.0)) return 3;
    core::set_point_degrees(point, lat_deg, lon_deg);
    return 0;
}

int read_next_point(core::TrackPoint* point) { return core::read_next_point(read_plt_line, point); }

}  // namespace plt
