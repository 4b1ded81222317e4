// rt2gpx over any bytes as its route file: it ends with 0 or 2. On 0 the
// GPX route is whole and well-formed: UTF-8 with no control character but
// the line feed, every '<' one of its own tags and every '&' an entity. On
// 2 it leaves neither the GPX file nor its temporary file.
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <unistd.h>

#include "fuzz/fuzz_support.h"
#include "readers/route2/route_gpx.h"

namespace {

bool begins_with_any(const std::string& text, size_t at, std::initializer_list<const char*> words) {
    for (const char* word : words)
        if (text.compare(at, std::strlen(word), word) == 0) return true;
    return false;
}

void check_gpx(const std::string& gpx) {
    for (size_t i = 0; i < gpx.size(); ++i) {
        unsigned char c = static_cast<unsigned char>(gpx[i]);
        fuzz::check(c >= 0x20 || c == '\n' || c == '\t', "no control character");
        if (c == '<')
            fuzz::check(begins_with_any(gpx, i, {"<?xml ", "<gpx ", "</gpx>", "<rte>", "</rte>", "<name>", "</name>",
                                                 "<rtept ", "</rtept>"}),
                        "only the route's own tags");
        if (c == '&') fuzz::check(begins_with_any(gpx, i, {"&amp;", "&lt;", "&gt;", "&quot;", "&apos;"}), "entities");
        if (c >= 0x80) {
            size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : 2;
            fuzz::check(c >= 0xC2 && c <= 0xF4 && i + length <= gpx.size(), "UTF-8 lead byte");
            for (size_t k = 1; k < length; ++k)
                fuzz::check((static_cast<unsigned char>(gpx[i + k]) & 0xC0) == 0x80, "UTF-8 continuation");
            i += length - 1;
        }
    }
    fuzz::check(gpx.size() >= 16 && gpx.compare(gpx.size() - 16, 16, "  </rte>\n</gpx>\n") == 0, "whole file");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string folder = [] {
        std::string path = std::filesystem::temp_directory_path() / ("rt2gpx_fuzz_" + std::to_string(getpid()));
        std::filesystem::create_directories(path);
        return path;
    }();
    const std::string route = folder + "/r.rt2", gpx = folder + "/r.gpx";
    std::filesystem::remove(gpx);
    std::ofstream(route, std::ios::binary).write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    fuzz::take_over_process_end();
    std::string program = "rt2gpx";
    char* argv[] = {program.data(), const_cast<char*>(route.c_str()), const_cast<char*>(gpx.c_str()), nullptr};
    int exit_code = -1;
    try {
        route2::run_rt2gpx(3, argv);
    } catch (const fuzz::RunEnded& ended) {
        exit_code = ended.exit_code;
    }
    fuzz::check(!std::filesystem::exists(gpx + ".tmp"), "no temporary file left");
    if (exit_code == 2) {
        fuzz::check(!std::filesystem::exists(gpx), "no GPX file on failure");
        return 0;
    }
    fuzz::check(exit_code == 0, "exit code 0 or 2");
    std::ifstream in(gpx, std::ios::binary);
    check_gpx(std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()));
    return 0;
}
