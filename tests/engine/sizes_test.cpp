// Install lists and the size pass, on files in a scratch source directory.
#include "InstallList.h"
#include "Sizes.h"
#include "Tables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

TEST(InstallList, SizePassTakesLinesAsRead)
{
    using installlist::Kind;
    const struct {
        const char* line;
        Kind kind;
        const char* name;
    } cases[] = {
        {"", Kind::Skip, ""},
        {"* comentario", Kind::Skip, ""},
        {"*", Kind::Skip, ""},
        {"D DATOS", Kind::Directory, "DATOS"},
        {"d datos\\sub", Kind::Directory, "datos\\sub"},
        {"F Brumaria.EXE", Kind::File, "Brumaria.EXE"},
        {"f leeme.txt ", Kind::File, "leeme.txt "},          // trailing spaces stay
        {"F LEEME.TXT > DOCS\\LEEME.TXT", Kind::File, "LEEME.TXT"},  // the source of a rename
        {"X MUSICA", Kind::Tree, "MUSICA"},
        {"x musica", Kind::Tree, "musica"},
        {"F", Kind::Error, ""},
        {"F ", Kind::Error, ""},
        {"FX", Kind::Error, ""},
        {"FBrumaria.EXE", Kind::Error, ""},
        {"F  Brumaria.EXE", Kind::Error, ""},
        {" F Brumaria.EXE", Kind::Error, ""},
        {"Z DATOS", Kind::Error, ""},
        {"\tF x", Kind::Error, ""},
    };
    for (const auto& c : cases) {
        installlist::Names names;
        EXPECT_EQ(c.kind, installlist::ClassifyForSize(c.line, names)) << '"' << c.line << '"';
        if (c.kind != Kind::Skip && c.kind != Kind::Error) {
            EXPECT_EQ(c.name, names.source) << c.line;
        }
    }
}

TEST(InstallList, LinesEndAtLfOrCrLf)
{
    const std::string path = (fs::temp_directory_path() / "installlist_lines.txt").string();
    std::ofstream(path, std::ios::binary) << "F a\r\nF b\nF c\r\r\n\nF d";
    std::FILE* file = std::fopen(path.c_str(), "rb");
    ASSERT_NE(nullptr, file);
    Strings lines;
    std::string line;
    while (installlist::ReadLine(file, line))
        lines.push_back(line);
    std::fclose(file);
    fs::remove(path);
    EXPECT_EQ(Strings({"F a", "F b", "F c\r", "", "F d"}), lines);
}

class FakeHost : public SizeHost {
public:
    void ShowMessage(const std::string& text, unsigned style) override
    {
        messages.push_back((style == InformationBox ? "i " : "- ") + text);
    }
    void RepaintProgress() override { ++repaints; }
    void SetProgressPosition(int position) override { positions.push_back(position); }
    uint32_t ScanArchive(const std::string& path) override
    {
        scanned.push_back(path);
        return archiveSize;
    }
    Strings messages;
    Strings scanned;
    std::vector<int> positions;
    int repaints = 0;
    uint32_t archiveSize = 777;
};

// A source directory with a few files; paths inside it use "\" as the
// installer's do.
class SizePassTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        root_ = fs::current_path() / (std::string("sizes_") + info->name());
        fs::remove_all(root_);
        fs::create_directories(root_);
        source_ = root_.string() + "\\";
#ifndef _WIN32
        source_ = root_.string() + "/";
#endif
        Put("Brumaria.EXE", 1000);
        Put("LEEME.TXT", 200);
        Put("MUSICA/uno.mid", 30);
        Put("MUSICA/.oculto", 4000);
        Put("MUSICA/sub/dos.mid", 5);
        Put("MUSICA/sub/.git/x", 6000);
        ComponentTable[0].size = 0;
        sLZH[0].size = 0;
    }
    void TearDown() override { fs::remove_all(root_); }

    void Put(const std::string& name, std::size_t size)
    {
        fs::path path = root_ / name;
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << std::string(size, 'x');
    }
    void PutText(const std::string& name, const std::string& text)
    {
        std::ofstream(root_ / name, std::ios::binary) << text;
    }
    fs::path root_;
    std::string source_;
    FakeHost host_;
};

TEST_F(SizePassTest, GoodListSumsFilesAndTrees)
{
    SizePass pass(host_, source_);
    PutText("INST_100.NFO", "* lista\r\n\r\nD DATOS\r\nF Brumaria.EXE\r\nf LEEME.TXT > DOCS\\LEEME.TXT\r\nX MUSICA\r\n");
    EXPECT_EQ(1000u + 200u + 30u + 5u, pass.GetListSize(source_ + "INST_100.NFO", true));
    EXPECT_TRUE(host_.messages.empty()) << host_.messages[0];
    // One repaint per file sized at the top of a tree or named by the list:
    // files in subdirectories of a tree do not repaint.
    EXPECT_EQ(3, host_.repaints);
}

TEST_F(SizePassTest, EveryBadLineIsReportedAndTheListCountsZero)
{
    SizePass pass(host_, source_);
    PutText("INST_100.NFO", "F Brumaria.EXE\nFBrumaria.EXE\nF  LEEME.TXT\n  F LEEME.TXT\nQ algo\nF\n");
    EXPECT_EQ(0u, pass.GetListSize(source_ + "INST_100.NFO", false));
    EXPECT_EQ(Strings({"i ERROR->FBrumaria.EXE", "i ERROR->F  LEEME.TXT", "i ERROR->  F LEEME.TXT",
                       "i ERROR->Q algo", "i ERROR->F", "i Se ha producido un error durante la instalación."}),
              host_.messages);
}

// A line that leads out of the source or the install directory is a bad
// line like any other.
TEST_F(SizePassTest, LinesLeadingOutAreBadLines)
{
    SizePass pass(host_, source_);
    PutText("INST_100.NFO", "F LEEME.TXT > ..\\ESCAPED.TXT\nD ..\\FUERA\nX MUSICA\\..\\..\nF Brumaria.EXE\n");
    EXPECT_EQ(0u, pass.GetListSize(source_ + "INST_100.NFO", false));
    EXPECT_EQ(Strings({"i ERROR->F LEEME.TXT > ..\\ESCAPED.TXT", "i ERROR->D ..\\FUERA", "i ERROR->X MUSICA\\..\\..",
                       "i Se ha producido un error durante la instalación."}),
              host_.messages);
}

#ifndef _WIN32
// A tree entry named as a device is reported as a file without status and
// adds nothing (such names exist only off Windows).
TEST_F(SizePassTest, TreeEntriesNamedAsDevicesCountNothing)
{
    Put("MUSICA/PRN", 700);
    Put("MUSICA/CON/x", 800);
    SizePass pass(host_, source_);
    PutText("INST_100.NFO", "X MUSICA\n");
    EXPECT_EQ(30u + 5u, pass.GetListSize(source_ + "INST_100.NFO", false));
    std::sort(host_.messages.begin(), host_.messages.end());
    EXPECT_EQ(Strings({"i No es posible abrir el fichero " + source_ + "MUSICA\\CON, error = 0\n",
                       "i No es posible abrir el fichero " + source_ + "MUSICA\\PRN, error = 0\n"}),
              host_.messages);
}
#endif

// Sums that would pass the signed 32-bit counters stop at MaxBytes, also
// with a file of 4 GB or more, whose length is not its low 32 bits.
TEST_F(SizePassTest, TotalsStopAtTheCountersLimit)
{
    const struct {
        const char* what;
        std::vector<uintmax_t> sizes;
        uint32_t total;
    } cases[] = {
        {"just below", {0x7FFFFFF0u, 0x0Eu}, 0x7FFFFFFEu},
        {"two of 1.5 GB", {1610612736u, 1610612736u}, uint32_t(MaxBytes)},
        {"4 GB and 5 bytes", {0x100000005u}, uint32_t(MaxBytes)},
        {"three of 2 GB", {0x80000000u, 0x80000000u, 0x80000000u}, uint32_t(MaxBytes)},
    };
    for (const auto& c : cases) {
        fs::remove_all(root_ / "GRANDE");
        fs::create_directories(root_ / "GRANDE");
        std::string list;
        for (std::size_t i = 0; i < c.sizes.size(); i++) {
            const std::string name = "G" + std::to_string(i) + ".DAT";
            std::ofstream(root_ / "GRANDE" / name).close();
            fs::resize_file(root_ / "GRANDE" / name, c.sizes[i]);  // sparse: takes no room
            list += "F GRANDE\\" + name + "\n";
        }
        PutText("INST_100.NFO", list);
        EXPECT_EQ(c.total, SizePass(host_, source_).GetListSize(source_ + "INST_100.NFO", false)) << c.what;
        EXPECT_EQ(c.total, SizePass(host_, source_).GetTreeSize(source_ + "GRANDE", false)) << c.what;
    }
    fs::remove_all(root_ / "GRANDE");
    EXPECT_TRUE(host_.messages.empty()) << host_.messages[0];
}

TEST_F(SizePassTest, MissingFilesAndTrees)
{
    SizePass pass(host_, source_);
    PutText("INST_100.NFO", "F NOESTA.EXE\nX NOHAY\nF LEEME.TXT\n");
    EXPECT_EQ(200u, pass.GetListSize(source_ + "INST_100.NFO", false));
    EXPECT_EQ(Strings({"i No es posible abrir el fichero " + source_ + "NOESTA.EXE, error = 0\n"}), host_.messages);
}

TEST_F(SizePassTest, ListThatCannotBeOpened)
{
    SizePass pass(host_, source_);
    EXPECT_EQ(0u, pass.GetListSize(source_ + "NINGUNA.NFO", true));
    EXPECT_EQ(Strings({"- No es posible abrir el fichero " + source_ + "NINGUNA.NFO, error = 2\n"}), host_.messages);
}

TEST_F(SizePassTest, SizeFileIsReadWrittenOrLeftAlone)
{
    const std::string sizeFile = (root_ / "Longitud.dat").string();
    auto sizeFileBytes = [&] {
        std::ifstream in(sizeFile, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    };
    PutText("INST_100.NFO", "F Brumaria.EXE\n");

    // Missing: computed, then written for the next start.
    SizePass(host_, source_).LoadSizeTable();
    EXPECT_EQ(1000, ComponentTable[0].size);
    EXPECT_EQ(777, sLZH[0].size);
    EXPECT_EQ(Strings({source_ + "Resource.lzh"}), host_.scanned);
    EXPECT_EQ(std::string("\xE8\x03\0\0\x09\x03\0\0", 8), sizeFileBytes());

    // Eight bytes: taken as they are, nothing computed or rewritten.
    PutText("Longitud.dat", std::string("\x01\x02\0\0\x03\x04\0\0", 8));
    host_.scanned.clear();
    host_.positions.clear();
    SizePass(host_, source_).LoadSizeTable();
    EXPECT_EQ(0x0201, ComponentTable[0].size);
    EXPECT_EQ(0x0403, sLZH[0].size);
    EXPECT_TRUE(host_.scanned.empty());
    EXPECT_EQ(std::vector<int>({0, 1}), host_.positions);

    // Four bytes: the archive keeps its size from before; nothing rewritten.
    ComponentTable[0].size = 0;
    sLZH[0].size = 0;
    PutText("Longitud.dat", std::string("\x05\0\0\0", 4));
    SizePass(host_, source_).LoadSizeTable();
    EXPECT_EQ(5, ComponentTable[0].size);
    EXPECT_EQ(0, sLZH[0].size);
    EXPECT_EQ(4u, sizeFileBytes().size());

    // Empty: both stay as they were.
    PutText("Longitud.dat", "");
    SizePass(host_, source_).LoadSizeTable();
    EXPECT_EQ(5, ComponentTable[0].size);
    EXPECT_TRUE(host_.scanned.empty());
    EXPECT_TRUE(host_.messages.empty());
}

TEST_F(SizePassTest, SizeFileThatCannotBeWrittenIsNotReported)
{
    // A directory in its place stands for a read-only CD.
    fs::create_directory(root_ / "Longitud.dat");
    PutText("INST_100.NFO", "F LEEME.TXT\n");
    SizePass(host_, source_).LoadSizeTable();
    EXPECT_EQ(200, ComponentTable[0].size);
    EXPECT_EQ(777, sLZH[0].size);
    EXPECT_TRUE(host_.messages.empty());
    EXPECT_TRUE(fs::is_directory(root_ / "Longitud.dat"));
}

TEST(SelectedBytes, CheckedComponentsAndEveryArchive)
{
    ComponentTable[0].size = 1000;
    sLZH[0].size = 24;
    EXPECT_EQ(1024, SelectedBytes([](int) { return true; }));
    EXPECT_EQ(24, SelectedBytes([](int) { return false; }));
}

// Never a negative or a wrapped total: 2 GB and more stop at MaxBytes, and a
// negative size (a damaged size file) counts as past it.
TEST(SelectedBytes, TotalsStopAtTheCountersLimit)
{
    const struct {
        int32_t component, archive;
        int32_t checked, unchecked;
    } cases[] = {
        {2000000000, 147483647, MaxBytes, 147483647},
        {2000000000, 147483646, MaxBytes - 1, 147483646},
        {2000000000, 200000000, MaxBytes, 200000000},
        {MaxBytes, MaxBytes, MaxBytes, MaxBytes},
        {-1, 10, MaxBytes, 10},
        {10, INT32_MIN, MaxBytes, MaxBytes},
    };
    for (const auto& c : cases) {
        ComponentTable[0].size = c.component;
        sLZH[0].size = c.archive;
        EXPECT_EQ(c.checked, SelectedBytes([](int) { return true; })) << c.component << " + " << c.archive;
        EXPECT_EQ(c.unchecked, SelectedBytes([](int) { return false; })) << c.archive;
    }
    ComponentTable[0].size = 0;
    sLZH[0].size = 0;
}

TEST(SelectedBytes, AddBytes)
{
    EXPECT_EQ(0, AddBytes(0, 0));
    EXPECT_EQ(MaxBytes, AddBytes(MaxBytes - 1, 1));
    EXPECT_EQ(MaxBytes, AddBytes(MaxBytes, 1));
    EXPECT_EQ(MaxBytes, AddBytes(1, 0xFFFFFFFFu));
    EXPECT_EQ(MaxBytes, AddBytes(0, 0x80000000u));
    EXPECT_EQ(MaxBytes, AddBytes(-5, 0));
}

}  // namespace
