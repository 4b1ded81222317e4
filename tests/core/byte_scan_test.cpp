#include "core/byte_scan.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace {

// Every byte value at every place of a word, among neighbours that carry
// and borrow the most: the flags are exactly the bytes asked for, and the
// first and last flagged ones are found in memory order.
TEST(ByteScan, FlagsExactlyTheBytesAskedFor) {
    const unsigned char neighbours[] = {0x00, 0x01, 0x0D, 0x0E, 0x7F, 0x80, 0xFF};
    for (int value = 0; value < 256; ++value)
        for (unsigned char neighbour : neighbours)
            for (int place = 0; place < core::word_bytes; ++place) {
                unsigned char bytes[core::word_bytes];
                std::fill(bytes, bytes + core::word_bytes, neighbour);
                bytes[place] = static_cast<unsigned char>(value);
                uint64_t word = core::load_word(bytes);
                for (unsigned limit : {1u, 14u, 62u, 128u}) {
                    uint64_t below = core::bytes_below(word, limit);
                    for (int k = 0; k < core::word_bytes; ++k)
                        ASSERT_EQ(bytes[k] < limit, ((below >> (8 * k + 7)) & 1) != 0)
                            << value << " " << int{neighbour} << " " << place << " " << limit;
                    ASSERT_EQ(0u, below & ~core::high_bits);
                }
                uint64_t equal = core::bytes_equal(word, static_cast<unsigned char>(value));
                ASSERT_NE(0u, equal);
                int first = neighbour == value ? 0 : place, last = neighbour == value ? 7 : place;
                ASSERT_EQ(first, core::first_flagged(equal));
                ASSERT_EQ(last, core::last_flagged(equal));
            }
}

// The searches against a plain loop, for every start, end and readable
// end within a buffer.
TEST(ByteScan, SearchesFindWhatAPlainLoopFinds) {
    std::mt19937_64 random(8);
    std::vector<unsigned char> buffer(64);
    for (int round = 0; round < 200; ++round) {
        for (unsigned char& byte : buffer) byte = "ab<>k\0"[random() % 6];
        const unsigned char* base = buffer.data();
        for (int from = 0; from <= 40; ++from)
            for (int end = from; end <= 48; ++end) {
                unsigned char value = "<>k"[random() % 3];
                const unsigned char* plain = std::find(base + from, base + end, value);
                ASSERT_EQ(plain, core::find_byte(base + from, base + end, value));
                int readable = end + static_cast<int>(random() % 16);
                ASSERT_EQ(plain, core::find_byte_within(base + from, base + end, base + readable, value));
                const unsigned char* last = nullptr;
                for (const unsigned char* at = base + from; at < base + end; ++at)
                    if (*at == value) last = at;
                ASSERT_EQ(last, core::find_last_byte(base + from, base + end, value));
            }
    }
}

}  // namespace
