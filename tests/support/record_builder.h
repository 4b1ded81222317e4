// Byte builders for record files: the signature, records of any type and
// track records with their points.
#ifndef TESTS_SUPPORT_RECORD_BUILDER_H
#define TESTS_SUPPORT_RECORD_BUILDER_H

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

namespace test_support {

inline std::string le32(int64_t value) {
    uint32_t bits = static_cast<uint32_t>(value);
    std::string bytes(4, '\0');
    for (int i = 0; i < 4; ++i) bytes[i] = static_cast<char>(bits >> (8 * i) & 0xff);
    return bytes;
}

inline std::string signature() { return std::string("MsRcd\0", 6); }

// A record with the given type byte and body, its length the body's size.
inline std::string record(char type, const std::string& body) {
    return le32(static_cast<int64_t>(body.size())) + type + body;
}

using Semicircles = std::pair<int64_t, int64_t>;  // latitude, longitude

// A track record body: name, five track bytes, the declared point count
// and points of 31 bytes (the 23 bytes after the coordinates are 0xAB).
inline std::string track_body(const std::string& name, int64_t declared_count,
                              const std::vector<Semicircles>& points) {
    std::string body = name + std::string(1, '\0') + std::string("\x01\x02\x03\x04\x05", 5);
    body += le32(declared_count);
    for (const Semicircles& point : points)
        body += le32(point.first) + le32(point.second) + std::string(23, '\xab');
    return body;
}

inline std::string track_body(const std::string& name, const std::vector<Semicircles>& points) {
    return track_body(name, static_cast<int64_t>(points.size()), points);
}

// Semicircles of a coordinate that is a whole number of thousandths of a
// degree away from 0 in these tests.
inline int64_t semicircles_of(double degrees) {
    return static_cast<int64_t>(degrees * 2147483648.0 / 180.0 + (degrees < 0 ? -0.5 : 0.5));
}

}  // namespace test_support

#endif
