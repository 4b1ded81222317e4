// The four track formats as the preview meets them: which one a file holds,
// judged from its first bytes, and the converter that reads and converts
// each.
#ifndef PREVIEW_TRACK_FORMAT_H
#define PREVIEW_TRACK_FORMAT_H

#include "core/entry.h"

namespace preview {

enum class TrackFormat { unknown, nmea, records, plt, gpx };

// A known format and its converter, whose descriptor holds the format's
// header check and point reader.
struct FormatBinding {
    const char* name;                   // "nmea", "records", "plt", "gpx"
    const char* converter;              // "Tolvek", "Brisham", "Quendal", "Marovin"
    const core::ProgramInfo* program;   // nullptr for unknown
};

// The known formats, in the order of TrackFormat after unknown.
inline constexpr int format_count = 4;
extern const FormatBinding known_formats[format_count];

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
TrackFormat judge_head(const unsigned char* head, int size);

// Opens the track at path as core::input_stream and returns the binding
// of its format: format itself where it is not unknown, else the one its
// head is judged to be, with the stream back at its start. Ends the
// process with "Input file open error!" when the file cannot be opened and
// "Unknown track file format!" when its format is not known (both exit 2).
const FormatBinding& judge_track(const char* path, TrackFormat format);

}  // namespace preview

#endif
