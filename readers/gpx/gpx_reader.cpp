// Tags are cut straight out of the input stream's buffer, which is
// scanned eight bytes at a time for '<' and '>'; nothing but the current
// tag is held.
#include "readers/gpx/gpx_reader.h"

#include <cstring>

#include "core/byte_scan.h"
#include "core/entry.h"
#include "core/number_reader.h"
#include "core/thinning.h"

namespace gpx {

namespace {

char tag_buffer[tag_buffer_size];

bool is_digit(char c) { return c >= '0' && c <= '9'; }

// strstr within the first length bytes of a tag, none of them zero: the
// first byte of word is looked for eight bytes at a time.
const char* find_text(const char* tag, size_t length, const char* word, size_t word_length) {
    const unsigned char* at = reinterpret_cast<const unsigned char*>(tag);
    const unsigned char* end = at + length;
    for (; (at = core::find_byte(at, end, static_cast<unsigned char>(word[0]))) != end; ++at) {
        if (static_cast<size_t>(end - at) >= word_length && std::memcmp(at, word, word_length) == 0)
            return reinterpret_cast<const char*>(at);
    }
    return nullptr;
}

// Whether the tag contains "trkpt" and not "/trkpt": some "trkpt" and none
// after a '/'.
bool is_track_point_start(const char* tag, size_t length) {
    bool found = false;
    for (const char* at = tag; (at = find_text(at, length - static_cast<size_t>(at - tag), "trkpt", 5)) != nullptr; ++at) {
        if (at > tag && at[-1] == '/') return false;
        found = true;
    }
    return found;
}

// Finds the first digit from the first occurrence of name on and reads the
// decimal number there, negative when a '-' stands just before the digit.
// Returns 0 with *value set, 1 without the name, 2 without a digit.
int read_attribute_number(const char* tag, size_t length, const char* name, double* value) {
    const char* text = find_text(tag, length, name, 3);
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

// read_next_tag, with the number of bytes stored into *stored.
int read_tag(char* buffer, int capacity, size_t* stored_bytes) {
    core::InputStream* in = &core::input_stream;
    buffer[0] = 0;
    buffer[capacity - 1] = 0;
    // Text up to the '<' is passed over, a buffer's worth at a time.
    for (;;) {
        const unsigned char* end = in->buffer + in->end;
        const unsigned char* open = core::find_byte(in->buffer + in->next, end, '<');
        if (open != end) {
            in->next = static_cast<size_t>(open - in->buffer) + 1;
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
        const unsigned char* close = core::find_byte(held, held + scan, '>');
        size_t length = static_cast<size_t>(close - held);
        std::memcpy(buffer + stored, held, length);
        stored += length;
        in->next += length;
        if (length < scan) {
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
    *stored_bytes = stored;
    return 0;
}

}  // namespace

int read_next_tag(char* buffer, int capacity) {
    size_t stored;
    return read_tag(buffer, capacity, &stored);
}

namespace {

// The text of a tag ends at its first zero, if it holds one.
size_t text_length(const unsigned char* tag, size_t stored) {
    return static_cast<size_t>(core::find_byte(tag, tag + stored, 0) - tag);
}

// Reads tags into tag_buffer until a track point start tag; returns the
// length of its text, or -1 at the end of the input. A tag that lies whole
// in the stream's buffer is judged where it lies, and copied only when it
// is the one; any other takes read_tag's road from its '<'.
long read_track_point_tag() {
    core::InputStream* in = &core::input_stream;
    constexpr size_t limit = tag_buffer_size - 2;
    for (;;) {
        const unsigned char* end = in->buffer + in->end;
        const unsigned char* open = core::find_byte(in->buffer + in->next, end, '<');
        if (open != end) {
            const unsigned char* text = open + 1;
            size_t room = static_cast<size_t>(end - text) < limit ? static_cast<size_t>(end - text) : limit;
            const unsigned char* close = core::find_byte(text, text + room, '>');
            if (close != text + room) {
                in->next = static_cast<size_t>(close - in->buffer) + 1;
                size_t stored = static_cast<size_t>(close - text);
                size_t length = text_length(text, stored);
                if (!is_track_point_start(reinterpret_cast<const char*>(text), length)) continue;
                std::memcpy(tag_buffer, text, stored);
                tag_buffer[stored] = 0;
                return static_cast<long>(length);
            }
            in->next = static_cast<size_t>(open - in->buffer);
        }
        size_t stored;
        if (read_tag(tag_buffer, tag_buffer_size, &stored) != 0) return -1;
        size_t length = text_length(reinterpret_cast<const unsigned char*>(tag_buffer), stored);
        if (is_track_point_start(tag_buffer, length)) return static_cast<long>(length);
    }
}

}  // namespace

int read_trkpt_tag(core::TrackPoint* point) {
    long tag_length = read_track_point_tag();
    if (tag_length < 0) return -1;
    size_t length = static_cast<size_t>(tag_length);

    double lat_deg, lon_deg;
    int result = read_attribute_number(tag_buffer, length, "lat", &lat_deg);
    if (result != 0) return result;
    point->lat_deg = lat_deg;
    if (lat_deg > 100.0 || lat_deg < -100.0) return 3;
    result = read_attribute_number(tag_buffer, length, "lon", &lon_deg);
    if (result != 0) return result;
    point->lon_deg = lon_deg;
    if (lon_deg > 370.0 || lon_deg < -370.0) return 3;
    core::set_point_degrees(point, lat_deg, lon_deg);
    return 0;
}

int read_next_point(core::TrackPoint* point) { return core::read_next_point(read_trkpt_tag, point); }

}  // namespace gpx
