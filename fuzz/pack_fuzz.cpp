// Fuzz target for the encoder and the packer: every input is data to pack,
// and what was packed must unpack with the installer's reader to exactly that
// data.
//
// The first two bytes choose how; the rest is the data, or the seed of it:
//   byte 0, bits 0-2  the parse: the packer's whole entry (PackEntry), or a
//                     raw stream from the lazy parse, the greedy one over the
//                     same chains, the cheapest one or GreedyTokens
//           bit 3     the -lh4- window (4096) instead of -lh5-'s
//           bit 4     blocks fitted to the data (raw streams)
//           bit 5     a stream that never ends on a byte boundary (raw streams)
//           bits 6-7  tokens per block: 65535, 1, 1024 or 4097
//   byte 1, bits 0-1  how the data grows from the seed: as it is, repeated to
//                     a size, every byte run out, or one period of the seed
//                     and noise twice
//           bits 2-4  that size, run length or period (tables below): sizes
//                     about the window and the cheapest parse's limit, runs
//                     about the longest match, periods about the window
//           bits 5-7  candidates per position and the nice length
// so that long repeats, runs past the longest match and matches reaching
// back exactly the window come from short inputs.
//
// Checks: the parse expands to the data with matches of 3..256 bytes within
// the window, and the cheapest parse codes no longer than the lazy one; a raw
// stream is as long as EncodeTokens says, and as EncodedBits says unless it
// was reshaped, and then it does not end on a byte boundary; the packer's
// header holds the right method, sizes, stamp, name, CRC and checksum, it
// stores only data that its stream does not shrink, and its -lh5- streams do
// not end on a byte boundary. Every entry is extracted and compared, and the
// decoder must have taken exactly the stream's bits, no more and no fewer.
#include "LzhArchive.h"
#include "LzhPacker.h"
#include "sandbox.h"

#include <cstdint>
#include <exception>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

using namespace lzhenc;

namespace {

fuzz::Sandbox& TheSandbox()
{
    static fuzz::Sandbox sandbox("pack_fuzz");
    return sandbox;
}

[[noreturn]] void Fail(const std::string& what)
{
    TheSandbox().Fail(what);
}

void Check(bool ok, const std::string& what)
{
    if (!ok)
        Fail(what);
}

enum Parse { Packer, Lazy, ChainGreedy, Cheapest, Greedy };
const Parse Parses[8] = {Packer, Lazy, ChainGreedy, Cheapest, Greedy, Packer, Lazy, Cheapest};
const char* const ParseNames[] = {"packer", "lazy", "greedy over chains", "cheapest", "greedy"};

struct Setup {
    Parse parse = Packer;
    EncodeOptions options;
};

// Expanded data is cut at this size: a few blocks' worth, past the cheapest
// parse's limit; with blocks of one token, where every token costs a header
// to cost and to write, at SmallBlocksData.
const std::size_t MaxData = 256 * 1024, SmallBlocksData = 4096;

// xorshift32: the noise between the seed's periods.
uint32_t Next(uint32_t& state)
{
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

Bytes Expand(const uint8_t* seed, std::size_t n, unsigned how, unsigned index, unsigned window)
{
    static const std::size_t Sizes[8] = {255, 256, 257, 4096, 8192, 8193, CheapestParseLimit, CheapestParseLimit + 1};
    static const std::size_t Runs[8] = {2, 3, 255, 256, 257, 258, 513, 1000};
    const std::size_t periods[8] = {window - 1, window, window + 1, window + MaxMatch,
                                    MaxMatch, MaxMatch + 1, window / 2, 2 * window};
    Bytes data(seed, seed + n);
    if (how == 0 || n == 0)
        return data;
    if (how == 1) {
        data.resize(Sizes[index]);
        for (std::size_t i = n; i < data.size(); i++)
            data[i] = data[i - n];
    } else if (how == 2) {
        data.clear();
        for (std::size_t i = 0; i < n && data.size() < MaxData; i++)
            data.insert(data.end(), Runs[index], seed[i]);
    } else {
        const std::size_t period = periods[index];
        uint32_t state = 0x9E3779B9u ^ static_cast<uint32_t>(n);
        data.resize(2 * period);
        for (std::size_t i = n; i < period; i++)
            data[i] = static_cast<uint8_t>(Next(state));
        for (std::size_t i = period; i < data.size(); i++)
            data[i] = data[i - period];
    }
    if (data.size() > MaxData)
        data.resize(MaxData);
    return data;
}

Setup SetupOf(uint8_t method, uint8_t limits)
{
    static const uint32_t BlockSymbols[4] = {65535, 1, 1024, 4097};
    static const unsigned Chains[8] = {256, 1, 2, 16, 0, 8192, 8, 256};
    static const unsigned Nice[8] = {MaxMatch, MaxMatch, 3, 16, 255, MaxMatch, 257, 32};
    Setup setup;
    setup.parse = Parses[method & 7];
    setup.options.window = (method & 8) ? Lh4Window : Lh5Window;
    setup.options.fitBlocks = (method & 16) != 0;
    setup.options.avoidByteEnd = (method & 32) != 0;
    setup.options.blockSymbols = BlockSymbols[method >> 6];
    setup.options.maxChain = Chains[limits >> 5];
    setup.options.niceLength = Nice[limits >> 5];
    return setup;
}

// CRC-16/ARC one bit at a time, apart from the packer's table-driven one.
uint16_t Crc16(const Bytes& data)
{
    unsigned crc = 0;
    for (uint8_t b : data) {
        crc ^= b;
        for (int k = 0; k < 8; k++)
            crc = (crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1;
    }
    return static_cast<uint16_t>(crc);
}

unsigned Le16(const uint8_t* p)
{
    return p[0] | unsigned(p[1]) << 8;
}

uint32_t Le32(const uint8_t* p)
{
    return Le16(p) | uint32_t(Le16(p + 2)) << 16;
}

const char* const EntryName = "P.BIN";
const uint16_t StampTime = (12 << 11) | (34 << 5) | 28, StampDate = (17 << 9) | (10 << 5) | 20;

// A level-0 entry around a raw stream, made here rather than by the packer.
Bytes EntryAround(const Bytes& stream, const Bytes& data, const char* method)
{
    Bytes header(method, method + 5);
    PutLe32(header, static_cast<uint32_t>(stream.size()));
    PutLe32(header, static_cast<uint32_t>(data.size()));
    PutLe16(header, StampTime);
    PutLe16(header, StampDate);
    header.push_back(0x20);
    header.push_back(0);
    header.push_back(5);
    header.insert(header.end(), EntryName, EntryName + 5);
    PutLe16(header, Crc16(data));
    unsigned sum = 0;
    for (uint8_t b : header)
        sum += b;
    Bytes entry;
    entry.reserve(2 + header.size() + stream.size());
    entry.push_back(static_cast<uint8_t>(header.size()));
    entry.push_back(static_cast<uint8_t>(sum));
    entry.insert(entry.end(), header.begin(), header.end());
    entry.insert(entry.end(), stream.begin(), stream.end());
    return entry;
}

// Where the bit reader stands when the last byte has been unpacked.
class EndWatcher : public LzhArchive {
public:
    EndWatcher() { SetDiagnosticSink(&fuzz::Discard, nullptr); }

    void OnProgress(const char*, uint32_t done, uint32_t total) override
    {
        if (done == total)
            bitsLeft = BitsLeft();
    }

    int64_t bitsLeft = -1;
};

// Extracts the entry and checks that it unpacked to data; returns the bits
// of its stream the decoder left unread (-1 for a stored or empty entry).
int64_t Unpack(const Bytes& entry, const Bytes& data)
{
    fuzz::Sandbox& sandbox = TheSandbox();
    Bytes archive = entry;
    archive.push_back(0);
    sandbox.WriteArchive(archive.data(), archive.size());
    EndWatcher reader;
    Check(reader.ExtractAll(sandbox.ArchivePath().c_str()) == 1, "the entry does not extract");
    Bytes out;
    {
        // Closed before the cleaning: Windows removes no open file.
        std::ifstream in(sandbox.OutPath(EntryName), std::ios::binary);
        out.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    }
    Check(out == data, "the entry unpacks to other data");
    sandbox.CheckAndClean();
    return reader.bitsLeft;
}

std::vector<Token> TokensOf(const Setup& setup, const Bytes& data)
{
    const EncodeOptions& options = setup.options;
    std::vector<Token> tokens;
    switch (setup.parse) {
    case Greedy:
        tokens = GreedyTokens(data, options.window);
        break;
    case Cheapest:
        tokens = CheapestTokens(data, options);
        Check(EncodedBits(tokens, options) <= EncodedBits(MatchTokens(data, options), options),
              "the cheapest parse codes longer than the lazy one");
        break;
    default:
        EncodeOptions chain = options;
        chain.lazy = setup.parse == Lazy;
        tokens = MatchTokens(data, chain);
    }
    for (const Token& t : tokens)
        Check(t.length == 0 || (t.length >= MinMatch && t.length <= MaxMatch && t.distance >= 1 &&
                                t.distance <= options.window),
              "a match of " + std::to_string(t.length) + " bytes from " + std::to_string(t.distance) + " back");
    Check(ExpandTokens(tokens) == data, "the parse expands to other data");
    return tokens;
}

void CheckRawStream(const Setup& setup, const Bytes& data)
{
    const std::vector<Token> tokens = TokensOf(setup, data);
    if (data.empty())
        return;
    std::size_t bits = 0;
    const Bytes stream = EncodeTokens(tokens, setup.options, &bits);
    Check(stream.size() == (bits + 7) / 8, "the stream's length is not its bit count");
    const std::size_t plain = EncodedBits(tokens, setup.options);
    if (setup.options.avoidByteEnd && plain % 8 == 0)
        Check(bits % 8 != 0, "the reshaped stream still ends on a byte boundary");
    else
        Check(bits == plain, "the stream is not as long as EncodedBits says");
    const char* method = setup.options.window <= Lh4Window ? "-lh4-" : "-lh5-";
    const int64_t left = Unpack(EntryAround(stream, data, method), data);
    Check(left == int64_t(8 * stream.size() - bits),
          "the decoder left " + std::to_string(left) + " bits of a stream of " + std::to_string(bits));
}

void CheckPackedEntry(const Setup& setup, const Bytes& data)
{
    const EntryBytes entry = PackEntry(EntryName, data, StampTime, StampDate, setup.options);
    const Bytes& e = entry.bytes;
    Check(e.size() >= 2 + 22 + 5 && e[0] == 22 + 5, "the header is not 22 bytes and the name");
    unsigned sum = 0;
    for (std::size_t i = 2; i < 2u + e[0]; i++)
        sum += e[i];
    Check(e[1] == (sum & 0xFF), "the header's checksum is wrong");
    const std::string method(e.begin() + 2, e.begin() + 7);
    Check(method == (entry.stored ? "-lh0-" : "-lh5-"), "method " + method);
    const uint32_t packed = Le32(&e[7]);
    Check(e.size() == 2 + e[0] + std::size_t(packed), "the packed size is not the entry's");
    Check(Le32(&e[11]) == data.size(), "the original size is wrong");
    Check(Le16(&e[15]) == StampTime && Le16(&e[17]) == StampDate, "the stamp is wrong");
    Check(e[19] == 0x20 && e[20] == 0 && e[21] == 5 && std::string(e.begin() + 22, e.begin() + 27) == EntryName,
          "attribute, level or name wrong");
    Check(Le16(&e[27]) == Crc16(data), "the CRC is wrong");

    const Bytes body(e.begin() + 29, e.end());
    if (entry.stored) {
        Check(body == data, "a stored entry holds other data");
        if (!data.empty()) {
            // The packer's own stream, made the way it makes it.
            EncodeOptions fitted = setup.options;
            fitted.fitBlocks = fitted.avoidByteEnd = true;
            const std::vector<Token> tokens = PackTokens(data, fitted);
            std::size_t bits = 0;
            const std::size_t packed = EncodeTokens(tokens, fitted, &bits).size();
            Check(packed >= data.size() || bits % 8 == 0, "stored although -lh5- shrinks it");
        }
    } else {
        Check(body.size() < data.size(), "-lh5- although it does not shrink");
    }
    const int64_t left = Unpack(e, data);
    if (!entry.stored)
        Check(left > 0 && left < 8, "the -lh5- stream leaves " + std::to_string(left) + " bits of its last byte");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* input, size_t size)
{
    if (size < 2)
        return 0;
    const Setup setup = SetupOf(input[0], input[1]);
    Bytes data = Expand(input + 2, size - 2, input[1] & 3, (input[1] >> 2) & 7, setup.options.window);
    if (setup.options.blockSymbols == 1 && data.size() > SmallBlocksData)
        data.resize(SmallBlocksData);
    try {
        if (setup.parse == Packer)
            CheckPackedEntry(setup, data);
        else
            CheckRawStream(setup, data);
    } catch (const std::exception& e) {
        Fail(std::string(ParseNames[setup.parse]) + ": " + e.what());
    }
    return 0;
}
