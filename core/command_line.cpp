// Reading the command line into RunSettings and echoing the settings.
#include "core/command_line.h"

#include <cstdio>
#include <cstdlib>

namespace core {

RunSettings settings = default_settings;

namespace {

// The setting an option letter selects, or nullptr for an unknown letter.
double* option_target(char letter, RunSettings* run) {
    switch (letter) {
    case 'm': case 'M': return &run->min_distance_m;
    case 'x': case 'X': return &run->max_distance_m;
    case 'a': case 'A': return &run->max_angle_deg;
    case 'e': case 'E': return &run->max_orth_error_m;
    default: return nullptr;
    }
}

}  // namespace

int read_command_line(int argc, char** argv, RunSettings* out) {
    if (argc < 4) return 1;
    RunSettings run = default_settings;
    const char** names[] = {&run.input_path, &run.forward_path, &run.backward_path};
    int names_seen = 0;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (arg[0] == '/' || arg[0] == '-') {
            double* target = option_target(arg[1], &run);
            if (target == nullptr) return 1;
            // Text that does not begin with a number reads as 0, as strtod
            // leaves it; the "C" locale keeps '.' as the decimal point.
            *target = std::strtod(arg + 2, nullptr);
        } else {
            if (names_seen == 3) return 1;
            *names[names_seen++] = arg;
        }
    }
    *out = run;
    return 0;
}

void print_settings(const RunSettings& run) {
    std::printf("Input  file: %s \n", run.input_path);
    std::printf("Forward output file: %s \n", run.forward_path);
    std::printf("Backward output file: %s \n", run.backward_path);
    std::printf("Minimal distance: %f meters\n", run.min_distance_m);
    std::printf("Maximal distance: %f meters\n", run.max_distance_m);
    std::printf("Maximal angle: %f degrees\n", run.max_angle_deg);
    std::printf("Maximal orthogonal error: %f meters\n", run.max_orth_error_m);
}

}  // namespace core
