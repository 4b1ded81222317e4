// The input stream slot: a file read in blocks into a buffer the program
// owns, and handed out a byte or a block at a time. Positions are 64-bit
// and exact, whether the byte asked for is already buffered or not.
#ifndef CORE_INPUT_STREAM_H
#define CORE_INPUT_STREAM_H

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace core {

inline constexpr int end_of_input = -1;
inline constexpr size_t input_buffer_size = 64 * 1024;

struct InputStream {
    std::FILE* file;         // nullptr while the slot is empty
    int64_t buffer_offset;   // file offset of buffer[0]
    int64_t input_number;    // of the files attached since the process started, 1 for the first
    size_t next;             // index of the next byte to hand out
    size_t end;              // bytes held in buffer
    unsigned char buffer[input_buffer_size];
};

// Puts an open file, positioned at its start, into the stream and empties
// the buffer. The stream owns the file from here on.
void attach_input(InputStream* stream, std::FILE* file);

// Closes the stream's file, if any, and empties the slot; false when the
// close reported an error.
bool close_input(InputStream* stream);

// Refills the buffer and returns its first byte, or end_of_input at the
// end of the file or on a read error.
int refill_input(InputStream* stream);

// The next byte (0 to 255), or end_of_input.
inline int read_byte(InputStream* stream) {
    if (stream->next < stream->end) return stream->buffer[stream->next++];
    return refill_input(stream);
}

// Reads up to size bytes into destination; returns how many came.
size_t read_more_bytes(InputStream* stream, void* destination, size_t size);

inline size_t read_bytes(InputStream* stream, void* destination, size_t size) {
    if (stream->end - stream->next >= size) {
        std::memcpy(destination, stream->buffer + stream->next, size);
        stream->next += size;
        return size;
    }
    return read_more_bytes(stream, destination, size);
}

// Sets the position of the next byte to offset from the start of the file;
// false when the file cannot be positioned there.
bool seek_input(InputStream* stream, int64_t offset);

// The offset of the next byte from the start of the file.
int64_t tell_input(const InputStream* stream);

}  // namespace core

#endif
