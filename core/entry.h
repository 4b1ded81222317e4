// The program entry shared by all four converters: the binding of a
// program to its reader, the run flow, the two stream slots and the one
// place where a run ends on failure.
#ifndef CORE_ENTRY_H
#define CORE_ENTRY_H

#include <cstdio>

#include "core/input_stream.h"
#include "core/track_point.h"

namespace core {

// Exit codes, one per phase in which a run can end.
inline constexpr int exit_success = 0;
inline constexpr int exit_usage = 1;
inline constexpr int exit_forward_pass = 2;     // input, input header, forward route
inline constexpr int exit_backward_open = 3;    // backward pass: opening, header
inline constexpr int exit_backward_copy = 4;    // backward pass: copying records
inline constexpr int exit_too_short = 5;        // fewer than three track points

// A reader's point operation: 0 when a point was read into *point, any
// other value when no further point comes.
using PointReader = int (*)(TrackPoint* point);

// What distinguishes one program from the others.
struct ProgramInfo {
    const char* title_line;        // first banner line, "\n" included
    const char* usage_line;        // last banner line, "\n\n" included
    void (*check_input_header)();  // nullptr where the format has no header
    PointReader read_next_point;
};

// The two stream slots, empty (no file) between uses. During the forward
// pass they hold the input file and the forward route; during the
// backward pass the forward route (read) and the backward route. Written
// by run_program and the route writer; readers read input_stream.
extern InputStream input_stream;
extern std::FILE* output_stream;

// How a run ends the process: std::exit unless a harness that must go on
// after the run (a fuzzer) puts its own handler here. The handler must not
// return to its caller; if it does, std::exit follows.
using ProcessEnd = void (*)(int exit_code);
extern ProcessEnd process_end;

// Flushes standard output and ends the process with exit_code, through
// process_end when a harness has put a handler there.
[[noreturn]] void end_process(int exit_code);

// Runs one conversion from the command line to the end of the backward
// route and ends the process with the exit code of the phase it ended in.
[[noreturn]] void run_program(const ProgramInfo& program, int argc, char** argv);

// Prints the four banner lines of the program and ends with exit_usage.
[[noreturn]] void show_usage(const ProgramInfo& program);

// Prints message on standard output as it is, closes whichever slots hold
// a file (ignoring the result) and ends the process with exit_code.
[[noreturn]] void abort_run(const char* message, int exit_code);

// Opens the UTF-8 path for reading in binary mode into the input_stream
// slot; false when it cannot be opened or names a directory, which has no
// bytes to read.
bool open_input_file(const char* path);

// Opens the UTF-8 path for writing in binary mode into the output_stream
// slot, buffered in 64 KiB of the core's own (the slot holds one file at a
// time), so that records reach the system in large writes; false when it
// cannot be opened.
bool open_output_file(const char* path);

// Closes the file in the output slot and empties it; true when the close
// reported no error (buffered bytes that could not be written show up
// here).
bool close_output();

}  // namespace core

#endif
