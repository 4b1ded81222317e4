// Marovin: GPX track points to forward and backward routes.
// The descriptor; the program's main is programs/marovin_main.cpp.
#include "readers/converters/converters.h"
#include "readers/gpx/gpx_reader.h"

namespace converters {

const core::ProgramInfo marovin = {
    PROGRAM_TITLE("Navitel .gpx to OziExplorer .rt2 file converter"),
    "Marovin InputFile ForwardOutPutFile BackwardOutPutFile " THRESHOLD_OPTIONS " \n\n",
    nullptr,
    gpx::read_next_point,
};

}  // namespace converters
