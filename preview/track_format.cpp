#include "preview/track_format.h"

#include <cstring>
#include <initializer_list>

#include "readers/gpx/gpx_reader.h"
#include "readers/nmea/nmea_reader.h"
#include "readers/plt/plt_reader.h"
#include "readers/records/records_reader.h"

namespace preview {

namespace {

const FormatBinding bindings[] = {
    {"unknown", "", nullptr, nullptr},
    {"nmea", "Tolvek", nullptr, nmea::read_next_point},
    {"records", "Brisham", records::check_input_header, records::read_next_point},
    {"plt", "Quendal", plt::check_input_header, plt::read_next_point},
    {"gpx", "Marovin", nullptr, gpx::read_next_point},
};

unsigned char head[format_head_size];

bool starts_with(const unsigned char* bytes, int size, const char* prefix, int prefix_size) {
    return size >= prefix_size && std::memcmp(bytes, prefix, prefix_size) == 0;
}

bool contains(const unsigned char* bytes, int size, const char* text) {
    int length = static_cast<int>(std::strlen(text));
    for (int i = 0; i + length <= size; ++i)
        if (bytes[i] == static_cast<unsigned char>(text[0]) &&
            std::memcmp(bytes + i, text, length) == 0)
            return true;
    return false;
}

bool is_letter_or_digit(unsigned char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9');
}

// "$GPRMC," and its kind: a sentence start at the beginning of a line.
bool has_sentence_line(const unsigned char* bytes, int size) {
    for (int i = 0; i + 7 <= size; ++i) {
        if (i > 0 && bytes[i - 1] != '\n' && bytes[i - 1] != '\r') continue;
        if (bytes[i] != '$' && bytes[i] != '!') continue;
        bool name = true;
        for (int k = 1; k <= 5; ++k) name = name && is_letter_or_digit(bytes[i + k]);
        if (name && bytes[i + 6] == ',') return true;
    }
    return false;
}

}  // namespace

const FormatBinding& binding_of(TrackFormat format) { return bindings[static_cast<int>(format)]; }

TrackFormat format_named(const char* name) {
    for (TrackFormat format : {TrackFormat::nmea, TrackFormat::records, TrackFormat::plt,
                               TrackFormat::gpx})
        if (std::strcmp(name, binding_of(format).name) == 0) return format;
    return TrackFormat::unknown;
}

TrackFormat judge_format(const unsigned char* bytes, int size) {
    if (starts_with(bytes, size, "MsRcd\0", 6)) return TrackFormat::records;
    const char plt_signature[] = "OziExplorer Track Point File";
    if (starts_with(bytes, size, plt_signature, sizeof plt_signature - 1)) return TrackFormat::plt;
    if (contains(bytes, size, "trkpt") || contains(bytes, size, "<gpx")) return TrackFormat::gpx;
    if (has_sentence_line(bytes, size)) return TrackFormat::nmea;
    return TrackFormat::unknown;
}

TrackFormat detect_format() {
    int size = static_cast<int>(core::read_bytes(&core::input_stream, head, sizeof head));
    TrackFormat format = judge_format(head, size);
    if (!core::seek_input(&core::input_stream, 0)) return TrackFormat::unknown;
    return format;
}

}  // namespace preview
