// Tolvek: NMEA 0183 log to forward and backward Route2 routes.
// The descriptor; the program's main is programs/tolvek_main.cpp.
#include "readers/converters/converters.h"
#include "readers/nmea/nmea_reader.h"

namespace converters {

const core::ProgramInfo tolvek = {
    PROGRAM_TITLE("NMEA-log to OziExplorer .rt2 file converter"),
    "Tolvek InputFile ForwardOutPutFile BackwardOutPutFile " THRESHOLD_OPTIONS " \n\n",
    nullptr,
    nmea::read_next_point,
};

}  // namespace converters
