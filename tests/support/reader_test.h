// The fixture of the reader tests: the input stream slot holding the bytes
// under test, closed after each test.
#ifndef TESTS_SUPPORT_READER_TEST_H
#define TESTS_SUPPORT_READER_TEST_H

#include <cstdio>
#include <gtest/gtest.h>
#include <string>

#include "core/entry.h"
#include "tests/support/test_support.h"

namespace test_support {

class ReaderTest : public ::testing::Test {
protected:
    void TearDown() override { close_input(); }
    static void close_input() {
        if (core::input_stream != nullptr) std::fclose(core::input_stream);
        core::input_stream = nullptr;
    }
    // Puts a stream of the bytes into the input slot.
    static void open(const std::string& bytes) {
        close_input();
        core::input_stream = stream_of(bytes);
    }
};

}  // namespace test_support

#endif
