// Tolvek: NMEA 0183 log to forward and backward Route2 routes.
// The descriptor; the program's main is programs/tolvek_main.cpp.
#include "readers/converters/converters.h"
#include "readers/nmea/nmea_reader.h"

namespace converters {

const core::ProgramInfo tolvek = {
    "NMEA-log to OziExplorer .rt2 file converter V1.12 \n",
    "Tolvek InputFile ForwardOutPutFile BackwardOutPutFile /mMINMETERS /xMAXMETERS /aMAXDEGREES "
    "/eMAXORTERROR \n\n",
    nullptr,
    nmea::read_next_point,
};

}  // namespace converters
