// Fuzz target for the help viewer's layout (installer/HelpLayout): every
// input is a help file laid out in an area and with fonts of its own choosing.
//
// The first 24 bytes choose them; the rest is the file's bytes:
//   bytes 0-1    the area's width, signed 16 bits, little-endian (0 and
//                less: an area with no room at all)
//   bytes 2-3    the area's height, the same way
//   bytes 4-5    the area's left and top edges (0 to 255)
//   bytes 6-8    the character heights of the normal, bold and italic fonts
//                (0 to 63)
//   byte 9       what the bold font adds to every width (0 to 15)
//   bytes 10-23  character widths (0 to 63), by the byte's value modulo 14
//
// Checks: the file splits into lines without line ends; the layout draws
// no more characters than the lines hold, and every character it draws lies
// wholly inside the area, in the width the canvas gave it and the height of
// the font selected.
#include "HelpLayout.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

const std::size_t SetupBytes = 24;
const int WidthSlots = 14;

[[noreturn]] void Fail(const std::string& what)
{
    std::fprintf(stderr, "help_fuzz: %s\n", what.c_str());
    std::abort();
}

class CheckingCanvas : public help::Canvas {
public:
    CheckingCanvas(const uint8_t* setup, const help::Rect& area) : area_(area)
    {
        for (int f = 0; f < 3; f++)
            heights_[f] = setup[6 + f] % 64;
        boldExtra_ = setup[9] % 16;
        for (int i = 0; i < WidthSlots; i++)
            widths_[i] = setup[10 + i] % 64;
    }

    int SelectFont(help::Font font) override
    {
        font_ = static_cast<int>(font);
        return heights_[font_];
    }
    int FontHeight() override { return heights_[font_]; }
    int CharWidth(char c) override
    {
        return widths_[static_cast<uint8_t>(c) % WidthSlots] + (font_ == static_cast<int>(help::Font::Bold) ? boldExtra_ : 0);
    }
    void DrawChar(int x, int y, char c) override
    {
        const int width = CharWidth(c), height = heights_[font_];
        if (x < area_.left || x + width > area_.right || y < area_.top || y + height > area_.bottom)
            Fail("a character of " + std::to_string(width) + " x " + std::to_string(height) + " drawn at " +
                 std::to_string(x) + "," + std::to_string(y) + ", outside the area " + std::to_string(area_.left) +
                 "," + std::to_string(area_.top) + " - " + std::to_string(area_.right) + "," +
                 std::to_string(area_.bottom));
        ++drawn;
    }

    std::size_t drawn = 0;

private:
    help::Rect area_;
    int heights_[3];
    int boldExtra_;
    int widths_[WidthSlots];
    int font_ = 0;
};

int Signed16(const uint8_t* p)
{
    return static_cast<int16_t>(static_cast<uint16_t>(p[0] | p[1] << 8));
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < SetupBytes)
        return 0;
    const help::Rect area = {data[4], data[5], data[4] + Signed16(data), data[5] + Signed16(data + 2)};
    const std::string text(reinterpret_cast<const char*>(data + SetupBytes), size - SetupBytes);

    const std::vector<std::string> lines = help::SplitLines(text);
    std::size_t characters = 0;
    for (const std::string& line : lines) {
        if (line.find('\n') != std::string::npos || line.find('\x1A') != std::string::npos)
            Fail("a line holds a line end or an end-of-file mark");
        characters += line.size();
    }
    CheckingCanvas canvas(data, area);
    help::DrawHelpText(canvas, lines, area);
    if (canvas.drawn > characters)
        Fail(std::to_string(canvas.drawn) + " characters drawn from " + std::to_string(characters));
    return 0;
}
