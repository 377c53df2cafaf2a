// The encoder and the archive packer against the installer's reader: random
// data of many sizes and shapes round-trips through the matcher, the stream
// coder and the decoder; packed archives extract byte for byte with their
// stamps, stored when they do not shrink; names the reader refuses are
// refused when packing.
#include "LzhPacker.h"
#include "test_util.h"

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <functional>
#include <system_error>
#include <thread>

using namespace lzhtest;

namespace {

// xorshift32, the same on every platform.
uint32_t Next(uint32_t& state)
{
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

// Data with structure for the matcher: random runs, copies from near and far
// (up to the window's limit and just past it), long repeats, byte runs.
Bytes ShapedBytes(std::size_t n, uint32_t seed)
{
    Bytes out;
    uint32_t s = seed * 2654435761u + 1;
    while (out.size() < n) {
        uint32_t kind = Next(s) % 6, len = 1 + Next(s) % 600;
        if (kind == 0 || out.size() < 16) {
            for (uint32_t k = 0; k < len; k++)
                out.push_back(static_cast<uint8_t>(Next(s) % (kind == 0 ? 256 : 4)));
        } else if (kind == 1) {
            out.insert(out.end(), len, static_cast<uint8_t>(Next(s)));
        } else {
            const uint32_t far[] = {1, 2, 3, 255, 256, 4096, 8191, 8192, 8193};
            std::size_t d = kind == 2 ? far[Next(s) % 9] : 1 + Next(s) % 9000;
            if (d > out.size())
                d = out.size();
            for (uint32_t k = 0; k < len; k++)
                out.push_back(out[out.size() - d]);
        }
    }
    out.resize(n);
    return out;
}

Bytes Unpack(const Bytes& archive, const std::string& name)
{
    Sandbox box;
    RecordingArchive reader;
    EXPECT_EQ(reader.ExtractAll(box.PutArchive(archive).c_str()), 1);
    Bytes data;
    EXPECT_TRUE(ReadFile(box.OutPath(name), data));
    return data;
}

// Every match within the stream's limits, and the tokens spell the data.
void ExpectTokensOf(const std::vector<Token>& tokens, const Bytes& data)
{
    for (const Token& t : tokens)
        if (t.length) {
            ASSERT_GE(t.length, MinMatch);
            ASSERT_LE(t.length, MaxMatch);
            ASSERT_LE(t.distance, Lh5Window);
        }
    ASSERT_EQ(ExpandTokens(tokens), data);
}

}  // namespace

TEST(PackerRoundTrip, RandomDataOfManySizes)
{
    std::vector<std::size_t> sizes = {0, 1, 2, 3, 4, 255, 256, 257, 258, 259, 4095, 4096, 8191, 8192, 8193,
                                      16384, 65535, 65536, 100000, 300000};
    uint32_t s = 99;
    for (int k = 0; k < 12; k++)
        sizes.push_back(Next(s) % 40000);
    for (std::size_t n : sizes) {
        for (uint32_t seed = 1; seed <= 3; seed++) {
            const Bytes data = seed == 1 ? RandomBytes(n, seed) : seed == 2 ? TextBytes(n, seed) : ShapedBytes(n, seed);
            SCOPED_TRACE("size " + std::to_string(n) + " kind " + std::to_string(seed));
            const std::vector<Token> lazy = MatchTokens(data);
            for (bool cheapest : {false, true}) {
                if (cheapest && n > 2 * lzhenc::CheapestParseLimit)
                    continue;  // beyond what the packer gives it, and slow
                SCOPED_TRACE(cheapest ? "cheapest" : "lazy");
                const std::vector<Token> tokens = cheapest ? CheapestTokens(data) : lazy;
                ASSERT_NO_FATAL_FAILURE(ExpectTokensOf(tokens, data));
                if (n == 0)
                    continue;
                const Bytes stream = EncodeTokens(tokens);
                ASSERT_EQ((EncodedBits(tokens) + 7) / 8, stream.size());  // what the packer compares
                ASSERT_LE(stream.size(), EncodeTokens(lazy).size());
                Bytes archive = BuildArchive({PackedEntry("R.BIN", "-lh5-", stream, data)});
                ASSERT_EQ(Unpack(archive, "R.BIN"), data);
            }
        }
    }
}

TEST(PackerRoundTrip, LongRepeatsAndTheWindowsLimit)
{
    // A block of 8192 random bytes then the same again: every match reaches
    // back exactly the window; then one byte value repeated far beyond the
    // longest match, and short blocks so that codes change often.
    Bytes data = RandomBytes(8192, 5);
    data.insert(data.end(), data.begin(), data.end());
    data.insert(data.end(), 5000, 'x');
    const std::vector<Token> tokens = MatchTokens(data);
    bool windowLimit = false, longest = false;
    for (const Token& t : tokens) {
        windowLimit |= t.length && t.distance == Lh5Window;
        longest |= t.length == MaxMatch;
    }
    EXPECT_TRUE(windowLimit);
    EXPECT_TRUE(longest);
    EncodeOptions small;
    small.blockSymbols = 100;
    for (const EncodeOptions& options : {EncodeOptions(), small}) {
        Bytes archive = BuildArchive({PackedEntry("W.BIN", "-lh5-", Compress(data, options), data)});
        EXPECT_EQ(Unpack(archive, "W.BIN"), data);
    }
    // A copy from 8193 bytes back is beyond the window and must not be found.
    Bytes past = RandomBytes(8193, 6);
    past.insert(past.end(), past.begin(), past.begin() + 300);
    for (const Token& t : MatchTokens(past))
        EXPECT_TRUE(t.length == 0 || t.distance <= Lh5Window);
    for (const Token& t : CheapestTokens(past))
        EXPECT_TRUE(t.length == 0 || t.distance <= Lh5Window);
}

TEST(PackerParse, CheapestBeatsLazyAndGreedy)
{
    // Counting lines, where putting a match off for a longer one costs a
    // literal each time; a map of rows that differ in one place; text. With
    // -lh4-'s window too: the cheapest parse never reaches past it.
    Bytes counting, map;
    for (int i = 1; i <= 3000; i++) {
        const std::string line = std::to_string(i) + "\r\n";
        counting.insert(counting.end(), line.begin(), line.end());
    }
    for (int row = 0; row < 40; row++) {
        std::string line(38, '.');
        line[(row * 7) % 38] = '#';
        line += "\r\n";
        map.insert(map.end(), line.begin(), line.end());
    }
    for (const Bytes& data : {counting, map, TextBytes(30000, 4)}) {
        for (unsigned window : {Lh5Window, Lh4Window}) {
            SCOPED_TRACE("size " + std::to_string(data.size()) + " window " + std::to_string(window));
            EncodeOptions options;
            options.window = window;
            options.fitBlocks = true;
            const std::vector<Token> cheapest = CheapestTokens(data, options);
            ASSERT_EQ(ExpandTokens(cheapest), data);
            for (const Token& t : cheapest)
                ASSERT_TRUE(t.length == 0 || t.distance <= window);
            const std::size_t bits = EncodedBits(cheapest, options);
            EXPECT_LT(bits, EncodedBits(MatchTokens(data, options), options));
            EncodeOptions greedy = options;
            greedy.lazy = false;
            EXPECT_LT(bits, EncodedBits(MatchTokens(data, greedy), options));
        }
    }
}

TEST(PackerArchive, EntriesExtractWithStampsAndMethods)
{
    const Bytes text = TextBytes(50000, 3), random = RandomBytes(9000, 4);
    const uint16_t time = DosTime(23, 59, 58), date = DosDate(2001, 12, 31);
    Bytes archive;
    struct Case {
        std::string name;
        Bytes data;
        bool stored;
    };
    const std::vector<Case> cases = {{"TEXTO.TXT", text, false},  {"DATOS\\AZAR.BIN", random, true},
                                     {"VACIO.TXT", {}, true},     {"A\\B\\C\\UNO", {'1'}, true},
                                     {"A\\B\\DOS", {'2', '2'}, true}, {"A\\TRES", {'a', 'a', 'a'}, true}};
    for (const Case& c : cases) {
        lzhenc::EntryBytes e = lzhenc::PackEntry(c.name, c.data, time, date);
        EXPECT_EQ(e.stored, c.stored) << c.name;
        archive.insert(archive.end(), e.bytes.begin(), e.bytes.end());
    }
    archive.push_back(0);
    EXPECT_LT(archive.size(), text.size() / 2 + random.size() + 400);

    Sandbox box;
    RecordingArchive reader;
    ASSERT_EQ(reader.ExtractAll(box.PutArchive(archive).c_str()), 1);
    for (const Case& c : cases) {
        Bytes data;
        ASSERT_TRUE(ReadFile(box.OutPath(c.name), data)) << c.name;
        EXPECT_EQ(data, c.data) << c.name;
    }
    EXPECT_EQ(reader.ScanTotalSize(box.RootPath("test.lzh").c_str()), text.size() + random.size() + 6);
    // The reader sets the header's stamp without zone conversion; 23:59:58.
    struct stat st;
    ASSERT_EQ(::stat(box.OutPath("TEXTO.TXT").c_str(), &st), 0);
    EXPECT_EQ(st.st_mtime % 86400, 23 * 3600 + 59 * 60 + 58);
}

TEST(PackerArchive, NamesTheReaderRefuses)
{
    for (const char* bad : {"", "..\\X", "A\\..\\B", "\\ABS", "C:X", "CON", "DIR\\lpt1.txt", "A\\\\B", "A?B",
                            "TAB\tNAME", "DOT\\."}) {
        EXPECT_NE(lzhenc::EntryNameProblem(bad), "") << bad;
        EXPECT_THROW(lzhenc::PackEntry(bad, {1}, 0, 33), std::invalid_argument) << bad;
    }
    EXPECT_NE(lzhenc::EntryNameProblem(std::string(lzhenc::MaxEntryName + 1, 'N')), "");
    for (const char* good : {"A", "DIR\\SUB\\FILE.DAT", "Brumaria.BMP", "CONSOLA.TXT", "a b.txt"})
        EXPECT_EQ(lzhenc::EntryNameProblem(good), "") << good;
    const std::string longest(lzhenc::MaxEntryName, 'N');
    Bytes archive = lzhenc::PackEntry(longest, {'z'}, 0, 33).bytes;
    EXPECT_EQ(archive[0], 255);
    archive.push_back(0);
    // Scanned rather than extracted: a path this long is beyond Windows' limit.
    Sandbox box;
    RecordingArchive reader;
    EXPECT_EQ(reader.ScanTotalSize(box.PutArchive(archive).c_str()), 1u);
    EXPECT_TRUE(reader.diagnostics.empty());
}

TEST(PackerStream, FittedBlocksAndStreamsThatEndOffTheByte)
{
    // Data whose statistics change (text, random bytes, copies and runs) in
    // many sizes. Fitted blocks are costed exactly as they are written, cut
    // where the data changes, and with avoidByteEnd the stream never ends on a
    // byte boundary, also where the plain stream would.
    uint32_t s = 7;
    int reshaped = 0;
    for (int k = 0; k < 48; k++) {
        const std::size_t n = 1 + Next(s) % (k < 40 ? 20000 : 200000);
        Bytes data = TextBytes(n / 3, k);
        const Bytes noise = RandomBytes(n / 3, k), shaped = ShapedBytes(n - 2 * (n / 3), k);
        data.insert(data.end(), noise.begin(), noise.end());
        data.insert(data.end(), shaped.begin(), shaped.end());
        SCOPED_TRACE("size " + std::to_string(n));

        EncodeOptions fitted;
        fitted.fitBlocks = true;
        const std::vector<Token> tokens = MatchTokens(data, fitted);
        const std::size_t plain = EncodedBits(tokens, fitted);
        std::size_t bits = 0;
        EXPECT_EQ(EncodeTokens(tokens, fitted, &bits).size(), (plain + 7) / 8);
        ASSERT_EQ(bits, plain);
        if (tokens.size() <= 65535) {
            EncodeOptions oneBlock;  // fitting starts from the whole
            EXPECT_LE(plain, EncodedBits(tokens, oneBlock));
        }

        fitted.avoidByteEnd = true;
        const Bytes stream = EncodeTokens(tokens, fitted, &bits);
        ASSERT_NE(bits % 8, 0u);
        ASSERT_EQ(stream.size(), (bits + 7) / 8);
        if (plain % 8 != 0) {
            ASSERT_EQ(bits, plain);
        } else {
            ++reshaped;
            EXPECT_LT(bits, plain + 1024);
        }
        ASSERT_EQ(Unpack(BuildArchive({PackedEntry("F.BIN", "-lh5-", stream, data)}), "F.BIN"), data);
    }
    EXPECT_GE(reshaped, 3);

    // Text, then random bytes, then text: three blocks beat one by far.
    Bytes mixed = TextBytes(60000, 1);
    const Bytes noise = RandomBytes(30000, 2);
    mixed.insert(mixed.end(), noise.begin(), noise.end());
    mixed.insert(mixed.end(), mixed.begin(), mixed.begin() + 60000);
    EncodeOptions fitted;
    fitted.fitBlocks = true;
    const std::vector<Token> tokens = MatchTokens(mixed, fitted);
    EXPECT_LT(EncodedBits(tokens, fitted) + 8 * 1000, EncodedBits(tokens));
}

TEST(PackerWindows, ParsesAcrossWindowAndBlockEdgesRoundTrip)
{
    // The cheapest parse takes the data a window at a time while its matches
    // reach back across the window's edge; the blocks laid over the tokens
    // end elsewhere. Copies with periods about the window and the longest
    // match straddle every edge; runs longer than the skip length leave
    // positions unsearched right at it.
    const std::size_t w = lzhenc::CheapestWindow;
    for (std::size_t n : {w - 1, w, w + 1, w + 3, 2 * w + 300}) {
        for (uint32_t kind = 0; kind < 3; kind++) {
            Bytes data;
            if (kind == 0) {
                data = ShapedBytes(n, 11);
            } else {
                const std::size_t period = kind == 1 ? Lh5Window + 1 : MaxMatch + 1;
                data = TextBytes(period, kind);
                while (data.size() < n)
                    data.push_back(data[data.size() - period]);
                data.resize(n);
                data.insert(data.end() - 40, 300, 'r');
            }
            SCOPED_TRACE("size " + std::to_string(data.size()) + " kind " + std::to_string(kind));
            for (uint32_t blockSymbols : {65535u, 4097u}) {
                EncodeOptions options;
                options.blockSymbols = blockSymbols;
                options.fitBlocks = blockSymbols == 65535;
                options.avoidByteEnd = true;
                const std::vector<Token> tokens = lzhenc::WindowedCheapestTokens(data, options);
                ASSERT_NO_FATAL_FAILURE(ExpectTokensOf(tokens, data));
                std::size_t bits = 0;
                const Bytes stream = EncodeTokens(tokens, options, &bits);
                ASSERT_NE(bits % 8, 0u);
                ASSERT_EQ(Unpack(BuildArchive({PackedEntry("V.BIN", "-lh5-", stream, data)}), "V.BIN"), data);
            }
        }
    }
}

// What std::thread does where the system makes no more threads.
std::thread NoThread(std::function<void()>)
{
    throw std::system_error(std::make_error_code(std::errc::resource_unavailable_try_again));
}

TEST(PackerWindows, OneThreadWhereNoSecondCanBeMade)
{
    // Three windows, so that the next window's matches are wanted twice; the
    // packed entry is the same bytes whether they come from a second thread
    // or after each window's parse.
    const Bytes data = ShapedBytes(2 * lzhenc::CheapestWindow + 5000, 21);
    EncodeOptions alone;
    alone.startThread = NoThread;
    const EntryBytes twoThreads = PackEntry("DATOS.BIN", data, DosTime(1, 2, 3), DosDate(2000, 1, 1));
    EntryBytes oneThread;
    ASSERT_NO_THROW(oneThread = PackEntry("DATOS.BIN", data, DosTime(1, 2, 3), DosDate(2000, 1, 1), alone));
    EXPECT_FALSE(oneThread.stored);
    EXPECT_TRUE(twoThreads.bytes == oneThread.bytes) << "the packed entries differ";
}

TEST(PackerWindows, PriceRoundsNeverCodeLargerThanOne)
{
    // Each round re-prices the parse with the codes of the one before; more
    // rounds may only keep a parse or find a smaller one. Fixed inputs: text,
    // shaped data, a decaying tone, and a mix across two windows.
    Bytes tone;
    for (int i = 0; i < 30000; i++)
        tone.push_back(static_cast<uint8_t>(128 + (100 - i / 300) * ((i / 25) % 2 ? 1 : -1) * ((i % 25) - 12) / 12));
    Bytes mixed = TextBytes(70000, 8);
    const Bytes shaped = ShapedBytes(60000, 8);
    mixed.insert(mixed.end(), shaped.begin(), shaped.end());
    for (const Bytes& data : {TextBytes(50000, 7), ShapedBytes(40000, 7), tone, mixed}) {
        SCOPED_TRACE("size " + std::to_string(data.size()));
        EncodeOptions options;
        options.fitBlocks = true;
        std::size_t previous = SIZE_MAX;
        for (unsigned rounds : {0u, 1u, 2u, 4u}) {
            options.cheapestRounds = rounds;
            const std::vector<Token> tokens = lzhenc::WindowedCheapestTokens(data, options);
            ASSERT_EQ(ExpandTokens(tokens), data);
            const std::size_t bits = EncodedBits(tokens, options);
            EXPECT_LE(bits, previous) << rounds << " rounds";
            previous = bits;
        }
    }
}

TEST(PackerStream, PackedStreamsNeverEndOnAByte)
{
    // Data whose plain streams end on a byte boundary now and then: runs of
    // one byte (streams of a block or two, nearly all header), short text,
    // and sizes about the cheapest parse's window. The packer's stream must
    // be kept off the boundary, or the entry stored.
    std::vector<Bytes> inputs;
    for (std::size_t n = 3; n < 600; n += 7)
        inputs.push_back(Bytes(n, static_cast<uint8_t>(n)));
    for (std::size_t n = 20; n < 3000; n += 97)
        inputs.push_back(TextBytes(n, static_cast<uint32_t>(n)));
    for (std::size_t n : {lzhenc::CheapestWindow - 1, lzhenc::CheapestWindow + 1})
        inputs.push_back(ShapedBytes(n, 3));
    int plainOnByte = 0;
    for (const Bytes& data : inputs) {
        SCOPED_TRACE("size " + std::to_string(data.size()));
        EncodeOptions fitted;
        fitted.fitBlocks = true;
        fitted.avoidByteEnd = true;
        const std::vector<Token> tokens = lzhenc::PackTokens(data, fitted);
        plainOnByte += EncodedBits(tokens, fitted) % 8 == 0;
        std::size_t bits = 0;
        EncodeTokens(tokens, fitted, &bits);
        const lzhenc::EntryBytes entry = lzhenc::PackEntry("B.BIN", data, 0, 33);
        if (!entry.stored) {
            ASSERT_NE(bits % 8, 0u);
        }
        Bytes archive = entry.bytes;
        archive.push_back(0);
        ASSERT_EQ(Unpack(archive, "B.BIN"), data);
    }
    EXPECT_GE(plainOnByte, 3);
}
