// How often the thinning of one track still needs exact values: the
// track is read as its converter reads it and thinned under the
// converter's default thresholds, or those given, and every comparison
// that its bounds left open is counted, per value.
//   exact_path_counts TRACKFILE [/m.. /x.. /a.. /e..]
#include <cstdio>

#include "core/command_line.h"
#include "core/entry.h"
#include "core/number_reader.h"
#include "core/thinning.h"
#include "preview/track_format.h"

namespace {

void count_only(core::Thinning*, core::TrackPoint*) {}

void print_count(const char* what, long long count, long long decisions) {
    std::printf("%-34s %12lld  %.3g\n", what, count, decisions > 0 ? static_cast<double>(count) / decisions : 0.0);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::printf("usage: exact_path_counts TRACKFILE [/m.. /x.. /a.. /e..]\n");
        return 1;
    }
    core::RunSettings limits = core::default_settings;
    for (int i = 2; i < argc; ++i) {
        double* threshold = argv[i][0] != 0 ? core::threshold_setting(argv[i][1], &limits) : nullptr;
        if (threshold == nullptr) {
            std::printf("unknown option %s\n", argv[i]);
            return 1;
        }
        *threshold = core::read_number(argv[i] + 2);
    }
    // Ends the process when the track cannot be opened or its format is
    // not known.
    const preview::FormatBinding& format = preview::judge_track(argv[1], preview::TrackFormat::unknown);
    const core::ProgramInfo& binding = *format.program;
    if (binding.check_input_header != nullptr) binding.check_input_header();
    static core::Thinning thinning;
    core::start_thinning(&thinning, limits, core::WaypointSink{count_only, nullptr});
    while (binding.read_next_point(&thinning.lookahead) == 0) core::take_point(&thinning);
    core::finish_thinning(&thinning);

    const core::ExactPathCounts& counts = core::exact_path_counts;
    long long decisions = thinning.points_read > 2 ? thinning.points_read - 2 : 0;
    std::printf("%s (%s): %d points, %d waypoints\n", argv[1], format.name, thinning.points_read,
                thinning.waypoint_count);
    std::printf("%-34s %12s  %s\n", "exact values needed for", "times", "per decision");
    print_count("decisions", decisions, decisions);
    print_count("step distance vs minimal distance", counts.step_below_minimum, decisions);
    print_count("leg distance vs minimal distance", counts.leg_below_minimum, decisions);
    print_count("leg distance vs maximal distance", counts.leg_above_maximum, decisions);
    print_count("turn vs maximal angle", counts.turn, decisions);
    print_count("offset vs maximal orthogonal error", counts.offset, decisions);
    print_count("hop added to the track length", counts.track_length, decisions);
    return 0;
}
