// The track point file header check and point sequence over any bytes.
#include "fuzz/fuzz_support.h"
#include "readers/plt/plt_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::take_over_process_end();
    fuzz::fill_input(data, size);
    try {
        plt::check_input_header();
        fuzz::drain_points(plt::read_next_point, 100, 370);
    } catch (const fuzz::RunEnded& end) {
        fuzz::check(end.exit_code == core::exit_forward_pass, "header failure code");
        fuzz::check(core::input_stream.file == nullptr, "input closed");
        return 0;
    }
    fuzz::empty_input();
    return 0;
}
