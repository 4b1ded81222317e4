// Quendal: OziExplorer track point file to forward and backward routes.
#include "core/entry.h"
#include "readers/plt/plt_reader.h"

namespace {

const core::ProgramInfo quendal = {
    "OziExplorer .plt to .rt2 file converter V1.12 \n",
    "Quendal InputFile ForwardOutPutFile BackwardOutPutFile /mMINMETERS /xMAXMETERS /aMAXDEGREES "
    "/eMAXORTERROR \n\n",
    plt::check_input_header,
    plt::read_next_point,
};

}  // namespace

int main(int argc, char** argv) { core::run_program(quendal, argc, argv); }
