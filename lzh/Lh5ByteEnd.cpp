#include "Lh5ByteEnd.h"

#include "Lh5Header.h"

namespace lzhenc {

bool EndsOnByte(const Layout& layout)
{
    return layout.TotalBits() % 8 == 0;
}

namespace {

std::size_t HeaderBits(const BlockCodes& codes)
{
    BitCounter out;
    WriteBlockHeader(out, codes);
    return out.bits;
}

// The same codes in a longer block header: a zero length after the position
// code's last (3 bits; no more lengths than the window has positions), or,
// where the character code is a single symbol and the code-length code goes
// unread, that code as two 1-bit lengths rather than in its single-symbol
// form (1 bit), or zero lengths after the code-length code's last (3 bits,
// but none for those the 2-bit count of zeros after its third length takes).
// Unchanged when none of these applies.
BlockCodes Lengthened(BlockCodes codes, std::size_t positions)
{
    if (codes.p.single < 0 && codes.p.lengths.size() < positions) {
        codes.p.lengths.push_back(0);
    } else if (codes.c.single >= 0) {
        codes.t = Code();
        codes.t.lengths = {1, 1};
    } else if (codes.t.single < 0) {
        const std::size_t before = HeaderBits(codes);
        while (codes.t.lengths.size() < static_cast<std::size_t>(NT) && HeaderBits(codes) == before)
            codes.t.lengths.push_back(0);
    }
    return codes;
}

}  // namespace

void AvoidByteEnd(std::vector<Token>& tokens, Layout& layout, const EncodeOptions& options)
{
    const std::size_t mostPerBlock = options.blockSymbols;
    const std::size_t total = layout.TotalBits();
    std::size_t bestBytes = 0, shorten = tokens.size(), cut = 0;
    auto consider = [&](std::size_t bits, std::size_t shortenAt, std::size_t cutAt) {
        if (bits % 8 != 0 && (bestBytes == 0 || (bits + 7) / 8 < bestBytes)) {
            bestBytes = (bits + 7) / 8;
            shorten = shortenAt;
            cut = cutAt;
        }
    };

    const Bytes data = ExpandTokens(tokens);
    std::size_t end = data.size(), shortened = 0;
    for (std::size_t k = tokens.size(); k-- > 0 && shortened < 8;) {
        const std::size_t tokenEnd = end;
        end -= tokens[k].length ? tokens[k].length : 1;
        if (tokens[k].length <= MinMatch)
            continue;
        ++shortened;
        const std::size_t b = layout.BlockOf(k), count = layout.ends[b] - layout.Start(b) + 1;
        if (count > mostPerBlock)
            continue;
        Frequencies f;
        f.Add(tokens, layout.Start(b), layout.ends[b]);
        f.c[CharSlot(tokens[k])]--;
        f.c[CharSlot(tokens[k]) - 1]++;
        f.c[data[tokenEnd - 1]]++;
        consider(total - layout.bits[b] + BlockBits(f, count), k, 0);
    }
    for (std::size_t tail = 1; tail < tokens.size() && tail <= 16; tail++) {
        const std::size_t at = tokens.size() - tail, b = layout.BlockOf(at);
        if (at == layout.Start(b))
            continue;
        consider(total - layout.bits[b] + RangeBits(tokens, layout.Start(b), at) + RangeBits(tokens, at, layout.ends[b]),
                 tokens.size(), at);
    }

    if (shorten < tokens.size()) {
        std::size_t matchEnd = 0;
        for (std::size_t k = 0; k <= shorten; k++)
            matchEnd += tokens[k].length ? tokens[k].length : 1;
        const std::size_t b = layout.BlockOf(shorten);
        tokens[shorten].length -= 1;
        tokens.insert(tokens.begin() + static_cast<std::ptrdiff_t>(shorten) + 1, Token::Literal(data[matchEnd - 1]));
        for (std::size_t later = b; later < layout.ends.size(); later++)
            layout.ends[later]++;
        layout.bits[b] = RangeBits(tokens, layout.Start(b), layout.ends[b]);
    } else if (cut) {
        const std::size_t b = layout.BlockOf(cut);
        layout.ends.insert(layout.ends.begin() + static_cast<std::ptrdiff_t>(b), cut);
        layout.bits.insert(layout.bits.begin() + static_cast<std::ptrdiff_t>(b), RangeBits(tokens, layout.Start(b), cut));
        layout.bits[b + 1] = RangeBits(tokens, cut, layout.ends[b + 1]);
    } else {
        for (std::size_t b = layout.ends.size(); b-- > 0;) {
            Frequencies f;
            f.Add(tokens, layout.Start(b), layout.ends[b]);
            const BlockCodes codes = CodesOf(f, layout.ends[b] - layout.Start(b));
            const BlockCodes longer = Lengthened(codes, static_cast<std::size_t>(PositionSlot(options.window)) + 1);
            const std::size_t extra = HeaderBits(longer) - HeaderBits(codes);
            if (extra % 8 != 0) {
                layout.recoded = b;
                layout.recodedCodes = longer;
                layout.bits[b] += extra;
                return;
            }
        }
    }
}

}  // namespace lzhenc
