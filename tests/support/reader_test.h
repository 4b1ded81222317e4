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
    void TearDown() override { close_input_slot(); }
    // Puts a stream of the bytes into the input slot.
    static void open(const std::string& bytes) { fill_input_slot(bytes); }
};

}  // namespace test_support

#endif
