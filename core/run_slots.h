// The two stream slots a run reads and writes through, and the one place
// where a run ends: what the entry, the thinning, the route writer and
// the readers share.
#ifndef CORE_RUN_SLOTS_H
#define CORE_RUN_SLOTS_H

#include <cstdio>

#include "core/input_stream.h"
#include "core/run_failures.h"

namespace core {

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

// Prints message on standard output as it is, closes whichever slots hold
// a file (ignoring the result) and ends the process with exit_code.
[[noreturn]] void abort_run(const char* message, int exit_code);

// abort_run with the failure's message and exit code.
[[noreturn]] inline void abort_run(const RunFailure& failure) { abort_run(failure.message, failure.exit_code); }

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
