// A whole run of one program in this process: the first input byte picks
// the thresholds, the rest is the input file. Checks the routes and the
// messages that the run leaves, whatever the bytes. Built once per
// converter, with PROGRAM naming its descriptor.
#include <cstring>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <unistd.h>
#include <vector>

#include "core/console.h"
#include "fuzz/fuzz_support.h"
#include "readers/converters/converters.h"

namespace {

const core::ProgramInfo& program = PROGRAM;

const char* const threshold_sets[][4] = {
    {"/m5", "/x1000", "/a5", "/e50"}, {"/m0", "/x10", "/a1", "/e1"},
    {"/m100", "/x50", "/a90", "/e500"}, {"-m-1", "-x0", "-a0", "-e0"},
};

const char forward_header[] =
    "H1,OziExplorer CE Route2 File Version 1.0\r\nH2,WGS 84\r\nH3,ForwardRoute,,0\r\n";
const char backward_header[] =
    "H1,OziExplorer CE Route2 File Version 1.0\r\nH2,WGS 84\r\nH3,BackwardRoute,,0\r\n";

std::string directory;
std::FILE* capture = nullptr;

std::string slurp(const std::string& path, bool* exists) {
    std::ifstream in(path, std::ios::binary);
    *exists = static_cast<bool>(in);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

// The records of a forward route after its header, each checked for its
// number; false when the route is not a header and numbered records.
bool split_records(const std::string& route, std::vector<std::string>* records) {
    if (route.compare(0, 74, forward_header) != 0) return false;
    size_t at = 74;
    char expected[16];
    while (at < route.size()) {
        size_t end = route.find("\r\n", at);
        if (end == std::string::npos) return false;
        std::string line = route.substr(at, end + 2 - at);
        std::snprintf(expected, sizeof expected, "W,RW%06zu,", records->size() + 1);
        if (line.compare(0, std::strlen(expected), expected) != 0) return false;
        records->push_back(line);
        at = end + 2;
    }
    return true;
}

std::string last_line(const std::string& printed) {
    if (printed.empty() || printed.back() != '\n') return "";
    size_t start = printed.rfind('\n', printed.size() - 2);
    return printed.substr(start == std::string::npos ? 0 : start + 1);
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    char pattern[] = "/tmp/program_fuzz_XXXXXX";
    directory = mkdtemp(pattern);
    if (chdir(directory.c_str()) != 0) std::abort();
    capture = std::tmpfile();
    fuzz::take_over_process_end();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size == 0) return 0;
    const char* const* thresholds = threshold_sets[data[0] % 4];
    {
        std::ofstream in("in", std::ios::binary);
        in.write(reinterpret_cast<const char*>(data + 1), static_cast<std::streamsize>(size - 1));
    }
    std::remove("f.rt2");
    std::remove("b.rt2");
    std::vector<std::string> args = {"program", thresholds[0], "in", thresholds[1], "f.rt2",
                                     thresholds[2], "b.rt2", thresholds[3]};
    std::vector<char*> argv;
    for (std::string& arg : args) argv.push_back(arg.data());
    argv.push_back(nullptr);

    std::FILE* saved_console = core::console;
    if (ftruncate(fileno(capture), 0) != 0) std::abort();
    std::rewind(capture);
    core::console = capture;
    int code = -1;
    try {
        core::run_program(program, static_cast<int>(args.size()), argv.data());
    } catch (const fuzz::RunEnded& end) {
        code = end.exit_code;
    }
    std::fflush(capture);
    core::console = saved_console;
    fuzz::check(core::input_stream.file == nullptr && core::output_stream == nullptr,
                "streams closed");

    bool forward_exists, backward_exists, unused;
    std::string printed = slurp("/proc/self/fd/" + std::to_string(fileno(capture)), &unused);
    std::string forward = slurp("f.rt2", &forward_exists);
    std::string backward = slurp("b.rt2", &backward_exists);
    std::string message = last_line(printed);
    std::vector<std::string> records;
    if (forward_exists) fuzz::check(split_records(forward, &records), "forward route numbered");

    static const std::set<std::string> header_messages = {
        "Input file read error!\n", "Incorrect file format!\n", "Input file tell error!\n"};
    switch (code) {
    case 0: {
        fuzz::check(records.size() >= 2, "two waypoints at least");
        std::string reversed = backward_header;
        for (auto r = records.rbegin(); r != records.rend(); ++r) {
            fuzz::check(r->size() == 37, "37-byte records");
            reversed += *r;
        }
        fuzz::check(backward_exists && backward == reversed, "backward route reversed");
        break;
    }
    case 2:
        fuzz::check(header_messages.count(message) == 1, "header message");
        fuzz::check(!forward_exists && !backward_exists, "no route before the header passes");
        break;
    case 4: {
        fuzz::check(message == "Invalid data in forward route file!\n", "copy message");
        bool long_record = false;
        for (const std::string& r : records) long_record |= r.size() != 37;
        fuzz::check(long_record, "a longer record");
        fuzz::check(backward.compare(0, 75, backward_header) == 0, "backward header kept");
        break;
    }
    case 5:
        fuzz::check(message == "Too short input file!\n", "short message");
        fuzz::check(forward == forward_header && !backward_exists, "header alone");
        break;
    default:
        fuzz::check(false, "exit code");
    }
    return 0;
}
