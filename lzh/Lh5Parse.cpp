// The parsers that turn data into tokens: LZ77 over hash chains, greedy,
// lazy, and the cheapest path through every match the chains offer.
#include "Lh5Encoder.h"

#include <algorithm>
#include <cstring>
#include <stdexcept>

namespace lzhenc {

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

// Bytes equal at a and b from the start, up to limit. Eight at a time: the
// first differing byte of a little-endian word is its lowest set byte.
inline std::size_t CommonLength(const uint8_t* a, const uint8_t* b, std::size_t limit)
{
    std::size_t len = 0;
    while (len + 8 <= limit) {
        uint64_t x, y;
        std::memcpy(&x, a + len, 8);
        std::memcpy(&y, b + len, 8);
        if (x != y)
            return len + (__builtin_ctzll(x ^ y) >> 3);
        len += 8;
    }
    while (len < limit && a[len] == b[len])
        ++len;
    return len;
}

// Hash chains of 3-byte prefixes. head_ holds the newest position of each
// hash (plus one; 0 for none), and a ring indexed by position holds how far
// back the previous position with the same hash is (0: none within the
// window). A slot is read only for positions at most a window back, so the
// ring, larger than the window, still holds what was written for it.
class Matcher {
public:
    Matcher(const Bytes& data, const EncodeOptions& options)
        : data_(data.data()), size_(data.size()), window_(options.window),
          maxChain_(options.maxChain ? options.maxChain : 1),
          nice_(std::min<unsigned>(std::max<unsigned>(options.niceLength, MinMatch), MaxMatch)),
          head_(std::size_t(1) << HashBits, 0), prev_(RingSize, 0)
    {
    }

    void Insert(std::size_t i)
    {
        if (i + MinMatch <= size_)
            Link(i, head_[Hash(i)]);
    }

    // The longest match at i (length 0 when there is none of MinMatch bytes),
    // the nearest of equal length; a search that already holds `atLeast` bytes
    // only looks for longer ones, and with fewer candidates. Then inserts i.
    Token FindAndInsert(std::size_t i, unsigned atLeast)
    {
        Token best;
        if (i + MinMatch > size_)
            return best;
        uint32_t& slot = head_[Hash(i)];
        const uint32_t head = slot;
        Link(i, slot);
        const std::size_t limit = std::min<std::size_t>(MaxMatch, size_ - i);
        std::size_t bestLength = std::max<unsigned>(atLeast, MinMatch - 1);
        if (bestLength >= limit || !head)
            return best;
        std::size_t candidate = head - 1, distance = i - candidate;
        unsigned chain = atLeast >= 32 ? maxChain_ / 4 + 1 : maxChain_;
        const uint8_t* here = data_ + i;
        while (distance <= window_) {
            const uint8_t* there = data_ + candidate;
            if (there[bestLength] == here[bestLength] && there[0] == here[0] && there[1] == here[1]) {
                const std::size_t len = CommonLength(there, here, limit);
                if (len > bestLength) {
                    bestLength = len;
                    best = Token::Match(static_cast<unsigned>(len), static_cast<unsigned>(distance));
                    if (len >= nice_ || len == limit)
                        break;
                }
            }
            const uint16_t step = prev_[candidate & (RingSize - 1)];
            if (!step || --chain == 0)
                break;
            candidate -= step;
            distance += step;
        }
        return best;
    }

    unsigned Nice() const { return nice_; }

private:
    static const int HashBits = 15;
    static const std::size_t RingSize = 2 * Lh5Window;

    // Makes i the newest position of its hash, whose head slot is given.
    void Link(std::size_t i, uint32_t& head)
    {
        const std::size_t back = i + 1 - head;
        prev_[i & (RingSize - 1)] = static_cast<uint16_t>(head && back <= window_ ? back : 0);
        head = static_cast<uint32_t>(i + 1);
    }

    uint32_t Hash(std::size_t i) const
    {
        const uint32_t v = uint32_t(data_[i]) << 16 | uint32_t(data_[i + 1]) << 8 | data_[i + 2];
        return (v * 2654435761u) >> (32 - HashBits);
    }

    const uint8_t* data_;
    std::size_t size_;
    unsigned window_;
    unsigned maxChain_;
    unsigned nice_;
    std::vector<uint32_t> head_;
    std::vector<uint16_t> prev_;
};

}  // namespace

std::vector<Token> MatchTokens(const Bytes& data, const EncodeOptions& options)
{
    if (options.window == 0 || options.window > Lh5Window)
        throw std::invalid_argument("window outside 1..8192");
    if (static_cast<uint64_t>(data.size()) > 0xFFFFFFFFu)
        throw std::invalid_argument("data larger than 4 GB");
    Matcher matcher(data, options);
    std::vector<Token> tokens;
    tokens.reserve(data.size() / 4 + 16);
    const std::size_t n = data.size();
    Token pending;           // the match found at i - 1, not yet emitted
    bool havePending = false;
    std::size_t i = 0;
    while (i < n) {
        Token here = matcher.FindAndInsert(i, havePending ? pending.length : 0);
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

}  // namespace lzhenc
