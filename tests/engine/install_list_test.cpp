// What an install list line may name: paths that stay below their directory
// as Windows resolves them, and nothing else.
#include "InstallList.h"
#include "PathNames.h"

#include <gtest/gtest.h>

#include <string>

namespace {

TEST(PathNames, StaysBelow)
{
    const struct {
        const char* path;
        bool below;
    } cases[] = {
        {"Readme.txt", true},
        {"DATOS\\CONFIG.INI", true},
        {"DATOS/CONFIG.INI", true},
        {"DATOS\\", true},
        {"DATOS\\\\CONFIG.INI", true},
        {".\\Readme.txt", true},
        {"DATOS\\..\\Readme.txt", true},
        {"leeme.txt  ", true},
        {"...oculto", true},
        {"CONSOLA.TXT", true},
        {"COM10", true},
        {"LPT", true},
        {"NULO\\AUXILIAR.DAT", true},
        {"\xD1u\xF1o.txt", true},
        // Up and out.
        {"..\\ESCAPED.TXT", false},
        {"DATOS\\..\\..\\..\\..\\TOP.TXT", false},
        {"..\\windows\\win.ini", false},
        {"../windows/win.ini", false},
        {"DATOS/../../TOP.TXT", false},
        {"DATOS\\..\\..\\DemoMB\\X", false},  // out for a moment is out
        {"..", false},
        {"..\\", false},
        // Trailing dots and spaces that make "..", and Windows 95's "...".
        {".. \\TOP.TXT", false},
        {"..  ", false},
        {". .\\TOP.TXT", false},
        {"...\\TOP.TXT", false},
        {"....", false},
        {"DATOS\\ \\X", false},
        // The root, a drive, a share, a stream.
        {"\\TOP.TXT", false},
        {"/TOP.TXT", false},
        {"\\\\servidor\\recurso\\X", false},
        {"C:TOP.TXT", false},
        {"C:\\TOP.TXT", false},
        {"Readme.txt:oculto", false},
        // Devices, in any component, with any extension.
        {"NUL", false},
        {"con.txt", false},
        {"DATOS\\AUX", false},
        {"lpt1 .txt", false},
        {"Com9", false},
        {"COM\xB9", false},
        {"LPT\xB3.DAT", false},
        {"clock$", false},
        {"CONOUT$\\X", false},
        // Characters no Windows name holds.
        {"a*b", false},
        {"a?b", false},
        {"a|b", false},
        {"a\"b", false},
        {"a<b", false},
        {"B > C", false},
        {"a\tb", false},
        // Nothing below the directory itself.
        {"", false},
        {".", false},
        {"DATOS\\..", false},
        {"\\", false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.below, paths::StaysBelow(c.path)) << '"' << c.path << '"';
}

TEST(InstallList, NamesOfEachLine)
{
    using installlist::Kind;
    const struct {
        const char* line;
        Kind size;
        Kind copy;
        const char* source;
        const char* target;
    } cases[] = {
        {"F Readme.txt", Kind::File, Kind::File, "Readme.txt", "Readme.txt"},
        {"F Texto.txt > DOCS\\AYUDA.TXT", Kind::File, Kind::File, "Texto.txt", "DOCS\\AYUDA.TXT"},
        {"D DATOS\\SUB", Kind::Directory, Kind::Directory, "DATOS\\SUB", "DATOS\\SUB"},
        {"X MUSICA", Kind::Tree, Kind::Tree, "MUSICA", "MUSICA"},
        {"  x musica  ", Kind::Error, Kind::Tree, "musica", "musica"},
        // Either name leading out refuses the line in both passes.
        {"F Readme.txt > ..\\ESCAPED.TXT", Kind::Error, Kind::Error, "", ""},
        {"F x > DATOS\\..\\..\\..\\..\\TOP.TXT", Kind::Error, Kind::Error, "", ""},
        {"F Readme.txt > ..\\windows\\win.ini", Kind::Error, Kind::Error, "", ""},
        {"F ..\\..\\WINDOWS\\WIN.INI > COPIA.INI", Kind::Error, Kind::Error, "", ""},
        {"F COM1 > DATOS.BIN", Kind::Error, Kind::Error, "", ""},
        {"F Readme.txt > LPT1", Kind::Error, Kind::Error, "", ""},
        {"D ..\\FUERA", Kind::Error, Kind::Error, "", ""},
        {"d \\FUERA", Kind::Error, Kind::Error, "", ""},
        {"X ..", Kind::Error, Kind::Error, "", ""},
        {"X C:\\WINDOWS", Kind::Error, Kind::Error, "", ""},
        {"F A > B > C", Kind::Error, Kind::Error, "", ""},  // only the first " > " splits
        {"F  > X", Kind::Error, Kind::Error, "", ""},
        // Kinds the copy pass does nothing with are not checked.
        {"Q ..\\FUERA", Kind::Error, Kind::Other, "", ""},
    };
    for (const auto& c : cases) {
        installlist::Names forSize, forCopy;
        EXPECT_EQ(c.size, installlist::ClassifyForSize(c.line, forSize)) << c.line;
        EXPECT_EQ(c.copy, installlist::ClassifyForCopy(c.line, forCopy)) << c.line;
        if (c.copy == Kind::Error || c.copy == Kind::Other)
            continue;
        EXPECT_EQ(c.source, forCopy.source) << c.line;
        EXPECT_EQ(c.target, forCopy.target) << c.line;
    }
}

}  // namespace
