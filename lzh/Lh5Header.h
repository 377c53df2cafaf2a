// Writing a block header: the code-length code, the character code sent
// through it and the position code. Templates over the output, so that a
// BitCounter costs a header with the very code that writes it.
#pragma once

#include "Lh5Encoder.h"

#include <stdexcept>

namespace lzhenc {

// How a run of character lengths is sent: T symbol and its extra bits.
struct TSymbol {
    int sym;
    int extraBits;
    uint32_t extra;
};

// The T symbols that send the character lengths, into out (NC entries are
// enough: a length takes at most one symbol); returns how many.
int CharLengthSymbols(const std::vector<uint8_t>& lengths, TSymbol* out);

// Counts the bits a BitWriter would take, for costing blocks without writing them.
struct BitCounter {
    std::size_t bits = 0;
    void Put(uint32_t, int n) { bits += n > 0 ? static_cast<std::size_t>(n) : 0; }
    void PutOnes(int n) { bits += static_cast<std::size_t>(n); }
};

template <class Out>
void WriteCodeLength(Out& out, unsigned length)
{
    if (length < 7) {
        out.Put(length, 3);
        return;
    }
    out.Put(7, 3);
    out.PutOnes(static_cast<int>(length - 7));
    out.Put(0, 1);
}

template <class Out>
void WriteLengthCode(Out& out, const Code& code, int nbit, int zeroRunAfter)
{
    if (code.single >= 0) {
        out.Put(0, nbit);
        out.Put(static_cast<uint32_t>(code.single), nbit);
        return;
    }
    const std::size_t n = code.lengths.size();
    out.Put(static_cast<uint32_t>(n), nbit);
    std::size_t i = 0;
    while (i < n) {
        WriteCodeLength(out, code.lengths[i++]);
        if (static_cast<int>(i) == zeroRunAfter) {
            unsigned k = 0;
            while (k < 3 && i < n && code.lengths[i] == 0) {
                ++k;
                ++i;
            }
            out.Put(k, 2);
        }
    }
}

template <class Out>
void WriteCharCode(Out& out, const Code& c, const Code& t)
{
    if (c.single >= 0) {
        out.Put(0, CBIT);
        out.Put(static_cast<uint32_t>(c.single), CBIT);
        return;
    }
    out.Put(static_cast<uint32_t>(c.lengths.size()), CBIT);
    const std::vector<uint32_t> tCodes = t.Codes();
    TSymbol symbols[NC];
    const int count = CharLengthSymbols(c.lengths, symbols);
    for (int k = 0; k < count; k++) {
        const TSymbol& s = symbols[k];
        if (t.single < 0) {
            if (static_cast<std::size_t>(s.sym) >= t.lengths.size() || t.lengths[s.sym] == 0)
                throw std::invalid_argument("symbol without a code");
            out.Put(tCodes[s.sym], t.lengths[s.sym]);
        } else if (s.sym != t.single) {
            throw std::invalid_argument("symbol outside a single-symbol code");
        }
        out.Put(s.extra, s.extraBits);
    }
}

template <class Out>
void WriteBlockHeader(Out& out, const BlockCodes& codes)
{
    out.Put(codes.count & 0xFFFF, 16);
    WriteLengthCode(out, codes.t, TBIT, 3);
    WriteCharCode(out, codes.c, codes.t);
    WriteLengthCode(out, codes.p, PBIT, -1);
}

}  // namespace lzhenc
