// RMC sentences are parsed in place in the line buffer, field by field.
#include "readers/nmea/nmea_reader.h"

#include <cstdint>
#include <cstring>

#include "core/byte_scan.h"
#include "core/line_reader.h"
#include "core/number_reader.h"
#include "core/point_reader.h"
#include "core/run_slots.h"
#include "readers/nmea/extended_degrees.h"

namespace nmea {

namespace {

// Zero-filled, and written only below line_capacity, so every line in it
// ends in a zero.
char line_buffer[core::line_buffer_size];

const char rmc_prefix[] = "$GPRMC,";
constexpr int rmc_prefix_length = sizeof rmc_prefix - 1;
// The search for the comma that closes the time field starts at its fifth
// character.
constexpr int time_scan_start = rmc_prefix_length + 4;

bool is_space(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

int hex_digit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

// Reads a hexadecimal number as scanf's "%x" does: blanks skipped, an
// optional sign, an optional "0x", the digits; the value wraps to 32 bits
// like the unsigned int it is stored in. False when there is no number.
bool scan_hex(const char* text, uint32_t* value) {
    while (is_space(*text)) ++text;
    bool negative = *text == '-';
    if (*text == '+' || *text == '-') ++text;
    if (text[0] == '0' && (text[1] == 'x' || text[1] == 'X') && hex_digit(text[2]) >= 0) text += 2;
    if (hex_digit(*text) < 0) return false;
    uint64_t magnitude = 0;
    for (int digit; (digit = hex_digit(*text)) >= 0; ++text) {
        // Past 64 bits the library saturates; any such value is far from
        // every checksum.
        if (magnitude > (UINT64_MAX >> 4)) magnitude = UINT64_MAX;
        else magnitude = magnitude * 16 + digit;
    }
    *value = static_cast<uint32_t>(negative ? 0 - magnitude : magnitude);
    return true;
}

// Reads a decimal integer as scanf's "%<width>d" does: blanks skipped, then
// at most width characters of sign and digits. False without digits.
bool scan_int(const char* text, int width, int* value) {
    while (is_space(*text)) ++text;
    bool negative = false;
    if (*text == '+' || *text == '-') {
        negative = *text == '-';
        ++text;
        --width;
    }
    int result = 0, digits = 0;
    for (; digits < width && *text >= '0' && *text <= '9'; ++text, ++digits)
        result = result * 10 + (*text - '0');
    if (digits == 0) return false;
    *value = negative ? -result : result;
    return true;
}

// Advances from position to the next ','; -1 when a byte outside 0x20 to
// 0x7F (the terminating zero included) comes first.
int find_comma(const char* line, int position) {
    for (;; ++position) {
        unsigned char c = static_cast<unsigned char>(line[position]);
        if (c == ',') return position;
        if (c < 0x20 || c >= 0x80) return -1;
    }
}

// Parses a "degrees then minutes" coordinate field that starts at field
// and its hemisphere letter. Returns the position just past the comma after
// the letter, or -1 when the field or the letter is malformed.
int parse_coordinate(const char* line, int field, int degree_digits, char positive,
                     char negative, double* degrees_out) {
    // The degrees and the minutes must both lie inside the line; a field
    // that ends within its degree characters has no minutes to read.
    if (std::memchr(line + field, 0, degree_digits) != nullptr) return -1;
    int whole_degrees;
    if (!scan_int(line + field, degree_digits, &whole_degrees)) return -1;
    double minutes = core::read_number(line + field + degree_digits);
    double degrees = degrees_from_minutes(whole_degrees, minutes);
    int comma = find_comma(line, field + degree_digits);
    if (comma < 0) return -1;
    char hemisphere = line[comma + 1];
    if (hemisphere == negative) degrees = -degrees;
    else if (hemisphere != positive) return -1;
    if (line[comma + 2] != ',') return -1;
    *degrees_out = degrees;
    return comma + 3;
}

// verify_nmea_checksum of a line of length characters (none of them
// zero). The characters before the '*' are XORed eight at a time into the
// lanes of a word, which fold into one byte at the end: the XOR of all
// lanes, in whatever order the machine keeps them.
int checksum_status(const char* line, size_t length) {
    if (line[0] != '$') return 1;
    const unsigned char* bytes = reinterpret_cast<const unsigned char*>(line);
    uint64_t lanes = 0;
    unsigned checksum = 0;
    size_t i = 1;
    for (;;) {
        if (i + core::word_bytes <= length) {
            uint64_t word = core::load_word(bytes + i);
            if (core::bytes_equal(word, '*') == 0) {
                lanes ^= word;
                i += core::word_bytes;
                continue;
            }
        }
        if (i == length) return 2;
        if (bytes[i] == '*') break;
        checksum ^= bytes[i++];
    }
    lanes ^= lanes >> 32;
    lanes ^= lanes >> 16;
    lanes ^= lanes >> 8;
    checksum ^= static_cast<unsigned>(lanes & 0xFF);
    const char* c = line + i + 1;
    uint32_t number;
    if (!scan_hex(c, &number)) return 4;
    if (number == 0 && *c != '0') return 3;
    return number == checksum ? 0 : 4;
}

}  // namespace

int verify_nmea_checksum(const char* line) { return checksum_status(line, std::strlen(line)); }

int read_rmc_line(core::TrackPoint* point) {
    int length = core::read_text_line(&core::input_stream, line_buffer, core::line_capacity);
    if (length < 0) return -1;
    const char* line = line_buffer;
    if (std::strncmp(line, rmc_prefix, rmc_prefix_length) != 0) return 1;
    // A line that fills the capacity ends in the buffer's zero after it.
    if (checksum_status(line, static_cast<size_t>(length)) != 0) return 2;

    if (std::memchr(line, 0, time_scan_start) != nullptr) return 3;
    int comma = find_comma(line, time_scan_start);
    if (comma < 0) return 3;
    if (line[comma + 1] != 'A' || line[comma + 2] != ',') return 10;

    double lat_deg, lon_deg;
    int field = parse_coordinate(line, comma + 3, 2, 'N', 'S', &lat_deg);
    if (field < 0) return 3;
    point->lat_deg = lat_deg;
    if (parse_coordinate(line, field, 3, 'E', 'W', &lon_deg) < 0) return 4;
    point->lon_deg = lon_deg;
    // Written so that NaN fails too.
    if (!(lat_deg >= -100.0 && lat_deg <= 100.0) || !(lon_deg >= -370.0 && lon_deg <= 370.0))
        return 3;
    core::set_point_degrees(point, lat_deg, lon_deg);
    return 0;
}

int read_next_point(core::TrackPoint* point) { return core::read_next_point(read_rmc_line, point); }

}  // namespace nmea
