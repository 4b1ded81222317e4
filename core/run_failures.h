// The ways a run ends: the exit code of each phase, and beside it every
// failure the converters and rt2gpx report, as the one message line they
// print and the code they end with.
#ifndef CORE_RUN_FAILURES_H
#define CORE_RUN_FAILURES_H

namespace core {

// Exit codes, one per phase in which a run can end.
inline constexpr int exit_success = 0;
inline constexpr int exit_usage = 1;
inline constexpr int exit_forward_pass = 2;     // input, input header, forward route
inline constexpr int exit_backward_open = 3;    // backward pass: opening, header
inline constexpr int exit_backward_copy = 4;    // backward pass: copying records
inline constexpr int exit_too_short = 5;        // fewer than three track points

// A failure: the message printed as it is ("\n" included) and the exit
// code the run ends with.
struct RunFailure {
    const char* message;
    int exit_code;
};

// Reading the input.
inline constexpr RunFailure input_open_error{"Input file open error!\n", exit_forward_pass};
inline constexpr RunFailure input_read_error{"Input file read error!\n", exit_forward_pass};
inline constexpr RunFailure input_tell_error{"Input file tell error!\n", exit_forward_pass};
inline constexpr RunFailure input_format_error{"Incorrect file format!\n", exit_forward_pass};
inline constexpr RunFailure too_short_input{"Too short input file!\n", exit_too_short};

// Writing the forward route (and rt2gpx's GPX route).
inline constexpr RunFailure output_open_error{"Output file open error!\n", exit_forward_pass};
inline constexpr RunFailure output_write_error{"Output file write error!\n", exit_forward_pass};
inline constexpr RunFailure output_rename_error{"Output file rename error!\n", exit_forward_pass};

// The backward pass: opening both routes and writing the header, then
// copying the records.
inline constexpr RunFailure forward_open_error{"Forward route file open error!\n", exit_backward_open};
inline constexpr RunFailure backward_open_error{"Backward route file open error!\n", exit_backward_open};
inline constexpr RunFailure backward_header_error{"Backward route file write error!\n", exit_backward_open};
inline constexpr RunFailure forward_seek_error{"Forward route file seek error!\n", exit_backward_copy};
inline constexpr RunFailure forward_read_error{"Forward route file read error!\n", exit_backward_copy};
inline constexpr RunFailure forward_data_error{"Invalid data in forward route file!\n", exit_backward_copy};
inline constexpr RunFailure backward_write_error{"Backward route file write error!\n", exit_backward_copy};

}  // namespace core

#endif
