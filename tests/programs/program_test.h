// The fixture of the end-to-end tests: a fresh directory per test and the
// texts every run prints.
#ifndef TESTS_PROGRAMS_PROGRAM_TEST_H
#define TESTS_PROGRAMS_PROGRAM_TEST_H

#include <filesystem>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "tests/support/test_support.h"

class ProgramRun : public ::testing::Test {
protected:
    test_support::RunResult run(const char* program, const std::vector<std::string>& args,
                                const std::vector<std::string>& environment = {}) {
        return test_support::run_binary(program, args, dir.path(), environment);
    }
    void write(const std::string& name, const std::string& bytes) {
        test_support::write_file(dir.file(name), bytes);
    }
    std::string read(const std::string& name) { return test_support::read_file(dir.file(name)); }
    bool exists(const std::string& name) { return test_support::file_exists(dir.file(name)); }
    void make_directory(const std::string& name) { test_support::make_directory(dir.file(name)); }
    // A link to the full device, on which every write fails. A name with a
    // leading '/' is an option, so the programs reach it through the link.
    // Only for systems that have one (not Windows).
    void link_full_device(const std::string& name) {
        std::filesystem::create_symlink("/dev/full", dir.file(name));
    }

    test_support::TempDir dir;
};

// The settings lines of a run with the default thresholds.
inline std::string settings_echo(const std::string& input, const std::string& forward,
                                 const std::string& backward) {
    return "Input  file: " + input + " \nForward output file: " + forward +
           " \nBackward output file: " + backward +
           " \nMinimal distance: 5.000000 meters\nMaximal distance: 1000.000000 meters\n"
           "Maximal angle: 5.000000 degrees\nMaximal orthogonal error: 50.000000 meters\n";
}

#endif
