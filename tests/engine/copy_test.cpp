// The copy run over install lists, in a scratch source and install directory.
#include "Copy.h"
#include "Tables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

class FakeCopyHost : public CopyHost {
public:
    void ShowMessage(const std::string& text, unsigned style) override
    {
        messages.push_back((style == InformationBox ? "i " : "- ") + text);
    }
    void StepProgress() override { ++steps; }
    void EndWaitCursor() override { ++cursorEnds; }
    bool ComponentChecked(int) override { return checked; }

    Strings messages;
    int steps = 0;
    int cursorEnds = 0;
    bool checked = true;
};

class CopyRunTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        root_ = fs::current_path() / (std::string("copy_") + info->name());
        fs::remove_all(root_);
        fs::create_directories(root_ / "cd");
        fs::create_directories(root_ / "DemoMB");
        source_ = Native(root_ / "cd");
        target_ = Native(root_ / "DemoMB");
    }
    void TearDown() override { fs::remove_all(root_); }

    // Directory texts end with the separator the installer joins names with.
    static std::string Native(const fs::path& dir)
    {
#ifdef _WIN32
        return dir.string() + "\\";
#else
        return dir.string() + "/";
#endif
    }
    void Put(const std::string& name, const std::string& bytes)
    {
        fs::path path = root_ / "cd" / name;
        fs::create_directories(path.parent_path());
        std::ofstream(path, std::ios::binary) << bytes;
    }
    std::string Installed(const std::string& name) const
    {
        std::ifstream in(root_ / "DemoMB" / name, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }
    bool IsInstalled(const std::string& name) const { return fs::exists(root_ / "DemoMB" / name); }

    CopyRun Run() { return CopyRun(host_, source_, target_, done_, current_); }

    fs::path root_;
    std::string source_, target_;
    FakeCopyHost host_;
    int32_t done_ = -1, current_ = -1;
};

TEST_F(CopyRunTest, ListCarriedOutLineByLine)
{
    Put("Brumaria.EXE", std::string(1000, 'b'));
    Put("Readme.txt", "leame");
    Put("DATOS/CONFIG.INI", "[Juego]");
    Put("MUSICA/INTRO.MID", "midi");
    Put("MUSICA/.indice", "no");
    Put("MUSICA/TEMAS/BRUMA.MID", "bruma");
    Put("MUSICA/.oculto/x", "no");
    Put("INST_100.NFO", "* comentario\r\n\r\n  D DATOS  \r\nd datos\r\nF Brumaria.EXE\r\n"
                        "f Readme.txt > LEEME.TXT\r\nF DATOS\\CONFIG.INI\r\nX MUSICA\r\nQ nada\r\n");
    Run().InstallComponents();

    EXPECT_TRUE(host_.messages.empty()) << host_.messages[0];
    EXPECT_EQ(std::string(1000, 'b'), Installed("Brumaria.EXE"));
    EXPECT_EQ("leame", Installed("LEEME.TXT"));
    EXPECT_FALSE(IsInstalled("Readme.txt"));
    EXPECT_EQ("[Juego]", Installed("DATOS/CONFIG.INI"));
    EXPECT_EQ("midi", Installed("MUSICA/INTRO.MID"));
    EXPECT_EQ("bruma", Installed("MUSICA/TEMAS/BRUMA.MID"));
    EXPECT_FALSE(IsInstalled("MUSICA/.indice"));
    EXPECT_FALSE(IsInstalled("MUSICA/.oculto"));
    EXPECT_EQ(1000 + 5 + 7 + 4 + 5, done_);
    EXPECT_EQ(0, current_);
    EXPECT_EQ(0, host_.cursorEnds);
}

// The progress bar ends full: what the copy run adds to DoneBytes is what the
// size pass counted for the same list.
TEST_F(CopyRunTest, DoneBytesReachTheListedSize)
{
    struct Sizes : SizeHost {
        void ShowMessage(const std::string&, unsigned) override {}
        void RepaintProgress() override {}
        void SetProgressPosition(int) override {}
        uint32_t ScanArchive(const std::string&) override { return 0; }
    } sizeHost;
    Put("Brumaria.EXE", std::string(70000, 'b'));
    Put("Texto.txt", "texto");
    Put("MUSICA/UNO.MID", std::string(65536, 'u'));
    Put("MUSICA/.indice", "no");
    Put("MUSICA/SUB/DOS.MID", "dos");
    Put("INST_100.NFO", "D DATOS\nF Brumaria.EXE\nF Texto.txt > AYUDA.TXT\nX MUSICA\n");
    const uint32_t listed = SizePass(sizeHost, source_).GetListSize(source_ + "INST_100.NFO", false);
    Run().InstallComponents();
    EXPECT_EQ(70000u + 5u + 65536u + 3u, listed);
    EXPECT_EQ(static_cast<int32_t>(listed), done_);
    EXPECT_EQ(0, current_);
}

TEST_F(CopyRunTest, FailuresAreReportedAndTheRunGoesOn)
{
    Put("Brumaria.EXE", "juego");
    Put("VACIO/SUB/.nada", "");
    Put("INST_100.NFO", "F Brumaria.EXE > NOHAY\\Brumaria.EXE\nF FALTA.EXE\nX VACIO\nX NOEXISTE\nF Brumaria.EXE\n");
    Run().InstallComponents();
    EXPECT_EQ(Strings({"i Error copiando fichero: " + source_ + "Brumaria.EXE",
                       "i Error copiando fichero: " + source_ + "FALTA.EXE",
                       "i No es posible abrir el fichero " + source_ + "FALTA.EXE, error = 0\n",
                       "i ERROR al instalar el fichero INST_100.NFO"}),
              host_.messages);
    EXPECT_EQ("juego", Installed("Brumaria.EXE"));
    EXPECT_EQ(1, host_.cursorEnds);
    EXPECT_EQ(10, done_);  // the failed copy still counts its source
}

TEST_F(CopyRunTest, TreeFileThatCannotBeCopiedIsReportedWithoutIcon)
{
    Put("MUSICA/UNO.MID", "uno");
    Put("MUSICA/DOS.MID", "dos");
    fs::create_directories(root_ / "DemoMB" / "MUSICA" / "DOS.MID");  // in the way
    Put("INST_100.NFO", "X MUSICA\n");
    EXPECT_TRUE(Run().InstallFromList("INST_100.NFO"));
    EXPECT_EQ(Strings({"- Error copiando fichero: " + source_ + "MUSICA\\DOS.MID"}), host_.messages);
    EXPECT_EQ("uno", Installed("MUSICA/UNO.MID"));
}

TEST_F(CopyRunTest, UncheckedComponentIsNotRead)
{
    host_.checked = false;
    Run().InstallComponents();
    EXPECT_TRUE(host_.messages.empty());
    EXPECT_EQ(0, done_);
}

// Every line but blank ones and comments steps the progress once, also one
// of an unknown kind or too short to hold a name, which does nothing else.
TEST_F(CopyRunTest, UnknownLinesOnlyStepTheProgress)
{
    Put("INST_100.NFO", "* comentario\r\n\r\nQ nada\r\n  Z  \r\nD\r\nD DATOS\r\n");
    host_.steps = 0;
    EXPECT_TRUE(Run().InstallFromList("INST_100.NFO"));
    EXPECT_TRUE(host_.messages.empty());
    EXPECT_EQ(4, host_.steps);
    EXPECT_TRUE(fs::is_directory(root_ / "DemoMB" / "DATOS"));
}

TEST_F(CopyRunTest, ListThatCannotBeOpened)
{
    EXPECT_FALSE(Run().InstallFromList("NOHAY.NFO"));
    EXPECT_EQ(Strings({"i No es posible abrir el fichero " + source_ + "NOHAY.NFO, error = 2\n"}), host_.messages);
}

TEST_F(CopyRunTest, BlocksOfOneFile)
{
    CopyRun run = Run();
    const struct {
        std::size_t size;
        int steps;
    } cases[] = {{0, 1}, {1, 1}, {65535, 1}, {65536, 2}, {65537, 2}, {200000, 4}};
    for (const auto& c : cases) {
        std::string data(c.size, 'x');
        for (std::size_t i = 0; i < c.size; i += 97)
            data[i] = static_cast<char>(i);
        Put("F.DAT", data);
        std::ofstream(root_ / "DemoMB" / "F.DAT", std::ios::binary) << "old contents, to be overwritten";
        host_.steps = 0;
        EXPECT_TRUE(run.CopyOneFile(source_ + "F.DAT", target_ + "F.DAT", true)) << c.size;
        EXPECT_EQ(data, Installed("F.DAT")) << c.size;
        EXPECT_EQ(c.steps, host_.steps) << c.size;
        EXPECT_EQ(0, current_);
    }
    host_.steps = 0;
    EXPECT_TRUE(run.CopyOneFile(source_ + "F.DAT", target_ + "G.DAT", false));
    EXPECT_EQ(0, host_.steps);
    EXPECT_FALSE(run.CopyOneFile(source_ + "NOHAY.DAT", target_ + "H.DAT", false));
    EXPECT_FALSE(IsInstalled("H.DAT"));
}

// A line whose names lead out of the install directory (or the source
// directory) is reported and nothing of it is done; the rest of the list
// still runs, and the list fails. Only the scratch directory's own folders
// are there at the end, and a file outside keeps its contents.
TEST_F(CopyRunTest, LinesLeadingOutAreRefused)
{
    Put("Readme.txt", "leame");
    Put("x", "equis");
    Put("MUSICA/UNO.MID", "uno");
    fs::create_directories(root_ / "windows");
    std::ofstream(root_ / "windows" / "win.ini", std::ios::binary) << "[windows]\r\n";
    std::ofstream(root_ / "secreto.txt", std::ios::binary) << "secreto";
    Put("INST_100.NFO", "D DATOS\r\n"
                        "F Readme.txt > ..\\ESCAPED.TXT\r\n"
                        "F x > DATOS\\..\\..\\TOP.TXT\r\n"
                        "F Readme.txt > ..\\windows\\win.ini\r\n"
                        "F Readme.txt > ../windows/win.ini\r\n"
                        "F Readme.txt > .. \\ESCAPED2.TXT\r\n"
                        "F ..\\secreto.txt > SECRETO.TXT\r\n"
                        "D ..\\FUERA\r\n"
                        "  x ..\\cd\\MUSICA  \r\n"
                        "F Readme.txt > NUL\r\n"
                        "F Readme.txt\r\n");
    host_.steps = 0;
    Run().InstallComponents();

    EXPECT_EQ(Strings({"i ERROR->F Readme.txt > ..\\ESCAPED.TXT", "i ERROR->F x > DATOS\\..\\..\\TOP.TXT",
                       "i ERROR->F Readme.txt > ..\\windows\\win.ini", "i ERROR->F Readme.txt > ../windows/win.ini",
                       "i ERROR->F Readme.txt > .. \\ESCAPED2.TXT", "i ERROR->F ..\\secreto.txt > SECRETO.TXT",
                       "i ERROR->D ..\\FUERA", "i ERROR->x ..\\cd\\MUSICA", "i ERROR->F Readme.txt > NUL",
                       "i ERROR al instalar el fichero INST_100.NFO"}),
              host_.messages);
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(root_))
        names.insert(entry.path().filename().string());
    EXPECT_EQ(std::set<std::string>({"DemoMB", "cd", "secreto.txt", "windows"}), names);
    std::ifstream in(root_ / "windows" / "win.ini", std::ios::binary);
    EXPECT_EQ("[windows]\r\n", std::string(std::istreambuf_iterator<char>(in), {}));
    EXPECT_FALSE(IsInstalled("SECRETO.TXT"));
    EXPECT_FALSE(IsInstalled("NUL"));
    EXPECT_EQ("leame", Installed("Readme.txt"));
    EXPECT_EQ(11 + 1, host_.steps);  // one per line, and one for the copied file's block
    EXPECT_EQ(5, done_);
}

#ifndef _WIN32
// A tree entry named as a device (such names exist only off Windows) is
// reported as a file that could not be copied and is left alone; the tree
// still counts it.
TEST_F(CopyRunTest, TreeEntriesNamedAsDevicesAreNotCopied)
{
    Put("MUSICA/UNO.MID", "uno");
    Put("MUSICA/LPT1", "impresora");
    Put("MUSICA/nul.txt", "nada");
    Put("MUSICA/AUX/X.MID", "x");
    Put("INST_100.NFO", "X MUSICA\n");
    done_ = 0;
    EXPECT_TRUE(Run().InstallFromList("INST_100.NFO"));
    std::sort(host_.messages.begin(), host_.messages.end());
    EXPECT_EQ(Strings({"- Error copiando fichero: " + source_ + "MUSICA\\AUX",
                       "- Error copiando fichero: " + source_ + "MUSICA\\LPT1",
                       "- Error copiando fichero: " + source_ + "MUSICA\\nul.txt"}),
              host_.messages);
    EXPECT_EQ("uno", Installed("MUSICA/UNO.MID"));
    EXPECT_FALSE(IsInstalled("MUSICA/LPT1"));
    EXPECT_FALSE(IsInstalled("MUSICA/nul.txt"));
    EXPECT_FALSE(IsInstalled("MUSICA/AUX"));
    EXPECT_EQ(3, done_);
}

// A source that opens but cannot be read (here a directory) fails the copy
// instead of leaving an empty file reported as copied.
TEST_F(CopyRunTest, ReadErrorIsNotTheEndOfTheFile)
{
    fs::create_directories(root_ / "cd" / "RAYADO.DAT");
    EXPECT_FALSE(Run().CopyOneFile(source_ + "RAYADO.DAT", target_ + "RAYADO.DAT", true));
}
#endif

}  // namespace
