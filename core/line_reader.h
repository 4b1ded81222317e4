// The text line reader of the line-based formats.
#ifndef CORE_LINE_READER_H
#define CORE_LINE_READER_H

#include "core/input_stream.h"

namespace core {

// Size of the line buffers of the line readers, and the capacity they read
// with: the ten bytes past the capacity are never written, so a line that
// fills the capacity still ends in a zero.
inline constexpr int line_buffer_size = 160;
inline constexpr int line_capacity = 150;

// Reads the next non-empty line from stream into buffer. CR, LF and NUL
// each end a line on their own; empty lines are skipped. Returns the
// line's length (1 to capacity - 1) with a zero after it; capacity when
// the line was that long or longer, with its first capacity characters
// kept, the rest dropped and no zero written; -1 when the input ends
// before a line terminator, a last unterminated line included. buffer
// must hold a zero at index capacity.
int read_text_line(InputStream* stream, char* buffer, int capacity);

}  // namespace core

#endif
