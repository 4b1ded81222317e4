// The NMEA point sequence over any bytes.
#include "fuzz/fuzz_support.h"
#include "readers/nmea/nmea_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::fill_input(data, size);
    fuzz::drain_points(nmea::read_next_point, 100, 370);
    fuzz::empty_input();
    return 0;
}
