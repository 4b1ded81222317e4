// The line reader over any bytes: lengths in range, no terminator inside a
// line, the zero where the length says.
#include <cstring>

#include "core/line_reader.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static core::InputStream stream;
    core::attach_input(&stream, fuzz::stream_over(data, size));
    char buffer[core::line_buffer_size] = {};
    int result;
    while ((result = core::read_text_line(&stream, buffer, core::line_capacity)) >= 0) {
        fuzz::check(result >= 1 && result <= core::line_capacity, "length in range");
        fuzz::check(buffer[core::line_capacity] == 0, "zero past the capacity");
        for (int i = 0; i < result; ++i)
            fuzz::check(buffer[i] != '\r' && buffer[i] != '\n' && buffer[i] != 0, "no terminator");
        if (result < core::line_capacity) fuzz::check(buffer[result] == 0, "zero after the line");
    }
    core::close_input(&stream);
    return 0;
}
