#include "core/input_stream.h"

#include <gtest/gtest.h>
#include <string>

#include "tests/support/test_support.h"

namespace {

// Bytes whose value tells their offset, across several buffer lengths.
std::string numbered_bytes(size_t size) {
    std::string bytes(size, '\0');
    for (size_t i = 0; i < size; ++i) bytes[i] = static_cast<char>(i * 7 % 251);
    return bytes;
}

// Seeks inside and outside the buffer, forwards and backwards, block reads
// larger and smaller than the buffer and byte reads must all agree with
// the file's bytes at the position that tell reports.
TEST(InputStream, PositionsAreExactWhereverTheBufferStands) {
    const size_t size = 3 * core::input_buffer_size + 123;
    std::string bytes = numbered_bytes(size);
    auto stream = test_support::input_of(bytes);
    core::InputStream* in = stream.get();

    EXPECT_EQ(static_cast<unsigned char>(bytes[0]), core::read_byte(in));
    const int64_t offsets[] = {1, 70000, 69999, 5, 196000, 196600, 0, 196730};
    for (int64_t offset : offsets) {
        ASSERT_TRUE(core::seek_input(in, offset));
        EXPECT_EQ(offset, core::tell_input(in));
        EXPECT_EQ(static_cast<unsigned char>(bytes[offset]), core::read_byte(in)) << offset;
        EXPECT_EQ(offset + 1, core::tell_input(in));
    }

    ASSERT_TRUE(core::seek_input(in, 10));
    std::string block(core::input_buffer_size + 500, '\0');
    ASSERT_EQ(block.size(), core::read_bytes(in, block.data(), block.size()));
    EXPECT_EQ(bytes.substr(10, block.size()), block);
    EXPECT_EQ(static_cast<int64_t>(10 + block.size()), core::tell_input(in));
    EXPECT_EQ(static_cast<unsigned char>(bytes[10 + block.size()]), core::read_byte(in));

    // The end: a short block, then the end of input; a seek past the end
    // succeeds and reads nothing.
    ASSERT_TRUE(core::seek_input(in, static_cast<int64_t>(size) - 3));
    char tail[8];
    EXPECT_EQ(3u, core::read_bytes(in, tail, sizeof tail));
    EXPECT_EQ(core::end_of_input, core::read_byte(in));
    ASSERT_TRUE(core::seek_input(in, static_cast<int64_t>(size) + 1000));
    EXPECT_EQ(core::end_of_input, core::read_byte(in));
    EXPECT_FALSE(core::seek_input(in, -1));
    core::close_input(in);
}

}  // namespace
