// The help viewer's layout, measured and drawn on a stand-in canvas whose
// characters are 7 pixels wide (a "W" 12) and whose fonts differ in height,
// so that every line advance shows which font it was taken from.
#include "HelpLayout.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

using help::Font;
using Strings = std::vector<std::string>;

class MeasuringCanvas : public help::Canvas {
public:
    static int HeightOf(Font font) { return font == Font::Bold ? 14 : font == Font::Italic ? 12 : 10; }

    int SelectFont(Font font) override
    {
        font_ = font;
        return HeightOf(font);
    }
    int FontHeight() override { return HeightOf(font_); }
    int CharWidth(char c) override
    {
        measured += c;
        return c == 'W' ? 12 : 7;
    }
    void DrawChar(int x, int y, char c) override
    {
        const char style = font_ == Font::Bold ? 'b' : font_ == Font::Italic ? 'c' : 'n';
        // Characters side by side in one font make one run "x,y style:text".
        if (!runs.empty() && y == lastY_ && x == lastX_ + lastWidth_ && style == lastStyle_) {
            runs.back() += c;
        } else {
            runs.push_back(std::to_string(x) + "," + std::to_string(y) + " " + style + ":" + c);
        }
        lastX_ = x;
        lastY_ = y;
        lastWidth_ = c == 'W' ? 12 : 7;
        lastStyle_ = style;
    }

    Strings runs;
    std::string measured;

private:
    Font font_ = Font::Normal;
    int lastX_ = 0, lastY_ = 0, lastWidth_ = 0;
    char lastStyle_ = 0;
};

// Ten characters of 7 pixels fit between 10 and 80.
const help::Rect Area = {10, 10, 80, 200};

Strings Lay(const Strings& lines, const help::Rect& area = Area)
{
    MeasuringCanvas canvas;
    help::DrawHelpText(canvas, lines, area);
    return canvas.runs;
}

TEST(HelpLayout, WrapsAtTheFirstCharacterThatCrossesTheRightEdge)
{
    // The tenth character ends exactly on the edge and stays; the eleventh goes.
    EXPECT_EQ((Strings{"10,10 n:ABCDEFGHIJ", "10,20 n:KLMNOPQRST", "10,30 n:UVWXY"}),
              Lay({"ABCDEFGHIJKLMNOPQRSTUVWXY"}));
    // A wide character that would cross goes down although narrow ones would fit.
    EXPECT_EQ((Strings{"10,10 n:ABCDEFGHI", "10,20 n:W"}), Lay({"ABCDEFGHIW"}));
    // A line of 100 characters takes ten rows; the next line starts below them.
    const Strings hundred = Lay({std::string(100, 'x'), "fin"});
    ASSERT_EQ(11u, hundred.size());
    EXPECT_EQ("10,100 n:xxxxxxxxxx", hundred[9]);
    EXPECT_EQ("10,110 n:fin", hundred[10]);
}

TEST(HelpLayout, OnlyTheSpaceAtTheWrapIsDropped)
{
    EXPECT_EQ((Strings{"10,10 n:AAAAAAAAAA", "10,20 n:BBB"}), Lay({"AAAAAAAAAA BBB"}));
    // The second space is drawn at the start of the new row.
    EXPECT_EQ((Strings{"10,10 n:AAAAAAAAAA", "10,20 n: B"}), Lay({"AAAAAAAAAA  B"}));
    // Spaces elsewhere are ordinary characters.
    EXPECT_EQ((Strings{"10,10 n:A B"}), Lay({"A B"}));
}

TEST(HelpLayout, HangingIndentOfS)
{
    // The continuation rows start under the "T" of "Texto".
    EXPECT_EQ((Strings{"10,10 n:1.Texto la", "24,20 n:rgo que ", "24,30 n:sigue"}),
              Lay({"1.\\sTexto largo que sigue"}));
    // "\r" breaks the line and ends the indent.
    EXPECT_EQ((Strings{"10,10 n:1.uno", "10,20 n:dos tres c", "10,30 n:uatro"}), Lay({"1.\\suno\\rdos tres cuatro"}));
    // The indent belongs to its line only.
    EXPECT_EQ((Strings{"10,10 n:1.a", "10,20 n:BBBBBBBBBB", "10,30 n:B"}), Lay({"1.\\sa", "BBBBBBBBBBB"}));
}

// Nothing is drawn across the right edge: an indent set beyond it by tabs
// gives way to the left edge, and a character wider than the area is left
// out.
TEST(HelpLayout, NothingCrossesTheRightEdge)
{
    // The pen stands at 75 after three tabs; "\s" there leaves no room.
    EXPECT_EQ((Strings{"10,20 n:ABCDEFGHIJ", "10,30 n:KL"}), Lay({"\\t\\t\\t\\sABCDEFGHIJKL"}));
    // An indent with room for one more character still holds.
    EXPECT_EQ((Strings{"10,10 n:123456789A", "73,20 n:B", "73,30 n:C"}), Lay({"123456789\\sABC"}));
    // Five pixels of area, characters of seven: each goes down a row, none is drawn.
    EXPECT_TRUE(Lay({"AB", "C"}, {10, 10, 15, 200}).empty());
}

TEST(HelpLayout, TabStopsEvery25PixelsOfTheWindow)
{
    const struct {
        int32_t from;
        const char* expected;
    } cases[] = {
        {10, "25,10 n:X"},
        {25, "50,10 n:X"},
        {49, "50,10 n:X"},
        {50, "75,10 n:X"},
    };
    for (const auto& c : cases) {
        const help::Rect area = {c.from, 10, 200, 200};
        EXPECT_EQ(Strings{c.expected}, Lay({"\\tX"}, area)) << "from " << c.from;
    }
    // A stop beyond the right edge sends the next character to a new row.
    EXPECT_EQ((Strings{"10,10 n:AAAAAAAA", "10,20 n:X"}), Lay({"AAAAAAAA\\tX"}));
    // Two tabs in a row go to the second stop.
    EXPECT_EQ((Strings{"50,10 n:X"}), Lay({"\\t\\tX"}, {10, 10, 200, 200}));
}

TEST(HelpLayout, EscapesThatDrawWhatFollows)
{
    EXPECT_EQ((Strings{"10,10 n:a\\b"}), Lay({"a\\\\b"}));
    EXPECT_EQ((Strings{"10,10 n:xX"}), Lay({"\\x\\X"}));
    // "\B" is no escape for bold: it draws B.
    EXPECT_EQ((Strings{"10,10 n:B"}), Lay({"\\B"}));
    // An escape left open at the end of a line is dropped.
    EXPECT_EQ((Strings{"10,10 n:ab", "10,20 n:\\"}), Lay({"ab\\", "\\\\"}));
}

TEST(HelpLayout, TypeStylesCarryAcrossLines)
{
    // Bold for the title, normal again for what follows and on later lines;
    // the row advances by the height of the font selected at its end.
    EXPECT_EQ((Strings{"10,10 b:Titulo", "52,10 n: fin", "10,20 n:luego"}), Lay({"\\bTitulo\\n fin", "luego"}));
    EXPECT_EQ((Strings{"10,10 b:Negrita", "10,24 b:sigue", "10,38 c:cursiva", "10,50 c:sigue"}),
              Lay({"\\bNegrita", "sigue", "\\ccursiva", "sigue"}));
    // A wrap advances by the height of the font selected at that moment.
    EXPECT_EQ((Strings{"10,10 n:AAAA", "38,10 b:BBBBBB", "10,24 b:C"}), Lay({"AAAA\\bBBBBBBC"}));
    // Text before any escape is in normal type.
    EXPECT_EQ((Strings{"10,10 n:sin marcas"}), Lay({"sin marcas"}));
}

TEST(HelpLayout, RowsBelowTheAreaAreMeasuredButNotDrawn)
{
    // Room for two rows of 10 pixels: 10-20 and 20-30; a row at 30 would end at 40.
    const help::Rect area = {10, 10, 80, 39};
    MeasuringCanvas canvas;
    help::Point pen = {10, 10};
    help::DrawHelpLine(canvas, "ABCDEFGHIJKLMNOPQRSTUVWXY", area, pen);
    EXPECT_EQ((Strings{"10,10 n:ABCDEFGHIJ", "10,20 n:KLMNOPQRST"}), canvas.runs);
    EXPECT_EQ("ABCDEFGHIJKLMNOPQRSTUVWXY", canvas.measured);
    EXPECT_EQ(10, pen.x);
    EXPECT_EQ(40, pen.y);
    // Later lines are not drawn either; a row that ends exactly on the bottom is.
    EXPECT_EQ((Strings{"10,10 n:uno", "10,20 n:dos"}), Lay({"uno", "dos", "tres", "cuatro"}, {10, 10, 80, 30}));
}

TEST(HelpLayout, EmptyLinesAdvanceAndTheLastLineEnds)
{
    MeasuringCanvas canvas;
    help::Point pen = {33, 10};
    help::DrawHelpLine(canvas, "", Area, pen);
    EXPECT_EQ(10, pen.x);
    EXPECT_EQ(20, pen.y);
    EXPECT_EQ((Strings{"10,10 n:a", "10,30 n:b"}), Lay({"a", "", "b"}));
    EXPECT_TRUE(Lay({}).empty());
}

TEST(HelpLayout, LinesOfAFile)
{
    const struct {
        const char* text;
        Strings lines;
    } cases[] = {
        {"", {}},
        {"uno", {"uno"}},
        {"uno\r\ndos\r\n", {"uno", "dos"}},
        {"uno\ndos", {"uno", "dos"}},
        {"\r\n\r\nfin\n", {"", "", "fin"}},
        {"a\rb\n", {"a\rb"}},
        {"a\r", {"a\r"}},
        // Ctrl-Z ends the text: a file saved with one, or padded with them.
        {"uno\r\ndos\r\n\x1A", {"uno", "dos"}},
        {"uno\r\n\x1A\x1A\x1A", {"uno"}},
        {"uno\x1A" "dos\r\n", {"uno"}},
        {"uno\r\x1A", {"uno\r"}},
        {"\x1A" "uno\r\n", {}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.lines, help::SplitLines(c.text)) << c.text;
}

}  // namespace
