// RunSettings: the file names and thresholds of one run, read from the
// command line and echoed before the conversion starts.
#ifndef CORE_COMMAND_LINE_H
#define CORE_COMMAND_LINE_H

namespace core {

struct RunSettings {
    // The names point into argv (or at the defaults), so a name of any
    // length is kept whole without a copy.
    const char* input_path;
    const char* forward_path;
    const char* backward_path;
    double min_distance_m;
    double max_distance_m;
    double max_angle_deg;
    double max_orth_error_m;
};

// The settings as a run starts: no input, the default route names and the
// default thresholds.
inline constexpr RunSettings default_settings = {
    "", "forward.rt2", "backward.rt2", 5.0, 1000.0, 5.0, 50.0};

// The process-wide settings; written by read_command_line, read by the
// route writer and the thinning loop.
extern RunSettings settings;

// The threshold an option letter selects in *run (m, x, a or e in either
// case), or nullptr for any other letter.
double* threshold_setting(char letter, RunSettings* run);

// Reads the arguments (argv[0] is the program name) into *out, starting
// from default_settings. Options begin with '/' or '-' and carry a letter
// M, X, A or E in either case followed by a number; any other argument is
// the next file name. Returns 0 when the command line is good, 1 when it
// must be refused with the usage banner (fewer than three arguments, an
// unknown option letter, a fourth file name). Prints nothing.
int read_command_line(int argc, char** argv, RunSettings* out);

// Prints the seven settings lines on standard output.
void print_settings(const RunSettings& run);

}  // namespace core

#endif
