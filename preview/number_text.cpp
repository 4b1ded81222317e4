// The core's number writers, each into its own buffer, as strings.
#include "preview/number_text.h"

#include "core/number_writer.h"

namespace preview {

std::string fixed_text(double value, int decimals, int width) {
    char text[core::fixed_text_size];
    return std::string(text, core::format_fixed(text, value, decimals, width));
}

std::string integer_text(long long value, int width, bool zero_fill) {
    char text[core::integer_text_size];
    return std::string(text, core::format_integer(text, value, width, zero_fill));
}

std::string shortest_text(double value) {
    char text[core::shortest_text_size];
    return std::string(text, core::format_shortest(text, value));
}

}  // namespace preview
