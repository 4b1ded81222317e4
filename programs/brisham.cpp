// Brisham: record file tracks to forward and backward routes.
#include "core/entry.h"
#include "readers/records/records_reader.h"

namespace {

const core::ProgramInfo brisham = {
    "Navitel .brisham to OziExplorer .rt2 file converter V1.12 \n",
    "Brisham InputFile ForwardOutPutFile BackwardOutPutFile /mMINMETERS /xMAXMETERS /aMAXDEGREES "
    "/eMAXORTERROR \n\n",
    records::check_input_header,
    records::read_next_point,
};

}  // namespace

int main(int argc, char** argv) { core::run_program(brisham, argc, argv); }
