// The parsers that turn data into tokens: LZ77 over hash chains, greedy and
// lazy, and the cheapest path through every match that binary trees of the
// window's strings offer, a window of data at a time.
#include "Lh5Encoder.h"

#include "Lh5Blocks.h"

#include <algorithm>
#include <cstring>
#include <exception>
#include <limits>
#include <utility>
#include <stdexcept>
#include <system_error>
#include <thread>

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

void CheckParseInput(const Bytes& data, const EncodeOptions& options)
{
    if (options.window == 0 || options.window > Lh5Window)
        throw std::invalid_argument("window outside 1..8192");
    const uint64_t size = data.size();  // 32 bits wide in the 32-bit build
    if (size > 0xFFFFFFFFu)
        throw std::invalid_argument("data larger than 4 GB");
}

// A match offered to the cheapest parse.
struct Candidate {
    uint16_t length;    // 3..256
    uint16_t distance;  // 1..8192
};

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

// Both matchers find their candidates by a hash of 3-byte prefixes, in
// Hash3Bits bits.
const int Hash3Bits = 15;

uint32_t Hash3(const uint8_t* p)
{
    const uint32_t v = uint32_t(p[0]) << 16 | uint32_t(p[1]) << 8 | p[2];
    return (v * 2654435761u) >> (32 - Hash3Bits);
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
          head_(std::size_t(1) << Hash3Bits, 0), prev_(RingSize, 0)
    {
    }

    void Insert(std::size_t i)
    {
        if (i + MinMatch <= size_)
            Link(i, head_[Hash3(data_ + i)]);
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

    unsigned Nice() const { return nice_; }

private:
    static const std::size_t RingSize = 2 * Lh5Window;

    // Follows i's chain, nearest first, for up to `chain` candidates and
    // tells onLonger of each match longer than bestLength and all before it;
    // stops at a match of nice_ bytes or as long as the data allows. Then
    // inserts i (i + MinMatch <= size_).
    template <class OnLonger>
    void Walk(std::size_t i, std::size_t bestLength, unsigned chain, OnLonger onLonger)
    {
        uint32_t& slot = head_[Hash3(data_ + i)];
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

    const uint8_t* data_;
    std::size_t size_;
    unsigned window_;
    unsigned maxChain_;
    unsigned nice_;
    std::vector<uint32_t> head_;
    std::vector<uint16_t> prev_;
};

// Binary search trees of the positions within the window, one tree per hash
// of 3-byte prefixes, for the cheapest parse. Each tree is ordered by the
// bytes that follow its positions, and every node is newer than the nodes
// below it, so the search for a position's place passes the nearest
// position of every length of match there is: the matches that chains find
// only deep down (in data of few distinct short strings) come at the cost of
// a descent. Inserting a position makes it the root of its tree, the nodes
// on the way split between its two sides; nodes further back than the
// window, and those below the depth searched, drop out. Bytes are told
// apart up to the nice length only: a position that matches as far is
// replaced by the newer one. Links are
// positions plus one (0: none), kept in rings indexed by position, larger
// than the window: no node further back is ever read.
class TreeMatcher {
public:
    TreeMatcher(const Bytes& data, const EncodeOptions& options, unsigned depth)
        : data_(data.data()), size_(data.size()), window_(options.window), depth_(std::max(depth, 1u)),
          nice_(std::min<unsigned>(std::max<unsigned>(options.niceLength, MinMatch), MaxMatch)),
          head_(std::size_t(1) << Hash3Bits, 0), lower_(RingSize, 0), higher_(RingSize, 0)
    {
    }

    // Appends every match at i that is longer than all nearer ones, nearest
    // first; then inserts i. Returns the longest length found (0 for none).
    unsigned FindAllAndInsert(std::size_t i, std::vector<Candidate>& out)
    {
        unsigned longest = 0;
        Descend(i, [&](std::size_t len, std::size_t distance) {
            out.push_back({static_cast<uint16_t>(len), static_cast<uint16_t>(distance)});
            longest = static_cast<unsigned>(len);
        });
        if (longest == nice_) {
            // The trees tell bytes apart only up to the nice length; the
            // match found there may go on.
            Candidate& c = out.back();
            const std::size_t limit = std::min<std::size_t>(MaxMatch, size_ - i);
            longest = static_cast<unsigned>(nice_ + CommonLength(data_ + i - c.distance + nice_, data_ + i + nice_,
                                                                 limit - nice_));
            c.length = static_cast<uint16_t>(longest);
        }
        return longest;
    }

    void Insert(std::size_t i)
    {
        Descend(i, [](std::size_t, std::size_t) {});
    }

    unsigned Nice() const { return nice_; }

private:
    static const std::size_t RingSize = 2 * Lh5Window;

    template <class OnLonger>
    void Descend(std::size_t i, OnLonger onLonger)
    {
        if (i + MinMatch > size_)
            return;
        const std::size_t limit = std::min<std::size_t>(nice_, size_ - i);
        const uint8_t* here = data_ + i;
        uint32_t& root = head_[Hash3(data_ + i)];
        uint32_t node = root;
        root = static_cast<uint32_t>(i + 1);
        // Where the next node found below (or above) i's bytes hangs, and how
        // many bytes all the nodes on that side share with i's.
        uint32_t* lowerLink = &lower_[i & (RingSize - 1)];
        uint32_t* higherLink = &higher_[i & (RingSize - 1)];
        std::size_t lowerShared = 0, higherShared = 0, best = MinMatch - 1;
        for (unsigned depth = depth_; node && i + 1 - node <= window_ && depth; --depth) {
            const std::size_t c = node - 1, slot = c & (RingSize - 1);
            const uint8_t* there = data_ + c;
            std::size_t len = std::min(lowerShared, higherShared);
            len += CommonLength(there + len, here + len, limit - len);
            if (len > best) {
                best = len;
                onLonger(len, i - c);
            }
            if (len == limit) {
                // As far as can be told the same bytes: i takes c's place.
                *lowerLink = lower_[slot];
                *higherLink = higher_[slot];
                return;
            }
            if (there[len] < here[len]) {
                *lowerLink = node;
                lowerLink = &higher_[slot];
                node = *lowerLink;
                lowerShared = len;
            } else {
                *higherLink = node;
                higherLink = &lower_[slot];
                node = *higherLink;
                higherShared = len;
            }
        }
        *lowerLink = *higherLink = 0;
    }

    const uint8_t* data_;
    std::size_t size_;
    unsigned window_;
    unsigned depth_;
    unsigned nice_;
    std::vector<uint32_t> head_;
    std::vector<uint32_t> lower_, higher_;
};

}  // namespace

std::vector<Token> MatchTokens(const Bytes& data, const EncodeOptions& options)
{
    CheckParseInput(data, options);
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

// The matches of every position of one window, found once for all rounds.
// A position inside a match of the nice length or longer is not searched
// (data such as long runs would cost the parse the whole length at every
// byte); it is still inserted into the chains.
struct WindowMatches {
    std::size_t from = 0, to = 0;
    std::vector<uint32_t> first;  // candidates of position from + k: first[k] .. first[k + 1]
    std::vector<Candidate> candidates;

    void Find(TreeMatcher& matcher, std::size_t windowFrom, std::size_t windowTo, unsigned skipLength)
    {
        from = windowFrom;
        to = windowTo;
        first.assign(to - from + 1, 0);
        candidates.clear();
        std::size_t skipTo = from;
        for (std::size_t i = from; i < to; i++) {
            first[i - from] = static_cast<uint32_t>(candidates.size());
            if (i < skipTo) {
                matcher.Insert(i);
                continue;
            }
            const unsigned longest = matcher.FindAllAndInsert(i, candidates);
            if (longest >= skipLength)
                skipTo = i + longest;
        }
        first[to - from] = static_cast<uint32_t>(candidates.size());
    }

    // The longest candidate at from + k, cut at the window's end (length 0: none).
    Candidate Longest(std::size_t k) const
    {
        if (first[k] == first[k + 1])
            return Candidate{0, 0};
        Candidate c = candidates[first[k + 1] - 1];
        c.length = static_cast<uint16_t>(std::min<std::size_t>(c.length, to - from - k));
        return c;
    }
};

// The parses of one window: the cheapest path at given prices, and the lazy
// one over the same matches. Each replaces `tokens` with the window's and
// `counts` with their symbol counts. Keeps its buffers from one window to
// the next.
class WindowParser {
public:
    // Every prefix of the window is reached by its cheapest path, of a
    // literal or of a match (any length up to one found at its start and
    // within the window, from the nearest position that gives that length).
    void Cheapest(const Bytes& data, const WindowMatches& m, const Prices& prices, std::vector<Token>& tokens,
                  Frequencies& counts)
    {
        const std::size_t n = m.to - m.from;
        const uint8_t* bytes = data.data() + m.from;
        cost_.assign(n + 1, std::numeric_limits<uint32_t>::max());
        last_.resize(n + 1);
        cost_[0] = 0;
        for (std::size_t i = 0; i < n; i++) {
            const uint32_t here = cost_[i];
            const uint32_t literal = here + prices.Literal(bytes[i]);
            if (literal < cost_[i + 1]) {
                cost_[i + 1] = literal;
                last_[i + 1] = Candidate{0, 0};
            }
            unsigned shorter = MinMatch - 1;
            const std::size_t room = n - i;
            for (uint32_t k = m.first[i]; k < m.first[i + 1] && shorter < room; k++) {
                const Candidate c = m.candidates[k];
                const unsigned longest = static_cast<unsigned>(std::min<std::size_t>(c.length, room));
                const uint32_t base = here + prices.Distance(c.distance);
                for (unsigned len = shorter + 1; len <= longest; len++) {
                    const uint32_t price = base + prices.Length(len);
                    if (price < cost_[i + len]) {
                        cost_[i + len] = price;
                        last_[i + len] = Candidate{static_cast<uint16_t>(len), c.distance};
                    }
                }
                shorter = longest;
            }
        }
        tokens.clear();
        for (std::size_t end = n; end > 0; end -= last_[end].length ? last_[end].length : 1)
            tokens.push_back(last_[end].length ? Token::Match(last_[end].length, last_[end].distance)
                                               : Token::Literal(bytes[end - 1]));
        std::reverse(tokens.begin(), tokens.end());
        Count(tokens, counts);
    }

    // The longest match at each position, put off by a byte when the next
    // position has a longer one (unless it is of the skip length: the
    // positions inside it have no matches).
    static void Lazy(const Bytes& data, const WindowMatches& m, unsigned skip, std::vector<Token>& tokens,
                     Frequencies& counts)
    {
        const std::size_t n = m.to - m.from;
        tokens.clear();
        for (std::size_t k = 0; k < n;) {
            const Candidate here = m.Longest(k);
            if (here.length >= MinMatch &&
                (here.length >= skip || k + 1 == n || m.Longest(k + 1).length <= here.length)) {
                tokens.push_back(Token::Match(here.length, here.distance));
                k += here.length;
            } else {
                tokens.push_back(Token::Literal(data[m.from + k]));
                ++k;
            }
        }
        Count(tokens, counts);
    }

private:
    static void Count(const std::vector<Token>& tokens, Frequencies& counts)
    {
        counts = Frequencies();
        for (const Token& t : tokens)
            counts.Add(t);
    }

    std::vector<uint32_t> cost_;  // of the cheapest path to each prefix
    // How that path ends: a match of this length and distance, or a literal
    // (length 0).
    std::vector<Candidate> last_;
};

// Nodes visited per position by the cheapest parse's search, the match
// length beyond which the positions inside a match are not searched, and
// how far the trees tell strings apart (the longest match found that far is
// then followed to its end): beyond these it gains little for the time.
const unsigned CheapestDepth = 16, CheapestSkip = 64, CheapestNice = 64;

}  // namespace

std::vector<Token> WindowedCheapestTokens(const Bytes& data, const EncodeOptions& options)
{
    CheckParseInput(data, options);
    EncodeOptions bounded = options;
    bounded.niceLength = std::min(options.niceLength, CheapestNice);
    TreeMatcher matcher(data, bounded, std::min(options.maxChain, CheapestDepth));
    const unsigned skip = std::min(matcher.Nice(), CheapestSkip);
    // The matches of the next window are found on a thread of their own
    // while this one is parsed: the two take about as long, and the matcher
    // is only ever used by one of them at a time. Where no second thread can
    // be made they are found after the parse instead, to the same result.
    WindowMatches windows[2];
    auto find = [&](WindowMatches& m, std::size_t from) {
        m.Find(matcher, from, std::min(data.size(), from + CheapestWindow), skip);
    };
    WindowParser parser;
    std::vector<Token> tokens, best, parsed;
    tokens.reserve(data.size() / 4 + 16);
    if (!data.empty())
        find(windows[0], 0);
    for (std::size_t from = 0, k = 0; from < data.size(); from += CheapestWindow, k ^= 1) {
        const WindowMatches& window = windows[k];
        std::exception_ptr failure;
        // Joined on every way out of this round, a throw of the parse's
        // included, before the windows it fills go away.
        struct JoinedThread {
            std::thread thread;
            ~JoinedThread()
            {
                if (thread.joinable())
                    thread.join();
            }
        } next;
        auto findNext = [&, k, from]() {
            try {
                find(windows[k ^ 1], from + CheapestWindow);
            } catch (...) {
                failure = std::current_exception();
            }
        };
        bool findAfterParse = false;
        if (from + CheapestWindow < data.size()) {
            try {
                next.thread = options.startThread ? options.startThread(findNext) : std::thread(findNext);
            } catch (const std::system_error&) {
                findAfterParse = true;
            }
        }
        Frequencies counts;
        WindowParser::Lazy(data, window, skip, best, counts);
        std::size_t bestBits = BlockBits(counts, best.size());
        // Each round is priced by the codes of the parse before it; the parse
        // that would code smallest as one block is kept.
        for (unsigned round = 0; round < options.cheapestRounds; round++) {
            parser.Cheapest(data, window, Prices(CodesOf(counts, best.size())), parsed, counts);
            const std::size_t bits = BlockBits(counts, parsed.size());
            if (bits >= bestBits)
                break;
            std::swap(best, parsed);
            bestBits = bits;
        }
        tokens.insert(tokens.end(), best.begin(), best.end());
        if (next.thread.joinable())
            next.thread.join();
        if (findAfterParse)
            findNext();
        if (failure)
            std::rethrow_exception(failure);
    }
    return tokens;
}

std::vector<Token> CheapestTokens(const Bytes& data, const EncodeOptions& options)
{
    std::vector<Token> tokens = WindowedCheapestTokens(data, options);
    // The windows are priced each on its own and searched only so deep; the
    // lazy parse over the chains, as coded under options, still wins now and
    // then (data of few distinct short strings, blocks of a few tokens).
    std::vector<Token> lazy = MatchTokens(data, options);
    if (EncodedBits(lazy, options) <= EncodedBits(tokens, options))
        return lazy;
    return tokens;
}

}  // namespace lzhenc
