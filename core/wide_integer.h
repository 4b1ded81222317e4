// The full 128-bit product of two 64-bit integers, from 32-bit halves:
// portable integer arithmetic for the exact rounding code.
#ifndef CORE_WIDE_INTEGER_H
#define CORE_WIDE_INTEGER_H

#include <cstdint>

namespace core {

struct Product128 {
    uint64_t high;
    uint64_t low;
};

inline Product128 multiply_64(uint64_t a, uint64_t b) {
    uint64_t a_low = a & 0xffffffff, a_high = a >> 32;
    uint64_t b_low = b & 0xffffffff, b_high = b >> 32;
    uint64_t low_low = a_low * b_low, low_high = a_low * b_high;
    uint64_t high_low = a_high * b_low, high_high = a_high * b_high;
    uint64_t middle = (low_low >> 32) + (low_high & 0xffffffff) + (high_low & 0xffffffff);
    return {high_high + (low_high >> 32) + (high_low >> 32) + (middle >> 32),
            (middle << 32) | (low_low & 0xffffffff)};
}

}  // namespace core

#endif
