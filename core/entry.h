// The program entry shared by all four converters: the binding of a
// program to its reader and the run flow.
#ifndef CORE_ENTRY_H
#define CORE_ENTRY_H

#include "core/point_reader.h"
#include "core/run_slots.h"

// A banner's first line, what the program is followed by the version: the
// project's version, which the build passes in as ROUTE_VERSION.
#define PROGRAM_TITLE(what) what " V" ROUTE_VERSION " \n"

// The four thresholds' options, as the usage lines show them.
#define THRESHOLD_OPTIONS "/mMINMETERS /xMAXMETERS /aMAXDEGREES /eMAXORTERROR"

namespace core {

// What distinguishes one program from the others.
struct ProgramInfo {
    const char* title_line;        // first banner line, "\n" included
    const char* usage_line;        // last banner line, "\n\n" included
    void (*check_input_header)();  // nullptr where the format has no header
    PointReader read_next_point;
};

// Runs one conversion from the command line to the end of the backward
// route and ends the process with the exit code of the phase it ended in.
[[noreturn]] void run_program(const ProgramInfo& program, int argc, char** argv);

// Prints the four banner lines of the program and ends with exit_usage.
[[noreturn]] void show_usage(const ProgramInfo& program);

}  // namespace core

#endif
