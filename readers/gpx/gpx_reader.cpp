// Tags are cut straight out of the input stream's buffer with memchr;
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
    core::InputStream* in = &core::input_stream;
    buffer[0] = 0;
    buffer[capacity - 1] = 0;
    // Text up to the '<' is passed over, a buffer's worth at a time.
    for (;;) {
        const unsigned char* held = in->buffer + in->next;
        const void* open = std::memchr(held, '<', in->end - in->next);
        if (open != nullptr) {
            in->next = static_cast<size_t>(static_cast<const unsigned char*>(open) - in->buffer) + 1;
            break;
        }
        in->next = in->end;
        int byte = core::refill_input(in);
        if (byte == core::end_of_input) return -1;
        if (byte == '<') break;
    }
    // The tag up to its '>', or its first capacity - 2 bytes.
    size_t stored = 0, limit = static_cast<size_t>(capacity - 2);
    while (stored < limit) {
        const unsigned char* held = in->buffer + in->next;
        size_t scan = in->end - in->next;
        if (scan > limit - stored) scan = limit - stored;
        const void* close = std::memchr(held, '>', scan);
        size_t length = close != nullptr ? static_cast<size_t>(static_cast<const unsigned char*>(close) - held) : scan;
        std::memcpy(buffer + stored, held, length);
        stored += length;
        in->next += length;
        if (close != nullptr) {
            ++in->next;
            break;
        }
        if (stored == limit) break;
        int byte = core::refill_input(in);
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
