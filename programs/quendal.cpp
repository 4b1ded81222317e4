// Quendal: OziExplorer track point file to forward and backward routes.
// The descriptor; the program's main is in quendal_main.cpp.
#include "programs/converters.h"
#include "readers/plt/plt_reader.h"

namespace programs {

const core::ProgramInfo quendal = {
    "OziExplorer .plt to .rt2 file converter V1.12 \n",
    "Quendal InputFile ForwardOutPutFile BackwardOutPutFile /mMINMETERS /xMAXMETERS /aMAXDEGREES "
    "/eMAXORTERROR \n\n",
    plt::check_input_header,
    plt::read_next_point,
};

}  // namespace programs
