// The number reader against glibc's strtod on any text: the same bits,
// NaN with its sign and payload included.
#include <cstdlib>
#include <cstring>
#include <string>

#include "core/number_reader.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string text(reinterpret_cast<const char*>(data), size);
    double expected = std::strtod(text.c_str(), nullptr);
    double got = core::read_number(text.c_str());
    fuzz::check(std::memcmp(&expected, &got, sizeof got) == 0, "the bits strtod gives");
    return 0;
}
