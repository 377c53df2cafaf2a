#include "Lh5Encoder.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

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

Token Token::Literal(uint8_t b)
{
    Token t;
    t.literal = b;
    return t;
}

Token Token::Match(unsigned length, unsigned distance)
{
    Token t;
    t.length = length;
    t.distance = distance;
    return t;
}

Code Code::Single(int symbol)
{
    Code code;
    code.single = symbol;
    return code;
}

std::vector<uint32_t> Code::Codes() const
{
    uint32_t count[17] = {};
    for (uint8_t len : lengths)
        if (len <= 16)
            count[len]++;
    uint32_t start[18];
    start[1] = 0;
    for (int i = 1; i <= 16; i++)
        start[i + 1] = start[i] + (count[i] << (16 - i));
    std::vector<uint32_t> codes(lengths.size(), 0);
    for (std::size_t s = 0; s < lengths.size(); s++) {
        int len = lengths[s];
        if (len == 0 || len > 16)
            continue;
        codes[s] = start[len] >> (16 - len);
        start[len] += 1u << (16 - len);
    }
    return codes;
}

void Code::PutSymbol(BitWriter& out, int sym) const
{
    if (single >= 0) {
        if (sym != single)
            throw std::invalid_argument("symbol outside a single-symbol code");
        return;
    }
    if (sym < 0 || static_cast<std::size_t>(sym) >= lengths.size() || lengths[sym] == 0)
        throw std::invalid_argument("symbol without a code");
    out.Put(Codes()[sym], lengths[sym]);
}

namespace {

struct Leaf {
    uint32_t freq;
    int sym;
};

// Sorts leaves by frequency, symbols in order within one frequency: stable
// radix passes over the bytes that the largest frequency uses.
void SortLeaves(Leaf* leaves, int m)
{
    uint32_t most = 0;
    for (int k = 0; k < m; k++)
        most = std::max(most, leaves[k].freq);
    Leaf scratch[NC];
    for (int shift = 0; shift < 32 && (most >> shift); shift += 8) {
        int start[257] = {};
        for (int k = 0; k < m; k++)
            start[((leaves[k].freq >> shift) & 255) + 1]++;
        for (int b = 0; b < 256; b++)
            start[b + 1] += start[b];
        for (int k = 0; k < m; k++)
            scratch[start[(leaves[k].freq >> shift) & 255]++] = leaves[k];
        std::copy(scratch, scratch + m, leaves);
    }
}

// Huffman code lengths of the n frequencies, no limit. The used symbols are
// sorted by weight and merged with a second queue of the merged nodes, which
// comes out in weight order by itself; a node's parent is always made after
// it, so depths follow from one pass from the root down.
void HuffmanLengths(const uint32_t* freq, int n, uint8_t* lengths)
{
    Leaf leaves[NC];
    int m = 0;
    for (int s = 0; s < n; s++) {
        lengths[s] = 0;
        if (freq[s])
            leaves[m++] = {freq[s], s};
    }
    SortLeaves(leaves, m);
    uint64_t weight[2 * NC];
    int parent[2 * NC];
    for (int k = 0; k < m; k++)
        weight[k] = leaves[k].freq;
    int nextLeaf = 0, nextNode = m, made = m;
    auto takeLightest = [&]() {
        if (nextLeaf < m && (nextNode == made || weight[nextLeaf] <= weight[nextNode]))
            return nextLeaf++;
        return nextNode++;
    };
    while (made < 2 * m - 1) {
        int a = takeLightest(), b = takeLightest();
        weight[made] = weight[a] + weight[b];
        parent[a] = parent[b] = made;
        ++made;
    }
    int depth[2 * NC];
    depth[made - 1] = 0;
    for (int k = made - 2; k >= 0; k--)
        depth[k] = depth[parent[k]] + 1;
    for (int k = 0; k < m; k++)
        lengths[leaves[k].sym] = static_cast<uint8_t>(std::min(depth[k], 255));
}

Code BuildCodeFrom(const uint32_t* freq, int n, int maxLength)
{
    int used = 0, last = 0;
    for (int s = 0; s < n; s++)
        if (freq[s]) {
            ++used;
            last = s;
        }
    if (used <= 1)
        return Code::Single(last);
    uint32_t f[NC];
    std::copy(freq, freq + n, f);
    uint8_t lengths[NC];
    for (;;) {
        HuffmanLengths(f, last + 1, lengths);
        if (*std::max_element(lengths, lengths + last + 1) <= maxLength) {
            Code code;
            code.lengths.assign(lengths, lengths + last + 1);
            return code;
        }
        // Flatter frequencies give a shallower tree; every used symbol stays used.
        for (int s = 0; s <= last; s++)
            if (f[s])
                f[s] = (f[s] >> 1) | 1;
    }
}

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

}  // namespace

Code BuildCode(const std::vector<uint32_t>& freq, int maxLength)
{
    if (freq.size() > static_cast<std::size_t>(NC))
        throw std::invalid_argument("more symbols than a code holds");
    return BuildCodeFrom(freq.data(), static_cast<int>(freq.size()), maxLength);
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

// How a run of character lengths is sent: T symbol and its extra bits.
struct TSymbol {
    int sym;
    int extraBits;
    uint32_t extra;
};

// The T symbols that send the character lengths, into out (NC entries are
// enough: a length takes at most one symbol); returns how many.
int CharLengthSymbols(const std::vector<uint8_t>& lengths, TSymbol* out)
{
    int count = 0;
    std::size_t i = 0;
    while (i < lengths.size()) {
        if (lengths[i] != 0) {
            out[count++] = {lengths[i] + 2, 0, 0};
            ++i;
            continue;
        }
        std::size_t run = 1;
        while (i + run < lengths.size() && lengths[i + run] == 0)
            ++run;
        i += run;
        if (run == 19) {
            out[count++] = {0, 0, 0};
            run = 18;
        }
        if (run <= 2) {
            for (std::size_t k = 0; k < run; k++)
                out[count++] = {0, 0, 0};
        } else if (run <= 18) {
            out[count++] = {1, 4, static_cast<uint32_t>(run - 3)};
        } else {
            out[count++] = {2, CBIT, static_cast<uint32_t>(run - 20)};
        }
    }
    return count;
}

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

// The length in bits of a block with these symbol counts: header, codes and
// the extra bits of the positions.
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

// Blocks of fewer tokens are never made by fitting: a header costs some 40
// to 100 bytes, which smaller blocks rarely win back.
const std::size_t FittingUnit = 1024;

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
        units.assign((to - from + FittingUnit - 1) / FittingUnit, Frequencies());
        unitEnds.clear();
        for (std::size_t u = 0; u < units.size(); u++) {
            const std::size_t unitEnd = std::min(to, from + (u + 1) * FittingUnit);
            units[u].Add(tokens, from + u * FittingUnit, unitEnd);
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

// Whether a stream laid out so ends on a byte boundary.
bool EndsOnByte(const Layout& layout)
{
    return layout.TotalBits() % 8 == 0;
}

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

// Makes an equivalent stream that does not end on a byte boundary, as short
// as can be: one of the last matches a byte shorter and that byte as a
// literal, or the last tokens cut off into a block of their own. Only the
// block that changes is costed again. Where neither helps (blocks of a token
// or two, the shortest streams) a block's header is sent longer, its codes
// unchanged. Left as it is when nothing helps.
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

void PutCodeLength(BitWriter& out, unsigned length)
{
    WriteCodeLength(out, length);
}

void PutLengthCode(BitWriter& out, const Code& code, int nbit, int zeroRunAfter)
{
    WriteLengthCode(out, code, nbit, zeroRunAfter);
}

void PutCharCode(BitWriter& out, const Code& c, const Code& t)
{
    WriteCharCode(out, c, t);
}

void PutBlockHeader(BitWriter& out, const BlockCodes& codes)
{
    WriteBlockHeader(out, codes);
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
