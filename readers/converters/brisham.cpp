// Brisham: record file tracks to forward and backward routes.
// The descriptor; the program's main is programs/brisham_main.cpp.
#include "readers/converters/converters.h"
#include "readers/records/records_reader.h"

namespace converters {

const core::ProgramInfo brisham = {
    PROGRAM_TITLE("Navitel .brisham to OziExplorer .rt2 file converter"),
    "Brisham InputFile ForwardOutPutFile BackwardOutPutFile " THRESHOLD_OPTIONS " \n\n",
    records::check_input_header,
    records::read_next_point,
};

}  // namespace converters
