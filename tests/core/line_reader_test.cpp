#include "core/line_reader.h"

#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>

#include "tests/support/test_support.h"

namespace {

// Reads every line of the bytes; each entry is the result and the text.
std::vector<std::pair<int, std::string>> lines_of(const std::string& bytes) {
    auto stream = test_support::input_of(bytes);
    char buffer[core::line_buffer_size] = {};
    std::vector<std::pair<int, std::string>> lines;
    for (;;) {
        int result = core::read_text_line(stream.get(), buffer, core::line_capacity);
        if (result < 0) break;
        lines.emplace_back(result, std::string(buffer));
    }
    core::close_input(stream.get());
    return lines;
}

using Lines = std::vector<std::pair<int, std::string>>;

TEST(ReadTextLine, SplitsAtEveryTerminator) {
    EXPECT_EQ((Lines{{3, "abc"}, {3, "def"}}), lines_of("abc\r\ndef\n"));
    EXPECT_EQ((Lines{{1, "x"}}), lines_of("\r\n\r\n\nx\n"));
    EXPECT_EQ((Lines{{2, "ab"}, {2, "cd"}}), lines_of(std::string("ab\0cd\n", 6)));
    EXPECT_EQ((Lines{{1, "a"}, {1, "b"}}), lines_of("a\rb\r"));
    EXPECT_EQ((Lines{{2, "\x1a\xff"}}), lines_of("\x1a\xff\n"));
}

TEST(ReadTextLine, UnterminatedLastLineIsLost) {
    EXPECT_EQ((Lines{}), lines_of("abc"));
    EXPECT_EQ((Lines{{1, "a"}}), lines_of("a\nabc"));
    EXPECT_EQ((Lines{}), lines_of(std::string("\r\n\0\n\r", 5)));
    EXPECT_EQ((Lines{}), lines_of(""));
    EXPECT_EQ((Lines{}), lines_of(std::string(200, 'y')));
}

TEST(ReadTextLine, LongLinesAreCutAtTheCapacity) {
    std::string l149(149, 'a'), l150(150, 'b'), l200(200, 'c');
    EXPECT_EQ((Lines{{149, l149}}), lines_of(l149 + "\n"));
    EXPECT_EQ((Lines{{150, l150}}), lines_of(l150 + "\n"));
    EXPECT_EQ((Lines{{150, std::string(150, 'c')}, {3, "xyz"}}), lines_of(l200 + "\nxyz\n"));
}

TEST(ReadTextLine, FullLineWritesNoZeroAndLeavesOldBytesBehindAShortOne) {
    auto stream = test_support::input_of(std::string(150, 'b') + "\n" + "xy\n");
    char buffer[core::line_buffer_size];
    std::memset(buffer, 'q', sizeof buffer);
    buffer[150] = 0;
    EXPECT_EQ(150, core::read_text_line(stream.get(), buffer, core::line_capacity));
    EXPECT_EQ('b', buffer[149]);
    EXPECT_EQ(2, core::read_text_line(stream.get(), buffer, core::line_capacity));
    EXPECT_EQ(0, buffer[2]);
    EXPECT_EQ('b', buffer[3]);
    core::close_input(stream.get());
}

}  // namespace
