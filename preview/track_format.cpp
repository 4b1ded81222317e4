// The format table and the judgement of a track's format from its head.
#include "preview/track_format.h"

#include <cstring>

#include "preview/exit_codes.h"
#include "readers/converters/converters.h"
#include "readers/plt/plt_reader.h"
#include "readers/records/records_reader.h"

namespace preview {

const FormatBinding known_formats[format_count] = {
    {"nmea", "Tolvek", &converters::tolvek},
    {"records", "Brisham", &converters::brisham},
    {"plt", "Quendal", &converters::quendal},
    {"gpx", "Marovin", &converters::marovin},
};

namespace {

const FormatBinding unknown_format = {"unknown", "", nullptr};

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

const FormatBinding& binding_of(TrackFormat format) {
    if (format == TrackFormat::unknown) return unknown_format;
    return known_formats[static_cast<int>(format) - 1];
}

TrackFormat format_named(const char* name) {
    for (int k = 0; k < format_count; ++k)
        if (std::strcmp(name, known_formats[k].name) == 0) return static_cast<TrackFormat>(k + 1);
    return TrackFormat::unknown;
}

TrackFormat judge_head(const unsigned char* bytes, int size) {
    if (starts_with(bytes, size, records::signature, records::signature_size)) return TrackFormat::records;
    if (starts_with(bytes, size, plt::signature, plt::signature_length)) return TrackFormat::plt;
    if (contains(bytes, size, "trkpt") || contains(bytes, size, "<gpx")) return TrackFormat::gpx;
    if (has_sentence_line(bytes, size)) return TrackFormat::nmea;
    return TrackFormat::unknown;
}

const FormatBinding& judge_track(const char* path, TrackFormat format) {
    if (!core::open_input_file(path)) core::abort_run(core::input_open_error);
    if (format == TrackFormat::unknown) {
        int size = static_cast<int>(core::read_bytes(&core::input_stream, head, sizeof head));
        format = judge_head(head, size);
        if (!core::seek_input(&core::input_stream, 0)) format = TrackFormat::unknown;
    }
    if (format == TrackFormat::unknown) core::abort_run(unknown_format_error);
    return binding_of(format);
}

}  // namespace preview
