// Quendal: OziExplorer track point file to forward and backward routes.
// The descriptor; the program's main is programs/quendal_main.cpp.
#include "readers/converters/converters.h"
#include "readers/plt/plt_reader.h"

namespace converters {

const core::ProgramInfo quendal = {
    PROGRAM_TITLE("OziExplorer .plt to .rt2 file converter"),
    "Quendal InputFile ForwardOutPutFile BackwardOutPutFile " THRESHOLD_OPTIONS " \n\n",
    plt::check_input_header,
    plt::read_next_point,
};

}  // namespace converters
