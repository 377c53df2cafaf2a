#include "HelpLayout.h"

namespace help {
namespace {

const char Escape = '\\';
const int32_t TabStep = 25;

}  // namespace

void DrawHelpLine(Canvas& canvas, const std::string& line, const Rect& area, Point& pen)
{
    int32_t lineHeight = canvas.FontHeight();
    int32_t indent = 0;
    bool escaped = false;
    for (char c : line) {
        if (escaped) {
            escaped = false;
            switch (c) {
            case 'b':
                lineHeight = canvas.SelectFont(Font::Bold);
                continue;
            case 'n':
                lineHeight = canvas.SelectFont(Font::Normal);
                continue;
            case 'c':
                lineHeight = canvas.SelectFont(Font::Italic);
                continue;
            case 'r':
                pen.x = area.left;
                pen.y += lineHeight;
                indent = 0;
                continue;
            case 's':
                indent = pen.x - area.left;
                continue;
            case 't':
                // The next multiple of 25 client pixels right of the pen.
                pen.x = (pen.x + TabStep) / TabStep * TabStep;
                continue;
            default:
                break;  // drawn as it stands, a backslash included
            }
        } else if (c == Escape) {
            escaped = true;
            continue;
        }
        const int32_t width = canvas.CharWidth(c);
        if (pen.x + width > area.right) {
            // An indent that leaves the character no room (one set beyond the
            // right edge by tabs, say) gives way to the left edge.
            pen.x = area.left + indent + width <= area.right ? area.left + indent : area.left;
            pen.y += lineHeight;
            if (c == ' ')
                continue;
        }
        // Only what lies wholly inside the area is drawn: a character wider
        // than the area is not.
        if (pen.y + lineHeight <= area.bottom && pen.x + width <= area.right)
            canvas.DrawChar(pen.x, pen.y, c);
        pen.x += width;
    }
    pen.x = area.left;
    pen.y += lineHeight;
}

void DrawHelpText(Canvas& canvas, const std::vector<std::string>& lines, const Rect& area)
{
    canvas.SelectFont(Font::Normal);
    Point pen = {area.left, area.top};
    for (const std::string& line : lines) {
        // Heights are never negative: below the bottom the pen stays below it.
        if (pen.y > area.bottom)
            break;
        DrawHelpLine(canvas, line, area, pen);
    }
}

std::vector<std::string> SplitLines(const std::string& text)
{
    // Read as Windows reads a text file: the DOS end-of-file mark ends it
    // (editors of the time still wrote one, some padded the file with them),
    // and CR LF reads as LF while a CR on its own stays.
    std::string::size_type size = text.find('\x1A');
    if (size == std::string::npos)
        size = text.size();
    std::vector<std::string> lines;
    std::string::size_type start = 0;
    while (start < size) {
        std::string::size_type end = text.find('\n', start);
        const bool ended = end < size;
        if (!ended)
            end = size;
        std::string line = text.substr(start, end - start);
        if (ended && !line.empty() && line.back() == '\r')
            line.pop_back();
        lines.push_back(line);
        start = end + 1;
    }
    return lines;
}

}  // namespace help
