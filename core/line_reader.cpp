// Byte-at-a-time line reading out of the input stream's own buffer.
#include "core/line_reader.h"

namespace core {

namespace {

bool is_line_end(int byte) { return byte == '\r' || byte == '\n' || byte == 0; }

}  // namespace

int read_text_line(InputStream* stream, char* buffer, int capacity) {
    int byte;
    do {
        byte = read_byte(stream);
        if (byte == end_of_input) return -1;
    } while (is_line_end(byte));

    buffer[0] = static_cast<char>(byte);
    int count = 1;
    while (count < capacity) {
        byte = read_byte(stream);
        if (byte == end_of_input) return -1;
        if (is_line_end(byte)) {
            buffer[count] = 0;
            return count;
        }
        buffer[count++] = static_cast<char>(byte);
    }
    // An overlong line: the rest up to its terminator is dropped.
    do {
        byte = read_byte(stream);
        if (byte == end_of_input) return -1;
    } while (!is_line_end(byte));
    return capacity;
}

}  // namespace core
