// 64-bit division for the 32-bit build. The compiler calls these for every
// 64-bit / and %; libgcc's copies were compiled for the Pentium Pro (they
// use CMOVcc), so ours, compiled for the 486, come first on the link line.
// Division by zero divides by zero in 32 bits, raising the same fault the
// divide instruction would.
#include <cstdint>

namespace {

uint64_t DivideUnsigned(uint64_t n, uint64_t d, uint64_t* remainder)
{
    if (d >> 32 == 0) {
        const uint32_t d32 = static_cast<uint32_t>(d);
        if (d32 == 0) {
            volatile uint32_t zero = 0;
            return static_cast<uint32_t>(n) / zero;
        }
        if (n >> 32 == 0) {
            const uint32_t n32 = static_cast<uint32_t>(n);
            if (remainder)
                *remainder = n32 % d32;
            return n32 / d32;
        }
        // Two 32-bit long divisions: high word, then remainder:low word,
        // each within DIV's range since the remainder is below the divisor.
        const uint32_t high = static_cast<uint32_t>(n >> 32);
        const uint32_t low = static_cast<uint32_t>(n);
        const uint32_t qHigh = high / d32;
        uint32_t r = high % d32;
        uint32_t qLow;
        __asm__("divl %4" : "=a"(qLow), "=d"(r) : "a"(low), "d"(r), "rm"(d32));
        if (remainder)
            *remainder = r;
        return (static_cast<uint64_t>(qHigh) << 32) | qLow;
    }
    // Divisor of more than 32 bits: the quotient fits in 32 bits; shift and
    // subtract, one bit at a time.
    uint64_t q = 0;
    uint64_t r = 0;
    for (int bit = 63; bit >= 0; --bit) {
        // A remainder that shifts out its top bit exceeds any divisor.
        const bool carry = (r >> 63) != 0;
        r = (r << 1) | ((n >> bit) & 1);
        if (carry || r >= d) {
            r -= d;
            q |= uint64_t(1) << bit;
        }
    }
    if (remainder)
        *remainder = r;
    return q;
}

uint64_t Magnitude(int64_t v)
{
    return v < 0 ? 0 - static_cast<uint64_t>(v) : static_cast<uint64_t>(v);
}

}  // namespace

extern "C" {

uint64_t __udivdi3(uint64_t n, uint64_t d)
{
    return DivideUnsigned(n, d, nullptr);
}

uint64_t __umoddi3(uint64_t n, uint64_t d)
{
    uint64_t r;
    DivideUnsigned(n, d, &r);
    return r;
}

uint64_t __udivmoddi4(uint64_t n, uint64_t d, uint64_t* remainder)
{
    uint64_t r;
    const uint64_t q = DivideUnsigned(n, d, &r);
    if (remainder)
        *remainder = r;
    return q;
}

// Signed: the quotient truncates toward zero, the remainder takes the sign
// of the dividend, as C requires.
int64_t __divdi3(int64_t n, int64_t d)
{
    const uint64_t q = DivideUnsigned(Magnitude(n), Magnitude(d), nullptr);
    return static_cast<int64_t>((n < 0) != (d < 0) ? 0 - q : q);
}

int64_t __moddi3(int64_t n, int64_t d)
{
    uint64_t r;
    DivideUnsigned(Magnitude(n), Magnitude(d), &r);
    return static_cast<int64_t>(n < 0 ? 0 - r : r);
}

}  // extern "C"
