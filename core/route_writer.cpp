// Writing the forward route record by record and copying it backwards.
#include "core/route_writer.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "core/command_line.h"
#include "core/number_writer.h"
#include "core/run_slots.h"

namespace core {

int waypoint_count = 0;

namespace {

char record_buffer[route_record_size];  // one record on its way backwards

// The backward pass reads the forward route from its end in blocks, each
// ending with the record asked for, so that a run of records costs one
// positioning and one read instead of one of each per record.
constexpr int64_t backward_block_size = 64 * 1024;
char backward_block[backward_block_size];
int64_t block_start = 0;   // file offset of backward_block[0]
int64_t block_length = 0;  // bytes held; 0 before the first read

// Reads the record at offset into record_buffer; ends the run when the
// stream cannot be positioned or the record is not all there.
void read_forward_record(int64_t offset) {
    if (offset < block_start || offset + route_record_size > block_start + block_length) {
        int64_t start = offset + route_record_size - backward_block_size;
        if (start < 0) start = 0;
        if (!seek_input(&input_stream, start))
            abort_run(forward_seek_error);
        int64_t wanted = offset + route_record_size - start;
        block_start = start;
        block_length = static_cast<int64_t>(
            read_bytes(&input_stream, backward_block, static_cast<size_t>(wanted)));
        // A short read leaves the record asked for, at the block's end,
        // incomplete.
        if (block_length < wanted)
            abort_run(forward_read_error);
    }
    std::memcpy(record_buffer, backward_block + (offset - block_start), route_record_size);
}

const char header_line_1[] = "H1,OziExplorer CE Route2 File Version 1.0\r\n";
const char header_line_2[] = "H2,WGS 84\r\n";
const char forward_line_3[] = "H3,ForwardRoute,,0\r\n";
const char backward_line_3[] = "H3,BackwardRoute,,0\r\n";

static_assert(sizeof header_line_1 - 1 + sizeof header_line_2 - 1 + sizeof forward_line_3 - 1 ==
              forward_header_size);

}  // namespace

void write_route_header(Route route) {
    const char* lines[] = {header_line_1, header_line_2,
                           route == forward_route ? forward_line_3 : backward_line_3};
    for (const char* line : lines) {
        size_t length = std::strlen(line);
        if (std::fwrite(line, 1, length, output_stream) != length) {
            if (route == forward_route) abort_run(output_write_error);
            abort_run(backward_header_error);
        }
    }
}

int format_waypoint_name(char* text, int number) {
    int length = sizeof waypoint_name_prefix - 1;
    std::memcpy(text, waypoint_name_prefix, length);
    return length + format_integer(text + length, number, waypoint_name_digits, true);
}

void write_waypoint(TrackPoint* point) {
    ++waypoint_count;
    // "W,RW%06d,%10.6lf,%11.6lf,0\r\n". Coordinates from a reader without
    // range checks may print wider than their fields; the record is then
    // cut to fit text.
    char record[2 * fixed_text_size + 32];
    int length = 0;
    record[length++] = 'W';
    record[length++] = ',';
    length += format_waypoint_name(record + length, waypoint_count);
    record[length++] = ',';
    length += format_fixed(record + length, point->lat_deg, 6, 10);
    record[length++] = ',';
    length += format_fixed(record + length, point->lon_deg, 6, 11);
    std::memcpy(record + length, ",0\r\n", 4);
    length += 4;
    if (length >= static_cast<int>(sizeof point->text)) length = sizeof point->text - 1;
    std::memcpy(point->text, record, length);
    point->text[length] = 0;
    if (std::fwrite(point->text, 1, length, output_stream) != static_cast<size_t>(length))
        abort_run(output_write_error);
}

void write_backward_route() {
    if (!open_input_file(settings.forward_path))
        abort_run(forward_open_error);
    if (!open_output_file(settings.backward_path))
        abort_run(backward_open_error);
    write_route_header(backward_route);

    block_start = 0;
    block_length = 0;
    for (int n = waypoint_count; n >= 1; --n) {
        read_forward_record(static_cast<int64_t>(route_record_size) * (n + 1));
        // Only the ends are checked: a record of another length shifts every
        // record after it, and the first byte or the line feed gives it away.
        if (record_buffer[0] != 'W' || record_buffer[route_record_size - 1] != '\n')
            abort_run(forward_data_error);
        if (std::fwrite(record_buffer, 1, route_record_size, output_stream) != route_record_size)
            abort_run(backward_write_error);
    }
}

}  // namespace core
