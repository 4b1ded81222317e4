// Marovin: GPX track points to forward and backward routes.
#include "core/entry.h"
#include "readers/gpx/gpx_reader.h"

namespace {

const core::ProgramInfo marovin = {
    "Navitel .gpx to OziExplorer .rt2 file converter V1.12 \n",
    "Marovin InputFile ForwardOutPutFile BackwardOutPutFile /mMINMETERS /xMAXMETERS /aMAXDEGREES "
    "/eMAXORTERROR \n\n",
    nullptr,
    gpx::read_next_point,
};

}  // namespace

int main(int argc, char** argv) { core::run_program(marovin, argc, argv); }
