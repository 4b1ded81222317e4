// The preview's command line, and the converter command lines it prints.
#ifndef PREVIEW_PREVIEW_OPTIONS_H
#define PREVIEW_PREVIEW_OPTIONS_H

#include <string>

#include "core/command_line.h"
#include "preview/projection.h"
#include "preview/track_format.h"

namespace preview {

// The largest waypoint budget --fit takes.
inline constexpr int largest_budget = 1000000;

struct PreviewSettings {
    const char* track_path;   // nullptr until the command line names it
    const char* output_path;  // nullptr: the track path with ".svg" added
    int fit_budget;           // 0 without --fit
    double within_m;          // 0 without --within
    const char* within_text;  // the distance as given, for the messages
    bool sweep;
    // --closest: the closest route for --fit or --within instead of a
    // converter's thresholds.
    bool closest;
    // --write: the route drawn is also written to these two route files,
    // as a converter writes them; nullptr without it.
    const char* forward_path;
    const char* backward_path;
    TrackFormat format;       // unknown: judged from the file
    bool has_view;            // --view: only this window is drawn
    Window view;
    int width_px, height_px;  // --size; 0 for a picture fitted to what it draws
    // The four thresholds, read and defaulted as the converters do; the
    // route names are the converters' defaults.
    core::RunSettings limits;
};

// Whether a path names a file that can be opened for reading.
using FileTest = bool (*)(const char* path);

// Reads the arguments (argv[0] is the program name) into *out. Returns 0
// for a good command line; 1 when it must be refused: an unknown or
// incomplete "--" option, a --fit budget that is not a whole number from 2
// to largest_budget, a --within distance that is not a positive finite
// number in plain decimal notation ("25", "2.5", "1e3"), a --view that is not four numbers in plain decimal notation
// with an optional sign ("-33.9,151.1,-33.8,151.3": latitudes within 90 degrees, south below north, longitudes within
// 720), a --size that is not WIDTHxHEIGHT in whole pixels from smallest_picture_width x
// smallest_picture_height to largest_picture_side each way, an unknown --format, an unknown threshold letter, no
// track file or a second one, an --output that names the track file, --closest without --fit or --within or
// with --sweep or a threshold, --write files that are the same file or the track or picture file. An argument
// that begins with '/' is the track file when is_file says it names one, and a threshold otherwise.
// Prints nothing.
int read_preview_command_line(int argc, char** argv, FileTest is_file, PreviewSettings* out);

// The thresholds as the converters take them: "/m5 /x1000 /a5 /e50", each
// number in its shortest exact form.
std::string threshold_options(const core::RunSettings& limits);

// The path as it goes on a converter's command line: a path that begins
// with '/' is made relative to directory (a converter would read it as an
// option), and a path with characters a shell treats specially is put in
// double quotes.
std::string converter_path(const char* path, const char* directory);

// "Marovin track.gpx forward.rt2 backward.rt2 /m5 /x1000 /a5 /e50".
std::string converter_command(const char* converter, const std::string& track_path,
                              const core::RunSettings& limits);

}  // namespace preview

#endif
