// Tolvek: NMEA 0183 log to forward and backward Route2 routes.
#include "core/entry.h"
#include "readers/nmea/nmea_reader.h"

namespace {

const core::ProgramInfo tolvek = {
    "NMEA-log to OziExplorer .rt2 file converter V1.12 \n",
    "Tolvek InputFile ForwardOutPutFile BackwardOutPutFile /mMINMETERS /xMAXMETERS /aMAXDEGREES "
    "/eMAXORTERROR \n\n",
    nullptr,
    nmea::read_next_point,
};

}  // namespace

int main(int argc, char** argv) { core::run_program(tolvek, argc, argv); }
