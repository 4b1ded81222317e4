// Reading the command line into RunSettings and echoing the settings.
#include "core/command_line.h"

#include "core/console.h"
#include "core/number_reader.h"
#include "core/number_writer.h"

namespace core {

RunSettings settings = default_settings;

double* threshold_setting(char letter, RunSettings* run) {
    switch (letter) {
    case 'm': case 'M': return &run->min_distance_m;
    case 'x': case 'X': return &run->max_distance_m;
    case 'a': case 'A': return &run->max_angle_deg;
    case 'e': case 'E': return &run->max_orth_error_m;
    default: return nullptr;
    }
}

int read_command_line(int argc, char** argv, RunSettings* out) {
    if (argc < 4) return 1;
    RunSettings run = default_settings;
    const char** names[] = {&run.input_path, &run.forward_path, &run.backward_path};
    int names_seen = 0;
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (arg[0] == '/' || arg[0] == '-') {
            double* target = threshold_setting(arg[1], &run);
            if (target == nullptr) return 1;
            // Text that does not begin with a number reads as 0; '.' is
            // the decimal point whatever the locale.
            *target = read_number(arg + 2);
        } else {
            if (names_seen == 3) return 1;
            *names[names_seen++] = arg;
        }
    }
    *out = run;
    return 0;
}

namespace {

// label, the name as its bytes are, " \n": names of any length print whole.
void print_name_line(const char* label, const char* name) {
    print_text(label);
    print_text(name);
    print_text(" \n");
}

// label, the value with six decimals, then unit.
void print_threshold_line(const char* label, double value, const char* unit) {
    char number[fixed_text_size];
    print_text(label);
    print_bytes(number, format_fixed(number, value, 6, 0));
    print_text(unit);
}

}  // namespace

void print_settings(const RunSettings& run) {
    print_name_line("Input  file: ", run.input_path);
    print_name_line("Forward output file: ", run.forward_path);
    print_name_line("Backward output file: ", run.backward_path);
    print_threshold_line("Minimal distance: ", run.min_distance_m, " meters\n");
    print_threshold_line("Maximal distance: ", run.max_distance_m, " meters\n");
    print_threshold_line("Maximal angle: ", run.max_angle_deg, " degrees\n");
    print_threshold_line("Maximal orthogonal error: ", run.max_orth_error_m, " meters\n");
}

}  // namespace core
