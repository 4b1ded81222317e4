// Tags are read a byte at a time out of the input stream's buffer;
// nothing but the current tag is held.
#include "readers/gpx/gpx_reader.h"

#include <cstring>

#include "core/entry.h"
#include "core/number_reader.h"
#include "core/thinning.h"

namespace gpx {

namespace {

char tag_buffer[tag_buffer_size];

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// Finds the first digit from the first occurrence of name on and reads the
// decimal number there, negative when a '-' stands just before the digit.
// Returns 0 with *value set, 1 without the name, 2 without a digit.
int read_attribute_number(const char* tag, const char* name, double* value) {
    const char* text = std::strstr(tag, name);
    if (text == nullptr) return 1;
    while (!is_digit(*text)) {
        if (*text == 0) return 2;
        ++text;
    }
    const char* start = text[-1] == '-' ? text - 1 : text;
    // The number is decimal: "0x" ends it at the 0, where the library's
    // reader would go on in hexadecimal.
    if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) *value = start == text ? 0.0 : -0.0;
    else *value = core::read_number(start);
    return 0;
}

}  // namespace

int read_next_tag(char* buffer, int capacity) {
    buffer[0] = 0;
    buffer[capacity - 1] = 0;
    int byte;
    do {
        byte = core::read_byte(&core::input_stream);
        if (byte == core::end_of_input) return -1;
    } while (byte != '<');
    int stored = 0;
    while (stored < capacity - 2) {
        byte = core::read_byte(&core::input_stream);
        if (byte == core::end_of_input) return -2;
        if (byte == '>') break;
        buffer[stored++] = static_cast<char>(byte);
    }
    buffer[stored] = 0;
    return 0;
}

int read_trkpt_tag(core::TrackPoint* point) {
    do {
        if (read_next_tag(tag_buffer, tag_buffer_size) != 0) return -1;
    } while (std::strstr(tag_buffer, "trkpt") == nullptr || std::strstr(tag_buffer, "/trkpt") != nullptr);

    double lat_deg, lon_deg;
    int result = read_attribute_number(tag_buffer, "lat", &lat_deg);
    if (result != 0) return result;
    point->lat_deg = lat_deg;
    if (lat_deg > 100.0 || lat_deg < -100.0) return 3;
    result = read_attribute_number(tag_buffer, "lon", &lon_deg);
    if (result != 0) return result;
    point->lon_deg = lon_deg;
    if (lon_deg > 370.0 || lon_deg < -370.0) return 3;
    core::set_point_degrees(point, lat_deg, lon_deg);
    return 0;
}

int read_next_point(core::TrackPoint* point) { return core::read_next_point(read_trkpt_tag, point); }

}  // namespace gpx
