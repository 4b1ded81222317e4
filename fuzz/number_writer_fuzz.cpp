// The number writer against glibc's snprintf: any double in each of the
// fixed formats the programs print.
#include <cstdio>
#include <cstring>
#include <string>

#include "core/number_writer.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 9) return 0;
    double value;
    std::memcpy(&value, data, sizeof value);
    static const struct {
        const char* format;
        int precision;
        int width;
    } formats[] = {{"%f", 6, 0}, {"%10.1f", 1, 10}, {"%10.6f", 6, 10}, {"%11.6f", 6, 11}};
    const auto& f = formats[data[8] % 4];
    char expected[core::fixed_text_size];
    std::snprintf(expected, sizeof expected, f.format, value);
    char got[core::fixed_text_size];
    int length = core::format_fixed(got, value, f.precision, f.width);
    fuzz::check(std::string(got, length) == expected, "the text snprintf writes");
    return 0;
}
