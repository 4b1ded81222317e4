// The checksum test and the sentence parser on one line of any bytes.
#include <cstring>
#include <string>

#include "fuzz/fuzz_support.h"
#include "readers/nmea/nmea_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string line(reinterpret_cast<const char*>(data), size);
    int checksum = nmea::verify_nmea_checksum(line.c_str());
    fuzz::check(checksum >= 0 && checksum <= 4, "checksum code");

    // The same bytes as a sentence with "$GPRMC," in front and a line end.
    std::string sentence = "$GPRMC," + line + "\n";
    fuzz::fill_input(reinterpret_cast<const uint8_t*>(sentence.data()), sentence.size());
    core::TrackPoint point{};
    int code = nmea::read_rmc_line(&point);
    fuzz::check(code == 0 || code == -1 || code == 1 || code == 2 || code == 3 || code == 4 ||
                    code == 10,
                "sentence code");
    if (code == 0) {
        fuzz::check(point.lat_deg >= -100 && point.lat_deg <= 100, "latitude in bounds");
        fuzz::check(point.lon_deg >= -370 && point.lon_deg <= 370, "longitude in bounds");
    }
    fuzz::empty_input();
    return 0;
}
