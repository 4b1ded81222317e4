// The record file signature check and point sequence over any bytes.
#include "core/console.h"
#include "fuzz/fuzz_support.h"
#include "readers/records/records_reader.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    fuzz::take_over_process_end();
    fuzz::fill_input(data, size);
    std::FILE* saved_console = core::console;
    core::console = std::fopen("/dev/null", "w");  // "Track read error!"
    try {
        records::check_input_header();
        fuzz::drain_points(records::read_next_point, 180, 180);
    } catch (const fuzz::RunEnded& end) {
        fuzz::check(end.exit_code == core::exit_forward_pass, "header failure code");
        fuzz::check(core::input_stream.file == nullptr, "input closed");
    }
    std::fclose(core::console);
    core::console = saved_console;
    fuzz::empty_input();
    return 0;
}
