// Encoder of the "-lh5-" / "-lh4-" bit stream: the LZ77 parsers that pack
// archives (hash chains with lazy evaluation, or the cheapest path through
// every match, a window at a time; Lh5Parse.cpp), blocks fitted to the data, and
// the low-level pieces beneath them, open enough that tests can craft exact
// streams (chosen tokens, blocks, code forms) and deliberately damaged ones.
//
// Stream layout, bits most significant first. Every block starts with:
//   16 bits   number of character symbols in the block
//   the code-length code ("T", 19 symbols): 5-bit count n, then n lengths,
//             each 0..6 in 3 bits or 7+ as 111, (len - 7) one bits and a zero;
//             after the third length a 2-bit count of zero lengths that follow.
//             n = 0: 5 more bits name the only symbol, whose code is 0 bits long.
//   the character code (510 symbols): 9-bit count n, then n lengths coded with
//             T: 0 = one zero length, 1 + 4 bits = 3..18 zeros, 2 + 9 bits =
//             20..531 zeros, s >= 3 = length s - 2. n = 0: 9 bits name the only symbol.
//   the position code (14 symbols): 4-bit count n and lengths as for T but
//             without the zero run; n = 0: 4 bits name the only symbol.
// Then the symbols: a character c < 256 is a literal, c >= 256 a match of
// c - 253 bytes followed by its position symbol j and j - 1 extra bits:
// distance - 1 = 0 for j = 0, else 2^(j-1) + extra.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <thread>
#include <vector>

namespace lzhenc {

using Bytes = std::vector<uint8_t>;

class BitWriter {
public:
    // The low n bits of value, most significant first (n up to 32).
    void Put(uint32_t value, int n);
    void PutOnes(int n);
    // Pads the last byte with zero bits.
    Bytes Finish() const;
    std::size_t BitCount() const { return bytes_.size() * 8 + pending_; }

private:
    Bytes bytes_;
    uint64_t acc_ = 0;  // the pending_ bits not yet in bytes_, in the low bits
    int pending_ = 0;   // 0..7 between calls
};

const int NC = 510;   // characters: 256 literals + match lengths 3..256
const int NT = 19;    // code-length code
const int NP = 14;    // positions
const int TBIT = 5;
const int CBIT = 9;
const int PBIT = 4;
const unsigned MinMatch = 3;
const unsigned MaxMatch = 256;
const unsigned Lh5Window = 8192;
const unsigned Lh4Window = 4096;

struct Token {
    unsigned length = 0;    // 0: a literal; else 3..256
    unsigned distance = 0;  // 1..8192 for a match
    uint8_t literal = 0;

    static Token Literal(uint8_t b)
    {
        Token t;
        t.literal = b;
        return t;
    }
    static Token Match(unsigned length, unsigned distance)
    {
        Token t;
        t.length = length;
        t.distance = distance;
        return t;
    }
};

// A Huffman code as lengths per symbol, or a single symbol sent in the
// count-0 form (no lengths, its code is empty).
struct Code {
    std::vector<uint8_t> lengths;  // all are sent, trailing zeros too
    int single = -1;               // >= 0: the count-0 form with this symbol

    static Code Single(int symbol);
    // Canonical codes as the decoder assigns them: shorter codes first, and
    // within one length in symbol order.
    std::vector<uint32_t> Codes() const;
    // Writes sym's code (nothing for a single-symbol code).
    void PutSymbol(BitWriter& out, int sym) const;
};

// Code lengths for the given frequencies, limited to maxLength bits, without
// trailing zeros. With one used symbol or none the result is Code::Single
// (of that symbol, or of 0).
Code BuildCode(const std::vector<uint32_t>& freq, int maxLength = 16);

// The three codes of a block and its symbol count.
struct BlockCodes {
    uint32_t count = 0;  // written in 16 bits (so 65536 reads as 0)
    Code t, c, p;
};

// Position symbol of a distance (1..8192) and its extra bits.
int PositionSymbol(unsigned distance);

// Character symbol of a token.
int CharSymbol(const Token& token);

// Codes fitted to the tokens: c and p from their frequencies, t from the
// frequencies of the symbols that send c's lengths.
BlockCodes CodesFor(const std::vector<Token>& tokens);

// Pieces of a block header, for hand-made (and damaged) headers.
void PutCodeLength(BitWriter& out, unsigned length);  // 3 bits or the unary form
// A T or P code: count in nbit bits, lengths; zeroRunAfter is the index
// after which a 2-bit zero count is sent (3 for T, -1 for P).
void PutLengthCode(BitWriter& out, const Code& code, int nbit, int zeroRunAfter);
// Sends the character lengths with the T code.
void PutCharCode(BitWriter& out, const Code& c, const Code& t);
void PutBlockHeader(BitWriter& out, const BlockCodes& codes);
void PutToken(BitWriter& out, const BlockCodes& codes, const Token& token);

struct EncodeOptions {
    unsigned window = Lh5Window;   // the longest distance allowed
    uint32_t blockSymbols = 65535; // tokens per block; with fitBlocks, the most in one
    // Blocks end where the data's statistics change: each block is cut in
    // halves, and those in halves down to units of 128 to 1024 tokens (the
    // smaller in short data), as long as the halves cost fewer bits.
    bool fitBlocks = false;
    unsigned maxChain = 256;       // candidates tried per position by the matcher
    unsigned niceLength = MaxMatch; // a match this long is taken at once
    bool lazy = true;              // put a match off when the next byte starts a longer one
    // Rounds of pricing and parsing per window of the cheapest parse, after
    // its lazy parse (0: that alone). The second still gains some 0.2 %.
    unsigned cheapestRounds = 2;
    // Never let the stream end on a byte boundary: some decoders read ahead
    // of the last code and drop what they decoded when the data ends there,
    // while others refuse spare bytes after the stream. When the last code
    // would end a byte, one of the last matches is made a byte shorter, the
    // final tokens go into a block of their own, or a block's header is sent
    // a few bits longer.
    bool avoidByteEnd = false;
    // Starts the cheapest parse's second thread; null: std::thread. Where no
    // thread can be made (std::thread then throws std::system_error) the one
    // thread does both parts, with the same result. Tests put in a starter
    // that fails.
    std::thread (*startThread)(std::function<void()> work) = nullptr;
};

// Tokens as blocks with fitted codes; the stream is padded to whole bytes.
// bitCount, when given, receives its length before the padding.
Bytes EncodeTokens(const std::vector<Token>& tokens, const EncodeOptions& options = {},
                   std::size_t* bitCount = nullptr);
// The length in bits of EncodeTokens' stream without options.avoidByteEnd,
// without making it.
std::size_t EncodedBits(const std::vector<Token>& tokens, const EncodeOptions& options = {});
// What the tokens decode to.
Bytes ExpandTokens(const std::vector<Token>& tokens);
// Greedy LZ77: the longest match (3..256 bytes, within the window) at every
// position, a literal where there is none.
std::vector<Token> GreedyTokens(const Bytes& data, unsigned window = Lh5Window);
// LZ77 over hash chains of 3-byte prefixes, with lazy evaluation when
// options.lazy is set: a match is put off by one byte when the next position
// has a longer one. (Data such as counting lines loses by that: each longer
// match at the next byte costs a literal.) Memory is
// bounded by the window, whatever the size of the data.
std::vector<Token> MatchTokens(const Bytes& data, const EncodeOptions& options = {});
// The cheapest parse takes the data this much at a time: the matches of a
// window's positions are kept for that window only, and its tokens are
// priced by codes fitted to that window.
const std::size_t CheapestWindow = 64 * 1024;
// The tokens that cost the fewest bits as far as can be told, window by
// window: the lazy parse over the matches that binary trees of the window's
// strings offer, then the cheapest path through all of them priced by the
// codes of the parse before, for a round or two; the parse that codes
// smallest as one block is kept. MatchTokens' parse is kept instead when it
// codes no larger under options. A few times slower than MatchTokens (a
// second thread finds the next window's matches meanwhile); memory grows
// with the window, not the data, apart from the tokens.
std::vector<Token> CheapestTokens(const Bytes& data, const EncodeOptions& options = {});
// CheapestTokens without weighing MatchTokens' parse at the end: that takes
// a fifth of the time on long data and seldom gains on real files.
std::vector<Token> WindowedCheapestTokens(const Bytes& data, const EncodeOptions& options = {});
// MatchTokens then EncodeTokens.
Bytes Compress(const Bytes& data, const EncodeOptions& options = {});

}  // namespace lzhenc
