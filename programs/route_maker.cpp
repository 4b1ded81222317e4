// The route maker page's program: the four converters and rt2preview in
// one WebAssembly module, the first argument naming which one runs with
// the arguments after it, exactly as that program would run alone. The
// page starts a fresh instance for every run, since each run ends the
// process and the programs keep process-wide state.
//
//   route_maker Tolvek|Brisham|Quendal|Marovin ARGS...
//   route_maker rt2preview ARGS...
//   route_maker rt2gpx ROUTE.rt2 ROUTE.gpx
//   route_maker judge TRACK      prints the format rt2preview would judge
//
// In front of a program's name, "--figures FILE" has that program's run
// write its figures to FILE as key=value lines as it ends
// (programs/run_figures.h); what it prints stays the same.
#include <cstring>

#include "core/console.h"
#include "core/entry.h"
#include "preview/preview_run.h"
#include "preview/track_format.h"
#include "readers/route2/route_gpx.h"
#include "programs/run_figures.h"

namespace {

// Prints the name of the track's format ("gpx") on a line of its own, or
// ends as the preview does when the file cannot be opened or its format
// is not known.
[[noreturn]] void judge(const char* path) {
    core::print_text(preview::judge_track(path, preview::TrackFormat::unknown).name);
    core::print_text("\n");
    core::end_process(core::exit_success);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc >= 4 && std::strcmp(argv[1], "--figures") == 0) {
        programs::write_figures_at_end(argv[3], argv[2]);
        argc -= 2;
        argv += 2;
    }
    if (argc >= 2) {
        for (const preview::FormatBinding& format : preview::known_formats)
            if (std::strcmp(argv[1], format.converter) == 0)
                core::run_program(*format.program, argc - 1, argv + 1);
        if (std::strcmp(argv[1], "rt2preview") == 0) preview::run_preview(argc - 1, argv + 1);
        if (std::strcmp(argv[1], "rt2gpx") == 0) route2::run_rt2gpx(argc - 1, argv + 1);
        if (std::strcmp(argv[1], "judge") == 0 && argc == 3) judge(argv[2]);
    }
    core::print_text("Usage: route_maker Tolvek|Brisham|Quendal|Marovin|rt2preview|rt2gpx ARGS... | judge TRACK\n");
    return core::exit_usage;
}
