// Line reading straight out of the input stream's own buffer: the bytes
// held are scanned with local pointers, eight at a time where none is a
// control byte, and the buffer is refilled only when a line runs past its
// end.
#include "core/line_reader.h"

#include <cstddef>
#include <cstring>

#include "core/byte_scan.h"

namespace core {

namespace {

// CR, LF and NUL sort below every other byte that matters but the
// controls, so most bytes are told apart with one comparison.
bool is_line_end(int byte) { return byte <= '\r' && (byte == '\r' || byte == '\n' || byte == 0); }

}  // namespace

int read_text_line(InputStream* stream, char* buffer, int capacity) {
    int byte;
    do {
        byte = read_byte(stream);
        if (byte == end_of_input) return -1;
    } while (is_line_end(byte));

    buffer[0] = static_cast<char>(byte);
    int count = 1;
    for (;;) {
        const unsigned char* next = stream->buffer + stream->next;
        const unsigned char* end = stream->buffer + stream->end;
        while (next < end) {
            // Eight bytes at a time while none of them sorts as low as a
            // line end: copied while they fit, passed over beyond.
            ptrdiff_t words = (end - next) / word_bytes;
            ptrdiff_t fitting = (capacity - count) / word_bytes;
            if (count < capacity && fitting < words) words = fitting;
            for (; words > 0; --words) {
                uint64_t word = load_word(next);
                if (bytes_below(word, '\r' + 1) != 0) break;
                if (count < capacity) {
                    std::memcpy(buffer + count, next, word_bytes);
                    count += word_bytes;
                }
                next += word_bytes;
            }
            // The next word (or what is left) byte by byte.
            const unsigned char* stop = end - next > word_bytes ? next + word_bytes : end;
            while (next < stop) {
                unsigned char c = *next++;
                if (is_line_end(c)) {
                    stream->next = static_cast<size_t>(next - stream->buffer);
                    // A line of capacity or more characters gets no zero; the
                    // rest of an overlong one has been dropped.
                    if (count < capacity) buffer[count] = 0;
                    return count;
                }
                if (count < capacity) buffer[count++] = static_cast<char>(c);
            }
        }
        stream->next = stream->end;
        if (refill_input(stream) == end_of_input) return -1;
        --stream->next;  // the byte refill_input handed out is scanned above
    }
}

}  // namespace core
