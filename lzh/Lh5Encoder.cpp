// The encoder's public face: the stream's basic pieces (bit writer, tokens,
// symbols), checks of what the caller hands in, and the whole stream from
// tokens. The parts live beside it: Lh5Code (Huffman codes), Lh5Header
// (block headers), Lh5Blocks (block costs, fitting and writing), Lh5ByteEnd
// (the byte-boundary rule) and Lh5Parse (the parsers).
#include "Lh5Encoder.h"

#include "Lh5Blocks.h"
#include "Lh5ByteEnd.h"

#include <stdexcept>

namespace lzhenc {

void BitWriter::Put(uint32_t value, int n)
{
    if (n <= 0)
        return;
    uint64_t bits = n >= 32 ? value : (value & ((1u << n) - 1));
    acc_ = (acc_ << n) | bits;
    pending_ += n;
    while (pending_ >= 8) {
        pending_ -= 8;
        bytes_.push_back(static_cast<uint8_t>(acc_ >> pending_));
    }
    acc_ &= (uint64_t(1) << pending_) - 1;
}

void BitWriter::PutOnes(int n)
{
    for (int i = 0; i < n; i++)
        Put(1, 1);
}

Bytes BitWriter::Finish() const
{
    Bytes out = bytes_;
    if (pending_)
        out.push_back(static_cast<uint8_t>(acc_ << (8 - pending_)));
    return out;
}

int PositionSymbol(unsigned distance)
{
    if (distance < 1 || distance > Lh5Window)
        throw std::invalid_argument("distance outside 1..8192");
    return PositionSlot(distance);
}

int CharSymbol(const Token& token)
{
    if (token.length != 0 && (token.length < MinMatch || token.length > MaxMatch))
        throw std::invalid_argument("match length outside 3..256");
    return CharSlot(token);
}

namespace {

void Validate(const std::vector<Token>& tokens, const EncodeOptions& options)
{
    if (options.blockSymbols == 0 || options.blockSymbols > 65535)
        throw std::invalid_argument("block size outside 1..65535");
    for (const Token& t : tokens) {
        if (!t.length)
            continue;
        if (t.length < MinMatch || t.length > MaxMatch)
            throw std::invalid_argument("match length outside 3..256");
        if (t.distance < 1 || t.distance > Lh5Window)
            throw std::invalid_argument("distance outside 1..8192");
        if (t.distance > options.window)
            throw std::invalid_argument("distance beyond the window");
    }
}

}  // namespace

BlockCodes CodesFor(const std::vector<Token>& tokens)
{
    for (const Token& t : tokens) {
        CharSymbol(t);
        if (t.length)
            PositionSymbol(t.distance);
    }
    Frequencies f;
    f.Add(tokens, 0, tokens.size());
    return CodesOf(f, tokens.size());
}

void PutToken(BitWriter& out, const BlockCodes& codes, const Token& token)
{
    codes.c.PutSymbol(out, CharSymbol(token));
    if (token.length == 0)
        return;
    int j = PositionSymbol(token.distance);
    codes.p.PutSymbol(out, j);
    if (j > 1)
        out.Put((token.distance - 1) - (1u << (j - 1)), j - 1);
}

std::size_t EncodedBits(const std::vector<Token>& tokens, const EncodeOptions& options)
{
    Validate(tokens, options);
    return BlockLayout(tokens, options).TotalBits();
}

Bytes EncodeTokens(const std::vector<Token>& tokens, const EncodeOptions& options, std::size_t* bitCount)
{
    Validate(tokens, options);
    Layout layout = BlockLayout(tokens, options);
    BitWriter out;
    if (options.avoidByteEnd && EndsOnByte(layout)) {
        std::vector<Token> changed = tokens;
        AvoidByteEnd(changed, layout, options);
        PutBlocks(out, changed, layout);
    } else {
        PutBlocks(out, tokens, layout);
    }
    if (bitCount)
        *bitCount = out.BitCount();
    return out.Finish();
}

Bytes ExpandTokens(const std::vector<Token>& tokens)
{
    Bytes out;
    for (const Token& t : tokens) {
        if (t.length == 0) {
            out.push_back(t.literal);
            continue;
        }
        if (t.distance == 0 || t.distance > out.size())
            throw std::invalid_argument("match before the start of the data");
        for (unsigned k = 0; k < t.length; k++)
            out.push_back(out[out.size() - t.distance]);
    }
    return out;
}

Bytes Compress(const Bytes& data, const EncodeOptions& options)
{
    return EncodeTokens(MatchTokens(data, options), options);
}

}  // namespace lzhenc
