// What the fuzz targets share: a run's end taken over by an exception so
// the target can look at what the run left, streams over the input bytes
// and a check that stops the fuzzer on a broken promise.
#ifndef FUZZ_FUZZ_SUPPORT_H
#define FUZZ_FUZZ_SUPPORT_H

#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "core/entry.h"

namespace fuzz {

struct RunEnded {
    int exit_code;
};

[[noreturn]] inline void throw_run_end(int exit_code) { throw RunEnded{exit_code}; }

// Makes core's process end throw RunEnded instead of ending the fuzzer.
inline void take_over_process_end() { core::process_end = throw_run_end; }

// A read-only stream over the bytes; the stream needs a buffer that
// outlives it, which the fuzzer's input does.
inline std::FILE* stream_over(const uint8_t* data, size_t size) {
    if (size == 0) return std::fopen("/dev/null", "rb");
    return fmemopen(const_cast<uint8_t*>(data), size, "rb");
}

// Puts a stream over the bytes into the input_stream slot, and empties it.
inline void fill_input(const uint8_t* data, size_t size) {
    core::attach_input(&core::input_stream, stream_over(data, size));
}
inline void empty_input() { core::close_input(&core::input_stream); }

inline void check(bool holds, const char* what) {
    if (holds) return;
    std::fprintf(stderr, "broken promise: %s\n", what);
    std::abort();
}

// A coordinate from eight input bytes, brought within +-bound as a reader
// keeps its coordinates; 0 for NaN and infinities.
inline double coordinate(const uint8_t* bytes, double bound) {
    double value;
    std::memcpy(&value, bytes, sizeof value);
    if (!std::isfinite(value)) return 0;
    return std::fmod(value, bound);
}

// Runs a reader's point operation over the whole input and checks every
// point it delivers: finite, within the bounds, radians that match.
template <typename Reader>
int drain_points(Reader read_next_point, double lat_bound, double lon_bound) {
    core::TrackPoint point{};
    int points = 0;
    while (read_next_point(&point) == 0) {
        check(point.lat_deg >= -lat_bound && point.lat_deg <= lat_bound, "latitude in bounds");
        check(point.lon_deg >= -lon_bound && point.lon_deg <= lon_bound, "longitude in bounds");
        check(point.lat_rad == point.lat_deg * core::radians_per_degree, "latitude radians");
        check(point.lon_rad == point.lon_deg * core::radians_per_degree, "longitude radians");
        check(point.text[0] == 0 && point.text[core::point_text_size - 1] == 0, "text ends");
        ++points;
    }
    return points;
}

}  // namespace fuzz

#endif
