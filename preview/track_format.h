// The four track formats as the preview meets them: which one a file holds,
// judged from its first bytes, and how each is read and converted.
#ifndef PREVIEW_TRACK_FORMAT_H
#define PREVIEW_TRACK_FORMAT_H

#include "core/entry.h"

namespace preview {

enum class TrackFormat { unknown, nmea, records, plt, gpx };

// What the preview needs of a format: its name on the command line, the
// converter that writes its routes, and that converter's reader.
struct FormatBinding {
    const char* name;           // "nmea", "records", "plt", "gpx"
    const char* converter;      // "Tolvek", "Brisham", "Quendal", "Marovin"
    void (*check_input_header)();  // nullptr where the format has no header
    core::PointReader read_next_point;
};

// The binding of a known format.
const FormatBinding& binding_of(TrackFormat format);

// The format named on the command line; unknown for any other name.
TrackFormat format_named(const char* name);

// Bytes at the start of a file that the judgement looks at.
inline constexpr int format_head_size = 64 * 1024;

// Judges the format from the first size bytes of a file, in this order:
// the record file's signature ("MsRcd" and a zero byte); a first line that
// begins as a track point file's does; a "trkpt" tag or a "<gpx" root; a
// line that begins as an NMEA sentence ("$" or "!", five letters or
// digits, a comma). Anything else is unknown.
TrackFormat judge_format(const unsigned char* head, int size);

// Reads the head of core::input_stream, judges it and puts the stream back
// at its start.
TrackFormat detect_format();

}  // namespace preview

#endif
