// The help viewer's layout of "Texto.txt": character by character, with
// backslash escapes for the type style (\b bold, \n normal, \c italic), a
// line break (\r), a hanging indent (\s) and tab stops every 25 pixels (\t).
// The rules are kept apart from GDI: they measure and draw through a canvas.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace help {

enum class Font { Normal, Bold, Italic };

// Where the text goes: HelpDialog's device context, or a stand-in.
class Canvas {
public:
    virtual ~Canvas() = default;
    // Selects one of the viewer's fonts; answers its character height.
    virtual int SelectFont(Font font) = 0;
    // The character height of the font now selected.
    virtual int FontHeight() = 0;
    // The width of one character in the font now selected.
    virtual int CharWidth(char c) = 0;
    // Draws one character with its top left corner at (x, y).
    virtual void DrawChar(int x, int y, char c) = 0;
};

struct Point {
    int32_t x, y;
};

struct Rect {
    int32_t left, top, right, bottom;
};

// Lays out one line from pen, drawing the characters that lie wholly inside
// area; pen ends at the start of the next line. A character that would
// cross area's right edge goes to the next line (a space there is dropped),
// at the indent "\s" set, or at the left edge when the indent leaves it no
// room.
void DrawHelpLine(Canvas& canvas, const std::string& line, const Rect& area, Point& pen);

// Every line from area's top left, starting in normal type. Once the pen has
// passed area's bottom nothing more can be drawn, and the rest is skipped.
void DrawHelpText(Canvas& canvas, const std::vector<std::string>& lines, const Rect& area);

// The lines of a help file's bytes as a text-mode read gives them on
// Windows: the text ends at the first Ctrl-Z (0x1A); lines end at LF or
// CR LF and come without it (a CR elsewhere is text); a last line without
// a line end counts, an empty text has none.
std::vector<std::string> SplitLines(const std::string& text);

// Bytes of a help file that are read: a help text is a few pages long.
const std::size_t MaxFileBytes = 1 << 20;

}  // namespace help
