// Implementation of the shared test helpers that are the same everywhere.
#include "tests/support/test_support.h"

#include <atomic>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <gtest/gtest.h>

#include "core/console.h"
#include "core/entry.h"
#include "core/platform.h"

namespace test_support {

namespace {

// What the test build of process_end throws instead of ending the process.
struct RunEnded {
    int exit_code;
};

[[noreturn]] void throw_run_end(int exit_code) { throw RunEnded{exit_code}; }

std::filesystem::path path_of(const std::string& utf8) {
    return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string utf8_of(const std::filesystem::path& path) {
    std::u8string text = path.generic_u8string();
    return std::string(text.begin(), text.end());
}

}  // namespace

uint64_t bits_of(double value) {
    uint64_t bits;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

std::FILE* stream_of(const std::string& bytes) {
    std::FILE* stream = temporary_file();
    std::fwrite(bytes.data(), 1, bytes.size(), stream);
    std::rewind(stream);
    return stream;
}

std::unique_ptr<core::InputStream> input_of(const std::string& bytes) {
    auto stream = std::make_unique<core::InputStream>();
    core::attach_input(stream.get(), stream_of(bytes));
    return stream;
}

void fill_input_slot(const std::string& bytes) {
    close_input_slot();
    core::attach_input(&core::input_stream, stream_of(bytes));
}

void close_input_slot() { core::close_input(&core::input_stream); }

std::string contents_of(std::FILE* stream) {
    std::fflush(stream);
    long position = std::ftell(stream);
    std::rewind(stream);
    std::string bytes;
    char chunk[4096];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, stream)) > 0) bytes.append(chunk, got);
    std::fseek(stream, position, SEEK_SET);
    return bytes;
}

std::string read_file(const std::string& path) {
    std::FILE* file = platform::open_file(path.c_str(), "rb");
    if (file == nullptr) return "";
    std::string bytes = contents_of(file);
    std::fclose(file);
    return bytes;
}

void write_file(const std::string& path, const std::string& bytes) {
    std::FILE* file = platform::open_file(path.c_str(), "wb");
    ASSERT_NE(nullptr, file) << path;
    std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}

bool file_exists(const std::string& path) { return std::filesystem::exists(path_of(path)); }

void make_directory(const std::string& path) {
    ASSERT_TRUE(std::filesystem::create_directory(path_of(path))) << path;
}

core::TrackPoint point_at(double lat_deg, double lon_deg) {
    core::TrackPoint point{};
    core::set_point_degrees(&point, lat_deg, lon_deg);
    return point;
}

std::string forward_header() {
    return "H1,OziExplorer CE Route2 File Version 1.0\r\nH2,WGS 84\r\nH3,ForwardRoute,,0\r\n";
}

std::string backward_header() {
    return "H1,OziExplorer CE Route2 File Version 1.0\r\nH2,WGS 84\r\nH3,BackwardRoute,,0\r\n";
}

std::string capture_stdout(const std::function<void()>& work) {
    std::FILE* sink = temporary_file();
    std::FILE* saved = core::console;
    core::console = sink;
    try {
        work();
    } catch (...) {
        core::console = saved;
        std::fclose(sink);
        throw;
    }
    core::console = saved;
    std::string printed = contents_of(sink);
    std::fclose(sink);
    return printed;
}

void expect_abort(const std::function<void()>& work, int exit_code, const std::string& message) {
    core::ProcessEnd saved = core::process_end;
    core::process_end = throw_run_end;
    int ended_with = -1;
    std::string printed = capture_stdout([&] {
        try {
            work();
        } catch (const RunEnded& end) {
            ended_with = end.exit_code;
        }
    });
    core::process_end = saved;
    EXPECT_EQ(exit_code, ended_with) << "the run did not end, or not with this code";
    EXPECT_EQ(message, printed);
}

TempDir::TempDir() {
    static std::atomic<unsigned> counter{0};
    auto now = std::chrono::steady_clock::now().time_since_epoch().count();
    std::filesystem::path base = std::filesystem::temp_directory_path();
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::filesystem::path candidate =
            base / ("route_test_" + std::to_string(now) + "_" + std::to_string(counter++));
        std::error_code error;
        if (std::filesystem::create_directory(candidate, error)) {
            path_ = utf8_of(candidate);
            return;
        }
    }
}

TempDir::~TempDir() {
    std::error_code ignored;
    std::filesystem::remove_all(path_of(path_), ignored);
}

}  // namespace test_support
