// The record walk seeks from record to record by their lengths, so only
// the five leading bytes of records other than tracks are ever read.
#include "readers/records/records_reader.h"

#include <cstdio>
#include <cstring>

#include "core/console.h"
#include "core/run_slots.h"

namespace records {

namespace {

enum TrackState { looking_for_track, at_track_header, in_track_points };

constexpr int max_name_length = 150;   // bytes of a track name before its zero
constexpr int track_bytes_size = 5;    // after the name, not interpreted
constexpr int point_tail_size = 23;    // after a point's coordinates, skipped
constexpr unsigned char track_type = 'T';

// The signature, then each track name and the track bytes after it.
char header_buffer[160];
// Absolute offset of the next record; 64 bits, so files past 2 GiB walk
// on without overflow.
int64_t next_record_offset = 0;
TrackState track_state = looking_for_track;
int32_t points_left = 0;

// The little-endian 32-bit value in four bytes.
int32_t int32_at(const unsigned char* bytes) {
    uint32_t bits = bytes[0] | bytes[1] << 8 | bytes[2] << 16 | static_cast<uint32_t>(bytes[3]) << 24;
    return static_cast<int32_t>(bits);
}

// Reads a little-endian 32-bit value; false when fewer than four bytes come.
bool read_int32(int32_t* value) {
    unsigned char bytes[4];
    if (core::read_bytes(&core::input_stream, bytes, sizeof bytes) != sizeof bytes) return false;
    *value = int32_at(bytes);
    return true;
}

// Reads the name, the track bytes and the point count of a track record.
int read_track_header() {
    int length = 0;
    for (;;) {
        int byte = core::read_byte(&core::input_stream);
        if (byte == core::end_of_input) return -2;
        if (byte == 0) break;
        if (length == max_name_length) return -3;
        header_buffer[length++] = static_cast<char>(byte);
    }
    header_buffer[length] = 0;
    if (core::read_bytes(&core::input_stream, header_buffer, track_bytes_size) != track_bytes_size)
        return -4;
    if (!read_int32(&points_left)) return -5;
    if (points_left < 0) return -6;
    return 0;
}


}  // namespace

double semicircles_to_degrees(int32_t semicircles) { return semicircles * (180.0 / 2147483648.0); }

void check_input_header() {
    track_state = looking_for_track;
    points_left = 0;
    if (core::read_bytes(&core::input_stream, header_buffer, signature_size) != signature_size)
        core::abort_run(core::input_read_error);
    if (std::memcmp(header_buffer, signature, signature_size) != 0)
        core::abort_run(core::input_format_error);
    next_record_offset = core::tell_input(&core::input_stream);
    if (next_record_offset < 0) core::abort_run(core::input_tell_error);
}

int find_track_record() {
    for (;;) {
        if (!core::seek_input(&core::input_stream, next_record_offset)) return -1;
        int32_t length;
        if (!read_int32(&length)) return -2;
        // A negative length would lead the walk backwards, and perhaps
        // round in a loop: the records end there.
        if (length < 0) return -4;
        next_record_offset += static_cast<int64_t>(length) + 5;
        if (length == 0) continue;  // its type byte is never read
        int type = core::read_byte(&core::input_stream);
        if (type == core::end_of_input) return -3;
        if (type == track_type) return 0;
    }
}

int read_track_point(core::TrackPoint* point) {
    if (track_state == looking_for_track) return -10;
    if (track_state == at_track_header) {
        int result = read_track_header();
        if (result < 0) return result;
        track_state = in_track_points;
    }
    if (points_left == 0) {
        track_state = looking_for_track;
        return 1;
    }
    --points_left;
    // The coordinates and the bytes after them in one read, which costs
    // no system call per point; where the file ends within the bytes after
    // them, the stream stands at its end, as a seek past the end would
    // leave the next read.
    unsigned char bytes[8 + point_tail_size];
    size_t got = core::read_bytes(&core::input_stream, bytes, sizeof bytes);
    if (got < 4) return -7;
    if (got < 8) return -8;
    int32_t lat = int32_at(bytes), lon = int32_at(bytes + 4);
    core::set_point_degrees(point, semicircles_to_degrees(lat), semicircles_to_degrees(lon));
    if (points_left < 1) track_state = looking_for_track;
    return 0;
}

int read_next_point(core::TrackPoint* point) {
    for (;;) {
        if (track_state == looking_for_track) {
            if (find_track_record() < 0) return -1;
            track_state = at_track_header;
        }
        int result = read_track_point(point);
        if (result < 0) {
            core::print_text("Track read error!\n");
            return -1;
        }
        if (result == 0) return 0;
    }
}

}  // namespace records
