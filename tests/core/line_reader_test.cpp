#include "core/line_reader.h"

#include <cstring>
#include <gtest/gtest.h>
#include <random>
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

// The reader's contract taken byte by byte over a string, for the
// comparison below: empty lines skipped, at most capacity characters
// stored, a zero after a shorter line, the rest of a longer one dropped.
int model_line(const std::string& bytes, size_t* position, char* buffer, int capacity) {
    auto is_end = [](char c) { return c == '\r' || c == '\n' || c == 0; };
    size_t& at = *position;
    while (at < bytes.size() && is_end(bytes[at])) ++at;
    if (at == bytes.size()) return -1;
    int count = 0;
    for (;;) {
        if (at == bytes.size()) return -1;
        char c = bytes[at++];
        if (count > 0 && is_end(c)) {
            if (count < capacity) buffer[count] = 0;
            return count;
        }
        if (count < capacity) buffer[count++] = c;
    }
}

// Lines of every length around the word size and the capacity, with the
// control bytes that share a word with line ends, over several refills of
// the stream's buffer.
TEST(ReadTextLine, AgreesWithTheByteModelAcrossBufferBoundaries) {
    std::mt19937_64 random(150);
    const char text[] = "abc,.9$*\t\x0b\x0c\x0e\x1f\x7f\x80\xff";
    const char* ends[] = {"\n", "\r\n", "\r", "", "\n\n\r", ""};  // [3]: a zero byte
    for (int input = 0; input < 6; ++input) {
        std::string bytes;
        while (bytes.size() < 200000 + random() % 100000) {
            size_t length = random() % 4 == 0 ? 140 + random() % 80 : random() % 40;
            for (size_t i = 0; i < length; ++i) bytes += text[random() % (sizeof text - 1)];
            int end = static_cast<int>(random() % 6);
            if (end == 3) bytes += '\0';
            else bytes += ends[end];
        }
        auto stream = test_support::input_of(bytes);
        char got[core::line_buffer_size], expected[core::line_buffer_size];
        std::memset(got, 'q', sizeof got);
        got[core::line_capacity] = 0;
        std::memcpy(expected, got, sizeof got);
        size_t position = 0;
        for (int line = 0;; ++line) {
            int want = model_line(bytes, &position, expected, core::line_capacity);
            ASSERT_EQ(want, core::read_text_line(stream.get(), got, core::line_capacity)) << "line " << line;
            if (want < 0) break;
            ASSERT_EQ(0, std::memcmp(expected, got, sizeof got)) << "line " << line;
        }
        core::close_input(stream.get());
    }
}

}  // namespace
