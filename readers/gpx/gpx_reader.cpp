// Tags are cut straight out of the input stream's buffer, which is
// scanned eight bytes at a time for '<' and '>'; nothing but the current
// tag is held.
#include "readers/gpx/gpx_reader.h"

#include <cstring>

#include "core/byte_scan.h"
#include "core/number_reader.h"
#include "core/point_reader.h"
#include "core/run_slots.h"

namespace gpx {

namespace {

char tag_buffer[tag_buffer_size];

// strstr within the first length bytes of a tag, none of them zero: the
// first byte of word is looked for eight bytes at a time.
const char* find_text(const char* tag, size_t length, const char* word, size_t word_length,
                      const char* readable_end) {
    const unsigned char* at = reinterpret_cast<const unsigned char*>(tag);
    const unsigned char* end = at + length;
    const unsigned char* readable = reinterpret_cast<const unsigned char*>(readable_end);
    for (; (at = core::find_byte_within(at, end, readable, static_cast<unsigned char>(word[0]))) != end; ++at) {
        if (static_cast<size_t>(end - at) >= word_length && std::memcmp(at, word, word_length) == 0)
            return reinterpret_cast<const char*>(at);
    }
    return nullptr;
}

// Whether the tag contains "trkpt" and not "/trkpt": some "trkpt" and none
// after a '/'. Bytes up to readable_end may be loaded.
bool is_track_point_start(const char* tag, size_t length, const char* readable_end) {
    bool found = false;
    for (const char* at = tag;
         (at = find_text(at, length - static_cast<size_t>(at - tag), "trkpt", 5, readable_end)) != nullptr; ++at) {
        if (at > tag && at[-1] == '/') return false;
        found = true;
    }
    return found;
}

// Finds the first digit from the first occurrence of name on and reads the
// decimal number there, negative when a '-' stands just before the digit.
// Returns 0 with *value set, 1 without the name, 2 without a digit.
int read_attribute_number(const char* tag, size_t length, const char* name, double* value) {
    const char* text = find_text(tag, length, name, 3, tag_buffer + tag_buffer_size);
    if (text == nullptr) return 1;
    while (!core::is_digit(*text)) {
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
size_t text_length(const unsigned char* tag, size_t stored, const unsigned char* readable_end) {
    return static_cast<size_t>(core::find_byte_within(tag, tag + stored, readable_end, 0) - tag);
}

constexpr size_t tag_limit = tag_buffer_size - 2;  // bytes of a tag kept

// Takes the tag at the input's position, where the reader is between
// tags, into tag_buffer as read_next_tag would: 1 when it is a track point
// start tag (its text's length in *length), 0 when it is another, -1 at the
// end of the input. A tag that lies whole in the stream's buffer is judged
// where it lies, and copied only when it is the one.
int take_next_tag(size_t* length) {
    core::InputStream* in = &core::input_stream;
    const unsigned char* end = in->buffer + in->end;
    const unsigned char* open = core::find_byte_within(in->buffer + in->next, end, end, '<');
    if (open != end) {
        const unsigned char* text = open + 1;
        size_t room = static_cast<size_t>(end - text) < tag_limit ? static_cast<size_t>(end - text) : tag_limit;
        const unsigned char* close = core::find_byte_within(text, text + room, end, '>');
        if (close != text + room) {
            in->next = static_cast<size_t>(close - in->buffer) + 1;
            size_t stored = static_cast<size_t>(close - text);
            *length = text_length(text, stored, end);
            if (!is_track_point_start(reinterpret_cast<const char*>(text), *length,
                                      reinterpret_cast<const char*>(end)))
                return 0;
            std::memcpy(tag_buffer, text, stored);
            tag_buffer[stored] = 0;
            return 1;
        }
        in->next = static_cast<size_t>(open - in->buffer);
    }
    size_t stored;
    if (read_tag(tag_buffer, tag_buffer_size, &stored) != 0) return -1;
    const unsigned char* tag = reinterpret_cast<const unsigned char*>(tag_buffer);
    *length = text_length(tag, stored, tag + tag_buffer_size);
    return is_track_point_start(tag_buffer, *length, tag_buffer + tag_buffer_size) ? 1 : 0;
}

// is_track_point_start for the tag text from text up to close (or its
// first zero), whose first "trkpt" is the one at at, not after a '/': a
// start tag unless a zero cuts that one off or a "/trkpt" follows it
// within the text. *length is the text's.
bool start_tag_around(const unsigned char* text, const unsigned char* at, const unsigned char* close,
                      const unsigned char* readable_end, size_t* length) {
    const unsigned char* zero = core::find_byte_within(text, close, readable_end, 0);
    *length = static_cast<size_t>(zero - text);
    if (zero - at < 5) return false;
    // Any later "trkpt" has its 'k' from at + 3 on.
    for (const unsigned char* k = at + 3; (k = core::find_byte_within(k, zero, readable_end, 'k')) != zero; ++k)
        if (zero - k >= 3 && k[-3] == '/' && k[-2] == 't' && k[-1] == 'r' && k[1] == 'p' && k[2] == 't')
            return false;
    return true;
}

// Copies the tag text of stored bytes into tag_buffer with its zero, eight
// bytes at a time where they may be read (bytes past the zero are never
// looked at).
void copy_tag(const unsigned char* text, size_t stored, const unsigned char* readable_end) {
    if (static_cast<size_t>(readable_end - text) >= stored + core::word_bytes) {
        for (size_t i = 0; i < stored; i += core::word_bytes) std::memcpy(tag_buffer + i, text + i, core::word_bytes);
    } else {
        std::memcpy(tag_buffer, text, stored);
    }
    tag_buffer[stored] = 0;
}

// The buffer (by its input and its file offset) in which the next "trkpt"
// lies beyond reach, so that its tags take the general road.
struct BufferPlace {
    int64_t input_number;
    int64_t offset;
};
BufferPlace buffer_without_track_point = {0, -1};

bool in_buffer_without_track_point(const core::InputStream& in) {
    return in.input_number == buffer_without_track_point.input_number &&
           in.buffer_offset == buffer_without_track_point.offset;
}

// take_next_tag over every tag up to the next track point start tag at
// once, where they all lie in the stream's buffer: from the next "trkpt"
// (found by its 'k') back to the tag around it, with no look at the tags
// before it, which cannot be track point start tags. Between tags the
// reader is in the text; after any '>' it is in the text again (a '>' ends
// a tag or is text); so the tag around a "trkpt" opens at the first '<'
// after the last '>' before it, if that '<' comes before it, and ends at
// the first '>' after it, unless it is longer than a tag is kept. 1 with
// the tag in tag_buffer; 0 where the general road is to go on, from the
// input's position.
int find_track_point_tag(size_t* length) {
    core::InputStream* in = &core::input_stream;
    const unsigned char* end = in->buffer + in->end;
    const unsigned char* text_from = in->buffer + in->next;  // between tags
    const unsigned char* search = text_from;
    for (;;) {
        const unsigned char* k = search + 2 <= end ? core::find_byte_within(search + 2, end, end, 'k') : end;
        if (end - k < 3) {
            buffer_without_track_point = {in->input_number, in->buffer_offset};
            break;
        }
        const unsigned char* at = k - 2;
        // A "trkpt" after a '/' is no start tag's, whether it lies in a tag
        // (which then holds "/trkpt") or in the text.
        if (at[0] != 't' || at[1] != 'r' || k[1] != 'p' || k[2] != 't' || (at > text_from && at[-1] == '/')) {
            search = k - 1;
            continue;
        }
        const unsigned char* close_before = core::find_last_byte(text_from, at, '>');
        const unsigned char* open = core::find_byte_within(close_before != nullptr ? close_before + 1 : text_from,
                                                           at, end, '<');
        if (open == at) {  // "trkpt" in the text
            text_from = search = at + 1;
            continue;
        }
        const unsigned char* text = open + 1;
        const unsigned char* reach = static_cast<size_t>(end - text) < tag_limit ? end : text + tag_limit;
        const unsigned char* close = k + 3 <= reach ? core::find_byte_within(k + 3, reach, end, '>') : reach;
        if (close == reach) {  // past the buffer, or cut: the general road from its '<'
            in->next = static_cast<size_t>(open - in->buffer);
            return 0;
        }
        size_t stored = static_cast<size_t>(close - text);
        if (start_tag_around(text, at, close, end, length)) {
            copy_tag(text, stored, end);
            in->next = static_cast<size_t>(close - in->buffer) + 1;
            return 1;
        }
        text_from = search = close + 1;
    }
    in->next = static_cast<size_t>(text_from - in->buffer);
    return 0;
}

// Reads tags into tag_buffer until a track point start tag; returns the
// length of its text, or -1 at the end of the input.
long read_track_point_tag() {
    for (;;) {
        size_t length;
        if (!in_buffer_without_track_point(core::input_stream) && find_track_point_tag(&length) > 0)
            return static_cast<long>(length);
        int taken = take_next_tag(&length);
        if (taken < 0) return -1;
        if (taken > 0) return static_cast<long>(length);
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
