// Block reads into the stream's own buffer: no per-byte call into the C
// library and no locking. A seek that lands inside the buffer costs no
// system call.
#include "core/input_stream.h"

#include <cstring>

#include "core/platform.h"

namespace core {

namespace {

// Drops the buffer; the file stands at buffer_offset.
void empty_buffer(InputStream* stream, int64_t file_offset) {
    stream->buffer_offset = file_offset;
    stream->next = 0;
    stream->end = 0;
}

}  // namespace

void attach_input(InputStream* stream, std::FILE* file) {
    stream->file = file;
    ++stream->input_number;
    empty_buffer(stream, 0);
}

bool close_input(InputStream* stream) {
    if (stream->file == nullptr) return true;
    int result = std::fclose(stream->file);
    stream->file = nullptr;
    empty_buffer(stream, 0);
    return result == 0;
}

int refill_input(InputStream* stream) {
    empty_buffer(stream, stream->buffer_offset + static_cast<int64_t>(stream->end));
    stream->end = std::fread(stream->buffer, 1, input_buffer_size, stream->file);
    if (stream->end == 0) return end_of_input;
    return stream->buffer[stream->next++];
}

size_t read_more_bytes(InputStream* stream, void* destination, size_t size) {
    unsigned char* out = static_cast<unsigned char*>(destination);
    size_t copied = 0;
    while (copied < size) {
        size_t held = stream->end - stream->next;
        if (held == 0) {
            // A request as large as the buffer goes straight to the file.
            if (size - copied >= input_buffer_size) {
                empty_buffer(stream, stream->buffer_offset + static_cast<int64_t>(stream->end));
                size_t got = std::fread(out + copied, 1, size - copied, stream->file);
                stream->buffer_offset += static_cast<int64_t>(got);
                return copied + got;
            }
            if (refill_input(stream) == end_of_input) break;
            --stream->next;
            held = stream->end;
        }
        size_t part = held < size - copied ? held : size - copied;
        std::memcpy(out + copied, stream->buffer + stream->next, part);
        stream->next += part;
        copied += part;
    }
    return copied;
}

bool seek_input(InputStream* stream, int64_t offset) {
    if (offset >= stream->buffer_offset &&
        offset <= stream->buffer_offset + static_cast<int64_t>(stream->end)) {
        stream->next = static_cast<size_t>(offset - stream->buffer_offset);
        return true;
    }
    if (offset < 0 || !platform::seek_file(stream->file, offset)) return false;
    empty_buffer(stream, offset);
    return true;
}

int64_t tell_input(const InputStream* stream) {
    return stream->buffer_offset + static_cast<int64_t>(stream->next);
}

}  // namespace core
