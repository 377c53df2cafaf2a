// Host only: archives written by the test encoder must be accepted by an
// independent decoder (Debian's lhasa), so the streams the decoder tests are
// built on are real "-lh5-"/"-lh4-" data and not just what our reader expects.
#include "test_util.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <ostream>
#include <string>
#include <vector>

using namespace lzhtest;

namespace {

struct PeerCase {
    std::string label;
    std::vector<Entry> entries;
    std::vector<Bytes> contents;
};

Entry Blocks(const std::string& name, const std::vector<std::vector<Token>>& blocks, const std::string& method,
             Bytes& expected)
{
    BitWriter out;
    std::vector<Token> all;
    for (const auto& block : blocks) {
        BlockCodes codes = CodesFor(block);
        PutBlockHeader(out, codes);
        for (const Token& t : block)
            PutToken(out, codes, t);
        all.insert(all.end(), block.begin(), block.end());
    }
    expected = ExpandTokens(all);
    return PackedEntry(name, method, out.Finish(), expected);
}

std::vector<PeerCase> PeerCases()
{
    const Bytes text = TextBytes(60000, 21);
    const Bytes random = RandomBytes(20000, 22);
    Bytes window = RandomBytes(8192, 23);
    window.insert(window.end(), window.begin(), window.end());
    Bytes window4 = RandomBytes(4096, 24);
    window4.insert(window4.end(), window4.begin(), window4.end());

    EncodeOptions small;
    small.blockSymbols = 500;

    std::vector<PeerCase> cases;
    cases.push_back({"Lh5Text", {Lh5Entry("text.txt", text)}, {text}});
    cases.push_back({"Lh5Random", {Lh5Entry("random.bin", random)}, {random}});
    cases.push_back({"Lh4Text", {Lh4Entry("text.txt", text)}, {text}});
    cases.push_back({"Lh5WholeWindow", {Lh5Entry("w.bin", window)}, {window}});
    cases.push_back({"Lh4WholeWindow", {Lh4Entry("w.bin", window4)}, {window4}});
    cases.push_back({"Lh5SmallBlocks", {PackedEntry("b.txt", "-lh5-", Compress(text, small), text)}, {text}});

    Bytes expected;
    std::vector<Token> oneLiteral = {Token::Literal('A')};
    std::vector<Token> longMatches(30, Token::Match(256, 1));
    std::vector<Token> sameLiteral(1000, Token::Literal('B'));
    std::vector<Token> oneClass;
    for (unsigned d = 9; d <= 16; d++) {
        oneClass.push_back(Token::Literal(static_cast<uint8_t>('0' + d)));
        oneClass.push_back(Token::Match(3 + d, d));
    }
    Entry single = Blocks("single.bin", {oneLiteral, longMatches, sameLiteral, oneClass}, "-lh5-", expected);
    cases.push_back({"SingleSymbolCodes", {single}, {expected}});
    Entry single4 = Blocks("single.bin", {oneLiteral, longMatches, sameLiteral, oneClass}, "-lh4-", expected);
    cases.push_back({"SingleSymbolCodesLh4", {single4}, {expected}});
    for (const ShortBlockStream& s : ShortestBlockStreams())
        cases.push_back({s.label.c_str(), {s.entry}, {s.expected}});
    return cases;
}

std::string Quote(const std::string& s)
{
    return "'" + s + "'";
}

void PrintTo(const PeerCase& c, std::ostream* os)
{
    *os << c.label;
}

class LhasaPeer : public testing::TestWithParam<PeerCase> {};

TEST_P(LhasaPeer, DecodesTheEncoderOutput)
{
    const PeerCase& c = GetParam();
    Sandbox box;
    const std::string path = box.PutArchive(BuildArchive(c.entries));
    const std::string lhasa = LHASA_PROGRAM;
    ASSERT_EQ(0, std::system((lhasa + " tq " + Quote(path) + " >/dev/null 2>&1").c_str())) << "lhasa t " << path;
    ASSERT_EQ(0, std::system((lhasa + " xqf " + Quote(path) + " >/dev/null 2>&1").c_str())) << "lhasa x " << path;
    for (std::size_t i = 0; i < c.entries.size(); i++) {
        Bytes got;
        ASSERT_TRUE(ReadFile(box.OutPath(c.entries[i].name), got)) << c.entries[i].name;
        EXPECT_TRUE(got == c.contents[i]) << c.entries[i].name << " as lhasa unpacked it differs";
    }
}

INSTANTIATE_TEST_SUITE_P(Lzh, LhasaPeer, testing::ValuesIn(PeerCases()),
                         [](const testing::TestParamInfo<PeerCase>& info) { return info.param.label; });

}  // namespace
