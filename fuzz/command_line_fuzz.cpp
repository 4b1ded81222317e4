// The command line from any bytes, split into arguments at zero bytes.
#include <cstring>
#include <string>
#include <vector>

#include "core/command_line.h"
#include "fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::vector<std::string> texts = {"Tolvek"};
    std::string current;
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0) {
            texts.push_back(current);
            current.clear();
        } else {
            current += static_cast<char>(data[i]);
        }
    }
    texts.push_back(current);
    std::vector<char*> argv;
    for (std::string& text : texts) argv.push_back(text.data());
    argv.push_back(nullptr);
    core::RunSettings run = core::default_settings;
    int result = core::read_command_line(static_cast<int>(texts.size()), argv.data(), &run);
    fuzz::check(result == 0 || result == 1, "result");
    if (result == 0) {
        fuzz::check(texts.size() >= 4, "three arguments at least");
        for (const char* name : {run.input_path, run.forward_path, run.backward_path})
            fuzz::check(name != nullptr && name[0] != '/' && name[0] != '-', "a file name");
    }
    return 0;
}
