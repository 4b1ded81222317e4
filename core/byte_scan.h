// Looking at eight bytes at once with plain 64-bit arithmetic: which bytes
// of a word are of some kind. Every test is exact byte by byte (no carry
// crosses from one byte into the next), and the word is put together with
// its first byte lowest whatever the machine's own order, so the lowest
// flagged byte is the first in memory on little- and big-endian machines
// alike.
#ifndef CORE_BYTE_SCAN_H
#define CORE_BYTE_SCAN_H

#include <bit>
#include <cstdint>

namespace core {

inline constexpr int word_bytes = 8;
inline constexpr uint64_t every_byte = 0x0101010101010101u;
inline constexpr uint64_t high_bits = 0x8080808080808080u;

// The eight bytes at bytes, the first lowest (compilers make this one
// load, with a byte swap where the machine is big-endian).
inline uint64_t load_word(const unsigned char* bytes) {
    return static_cast<uint64_t>(bytes[0]) | static_cast<uint64_t>(bytes[1]) << 8 |
           static_cast<uint64_t>(bytes[2]) << 16 | static_cast<uint64_t>(bytes[3]) << 24 |
           static_cast<uint64_t>(bytes[4]) << 32 | static_cast<uint64_t>(bytes[5]) << 40 |
           static_cast<uint64_t>(bytes[6]) << 48 | static_cast<uint64_t>(bytes[7]) << 56;
}

// The index in memory of the first flagged byte of a mask that is not 0,
// and of the last.
inline int first_flagged(uint64_t mask) { return std::countr_zero(mask) / 8; }
inline int last_flagged(uint64_t mask) { return 7 - std::countl_zero(mask) / 8; }

// The high bit of every byte of word that is below limit (1 to 128) set,
// every other bit clear: (byte & 0x7F) + 128 - limit carries into the
// high bit exactly when the low seven bits reach limit, and never past
// it; a byte with its high bit set is not below limit either.
inline uint64_t bytes_below(uint64_t word, unsigned limit) {
    return ~(((word & ~high_bits) + (128 - limit) * every_byte) | word) & high_bits;
}

// The high bit of every byte of word that equals value set.
inline uint64_t bytes_equal(uint64_t word, unsigned char value) {
    return bytes_below(word ^ (value * every_byte), 1);
}

// The first byte equal to value in [from, end), or end.
inline const unsigned char* find_byte(const unsigned char* from, const unsigned char* end,
                                      unsigned char value) {
    for (; end - from >= word_bytes; from += word_bytes) {
        uint64_t found = bytes_equal(load_word(from), value);
        if (found != 0) return from + first_flagged(found);
    }
    while (from < end && *from != value) ++from;
    return from;
}

// The last byte equal to value in [from, end), or nullptr.
inline const unsigned char* find_last_byte(const unsigned char* from, const unsigned char* end,
                                           unsigned char value) {
    for (; end - from >= word_bytes; end -= word_bytes) {
        uint64_t found = bytes_equal(load_word(end - word_bytes), value);
        if (found != 0) return end - word_bytes + last_flagged(found);
    }
    while (end > from)
        if (*--end == value) return end;
    return nullptr;
}

// find_byte where the bytes up to readable_end (at least end) may be
// loaded: the last word is loaded whole and its bytes from end on are
// masked off, so that a short span costs no loop over its bytes.
inline const unsigned char* find_byte_within(const unsigned char* from, const unsigned char* end,
                                             const unsigned char* readable_end, unsigned char value) {
    for (; end - from > word_bytes; from += word_bytes) {
        uint64_t found = bytes_equal(load_word(from), value);
        if (found != 0) return from + first_flagged(found);
    }
    if (readable_end - from < word_bytes) return find_byte(from, end, value);
    // Below the byte at end - from; the shift stays below 64 as end - from
    // is at most 8 here.
    uint64_t inside = end - from == word_bytes ? ~uint64_t{0} : (uint64_t{1} << (8 * (end - from))) - 1;
    uint64_t found = bytes_equal(load_word(from), value) & inside;
    return found != 0 ? from + first_flagged(found) : end;
}

}  // namespace core

#endif
