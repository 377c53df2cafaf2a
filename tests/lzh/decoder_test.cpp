// The "-lh5-"/"-lh4-" decoder through LzhArchive: archives made by the test
// encoder are extracted and compared byte for byte; damaged code tables,
// short compressed data and cut archives must fail cleanly.
#include "test_util.h"

#include <gtest/gtest.h>

#include <cstring>
#include <new>
#include <ostream>
#include <string>
#include <vector>

using namespace lzhtest;

namespace {

// Blocks as given, each with codes fitted to its own tokens.
Bytes EncodeBlocks(const std::vector<std::vector<Token>>& blocks)
{
    BitWriter out;
    for (const auto& block : blocks) {
        BlockCodes codes = CodesFor(block);
        PutBlockHeader(out, codes);
        for (const Token& t : block)
            PutToken(out, codes, t);
    }
    return out.Finish();
}

std::vector<Token> Literals(const Bytes& data)
{
    std::vector<Token> tokens;
    for (uint8_t b : data)
        tokens.push_back(Token::Literal(b));
    return tokens;
}

std::vector<Token> Join(std::vector<std::vector<Token>> blocks)
{
    std::vector<Token> all;
    for (const auto& b : blocks)
        all.insert(all.end(), b.begin(), b.end());
    return all;
}

Entry TokenEntry(const std::string& name, const std::vector<std::vector<Token>>& blocks,
                 const std::string& method = "-lh5-")
{
    return PackedEntry(name, method, EncodeBlocks(blocks), ExpandTokens(Join(blocks)));
}

struct File {
    std::string name;
    Bytes data;
};

struct RoundTrip {
    std::vector<Entry> entries;
    std::vector<File> files;  // expected below "out"
};

// One entry holding `data`, and the file it should give.
RoundTrip Single(const Entry& entry, const Bytes& data)
{
    return {{entry}, {{entry.name, data}}};
}

RoundTrip TokensCase(const std::vector<std::vector<Token>>& blocks,
                     const std::string& method = "-lh5-")
{
    Entry e = TokenEntry("TOKENS.BIN", blocks, method);
    return Single(e, ExpandTokens(Join(blocks)));
}

Bytes Repeat(const Bytes& unit, int times)
{
    Bytes out;
    for (int i = 0; i < times; i++)
        out.insert(out.end(), unit.begin(), unit.end());
    return out;
}

// Matches that straddle the 8192-byte chunks: the copy has to resume in the
// next call of the decoder, and sources that wrap around the window.
std::vector<Token> ChunkBoundaryTokens()
{
    std::vector<Token> t = Literals(RandomBytes(8190, 11));
    t.push_back(Token::Match(10, 5000));  // 8190..8199: starts before, ends after 8192
    for (Token x : Literals(RandomBytes(8100, 12)))
        t.push_back(x);                   // up to 16299
    t.push_back(Token::Match(256, 200));  // 16300..16555 crosses 16384
    t.push_back(Token::Match(256, 8192)); // the oldest byte still in the window
    t.push_back(Token::Match(3, 8192));
    for (Token x : Literals(RandomBytes(7818, 13)))
        t.push_back(x);                   // ends exactly at 24576
    t.push_back(Token::Match(256, 300));  // begins a chunk, source in the previous one
    t.push_back(Token::Match(256, 8000));
    return t;
}

// Distance 1: the copy reads what it has just written.
std::vector<Token> OverlapTokens()
{
    std::vector<Token> t = {Token::Literal('x')};
    for (int i = 0; i < 40; i++)
        t.push_back(Token::Match(256, 1));
    t.push_back(Token::Literal('y'));
    t.push_back(Token::Match(3, 1));
    t.push_back(Token::Literal('z'));
    t.push_back(Token::Match(255, 2));
    t.push_back(Token::Match(100, 3));
    return t;
}

// Matches copied a word at a time: distances 4 to 9 whose copies read what
// they have just written and end inside a word; sources at the window's far
// end a few bytes ahead of their destination; and a match of distance 8192
// right after a short one, which reads the byte that one must not overwrite.
std::vector<Token> WordCopyTokens()
{
    std::vector<Token> t = Literals(RandomBytes(9000, 21));
    for (uint32_t distance = 4; distance <= 9; distance++) {
        for (uint32_t length : {3u, 4u, 5u, 7u, 8u, 11u, 33u}) {
            t.push_back(Token::Match(length, distance));
            t.push_back(Token::Literal(static_cast<uint8_t>(distance * length)));
        }
    }
    for (uint32_t distance : {8184u, 8186u, 8188u, 8100u})
        for (uint32_t length : {3u, 9u, 200u})
            t.push_back(Token::Match(length, distance));
    for (uint32_t length : {3u, 5u, 6u}) {
        t.push_back(Token::Match(length, 7));
        t.push_back(Token::Match(3, 8192));
    }
    return t;
}

Bytes Text()
{
    return TextBytes(50000, 1);
}

Bytes Mixed()
{
    Bytes m = TextBytes(20000, 5);
    Bytes r = RandomBytes(3000, 6);
    m.insert(m.begin() + 9000, r.begin(), r.end());
    return m;
}

EncodeOptions SmallBlocks(unsigned window)
{
    EncodeOptions options;
    options.blockSymbols = 700;
    options.window = window;
    return options;
}

// Single-symbol codes (count 0, the symbol's code is empty) in turn for
// characters, positions and both.
std::vector<std::vector<Token>> SingleSymbolBlocks()
{
    std::vector<Token> oneLiteral = {Token::Literal('A')};
    std::vector<Token> onlyLongMatches(50, Token::Match(256, 1));
    std::vector<Token> sameLiteral(3000, Token::Literal('B'));
    std::vector<Token> distanceOne = {Token::Literal('a'), Token::Match(7, 1), Token::Literal('b'),
                                      Token::Match(200, 1), Token::Literal('c')};
    std::vector<Token> oneClass;  // distances 9..16 share position symbol 4
    for (unsigned d = 9; d <= 16; d++) {
        oneClass.push_back(Token::Literal(static_cast<uint8_t>('0' + d)));
        oneClass.push_back(Token::Match(3 + d, d));
    }
    return {oneLiteral, onlyLongMatches, sameLiteral, distanceOne, oneClass};
}

// A block count of 0 reads as a block that never ends (the count is
// decremented from 0): more than 65535 symbols under one header.
RoundTrip EndlessBlock()
{
    std::vector<Token> tokens = GreedyTokens(TextBytes(400000, 7));
    tokens.resize(70000);
    BlockCodes codes = CodesFor(tokens);
    codes.count = 0;
    BitWriter out;
    PutBlockHeader(out, codes);
    for (const Token& t : tokens)
        PutToken(out, codes, t);
    Bytes expected = ExpandTokens(tokens);
    return Single(PackedEntry("ENDLESS.TXT", "-lh5-", out.Finish(), expected), expected);
}

// Several entries and methods, nested names, level 1 with extended headers
// of 7 and 5 bytes, an empty entry and an empty stored one.
RoundTrip SeveralEntries()
{
    const Bytes small = TextBytes(3000, 8), text = Text(), random = RandomBytes(30000, 2);
    Entry level1 = Lh5Entry("L1.TXT", text);
    level1.level = 1;
    level1.extended = {ExtendedHeaderBody(7), ExtendedHeaderBody(5)};
    Entry stored1 = StoredEntry("A\\R.BIN", random);
    stored1.level = 1;
    stored1.extended = {ExtendedHeaderBody(7), ExtendedHeaderBody(5)};
    return {{Lh5Entry("A\\B\\C.DAT", small), level1, stored1, Lh4Entry("A\\L4.TXT", small),
             StoredEntry("EMPTY0", {}), Lh5Entry("EMPTY5", {})},
            {{"A\\B\\C.DAT", small},
             {"L1.TXT", text},
             {"A\\R.BIN", random},
             {"A\\L4.TXT", small},
             {"EMPTY0", {}},
             {"EMPTY5", {}}}};
}

// Cases are built when their test runs, not when the program starts.
struct RoundTripMaker {
    const char* label;
    RoundTrip (*make)();
};

const RoundTripMaker RoundTrips[] = {
    {"Lh5Text", [] { return Single(Lh5Entry("TEXT.TXT", Text()), Text()); }},
    {"Lh5Random", [] { return Single(Lh5Entry("RANDOM.BIN", RandomBytes(30000, 2)), RandomBytes(30000, 2)); }},
    {"Lh5Mixed", [] { return Single(Lh5Entry("MIXED.BIN", Mixed()), Mixed()); }},
    {"Lh4Text", [] { return Single(Lh4Entry("TEXT.TXT", Text()), Text()); }},
    {"Lh4Mixed", [] { return Single(Lh4Entry("MIXED.BIN", Mixed()), Mixed()); }},
    {"Lh5WholeWindow",
     [] {
         Bytes data = Repeat(RandomBytes(8192, 3), 4);
         return Single(Lh5Entry("WINDOW.BIN", data), data);
     }},
    {"Lh4WholeWindow",
     [] {
         Bytes data = Repeat(RandomBytes(4096, 4), 5);
         return Single(Lh4Entry("WINDOW.BIN", data), data);
     }},
    {"Lh5ManyBlocks",
     [] { return Single(PackedEntry("BLOCKS.TXT", "-lh5-", Compress(Text(), SmallBlocks(Lh5Window)), Text()), Text()); }},
    {"Lh4ManyBlocks",
     [] {
         return Single(PackedEntry("BLOCKS.TXT", "-lh4-", Compress(Mixed(), SmallBlocks(Lh4Window)), Mixed()), Mixed());
     }},
    {"MatchesAcrossChunks", [] { return TokensCase({ChunkBoundaryTokens()}); }},
    {"DistanceOneOverlaps", [] { return TokensCase({OverlapTokens()}); }},
    {"WordCopies", [] { return TokensCase({WordCopyTokens()}); }},
    {"SingleSymbolCodes", [] { return TokensCase(SingleSymbolBlocks()); }},
    {"SingleSymbolCodesLh4", [] { return TokensCase(SingleSymbolBlocks(), "-lh4-"); }},
    {"BlockCountZeroNeverEnds", EndlessBlock},
    {"SeveralEntries", SeveralEntries},
};

void PrintTo(const RoundTripMaker& maker, std::ostream* os)
{
    *os << maker.label;
}

class DecoderRoundTrip : public testing::TestWithParam<RoundTripMaker> {};

TEST_P(DecoderRoundTrip, ExtractsEveryByte)
{
    const RoundTrip rt = GetParam().make();
    for (bool trailingZero : {true, false}) {
        SCOPED_TRACE(trailingZero ? "with end marker" : "without end marker");
        Sandbox box;
        const std::string path = box.PutArchive(BuildArchive(rt.entries, trailingZero));
        RecordingArchive archive;
        ASSERT_EQ(1, archive.ExtractAll(path.c_str()));
        EXPECT_TRUE(archive.diagnostics.empty()) << archive.diagnostics.front();
        uint32_t total = 0;
        for (const File& f : rt.files) {
            Bytes got;
            ASSERT_TRUE(ReadFile(box.OutPath(f.name), got)) << f.name;
            EXPECT_EQ(f.data.size(), got.size()) << f.name;
            EXPECT_TRUE(f.data == got) << f.name << " differs";
            total += static_cast<uint32_t>(f.data.size());
        }
        EXPECT_EQ(rt.files.size(), box.OutFiles().size());

        RecordingArchive scan;
        EXPECT_EQ(total, scan.ScanTotalSize(path.c_str()));
        EXPECT_TRUE(scan.diagnostics.empty()) << scan.diagnostics.front();
    }
}

INSTANTIATE_TEST_SUITE_P(Lzh, DecoderRoundTrip, testing::ValuesIn(RoundTrips),
                         [](const testing::TestParamInfo<RoundTripMaker>& info) { return info.param.label; });

// Progress comes after every 8192-byte chunk, none for an empty entry.
TEST(DecoderProgress, ChunksOf8192)
{
    const Bytes data = TextBytes(20000, 9);
    for (const Entry& entry : {Lh5Entry("P.TXT", data), Lh4Entry("P.TXT", data), StoredEntry("P.TXT", data)}) {
        SCOPED_TRACE(entry.method);
        Sandbox box;
        const std::string path = box.PutArchive(BuildArchive({entry}));
        RecordingArchive archive;
        ASSERT_EQ(1, archive.ExtractAll(path.c_str()));
        EXPECT_EQ((std::vector<uint32_t>{8192, 16384, 20000}), archive.ProgressDone());
        for (const auto& e : archive.events) {
            if (e.kind == 'p') {
                EXPECT_EQ(20000u, e.b);
            }
        }
        RecordingArchive scan;
        EXPECT_EQ(20000u, scan.ScanTotalSize(path.c_str()));
        EXPECT_EQ((std::vector<uint32_t>{8192, 16384, 20000}), scan.ProgressDone());
    }
}

TEST(DecoderProgress, EmptyEntryHasNone)
{
    for (const Entry& entry : {Lh5Entry("E", {}), StoredEntry("E", {})}) {
        SCOPED_TRACE(entry.method);
        Sandbox box;
        const std::string path = box.PutArchive(BuildArchive({entry}));
        RecordingArchive archive;
        ASSERT_EQ(1, archive.ExtractAll(path.c_str()));
        EXPECT_EQ(1, archive.Count('b'));
        EXPECT_EQ(1, archive.Count('e'));
        EXPECT_EQ(0, archive.Count('p'));
        Bytes got{1};
        EXPECT_TRUE(ReadFile(box.OutPath("E"), got));
        EXPECT_TRUE(got.empty());
    }
}

// ---- Matches that reach before the entry's first byte ----

// Only damaged data has them. Every entry starts from a window of zeros, so
// such a match copies zeros, whatever an earlier entry or archive, or the
// memory the reader was made in, left in the transfer buffer: the entry's
// file holds the same bytes on every build.
struct EarlierUse {
    const char* label;
    bool usedMemory;       // the reader is made in memory full of 0x5A bytes
    bool entryBefore;      // another entry precedes it in its archive
    bool archiveBefore;    // the reader extracted another archive first
};

const EarlierUse EarlierUses[] = {
    {"FreshReaderInUsedMemory", true, false, false},
    {"BehindAnotherEntry", false, true, false},
    {"AfterAnotherArchive", false, false, true},
};

void PrintTo(const EarlierUse& use, std::ostream* os)
{
    *os << use.label;
}

class DecoderWindow : public testing::TestWithParam<EarlierUse> {};

TEST_P(DecoderWindow, StartsAsZeros)
{
    const EarlierUse& use = GetParam();
    // 'x', then 10 bytes from 100 back and 4 from 8192 back: all before the start.
    const std::vector<Token> reaching = {Token::Literal('x'), Token::Match(10, 100), Token::Match(4, 8192)};
    Bytes expected(15, 0);
    expected[0] = 'x';
    const Entry reach = PackedEntry("REACH.BIN", "-lh5-", EncodeBlocks({reaching}), expected);
    const Entry other = Lh5Entry("OTHER.BIN", RandomBytes(9000, 31));

    Sandbox box;
    const std::string path = box.PutArchive(use.entryBefore ? BuildArchive({other, reach}) : BuildArchive({reach}));
    const std::string earlier = box.PutArchive(BuildArchive({other}), "earlier.lzh");
    alignas(RecordingArchive) static unsigned char memory[sizeof(RecordingArchive)];
    std::memset(memory, use.usedMemory ? 0x5A : 0, sizeof memory);
    RecordingArchive* archive = new (memory) RecordingArchive;
    if (use.archiveBefore) {
        EXPECT_EQ(1, archive->ExtractAll(earlier.c_str()));
    }
    EXPECT_EQ(1, archive->ExtractAll(path.c_str()));
    archive->~RecordingArchive();
    Bytes got;
    ASSERT_TRUE(ReadFile(box.OutPath("REACH.BIN"), got));
    EXPECT_TRUE(expected == got) << "REACH.BIN holds " << got.size() << " bytes, not 'x' and 14 zeros";
}

INSTANTIATE_TEST_SUITE_P(Lzh, DecoderWindow, testing::ValuesIn(EarlierUses),
                         [](const testing::TestParamInfo<EarlierUse>& info) { return info.param.label; });

// ---- Damaged code tables ----

struct Damage {
    const char* label;
    Bytes stream;
};

// A valid code-length code using symbols 0..3: zero, run of 3..18 zeros,
// run of 20..531 zeros, and character length 1.
Code FourSymbolT()
{
    Code t;
    t.lengths = {2, 2, 2, 2};
    return t;
}

// The block header up to the character code: a count and a T code.
BitWriter StartBlock(const Code& t)
{
    BitWriter out;
    out.Put(100, 16);
    PutLengthCode(out, t, TBIT, 3);
    return out;
}

// A valid character code (two literals of length 1), sent with FourSymbolT.
BitWriter AfterCharCode()
{
    BitWriter out = StartBlock(FourSymbolT());
    Code c;
    c.lengths.assign(NC, 0);
    c.lengths['a'] = c.lengths['b'] = 1;
    PutCharCode(out, c, FourSymbolT());
    return out;
}

Code Lengths(std::vector<uint8_t> lengths)
{
    Code c;
    c.lengths = std::move(lengths);
    return c;
}

std::vector<Damage> Damages()
{
    std::vector<Damage> cases;
    auto add = [&](const char* label, const BitWriter& out) { cases.push_back({label, out.Finish()}); };

    // Code-length code. The counts above the alphabet are sent with lengths
    // whose first 19 make a good code, so only the count check catches them.
    {
        std::vector<uint8_t> lengths(20, 4);
        lengths[16] = lengths[17] = lengths[18] = 0;
        add("TCountAboveAlphabet", StartBlock(Lengths(lengths)));
        BitWriter out;
        out.Put(100, 16);
        out.Put(31, TBIT);
        for (int i = 0; i < 31; i++)
            PutCodeLength(out, 4);
        add("TCountMax", out);
    }
    {
        BitWriter out;
        out.Put(100, 16);
        out.Put(4, TBIT);
        PutCodeLength(out, 17);
        PutCodeLength(out, 1);
        PutCodeLength(out, 2);
        out.Put(0, 2);
        PutCodeLength(out, 2);
        add("TLengthAbove16", out);
    }
    {
        BitWriter out;
        out.Put(100, 16);
        out.Put(5, TBIT);
        out.Put(7, 3);
        out.PutOnes(29);  // the unary form with nothing to end it
        add("TLengthUnaryUnterminated", out);
    }
    add("TOverfull", StartBlock(Lengths({1, 1, 1})));
    add("TIncomplete", StartBlock(Lengths({1, 2, 0})));
    add("TEmpty", StartBlock(Lengths({0, 0, 0, 0})));
    add("TSingleOutOfRange", StartBlock(Code::Single(NT)));
    add("TSingleMax", StartBlock(Code::Single(31)));

    // Character code. 'a' and 'b' get length 1 (a complete code), then the
    // lengths run past the end of the array.
    auto charPrefix = [](BitWriter& out, unsigned count) {
        const Code t = FourSymbolT();
        out.Put(count, CBIT);
        t.PutSymbol(out, 2);
        out.Put('a' - 20, CBIT);
        t.PutSymbol(out, 3);
        t.PutSymbol(out, 3);  // i = 'b' + 1 = 99
    };
    {
        BitWriter out = StartBlock(FourSymbolT());
        charPrefix(out, 511);
        FourSymbolT().PutSymbol(out, 2);
        out.Put(411 - 20, CBIT);          // up to 510
        FourSymbolT().PutSymbol(out, 3);  // length 511 of 510
        add("CCountAboveAlphabet", out);
    }
    {
        BitWriter out = StartBlock(FourSymbolT());
        charPrefix(out, NC);
        FourSymbolT().PutSymbol(out, 2);
        out.Put(412 - 20, CBIT);  // one zero too many
        add("CLongZeroRunPastEnd", out);
    }
    {
        BitWriter out = StartBlock(FourSymbolT());
        charPrefix(out, NC);
        FourSymbolT().PutSymbol(out, 2);
        out.Put(409 - 20, CBIT);  // up to 508
        FourSymbolT().PutSymbol(out, 1);
        out.Put(0, 4);            // 3 more: one past the end
        add("CShortZeroRunPastEnd", out);
    }
    {
        BitWriter out = StartBlock(FourSymbolT());
        out.Put(NC, CBIT);
        FourSymbolT().PutSymbol(out, 2);
        out.Put(511, CBIT);  // 531 zeros, the most there can be
        add("CZeroRunMax", out);
    }
    {
        BitWriter out = StartBlock(FourSymbolT());
        out.Put(3, CBIT);
        for (int i = 0; i < 3; i++)
            FourSymbolT().PutSymbol(out, 3);  // three codes of length 1
        add("COverfull", out);
    }
    {
        BitWriter out = StartBlock(FourSymbolT());
        out.Put(5, CBIT);
        for (int i = 0; i < 5; i++)
            FourSymbolT().PutSymbol(out, 0);
        add("CEmpty", out);
    }
    {
        // Lengths up to 16 through T symbol 18, but one code too many.
        Code t = Lengths({0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 1});
        t.lengths[3] = 1;  // length 1 and length 16 only
        BitWriter out = StartBlock(t);
        out.Put(3, CBIT);
        t.PutSymbol(out, 3);
        t.PutSymbol(out, 18);
        t.PutSymbol(out, 18);
        add("CIncompleteLong", out);
    }
    for (unsigned c : {510u, 511u}) {
        BitWriter out = StartBlock(Code::Single(0));
        out.Put(0, CBIT);
        out.Put(c, CBIT);
        add(c == 510 ? "CSingleOutOfRange" : "CSingleMax", out);
    }

    // Position code.
    {
        // The first 14 lengths make a good code.
        std::vector<uint8_t> lengths(15, 0);
        lengths[0] = lengths[1] = lengths[14] = 1;
        BitWriter out = AfterCharCode();
        PutLengthCode(out, Lengths(lengths), PBIT, -1);
        add("PCountAboveAlphabet", out);
    }
    {
        BitWriter out = AfterCharCode();
        PutLengthCode(out, Lengths({17, 1}), PBIT, -1);
        add("PLengthAbove16", out);
    }
    {
        BitWriter out = AfterCharCode();
        PutLengthCode(out, Lengths({1, 1, 1}), PBIT, -1);
        add("POverfull", out);
    }
    {
        BitWriter out = AfterCharCode();
        PutLengthCode(out, Lengths({1, 0}), PBIT, -1);
        add("PIncomplete", out);
    }
    {
        BitWriter out = AfterCharCode();
        PutLengthCode(out, Lengths({0, 0, 0}), PBIT, -1);
        add("PEmpty", out);
    }
    for (int p : {NP, 15}) {
        BitWriter out = AfterCharCode();
        PutLengthCode(out, Code::Single(p), PBIT, -1);
        add(p == NP ? "PSingleOutOfRange" : "PSingleMax", out);
    }

    // A good block, then a bad one: in the first chunk and after it.
    for (std::size_t good : {std::size_t(100), std::size_t(9000)}) {
        std::vector<Token> tokens = Literals(TextBytes(good, 10));
        BlockCodes codes = CodesFor(tokens);
        BitWriter out;
        PutBlockHeader(out, codes);
        for (const Token& t : tokens)
            PutToken(out, codes, t);
        out.Put(100, 16);
        out.Put(25, TBIT);
        add(good == 100 ? "SecondBlockBad" : "BadBlockAfterFirstChunk", out);
    }
    return cases;
}

void PrintTo(const Damage& d, std::ostream* os)
{
    *os << d.label;
}

class DamagedTable : public testing::TestWithParam<Damage> {};

TEST_P(DamagedTable, EntryFails)
{
    Bytes stream = GetParam().stream;
    stream.resize(stream.size() + 64, 0);  // the reader never runs out first
    const Bytes expected = TextBytes(20000, 10);
    Entry entry = PackedEntry("BAD.TXT", "-lh5-", stream, expected);
    Entry after = StoredEntry("AFTER.TXT", expected);

    Sandbox box;
    const std::string path = box.PutArchive(BuildArchive({entry, after}));
    RecordingArchive archive;
    EXPECT_EQ(0, archive.ExtractAll(path.c_str()));
    EXPECT_EQ(std::vector<std::string>{BadTableText}, archive.diagnostics);
    EXPECT_EQ(std::vector<std::string>{"BAD.TXT"}, box.OutFiles()) << "the entry after a bad one is left alone";
    EXPECT_EQ((std::vector<std::string>{"out", "test.lzh"}), box.RootNames());
    EXPECT_EQ(1, archive.Count('e'));

    // The scan counts the entry's header and reports the table; what it makes
    // of the bytes after the failed entry is left to ScanResumesAfterTheEntry.
    RecordingArchive scan;
    EXPECT_GE(scan.ScanTotalSize(path.c_str()), 20000u);
    ASSERT_FALSE(scan.diagnostics.empty());
    EXPECT_EQ(BadTableText, scan.diagnostics.front());

    RecordingArchive list;
    EXPECT_EQ(0, list.ListAll(path.c_str(), true));
}

INSTANTIATE_TEST_SUITE_P(Lzh, DamagedTable, testing::ValuesIn(Damages()),
                         [](const testing::TestParamInfo<Damage>& info) { return info.param.label; });

// ---- Too little data ----

// Extracts with a cap on the work: an entry that would go on long after its
// data ended throws out of OnProgress instead of filling the disk.
int ExtractCapped(RecordingArchive& archive, const std::string& path)
{
    archive.progressLimit = 8;
    try {
        return archive.ExtractAll(path.c_str());
    } catch (const RunawayEntry&) {
        return 99;
    }
}

// The header promises far more than the compressed bytes hold: the reader
// gives up soon after it ran past them instead of inventing the rest.
TEST(DecoderShortData, CompressedSizeTooSmall)
{
    const Bytes data = TextBytes(300000, 12);
    for (uint32_t size : {4u, 40u, 400u, 4000u}) {
        SCOPED_TRACE(size);
        Entry entry = Lh5Entry("SHORT.TXT", data);
        entry.overrideCompressedSize = true;
        entry.compressedSize = size;
        Sandbox box;
        const std::string path = box.PutArchive(BuildArchive({entry}));
        RecordingArchive archive;
        EXPECT_EQ(0, ExtractCapped(archive, path));
        EXPECT_LE(archive.Count('p'), 2);
        Bytes got;
        ASSERT_TRUE(ReadFile(box.OutPath("SHORT.TXT"), got));
        EXPECT_LE(got.size(), 16384u);
    }
}

// Past the compressed data the bit reader supplies zeros, and zero bits read
// as a block header give an endless block (count 0) of one-symbol codes that
// consume nothing: unless such a block is refused, the entry runs on to its
// full stated size.
TEST(DecoderShortData, NoCompressedBytes)
{
    Entry entry = Lh5Entry("SHORT.TXT", TextBytes(300000, 12));
    entry.overrideCompressedSize = true;
    entry.compressedSize = 0;
    Sandbox box;
    const std::string path = box.PutArchive(BuildArchive({entry}));
    RecordingArchive archive;
    EXPECT_EQ(0, ExtractCapped(archive, path));
    EXPECT_LE(archive.Count('p'), 2);
}

TEST(DecoderShortData, UncompressedSizeFarAboveData)
{
    const Bytes data = TextBytes(5000, 13);
    for (const Entry& good : {Lh5Entry("HUGE.TXT", data), Lh4Entry("HUGE.TXT", data)}) {
        SCOPED_TRACE(good.method);
        Entry entry = good;
        entry.size = 0x7FFFFFFF;
        Sandbox box;
        const std::string path = box.PutArchive(BuildArchive({entry}));
        RecordingArchive archive;
        EXPECT_EQ(0, ExtractCapped(archive, path));
        EXPECT_LE(archive.Count('p'), 2);
    }
}

// After an entry whose data fails, the scan goes on with the next entry's
// header, not with whatever byte the decoder stopped at inside the data.
TEST(DecoderShortData, ScanResumesAfterTheEntry)
{
    BitWriter out;
    out.Put(100, 16);
    out.Put(20, TBIT);  // more code lengths than the code has
    Bytes stream = out.Finish();
    const Bytes junk = RandomBytes(300, 17);
    stream.insert(stream.end(), junk.begin(), junk.end());
    Entry bad = PackedEntry("BAD.TXT", "-lh5-", stream, TextBytes(1000, 17));
    Entry good = StoredEntry("GOOD.TXT", TextBytes(2000, 18));
    Sandbox box;
    const std::string path = box.PutArchive(BuildArchive({bad, good}));
    RecordingArchive scan;
    EXPECT_EQ(3000u, scan.ScanTotalSize(path.c_str()));
    EXPECT_EQ(std::vector<std::string>{BadTableText}, scan.diagnostics);
}

// Compressed data followed by unused bytes that its compressed size still
// counts (other decoders, lhasa among them, go on after the stated size).
// The bit reader looks at most 5 bytes ahead, so 8 spare bytes are left
// unread and the next header is looked for among them. Disabled: ExtractAll
// and ListAll do not yet continue after the stated size.
TEST(DecoderShortData, SpareBytesAfterTheStream)
{
    const Bytes data = TextBytes(20000, 19);
    Entry first = Lh5Entry("A.TXT", data);
    first.packed.resize(first.packed.size() + 8, 0x41);
    Sandbox box;
    const std::string path = box.PutArchive(BuildArchive({first, StoredEntry("B.TXT", data)}));
    RecordingArchive archive;
    EXPECT_EQ(1, archive.ExtractAll(path.c_str()));
    EXPECT_EQ((std::vector<std::string>{"A.TXT", "B.TXT"}), box.OutFiles());
    RecordingArchive list;
    EXPECT_EQ(1, list.ListAll(path.c_str(), true));
    RecordingArchive scan;
    EXPECT_EQ(40000u, scan.ScanTotalSize(path.c_str()));
}

// ---- Shortest block headers ----

class ShortestBlocks : public testing::TestWithParam<ShortBlockStream> {};

TEST_P(ShortestBlocks, AreExtractedTestedAndSized)
{
    const ShortBlockStream& s = GetParam();
    Sandbox box;
    const std::string path = box.PutArchive(BuildArchive({s.entry}));
    RecordingArchive archive;
    EXPECT_EQ(1, archive.ExtractAll(path.c_str()));
    EXPECT_TRUE(archive.diagnostics.empty()) << archive.diagnostics.front();
    Bytes got;
    ASSERT_TRUE(ReadFile(box.OutPath(s.entry.name), got));
    EXPECT_TRUE(got == s.expected);
    RecordingArchive list;
    EXPECT_EQ(1, list.ListAll(path.c_str(), true));
    RecordingArchive scan;
    EXPECT_EQ(s.expected.size(), scan.ScanTotalSize(path.c_str()));
    EXPECT_TRUE(scan.diagnostics.empty());
}

INSTANTIATE_TEST_SUITE_P(Lzh, ShortestBlocks, testing::ValuesIn(ShortestBlockStreams()),
                         [](const testing::TestParamInfo<ShortBlockStream>& info) { return info.param.label; });

// What the shortest header rule stops: a header that needs bits the data
// does not have, down to the made-up zeros past it, which would otherwise
// read as a block that writes zeros up to the stated size.
TEST(DecoderShortData, BlockHeaderPastTheData)
{
    Entry cut = ShortestBlockStreams().front().entry;  // 46 bits in 6 bytes
    cut.packed.resize(5);                               // 40 bits: no header fits
    Entry zeros = PackedEntry("ZEROS.BIN", "-lh5-", Bytes(6, 0), Bytes(1, 0));
    zeros.size = 50000000;  // the zero header needs 52 bits, the data has 48
    for (const Entry& entry : {cut, zeros}) {
        SCOPED_TRACE(entry.name);
        Sandbox box;
        const std::string path = box.PutArchive(BuildArchive({entry}));
        RecordingArchive archive;
        EXPECT_EQ(0, ExtractCapped(archive, path));
        EXPECT_EQ(std::vector<std::string>{BadTableText}, archive.diagnostics);
        Bytes got;
        ASSERT_TRUE(ReadFile(box.OutPath(entry.name), got));
        EXPECT_TRUE(got.empty());
    }
}

// An archive cut anywhere except right after an entry fails.
TEST(DecoderShortData, TruncatedArchive)
{
    Entry first = Lh5Entry("ONE.TXT", TextBytes(30000, 14));
    Entry second = StoredEntry("TWO.BIN", RandomBytes(5000, 15));
    Entry third = Lh4Entry("DIR\\THREE.TXT", TextBytes(20000, 16));
    third.level = 1;
    third.extended = {ExtendedHeaderBody(7), ExtendedHeaderBody(5)};
    const Bytes whole = BuildArchive({first, second, third});
    const std::size_t end1 = BuildEntry(first).size();
    const std::size_t end2 = end1 + BuildEntry(second).size();
    const std::size_t header3 = 2 + 25 + third.name.size();

    const std::size_t cuts[] = {
        1, 2, 10, 28,                                   // in the first header
        40, end1 / 2, end1 - 1,                         // in the first entry's data
        end1 + 1, end1 + 2, end1 + 20,                  // in the second header
        end1 + 40, end2 - 1,                            // in the stored data
        end2 + 1, end2 + header3 - 1,                   // in the third header
        end2 + header3 + 3, end2 + header3 + 10,        // in its extended headers
        end2 + header3 + 30, whole.size() - 2,          // in its data
    };
    for (std::size_t cut : cuts) {
        SCOPED_TRACE(cut);
        Sandbox box;
        const std::string path = box.PutArchive(Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(cut)));
        RecordingArchive archive;
        EXPECT_EQ(0, archive.ExtractAll(path.c_str()));
        EXPECT_FALSE(archive.diagnostics.empty());
        RecordingArchive scan;
        EXPECT_LE(scan.ScanTotalSize(path.c_str()), 55000u);
        RecordingArchive list;
        EXPECT_EQ(0, list.ListAll(path.c_str(), true));
    }
    // The same archive whole, and without its end marker, is good.
    for (std::size_t size : {whole.size(), whole.size() - 1}) {
        Sandbox box;
        const std::string path = box.PutArchive(Bytes(whole.begin(), whole.begin() + static_cast<std::ptrdiff_t>(size)));
        RecordingArchive archive;
        EXPECT_EQ(1, archive.ExtractAll(path.c_str()));
    }
}

}  // namespace
