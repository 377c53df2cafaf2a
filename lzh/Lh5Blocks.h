// The -lh5- stream as blocks (inside the packer only): symbol counts of a
// run of tokens, the codes fitted to them and what a block costs in bits,
// where blocks end, and writing them out.
#pragma once

#include "Lh5Encoder.h"

#include <algorithm>
#include <cstdint>

namespace lzhenc {

// Position symbol of a distance known to be 1..8192: the bit length of distance - 1.
inline int PositionSlot(unsigned distance)
{
    unsigned d = distance - 1;
    return d ? 32 - __builtin_clz(d) : 0;
}

// Character symbol of a token known to be valid.
inline int CharSlot(const Token& token)
{
    return token.length ? static_cast<int>(token.length) + 253 : token.literal;
}

// Symbol counts of a run of tokens.
struct Frequencies {
    uint32_t c[NC] = {};
    uint32_t p[NP] = {};

    void Add(const Token& t)
    {
        c[CharSlot(t)]++;
        if (t.length)
            p[PositionSlot(t.distance)]++;
    }
    void Add(const std::vector<Token>& tokens, std::size_t from, std::size_t to)
    {
        for (std::size_t k = from; k < to; k++)
            Add(tokens[k]);
    }
    void Add(const Frequencies& other)
    {
        for (int s = 0; s < NC; s++)
            c[s] += other.c[s];
        for (int j = 0; j < NP; j++)
            p[j] += other.p[j];
    }
};

// The codes fitted to the symbol counts of a block of count tokens.
BlockCodes CodesOf(const Frequencies& f, std::size_t count);

// The length in bits of a block with these symbol counts: header, codes and
// the extra bits of the positions.
std::size_t BlockBits(const Frequencies& f, std::size_t count);
std::size_t RangeBits(const std::vector<Token>& tokens, std::size_t from, std::size_t to);

// Where each block ends (the last one at tokens.size()) and its length in bits.
struct Layout {
    std::vector<std::size_t> ends;
    std::vector<std::size_t> bits;
    // A block sent with these codes rather than those of its counts (set by
    // AvoidByteEnd), or none.
    std::size_t recoded = SIZE_MAX;
    BlockCodes recodedCodes;

    void Add(std::size_t end, std::size_t blockBits)
    {
        ends.push_back(end);
        bits.push_back(blockBits);
    }
    std::size_t Start(std::size_t block) const { return block ? ends[block - 1] : 0; }
    // The block holding token k.
    std::size_t BlockOf(std::size_t k) const
    {
        return static_cast<std::size_t>(std::upper_bound(ends.begin(), ends.end(), k) - ends.begin());
    }
    std::size_t TotalBits() const
    {
        std::size_t total = 0;
        for (std::size_t b : bits)
            total += b;
        return total;
    }
};

// Blocks of at most options.blockSymbols tokens, fitted to the data with
// options.fitBlocks.
Layout BlockLayout(const std::vector<Token>& tokens, const EncodeOptions& options);
void PutBlocks(BitWriter& out, const std::vector<Token>& tokens, const Layout& layout);

}  // namespace lzhenc
