// Brisham: record file tracks to forward and backward routes.
// The descriptor; the program's main is programs/brisham_main.cpp.
#include "readers/converters/converters.h"
#include "readers/records/records_reader.h"

namespace converters {

const core::ProgramInfo brisham = {
    "Navitel .brisham to OziExplorer .rt2 file converter V1.12 \n",
    "Brisham InputFile ForwardOutPutFile BackwardOutPutFile /mMINMETERS /xMAXMETERS /aMAXDEGREES "
    "/eMAXORTERROR \n\n",
    records::check_input_header,
    records::read_next_point,
};

}  // namespace converters
