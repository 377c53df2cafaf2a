#include "Lh5Blocks.h"

#include "Lh5Code.h"
#include "Lh5Header.h"

namespace lzhenc {

BlockCodes CodesOf(const Frequencies& f, std::size_t count)
{
    BlockCodes codes;
    codes.count = static_cast<uint32_t>(count);
    codes.c = BuildCodeFrom(f.c, NC, 16);
    codes.p = BuildCodeFrom(f.p, NP, 16);
    if (codes.c.single >= 0) {
        codes.t = Code::Single(0);
        return codes;
    }
    uint32_t ft[NT] = {};
    TSymbol symbols[NC];
    const int sent = CharLengthSymbols(codes.c.lengths, symbols);
    for (int k = 0; k < sent; k++)
        ft[symbols[k].sym]++;
    codes.t = BuildCodeFrom(ft, NT, 16);
    return codes;
}

std::size_t BlockBits(const Frequencies& f, std::size_t count)
{
    const BlockCodes codes = CodesOf(f, count);
    BitCounter out;
    WriteBlockHeader(out, codes);
    std::size_t bits = out.bits;
    if (codes.c.single < 0)
        for (std::size_t s = 0; s < codes.c.lengths.size(); s++)
            bits += static_cast<std::size_t>(f.c[s]) * codes.c.lengths[s];
    for (int j = 0; j < NP; j++) {
        std::size_t perSymbol = j > 1 ? j - 1 : 0;
        if (codes.p.single < 0 && static_cast<std::size_t>(j) < codes.p.lengths.size())
            perSymbol += codes.p.lengths[j];
        bits += f.p[j] * perSymbol;
    }
    return bits;
}

std::size_t RangeBits(const std::vector<Token>& tokens, std::size_t from, std::size_t to)
{
    Frequencies f;
    f.Add(tokens, from, to);
    return BlockBits(f, to - from);
}

namespace {

// Blocks are fitted from units of a piece's tokens: a header costs some 40
// to 100 bytes, which blocks of fewer than 1024 tokens rarely win back in
// long data. Short data, where every header counts, is fitted in finer
// units, down to 128 tokens: some 64 units to a piece.
const std::size_t FittingUnit = 1024, FinestUnit = 128, UnitsPerPiece = 64;

std::size_t UnitFor(std::size_t pieceTokens)
{
    std::size_t unit = FinestUnit;
    while (unit < FittingUnit && unit * UnitsPerPiece < pieceTokens)
        unit *= 2;
    return unit;
}

// Fits units [a, b) of one piece (unitEnds: where each unit ends): the units
// as one block, or each half fitted the same way when that costs fewer bits.
// Leaves the counts of the units' symbols in `sum`.
std::size_t FitUnits(const std::vector<Frequencies>& units, const std::vector<std::size_t>& unitEnds, std::size_t from,
                     std::size_t a, std::size_t b, Frequencies& sum, Layout& layout)
{
    const std::size_t to = unitEnds[b - 1];
    if (b - a == 1) {
        sum = units[a];
        const std::size_t bits = BlockBits(sum, to - from);
        layout.Add(to, bits);
        return bits;
    }
    const std::size_t mid = a + (b - a) / 2;
    Frequencies right;
    Layout halves;
    const std::size_t split = FitUnits(units, unitEnds, from, a, mid, sum, halves) +
                              FitUnits(units, unitEnds, unitEnds[mid - 1], mid, b, right, halves);
    sum.Add(right);
    const std::size_t whole = BlockBits(sum, to - from);
    if (split < whole) {
        layout.ends.insert(layout.ends.end(), halves.ends.begin(), halves.ends.end());
        layout.bits.insert(layout.bits.end(), halves.bits.begin(), halves.bits.end());
        return split;
    }
    layout.Add(to, whole);
    return whole;
}

}  // namespace

Layout BlockLayout(const std::vector<Token>& tokens, const EncodeOptions& options)
{
    const std::size_t n = tokens.size(), most = options.blockSymbols;
    Layout layout;
    if (!options.fitBlocks) {
        for (std::size_t at = 0; at < n; at += most)
            layout.Add(std::min(n, at + most), RangeBits(tokens, at, std::min(n, at + most)));
        return layout;
    }
    // Equal pieces of at most `most` tokens, each fitted on its own from the
    // symbol counts of its units.
    const std::size_t pieces = (n + most - 1) / most;
    std::size_t from = 0;
    std::vector<Frequencies> units;
    std::vector<std::size_t> unitEnds;
    for (std::size_t k = 1; k <= pieces; k++) {
        const std::size_t to = n * k / pieces;
        const std::size_t unit = UnitFor(to - from);
        units.assign((to - from + unit - 1) / unit, Frequencies());
        unitEnds.clear();
        for (std::size_t u = 0; u < units.size(); u++) {
            const std::size_t unitEnd = std::min(to, from + (u + 1) * unit);
            units[u].Add(tokens, from + u * unit, unitEnd);
            unitEnds.push_back(unitEnd);
        }
        Frequencies sum;
        FitUnits(units, unitEnds, from, 0, units.size(), sum, layout);
        from = to;
    }
    return layout;
}

void PutBlocks(BitWriter& out, const std::vector<Token>& tokens, const Layout& layout)
{
    std::size_t at = 0;
    for (std::size_t b = 0; b < layout.ends.size(); b++) {
        const std::size_t end = layout.ends[b];
        Frequencies f;
        f.Add(tokens, at, end);
        const BlockCodes codes = b == layout.recoded ? layout.recodedCodes : CodesOf(f, end - at);
        WriteBlockHeader(out, codes);
        const std::vector<uint32_t> charCodes = codes.c.Codes(), positionCodes = codes.p.Codes();
        const bool sendChar = codes.c.single < 0, sendPosition = codes.p.single < 0;
        for (; at < end; at++) {
            const Token& t = tokens[at];
            const int c = CharSlot(t);
            if (sendChar)
                out.Put(charCodes[c], codes.c.lengths[c]);
            if (t.length == 0)
                continue;
            const int j = PositionSlot(t.distance);
            if (sendPosition)
                out.Put(positionCodes[j], codes.p.lengths[j]);
            if (j > 1)
                out.Put((t.distance - 1) - (1u << (j - 1)), j - 1);
        }
    }
}

}  // namespace lzhenc
