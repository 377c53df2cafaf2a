#include "Lh5Encoder.h"

#include <algorithm>
#include <functional>
#include <queue>
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

// Huffman code lengths, no limit.
std::vector<uint8_t> HuffmanLengths(const std::vector<uint32_t>& freq)
{
    using Node = std::pair<uint64_t, int>;
    std::priority_queue<Node, std::vector<Node>, std::greater<Node>> queue;
    std::vector<int> parent;
    for (std::size_t s = 0; s < freq.size(); s++) {
        parent.push_back(-1);
        if (freq[s])
            queue.push({freq[s], static_cast<int>(s)});
    }
    while (queue.size() > 1) {
        Node a = queue.top();
        queue.pop();
        Node b = queue.top();
        queue.pop();
        int node = static_cast<int>(parent.size());
        parent.push_back(-1);
        parent[a.second] = parent[b.second] = node;
        queue.push({a.first + b.first, node});
    }
    std::vector<uint8_t> lengths(freq.size(), 0);
    for (std::size_t s = 0; s < freq.size(); s++) {
        if (!freq[s])
            continue;
        int depth = 0;
        for (int n = parent[s]; n >= 0; n = parent[n])
            ++depth;
        lengths[s] = static_cast<uint8_t>(std::min(depth, 255));
    }
    return lengths;
}

// How a run of character lengths is sent: T symbol and its extra bits.
struct TSymbol {
    int sym;
    int extraBits;
    uint32_t extra;
};

std::vector<TSymbol> CharLengthSymbols(const std::vector<uint8_t>& lengths)
{
    std::vector<TSymbol> out;
    std::size_t i = 0;
    while (i < lengths.size()) {
        if (lengths[i] != 0) {
            out.push_back({lengths[i] + 2, 0, 0});
            ++i;
            continue;
        }
        std::size_t run = 1;
        while (i + run < lengths.size() && lengths[i + run] == 0)
            ++run;
        i += run;
        if (run == 19) {
            out.push_back({0, 0, 0});
            run = 18;
        }
        if (run <= 2) {
            for (std::size_t k = 0; k < run; k++)
                out.push_back({0, 0, 0});
        } else if (run <= 18) {
            out.push_back({1, 4, static_cast<uint32_t>(run - 3)});
        } else {
            out.push_back({2, CBIT, static_cast<uint32_t>(run - 20)});
        }
    }
    return out;
}

}  // namespace

Code BuildCode(const std::vector<uint32_t>& freq, int maxLength)
{
    int used = 0, last = 0;
    for (std::size_t s = 0; s < freq.size(); s++)
        if (freq[s]) {
            ++used;
            last = static_cast<int>(s);
        }
    if (used <= 1)
        return Code::Single(last);
    std::vector<uint32_t> f = freq;
    for (;;) {
        std::vector<uint8_t> lengths = HuffmanLengths(f);
        if (*std::max_element(lengths.begin(), lengths.end()) <= maxLength) {
            Code code;
            code.lengths.assign(lengths.begin(), lengths.begin() + last + 1);
            return code;
        }
        // Flatter frequencies give a shallower tree; every used symbol stays used.
        for (uint32_t& x : f)
            if (x)
                x = (x >> 1) | 1;
    }
}

int PositionSymbol(unsigned distance)
{
    if (distance < 1 || distance > Lh5Window)
        throw std::invalid_argument("distance outside 1..8192");
    unsigned d = distance - 1;
    int j = 0;
    while (d >> j)
        ++j;
    return j;
}

int CharSymbol(const Token& token)
{
    if (token.length == 0)
        return token.literal;
    if (token.length < MinMatch || token.length > MaxMatch)
        throw std::invalid_argument("match length outside 3..256");
    return static_cast<int>(token.length) + 253;
}

BlockCodes CodesFor(const std::vector<Token>& tokens)
{
    std::vector<uint32_t> fc(NC, 0), fp(NP, 0), ft(NT, 0);
    for (const Token& token : tokens) {
        fc[CharSymbol(token)]++;
        if (token.length)
            fp[PositionSymbol(token.distance)]++;
    }
    BlockCodes codes;
    codes.count = static_cast<uint32_t>(tokens.size());
    codes.c = BuildCode(fc);
    codes.p = BuildCode(fp);
    if (codes.c.single >= 0) {
        codes.t = Code::Single(0);
        return codes;
    }
    for (const TSymbol& s : CharLengthSymbols(codes.c.lengths))
        ft[s.sym]++;
    codes.t = BuildCode(ft);
    return codes;
}

void PutCodeLength(BitWriter& out, unsigned length)
{
    if (length < 7) {
        out.Put(length, 3);
        return;
    }
    out.Put(7, 3);
    out.PutOnes(static_cast<int>(length - 7));
    out.Put(0, 1);
}

void PutLengthCode(BitWriter& out, const Code& code, int nbit, int zeroRunAfter)
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
        PutCodeLength(out, code.lengths[i++]);
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

void PutCharCode(BitWriter& out, const Code& c, const Code& t)
{
    if (c.single >= 0) {
        out.Put(0, CBIT);
        out.Put(static_cast<uint32_t>(c.single), CBIT);
        return;
    }
    out.Put(static_cast<uint32_t>(c.lengths.size()), CBIT);
    for (const TSymbol& s : CharLengthSymbols(c.lengths)) {
        t.PutSymbol(out, s.sym);
        out.Put(s.extra, s.extraBits);
    }
}

void PutBlockHeader(BitWriter& out, const BlockCodes& codes)
{
    out.Put(codes.count & 0xFFFF, 16);
    PutLengthCode(out, codes.t, TBIT, 3);
    PutCharCode(out, codes.c, codes.t);
    PutLengthCode(out, codes.p, PBIT, -1);
}

namespace {

// PutToken with the canonical codes worked out once per block.
void PutTokenWith(BitWriter& out, const BlockCodes& codes, const std::vector<uint32_t>& charCodes,
                  const std::vector<uint32_t>& positionCodes, const Token& token)
{
    int c = CharSymbol(token);
    if (codes.c.single < 0)
        out.Put(charCodes.at(c), codes.c.lengths.at(c));
    if (token.length == 0)
        return;
    int j = PositionSymbol(token.distance);
    if (codes.p.single < 0)
        out.Put(positionCodes.at(j), codes.p.lengths.at(j));
    if (j > 1)
        out.Put((token.distance - 1) - (1u << (j - 1)), j - 1);
}

}  // namespace

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

namespace {

// The tokens as blocks of options.blockSymbols, except that the last `tail`
// tokens make a block of their own.
void PutBlocks(BitWriter& out, const std::vector<Token>& tokens, const EncodeOptions& options, std::size_t tail)
{
    const std::size_t split = tokens.size() - std::min(tail, tokens.size());
    std::size_t at = 0;
    while (at < tokens.size()) {
        std::size_t end = std::min(tokens.size(), at + options.blockSymbols);
        if (at < split && end > split)
            end = split;
        std::vector<Token> block(tokens.begin() + static_cast<std::ptrdiff_t>(at),
                                 tokens.begin() + static_cast<std::ptrdiff_t>(end));
        BlockCodes codes = CodesFor(block);
        PutBlockHeader(out, codes);
        const std::vector<uint32_t> charCodes = codes.c.Codes(), positionCodes = codes.p.Codes();
        for (const Token& t : block)
            PutTokenWith(out, codes, charCodes, positionCodes, t);
        at = end;
    }
}

}  // namespace

std::size_t EncodedBits(const std::vector<Token>& tokens, const EncodeOptions& options)
{
    std::size_t bits = 0;
    for (std::size_t at = 0; at < tokens.size(); at += options.blockSymbols) {
        std::size_t end = std::min<std::size_t>(tokens.size(), at + options.blockSymbols);
        std::vector<Token> block(tokens.begin() + static_cast<std::ptrdiff_t>(at),
                                 tokens.begin() + static_cast<std::ptrdiff_t>(end));
        BlockCodes codes = CodesFor(block);
        BitWriter header;
        PutBlockHeader(header, codes);
        bits += header.BitCount();
        for (const Token& t : block) {
            if (codes.c.single < 0)
                bits += codes.c.lengths[CharSymbol(t)];
            if (t.length == 0)
                continue;
            int j = PositionSymbol(t.distance);
            if (codes.p.single < 0)
                bits += codes.p.lengths[j];
            if (j > 1)
                bits += j - 1;
        }
    }
    return bits;
}

Bytes EncodeTokens(const std::vector<Token>& tokens, const EncodeOptions& options)
{
    if (options.blockSymbols == 0 || options.blockSymbols > 65535)
        throw std::invalid_argument("block size outside 1..65535");
    for (const Token& t : tokens)
        if (t.length && t.distance > options.window)
            throw std::invalid_argument("distance beyond the window");
    BitWriter out;
    PutBlocks(out, tokens, options, 0);
    if (!options.avoidByteEnd || out.BitCount() % 8 != 0)
        return out.Finish();
    // Equivalent streams that end elsewhere: one of the last matches a byte
    // shorter and that byte as a literal, or the last tokens in a block of
    // their own. The shortest that does not end a byte is taken.
    Bytes best;
    auto consider = [&](const std::vector<Token>& variant, std::size_t tail) {
        BitWriter w;
        PutBlocks(w, variant, options, tail);
        if (w.BitCount() % 8 != 0 && (best.empty() || (w.BitCount() + 7) / 8 < best.size()))
            best = w.Finish();
    };
    const Bytes data = ExpandTokens(tokens);
    std::size_t end = data.size(), shortened = 0;
    for (std::size_t k = tokens.size(); k-- > 0 && shortened < 8;) {
        const std::size_t tokenEnd = end;
        end -= tokens[k].length ? tokens[k].length : 1;
        if (tokens[k].length <= MinMatch)
            continue;
        ++shortened;
        std::vector<Token> variant = tokens;
        variant[k].length -= 1;
        variant.insert(variant.begin() + static_cast<std::ptrdiff_t>(k) + 1, Token::Literal(data[tokenEnd - 1]));
        consider(variant, 0);
    }
    for (std::size_t tail = 1; tail <= tokens.size() && tail <= 16; tail++)
        consider(tokens, tail);
    return best.empty() ? out.Finish() : best;
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

std::vector<Token> GreedyTokens(const Bytes& data, unsigned window)
{
    const std::size_t HashSize = 1 << 15;
    const int MaxChain = 256;
    std::vector<long> head(HashSize, -1), prev(data.size(), -1);
    auto hash = [&](std::size_t i) {
        return ((data[i] << 10) ^ (data[i + 1] << 5) ^ data[i + 2]) & (HashSize - 1);
    };
    auto insert = [&](std::size_t i) {
        if (i + MinMatch > data.size())
            return;
        std::size_t h = hash(i);
        prev[i] = head[h];
        head[h] = static_cast<long>(i);
    };

    std::vector<Token> tokens;
    std::size_t i = 0;
    while (i < data.size()) {
        unsigned bestLength = 0, bestDistance = 0;
        if (i + MinMatch <= data.size()) {
            const std::size_t limit = std::min<std::size_t>(MaxMatch, data.size() - i);
            long candidate = head[hash(i)];
            for (int chain = 0; candidate >= 0 && chain < MaxChain; chain++) {
                std::size_t distance = i - static_cast<std::size_t>(candidate);
                if (distance > window)
                    break;
                std::size_t len = 0;
                while (len < limit && data[static_cast<std::size_t>(candidate) + len] == data[i + len])
                    ++len;
                if (len > bestLength) {
                    bestLength = static_cast<unsigned>(len);
                    bestDistance = static_cast<unsigned>(distance);
                    if (len == limit)
                        break;
                }
                candidate = prev[static_cast<std::size_t>(candidate)];
            }
        }
        if (bestLength >= MinMatch) {
            tokens.push_back(Token::Match(bestLength, bestDistance));
            for (unsigned k = 0; k < bestLength; k++)
                insert(i + k);
            i += bestLength;
        } else {
            tokens.push_back(Token::Literal(data[i]));
            insert(i);
            ++i;
        }
    }
    return tokens;
}

namespace {

// Hash chains over a ring of window-bounded size: head holds the newest
// position of each hash, prev the one before it with the same hash. Positions
// further back than the window are never followed, so a slot is read only
// while it still holds what was written for that position.
class Matcher {
public:
    Matcher(const Bytes& data, const EncodeOptions& options)
        : data_(data), window_(options.window), maxChain_(options.maxChain ? options.maxChain : 1),
          nice_(std::min<unsigned>(std::max<unsigned>(options.niceLength, MinMatch), MaxMatch))
    {
        while (ringSize_ < 2 * static_cast<std::size_t>(window_))
            ringSize_ <<= 1;
        head_.assign(HashSize, -1);
        prev_.assign(ringSize_, -1);
    }

    void Insert(std::size_t i)
    {
        if (i + MinMatch > data_.size())
            return;
        uint32_t h = Hash(i);
        prev_[i & (ringSize_ - 1)] = head_[h];
        head_[h] = static_cast<int64_t>(i);
    }

    // The longest match at i (length 0 when there is none of MinMatch bytes),
    // the nearest of equal length; a search that already holds `atLeast` bytes
    // only looks for longer ones, and with fewer candidates.
    Token Find(std::size_t i, unsigned atLeast) const
    {
        Token best;
        if (i + MinMatch > data_.size())
            return best;
        const std::size_t limit = std::min<std::size_t>(MaxMatch, data_.size() - i);
        std::size_t bestLength = std::max<unsigned>(atLeast, MinMatch - 1);
        if (bestLength >= limit)
            return best;
        unsigned chain = atLeast >= 32 ? maxChain_ / 4 + 1 : maxChain_;
        const uint8_t* here = data_.data() + i;
        int64_t candidate = head_[Hash(i)];
        while (candidate >= 0 && chain-- > 0) {
            std::size_t distance = i - static_cast<std::size_t>(candidate);
            if (distance > window_ || distance == 0)
                break;
            const uint8_t* there = data_.data() + candidate;
            if (there[bestLength] == here[bestLength] && there[0] == here[0] && there[1] == here[1]) {
                std::size_t len = 2;
                while (len < limit && there[len] == here[len])
                    ++len;
                if (len > bestLength) {
                    bestLength = len;
                    best = Token::Match(static_cast<unsigned>(len), static_cast<unsigned>(distance));
                    if (len >= nice_ || len == limit)
                        break;
                }
            }
            candidate = prev_[static_cast<std::size_t>(candidate) & (ringSize_ - 1)];
        }
        return best;
    }

    unsigned Nice() const { return nice_; }

private:
    static const uint32_t HashSize = 1u << 16;

    uint32_t Hash(std::size_t i) const
    {
        uint32_t v = static_cast<uint32_t>(data_[i]) << 16 | static_cast<uint32_t>(data_[i + 1]) << 8 | data_[i + 2];
        return (v * 2654435761u) >> 16;
    }

    const Bytes& data_;
    unsigned window_;
    unsigned maxChain_;
    unsigned nice_;
    std::size_t ringSize_ = 1;
    std::vector<int64_t> head_, prev_;
};

}  // namespace

std::vector<Token> MatchTokens(const Bytes& data, const EncodeOptions& options)
{
    if (options.window == 0 || options.window > Lh5Window)
        throw std::invalid_argument("window outside 1..8192");
    Matcher matcher(data, options);
    std::vector<Token> tokens;
    tokens.reserve(data.size() / 4 + 16);
    const std::size_t n = data.size();
    Token pending;           // the match found at i - 1, not yet emitted
    bool havePending = false;
    std::size_t i = 0;
    while (i < n) {
        Token here = matcher.Find(i, havePending ? pending.length : 0);
        matcher.Insert(i);
        if (havePending) {
            if (pending.length >= MinMatch && (here.length <= pending.length || !options.lazy)) {
                // The match at i - 1 stands: emit it and step over its bytes.
                tokens.push_back(pending);
                const std::size_t end = i - 1 + pending.length;
                for (std::size_t j = i + 1; j < end; ++j)
                    matcher.Insert(j);
                i = end;
                havePending = false;
                continue;
            }
            tokens.push_back(Token::Literal(data[i - 1]));
        }
        if (here.length >= matcher.Nice()) {
            tokens.push_back(here);
            for (std::size_t j = i + 1; j < i + here.length; ++j)
                matcher.Insert(j);
            i += here.length;
            havePending = false;
            continue;
        }
        pending = here;
        havePending = true;
        ++i;
    }
    if (havePending)
        tokens.push_back(Token::Literal(data[n - 1]));  // a match cannot start at the last byte
    return tokens;
}

Bytes Compress(const Bytes& data, const EncodeOptions& options)
{
    return EncodeTokens(MatchTokens(data, options), options);
}

}  // namespace lzhenc
