#include "readers/route2/route_gpx.h"

#include <cstddef>
#include <cstdio>
#include <cstring>
#include <string>

#include "core/console.h"
#include "core/entry.h"
#include "core/number_reader.h"
#include "core/number_writer.h"
#include "core/platform.h"

namespace route2 {

namespace {

const core::ProgramInfo rt2gpx_program = {
    PROGRAM_TITLE("OziExplorer .rt2 to GPX route converter"),
    "rt2gpx ROUTE.rt2 ROUTE.gpx \n\n",
    nullptr,
    nullptr,
};

// The longest line taken. Our records are 37 bytes; a route made elsewhere
// may carry longer names, but no Route2 line comes near this.
constexpr size_t longest_line = 255;

// One byte more than longest_line, so that a longer line shows, and its end.
char line[longest_line + 2];
size_t line_length;
long long line_number;

// The GPX route's name while it is written; empty until it is opened.
std::string temporary_path;

// A route in another datum: its coordinates would be misplaced.
constexpr core::RunFailure datum_error{"Route datum is not WGS 84!\n", core::exit_forward_pass};

// Ends the run with the failure, the GPX route's temporary file closed and
// deleted.
[[noreturn]] void fail(const core::RunFailure& failure) {
    if (!temporary_path.empty()) {
        core::close_output();
        platform::remove_file(temporary_path.c_str());
        temporary_path.clear();
    }
    core::abort_run(failure);
}

[[noreturn]] void fail_at_line() {
    char number[core::integer_text_size + 1];
    number[core::format_integer(number, line_number, 0, false)] = 0;
    std::string message = std::string("Invalid route record in line ") + number + "!\n";
    fail(core::RunFailure{message.c_str(), core::exit_forward_pass});
}

// Reads the next line into line, without its end (CR, LF or CR LF); false
// at the end of the file. A line too long to be a Route2 line is cut to
// longest_line + 1 bytes, which no check below takes as a record.
bool read_line() {
    core::InputStream* input = &core::input_stream;
    int c = core::read_byte(input);
    if (c == core::end_of_input) return false;
    line_length = 0;
    ++line_number;
    while (c != core::end_of_input && c != '\n' && c != '\r') {
        if (line_length <= longest_line) line[line_length++] = static_cast<char>(c);
        c = core::read_byte(input);
    }
    if (c == '\r') {
        c = core::read_byte(input);
        // A lone CR ends the line too; the byte after it is the next line's.
        if (c != '\n' && c != core::end_of_input) --input->next;
    }
    line[line_length] = 0;
    return true;
}

bool line_begins_with(const char* text) {
    size_t length = std::strlen(text);
    return line_length >= length && std::memcmp(line, text, length) == 0;
}

// The fields of the line, between its commas, pointing into it: at most
// most_fields, the last one holding the rest of the line.
constexpr int most_fields = 5;
struct Fields {
    const char* text[most_fields];
    size_t length[most_fields];
    int count;
};

Fields split_line() {
    Fields fields{};
    size_t start = 0;
    for (size_t i = 0; i <= line_length; ++i) {
        bool last = fields.count == most_fields - 1;
        if (i == line_length || (line[i] == ',' && !last)) {
            fields.text[fields.count] = line + start;
            fields.length[fields.count] = i - start;
            ++fields.count;
            start = i + 1;
            if (i == line_length) break;
        }
    }
    return fields;
}

// A coordinate field, "  55.030200": blanks, then an optional minus, digits
// and optionally a point and more digits, then blanks. Sets *start and
// *number_length to the number's own text and *value to its value; false when the
// field is not such a number, or its value lies outside [-limit, limit].
bool read_coordinate(const char* text, size_t length, double limit, const char** start, size_t* number_length,
                     double* value) {
    size_t i = 0;
    while (i < length && text[i] == ' ') ++i;
    size_t end = length;
    while (end > i && text[end - 1] == ' ') --end;
    size_t j = i;
    if (j < end && text[j] == '-') ++j;
    size_t digits = j;
    while (j < end && core::is_digit(text[j])) ++j;
    if (j == digits) return false;
    if (j < end && text[j] == '.') {
        size_t decimals = ++j;
        while (j < end && core::is_digit(text[j])) ++j;
        if (j == decimals) return false;
    }
    if (j != end || end - i > 24) return false;
    char number[32];
    std::memcpy(number, text + i, end - i);
    number[end - i] = 0;
    *value = core::read_number(number);
    *start = text + i;
    *number_length = end - i;
    return *value >= -limit && *value <= limit;
}

void put(const char* bytes, size_t size) {
    if (size > 0 && std::fwrite(bytes, 1, size, core::output_stream) != size) fail(core::output_write_error);
}

void put(const char* text) { put(text, std::strlen(text)); }

// The length of the well-formed UTF-8 sequence at text (of at most size
// bytes) for a character that XML may hold, or 0.
size_t utf8_sequence(const unsigned char* text, size_t size) {
    unsigned char c = text[0];
    size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 ? 2 : 0;
    if (length == 0 || c > 0xF4 || length > size) return 0;
    unsigned long code = c & (0x3F >> (length - 1));
    for (size_t i = 1; i < length; ++i) {
        if ((text[i] & 0xC0) != 0x80) return 0;
        code = code << 6 | (text[i] & 0x3F);
    }
    bool shortest = length == 2 || (length == 3 && code >= 0x800) || (length == 4 && code >= 0x10000);
    bool xml_character = code <= 0x10FFFF && !(code >= 0xD800 && code <= 0xDFFF) && code != 0xFFFE && code != 0xFFFF;
    return shortest && xml_character ? length : 0;
}

// Writes a name as XML text. The five markup characters become entities.
// Well-formed UTF-8 is kept; any other byte from 0x80 up is taken as a
// Latin-1 character, since older routes carry their names in an 8-bit
// code page, and the GPX file must stay well-formed UTF-8. A control
// character, which XML cannot hold, makes the line invalid.
void put_name(const char* text, size_t size) {
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(text);
    for (size_t i = 0; i < size;) {
        unsigned char c = bytes[i];
        if (c < 0x20 && c != '\t') fail_at_line();
        if (c < 0x80) {
            switch (c) {
                case '&': put("&amp;"); break;
                case '<': put("&lt;"); break;
                case '>': put("&gt;"); break;
                case '"': put("&quot;"); break;
                case '\'': put("&apos;"); break;
                default: put(text + i, 1); break;
            }
            ++i;
            continue;
        }
        size_t length = utf8_sequence(bytes + i, size - i);
        if (length > 0) {
            put(text + i, length);
            i += length;
        } else {
            char latin1[2] = {static_cast<char>(0xC0 | c >> 6), static_cast<char>(0x80 | (c & 0x3F))};
            put(latin1, 2);
            ++i;
        }
    }
}

// Checks the three header lines and keeps the route's name (the field
// after "H3,") in route_name.
void read_header(std::string* route_name) {
    if (!read_line() || !line_begins_with("H1,OziExplorer CE Route2 File")) fail(core::input_format_error);
    if (!read_line() || !line_begins_with("H2,")) fail(core::input_format_error);
    if (std::strcmp(line, "H2,WGS 84") != 0) fail(datum_error);
    if (!read_line() || !line_begins_with("H3,")) fail(core::input_format_error);
    Fields fields = split_line();
    if (fields.count < 2) fail(core::input_format_error);
    route_name->assign(fields.text[1], fields.length[1]);
}

// Writes the waypoint record in line as a route point: "W,NAME,LAT,LON,..."
void put_route_point() {
    Fields fields = split_line();
    const char *latitude, *longitude;
    size_t latitude_length, longitude_length;
    double value;
    if (line_length > longest_line || fields.count < 4 || fields.length[0] != 1 || fields.text[0][0] != 'W' ||
        !read_coordinate(fields.text[2], fields.length[2], 90, &latitude, &latitude_length, &value) ||
        !read_coordinate(fields.text[3], fields.length[3], 180, &longitude, &longitude_length, &value))
        fail_at_line();
    put("    <rtept lat=\"");
    put(latitude, latitude_length);
    put("\" lon=\"");
    put(longitude, longitude_length);
    put("\">");
    if (fields.length[1] > 0) {
        put("<name>");
        put_name(fields.text[1], fields.length[1]);
        put("</name>");
    }
    put("</rtept>\n");
}

}  // namespace

void run_rt2gpx(int argc, char** argv) {
    platform::prepare_standard_output();
    argv = platform::utf8_arguments(&argc, argv);
    if (argc != 3) core::show_usage(rt2gpx_program);
    line_number = 0;
    temporary_path.clear();
    const char* route_path = argv[1];
    const char* gpx_path = argv[2];
    core::print_text("Route file: ");
    core::print_text(route_path);
    core::print_text("\nGPX route file: ");
    core::print_text(gpx_path);
    core::print_text("\n");

    if (!core::open_input_file(route_path)) fail(core::input_open_error);
    std::string route_name;
    read_header(&route_name);

    temporary_path = std::string(gpx_path) + ".tmp";
    if (!core::open_output_file(temporary_path.c_str())) {
        temporary_path.clear();
        fail(core::output_open_error);
    }
    put("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
        "<gpx version=\"1.1\" creator=\"rt2gpx\" xmlns=\"http://www.topografix.com/GPX/1/1\">\n"
        "  <rte>\n");
    if (!route_name.empty()) {
        put("    <name>");
        put_name(route_name.data(), route_name.size());
        put("</name>\n");
    }
    long long waypoints = 0;
    while (read_line()) {
        if (line_length == 0) continue;
        put_route_point();
        ++waypoints;
    }
    if (std::ferror(core::input_stream.file)) fail(core::input_read_error);
    put("  </rte>\n</gpx>\n");
    if (!core::close_output()) fail(core::output_write_error);
    // Closed first: a system may not rename over a file that is open.
    core::close_input(&core::input_stream);
    if (!platform::replace_file(temporary_path.c_str(), gpx_path)) fail(core::output_rename_error);
    temporary_path.clear();

    char count[core::integer_text_size + 1];
    count[core::format_integer(count, waypoints, 0, false)] = 0;
    core::print_text("Waypoints: ");
    core::print_text(count);
    core::print_text("\n");
    core::end_process(core::exit_success);
}

}  // namespace route2
