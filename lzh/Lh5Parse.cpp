// The parsers that turn data into tokens: LZ77 over hash chains, greedy,
// lazy, and the cheapest path through every match the chains offer.
#include "Lh5Encoder.h"

#include <algorithm>
#include <cstring>
#include <limits>
#include <utility>
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
        if (i + MinMatch <= size_)
            Walk(i, std::max<unsigned>(atLeast, MinMatch - 1), atLeast >= 32 ? maxChain_ / 4 + 1 : maxChain_,
                 [&](std::size_t len, std::size_t distance) {
                     best = Token::Match(static_cast<unsigned>(len), static_cast<unsigned>(distance));
                 });
        return best;
    }

    // Appends every match at i that is longer than all nearer ones, nearest
    // first; then inserts i.
    void FindAllAndInsert(std::size_t i, std::vector<Token>& out)
    {
        if (i + MinMatch <= size_)
            Walk(i, MinMatch - 1, maxChain_, [&](std::size_t len, std::size_t distance) {
                out.push_back(Token::Match(static_cast<unsigned>(len), static_cast<unsigned>(distance)));
            });
    }

    unsigned Nice() const { return nice_; }

private:
    static const int HashBits = 15;
    static const std::size_t RingSize = 2 * Lh5Window;

    // Follows i's chain, nearest first, for up to `chain` candidates and
    // tells onLonger of each match longer than bestLength and all before it;
    // stops at a match of nice_ bytes or as long as the data allows. Then
    // inserts i (i + MinMatch <= size_).
    template <class OnLonger>
    void Walk(std::size_t i, std::size_t bestLength, unsigned chain, OnLonger onLonger)
    {
        uint32_t& slot = head_[Hash(i)];
        const uint32_t head = slot;
        Link(i, slot);
        const std::size_t limit = std::min<std::size_t>(MaxMatch, size_ - i);
        if (bestLength >= limit || !head)
            return;
        std::size_t candidate = head - 1, distance = i - candidate;
        const uint8_t* here = data_ + i;
        while (distance <= window_) {
            const uint8_t* there = data_ + candidate;
            if (there[bestLength] == here[bestLength] && there[0] == here[0] && there[1] == here[1]) {
                const std::size_t len = CommonLength(there, here, limit);
                if (len > bestLength) {
                    bestLength = len;
                    onLonger(len, distance);
                    if (len >= nice_ || len == limit)
                        return;
                }
            }
            const uint16_t step = prev_[candidate & (RingSize - 1)];
            if (!step || --chain == 0)
                return;
            candidate -= step;
            distance += step;
        }
    }

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
    const uint64_t size = data.size();  // 32 bits wide in the 32-bit build
    if (size > 0xFFFFFFFFu)
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

namespace {

// What a token is expected to cost in bits, from the codes of a previous
// parse. A symbol that code lacks is priced as a rare one: taking it means
// a longer code for it and a longer header.
class Prices {
public:
    explicit Prices(const BlockCodes& codes)
    {
        for (int s = 0; s < NC; s++)
            char_[s] = Price(codes.c, s, UnusedChar);
        for (int j = 0; j < NP; j++)
            position_[j] = Price(codes.p, j, UnusedPosition) + (j > 1 ? j - 1 : 0);
    }

    uint32_t Literal(uint8_t b) const { return char_[b]; }
    uint32_t Length(unsigned length) const { return char_[length + 253]; }
    uint32_t Distance(unsigned distance) const
    {
        return position_[distance > 1 ? 32 - __builtin_clz(distance - 1) : 0];
    }

private:
    static const uint32_t UnusedChar = 14, UnusedPosition = 8;

    static uint32_t Price(const Code& code, int sym, uint32_t unused)
    {
        if (code.single >= 0)
            return sym == code.single ? 1 : unused;
        return static_cast<std::size_t>(sym) < code.lengths.size() && code.lengths[sym] ? code.lengths[sym] : unused;
    }

    uint32_t char_[NC];
    uint32_t position_[NP];
};

// The cheapest tokens at the given prices: every prefix of the data is
// reached by its cheapest path, of a literal or of a match (any length up to
// one found at its start, from the nearest position that gives that length).
std::vector<Token> CheapestPath(const Bytes& data, const std::vector<uint32_t>& first, const std::vector<Token>& matches,
                                const Prices& prices)
{
    const std::size_t n = data.size();
    std::vector<uint32_t> cost(n + 1, std::numeric_limits<uint32_t>::max());
    std::vector<Token> last(n + 1);  // the token that ends the cheapest path to each prefix
    cost[0] = 0;
    for (std::size_t i = 0; i < n; i++) {
        if (cost[i] + prices.Literal(data[i]) < cost[i + 1]) {
            cost[i + 1] = cost[i] + prices.Literal(data[i]);
            last[i + 1] = Token::Literal(data[i]);
        }
        unsigned shorter = MinMatch - 1;
        for (uint32_t k = first[i]; k < first[i + 1]; k++) {
            const Token& m = matches[k];
            const uint32_t base = cost[i] + prices.Distance(m.distance);
            for (unsigned len = shorter + 1; len <= m.length; len++) {
                const uint32_t c = base + prices.Length(len);
                if (c < cost[i + len]) {
                    cost[i + len] = c;
                    last[i + len] = Token::Match(len, m.distance);
                }
            }
            shorter = m.length;
        }
    }
    std::vector<Token> tokens;
    for (std::size_t end = n; end > 0; end -= last[end].length ? last[end].length : 1)
        tokens.push_back(last[end]);
    std::reverse(tokens.begin(), tokens.end());
    return tokens;
}

// Rounds of pricing and parsing after the lazy parse: the second and
// third still gain a little, as prices settle.
const int CheapestRounds = 3;

}  // namespace

std::vector<Token> CheapestTokens(const Bytes& data, const EncodeOptions& options)
{
    std::vector<Token> best = MatchTokens(data, options);
    std::size_t bestBits = EncodedBits(best, options);
    // Every position's matches, found once for all rounds.
    Matcher matcher(data, options);
    std::vector<uint32_t> first(data.size() + 1);
    std::vector<Token> matches;
    for (std::size_t i = 0; i < data.size(); i++) {
        first[i] = static_cast<uint32_t>(matches.size());
        matcher.FindAllAndInsert(i, matches);
    }
    first[data.size()] = static_cast<uint32_t>(matches.size());

    std::vector<Token> priced = best;
    for (int round = 0; round < CheapestRounds; round++) {
        std::vector<Token> tokens = CheapestPath(data, first, matches, Prices(CodesFor(priced)));
        const std::size_t bits = EncodedBits(tokens, options);
        if (bits >= bestBits && round > 0)
            break;
        if (bits < bestBits) {
            best = tokens;
            bestBits = bits;
        }
        priced = std::move(tokens);
    }
    return best;
}

}  // namespace lzhenc
