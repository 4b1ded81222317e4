// Byte-at-a-time line reading over a buffered stream. The stream belongs
// to this one thread, so the unlocked read saves a lock per byte.
#include "core/line_reader.h"

namespace core {

namespace {

bool is_line_end(int byte) { return byte == '\r' || byte == '\n' || byte == 0; }

}  // namespace

int read_text_line(std::FILE* stream, char* buffer, int capacity) {
    int byte;
    do {
        byte = getc_unlocked(stream);
        if (byte == EOF) return -1;
    } while (is_line_end(byte));

    buffer[0] = static_cast<char>(byte);
    int count = 1;
    while (count < capacity) {
        byte = getc_unlocked(stream);
        if (byte == EOF) return -1;
        if (is_line_end(byte)) {
            buffer[count] = 0;
            return count;
        }
        buffer[count++] = static_cast<char>(byte);
    }
    // An overlong line: the rest up to its terminator is dropped.
    do {
        byte = getc_unlocked(stream);
        if (byte == EOF) return -1;
    } while (!is_line_end(byte));
    return capacity;
}

}  // namespace core
