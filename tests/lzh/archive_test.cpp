// The archive reader on hand-made archives: results, diagnostics,
// notifications and what lands on disk.
#include "StreamFile.h"
#include "test_util.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <string>
#include <sys/stat.h>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

using namespace lzhtest;
namespace fs = std::filesystem;
using Strings = std::vector<std::string>;

// A stored entry stamped 2001-12-07 13:33:02, "A.TXT" holding "hola" unless told.
Entry Stored(const std::string& name = "A.TXT", const std::string& data = "hola")
{
    Entry e = StoredEntry(name, Bytes(data.begin(), data.end()));
    e.dosTime = DosTime(13, 33, 2);
    e.dosDate = DosDate(2001, 12, 7);
    return e;
}

Bytes Concat(Bytes first, const Bytes& second)
{
    first.insert(first.end(), second.begin(), second.end());
    return first;
}

bool Exists(const std::string& path)
{
    std::error_code error;
    return fs::exists(fs::u8path(path), error);
}

// The file's bytes; "" when it cannot be read.
std::string Contents(const std::string& path)
{
    Bytes data;
    ReadFile(path, data);
    return std::string(data.begin(), data.end());
}

// The notifications as "begin NAME ENTRYBYTES SIZE", "end ..." and "progress DONE/TOTAL".
Strings Described(const std::vector<RecordingArchive::Event>& events)
{
    Strings out;
    for (const RecordingArchive::Event& e : events) {
        if (e.kind == 'p')
            out.push_back("progress " + std::to_string(e.a) + "/" + std::to_string(e.b));
        else
            out.push_back((e.kind == 'b' ? "begin " : "end ") + e.name + " " + std::to_string(e.a) + " " +
                          std::to_string(e.b));
    }
    return out;
}

// Every test unpacks into the sandbox's "out" with the archive beside it, so
// that anything written outside the working directory shows up in the root.
class ArchiveTest : public ::testing::Test {
protected:
    int Extract(const Bytes& bytes)
    {
        archive_ = box_.PutArchive(bytes);
        return reader.ExtractAll(archive_.c_str());
    }

    Sandbox box_;
    std::string archive_;
    RecordingArchive reader;
};

const Strings OnlyArchiveAndOut = {"out", "test.lzh"};

TEST_F(ArchiveTest, EndsWithOrWithoutZeroByte)
{
    const Entry one = Stored(), two = Stored("B.TXT", "adios");
    EXPECT_EQ(1, Extract(BuildArchive({one, two}, true)));
    EXPECT_EQ(1, Extract(BuildArchive({one, two}, false)));
    EXPECT_EQ("hola", Contents("A.TXT"));
    EXPECT_EQ("adios", Contents("B.TXT"));
    EXPECT_TRUE(reader.diagnostics.empty());
    EXPECT_EQ(9u, reader.ScanTotalSize(archive_.c_str()));
}

TEST_F(ArchiveTest, MissingOrEmptyArchive)
{
    const std::string missing = box_.RootPath("none.lzh");
    EXPECT_EQ(-2, reader.ExtractAll(missing.c_str()));
    EXPECT_EQ(0u, reader.ScanTotalSize(missing.c_str()));
    EXPECT_EQ(-2, Extract({}));
    EXPECT_TRUE(reader.diagnostics.empty());
    EXPECT_TRUE(reader.fileErrors.empty());
}

TEST_F(ArchiveTest, ZeroByteFollowedByMoreIsDamage)
{
    EXPECT_EQ(0, Extract(Concat(BuildArchive({Stored()}), BuildEntry(Stored("B.TXT")))));
    EXPECT_EQ(Strings({"Error el el fichero lzh"}), reader.diagnostics);
    EXPECT_FALSE(Exists("B.TXT"));
}

TEST_F(ArchiveTest, NotificationsCarryEntrySizes)
{
    std::string data(20000, 'x');
    for (std::size_t i = 0; i < data.size(); i += 7)
        data[i] = static_cast<char>(i);
    EXPECT_EQ(1, Extract(BuildArchive({Stored("BIG.DAT", data), Stored("VACIO.DAT", "")})));
    EXPECT_EQ(Strings({"begin BIG.DAT 20031 20000", "progress 8192/20000", "progress 16384/20000",
                       "progress 20000/20000", "end BIG.DAT 20031 20000", "begin VACIO.DAT 33 0",
                       "end VACIO.DAT 33 0"}),
              Described(reader.events));
    EXPECT_EQ(data, Contents("BIG.DAT"));
    EXPECT_TRUE(Exists("VACIO.DAT"));
    EXPECT_EQ("", Contents("VACIO.DAT"));

    // Scanning reports progress only.
    reader.events.clear();
    EXPECT_EQ(20000u, reader.ScanTotalSize(archive_.c_str()));
    EXPECT_EQ(Strings({"progress 8192/20000", "progress 16384/20000", "progress 20000/20000"}),
              Described(reader.events));
}

TEST_F(ArchiveTest, NestedNamesCreateTheirDirectories)
{
    EXPECT_EQ(1, Extract(BuildArchive({Stored("A\\B\\C.DAT")})));
    EXPECT_EQ("hola", Contents("A/B/C.DAT"));
}

TEST_F(ArchiveTest, LevelOneSkipsExtendedHeaders)
{
    const std::string data = "datos de nivel uno";
    Entry e = Stored("A.TXT", data);
    e.level = 1;
    e.extended = {ExtendedHeaderBody(7, 0x7F, 0x20), ExtendedHeaderBody(5, 0x7F, 0x20)};
    Entry plain = Stored("B.TXT");
    plain.level = 1;
    EXPECT_EQ(1, Extract(BuildArchive({e, plain})));
    EXPECT_EQ(data, Contents("A.TXT"));
    EXPECT_EQ("hola", Contents("B.TXT"));
    // entryBytes counts the extended headers, which are part of the compressed size.
    ASSERT_FALSE(reader.events.empty());
    EXPECT_EQ("begin A.TXT " + std::to_string(18 + 12 + 5 + 24) + " 18", Described(reader.events)[0]);
}

// Extended headers count towards the compressed size: when they claim more
// than it, the data's size would wrap round and every bound on reading with
// it. Such a header is damaged, before anything is created or counted.
TEST_F(ArchiveTest, ExtendedHeadersBeyondTheCompressedSize)
{
    struct Case {
        const char* what;
        std::vector<unsigned> sizes;
        uint32_t compressedSize;
    };
    const Case cases[] = {
        {"one 7-byte header in 2 bytes", {7}, 2},
        {"7 + 5 in 11 bytes", {7, 5}, 11},
        {"7 in 8 bytes, 5 more", {7, 5}, 8},
        {"far above", {300, 4000}, 64},
        {"a header of 2 bytes has no type", {2}, 64},
        {"a header of 1 byte would step back", {1}, 64},
    };
    // The writer builds headers of 3 bytes at least: smaller first sizes are
    // put into the base header afterwards.
    auto build = [](const Entry& e, unsigned firstSize) {
        Bytes bytes = BuildEntry(e);
        const unsigned h = bytes[0];
        if (firstSize < 3) {
            bytes[h] = static_cast<uint8_t>(firstSize);
            bytes[h + 1] = 0;
            unsigned sum = 0;
            for (unsigned i = 2; i < h + 2; i++)
                sum += bytes[i];
            bytes[1] = static_cast<uint8_t>(sum);
        }
        return Concat(bytes, BuildArchive({Stored()}));
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Entry e = PackedEntry("Z.BIN", "-lh5-", Bytes(64, 0), Bytes(1, 0));
        e.level = 1;
        e.size = 50000000;
        for (unsigned size : c.sizes)
            e.extended.push_back(ExtendedHeaderBody(size < 3 ? 3 : size));
        e.overrideCompressedSize = true;
        e.compressedSize = c.compressedSize;
        reader.diagnostics.clear();
        reader.events.clear();
        reader.progressLimit = 2;
        const Bytes archive = build(e, c.sizes.front());
        EXPECT_EQ(0, Extract(archive));
        EXPECT_EQ(Strings({"Error el el fichero lzh"}), reader.diagnostics);
        EXPECT_TRUE(reader.events.empty());
        EXPECT_TRUE(box_.OutFiles().empty());

        RecordingArchive scan;
        scan.progressLimit = 2;
        EXPECT_EQ(4u, scan.ScanTotalSize(archive_.c_str()));  // only the good entry after it
        RecordingArchive list;
        list.progressLimit = 2;
        EXPECT_EQ(0, list.ListAll(archive_.c_str(), false));
        EXPECT_EQ(Strings({"Error el el fichero lzh"}), list.diagnostics);
        EXPECT_EQ(0, list.ListAll(archive_.c_str(), true));
    }

    // The smallest extended header (3 bytes), and headers that use up the
    // whole compressed size, are good.
    Entry smallest = Stored("A.TXT", "");
    smallest.level = 1;
    smallest.extended = {ExtendedHeaderBody(3), ExtendedHeaderBody(7)};
    reader.progressLimit = -1;
    EXPECT_EQ(1, Extract(BuildArchive({smallest, Stored("B.TXT")})));
    EXPECT_EQ("", Contents("A.TXT"));
    EXPECT_EQ("hola", Contents("B.TXT"));
}

// A stored entry's bytes come from its own data: one whose stated size
// exceeds its compressed size fails instead of reading the next entry.
TEST_F(ArchiveTest, StoredEntryLargerThanItsData)
{
    Entry e = Stored("A.TXT", "hola");
    e.size = 4 + 30;
    EXPECT_EQ(0, Extract(BuildArchive({e, Stored("B.TXT", "0123456789012345678901234567890123456789")})));
    EXPECT_EQ(Strings({"Can't read"}), reader.diagnostics);
    EXPECT_EQ("", Contents("A.TXT"));
}

TEST_F(ArchiveTest, StampIsTheStoredTimeWithoutZoneConversion)
{
    Entry e = Stored();
    e.dosTime = DosTime(13, 33, 2);
    e.dosDate = DosDate(2001, 12, 7);
    EXPECT_EQ(1, Extract(BuildArchive({e})));
#ifdef _WIN32
    HANDLE file = CreateFileA("A.TXT", GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr);
    ASSERT_NE(INVALID_HANDLE_VALUE, file);
    FILETIME written;
    ASSERT_TRUE(GetFileTime(file, nullptr, nullptr, &written));
    CloseHandle(file);
    SYSTEMTIME st;
    ASSERT_TRUE(FileTimeToSystemTime(&written, &st));
    EXPECT_EQ(2001, st.wYear);
    EXPECT_EQ(12, st.wMonth);
    EXPECT_EQ(7, st.wDay);
    EXPECT_EQ(13, st.wHour);
    EXPECT_EQ(33, st.wMinute);
    EXPECT_EQ(2, st.wSecond);
#else
    struct stat st;
    ASSERT_EQ(0, stat("A.TXT", &st));
    EXPECT_EQ(1007731982LL, static_cast<long long>(st.st_mtime));  // 2001-12-07 13:33:02 UTC
#endif
}

TEST_F(ArchiveTest, UnknownMethodLeavesAnEmptyFile)
{
    for (const char* method : {"-lh6-", "-lh1-", "-lhd-", "-LH5-", "-lz5-"}) {
        reader.diagnostics.clear();
        reader.events.clear();
        Entry e = Stored();
        e.method = method;
        EXPECT_EQ(0, Extract(BuildArchive({e}))) << method;
        EXPECT_EQ(Strings({"Unknown method: " + std::to_string(static_cast<unsigned char>(method[3]))}),
                  reader.diagnostics)
            << method;
        EXPECT_EQ(2u, reader.events.size()) << method;  // begin and end
        EXPECT_TRUE(Exists("A.TXT")) << method;
        EXPECT_EQ("", Contents("A.TXT")) << method;
    }
}

TEST_F(ArchiveTest, LaterEntriesAreLeftAloneAfterAFailure)
{
    Entry bad = Stored();
    const uint16_t right = bad.crc;
    bad.crc = static_cast<uint16_t>(right + 1);
    EXPECT_EQ(0, Extract(BuildArchive({bad, Stored("B.TXT")})));
    char expected[80];
    std::snprintf(expected, sizeof expected, "CheckSum Incorrecto. Original: %x, Final: %x", right, bad.crc);
    EXPECT_EQ(Strings({expected}), reader.diagnostics);
    EXPECT_EQ("hola", Contents("A.TXT"));  // left in place
    EXPECT_FALSE(Exists("B.TXT"));
}

TEST_F(ArchiveTest, HeaderSumErrors)
{
    Entry bad = Stored();
    bad.headerSumDelta = 1;
    const Entry good = Stored("B.TXT");
    EXPECT_EQ(0, Extract(Concat(BuildEntry(bad), BuildArchive({good}))));
    EXPECT_EQ(Strings({"Header sum error", "Error el el fichero lzh"}), reader.diagnostics);

    // A bad sum on a header that nothing follows reads as the end of the archive.
    reader.diagnostics.clear();
    Entry badEmpty = Stored("A.TXT", "");
    badEmpty.headerSumDelta = 1;
    EXPECT_EQ(1, Extract(Concat(BuildArchive({good}, false), BuildEntry(badEmpty))));
    EXPECT_EQ(Strings({"Header sum error"}), reader.diagnostics);
}

TEST_F(ArchiveTest, TruncatedArchives)
{
    const Bytes whole = BuildArchive({Stored("A.TXT", std::string(3000, 'z'))}, false);
    // Cut inside the header, and inside the data.
    for (std::size_t cut : {std::size_t(1), std::size_t(2), std::size_t(10), whole.size() - 3000 - 1,
                            whole.size() - 1500, whole.size() - 1}) {
        reader.diagnostics.clear();
        Bytes part(whole.begin(), whole.begin() + static_cast<long>(cut));
        EXPECT_EQ(0, Extract(part)) << "cut at " << cut;
        if (cut < whole.size() - 3000)
            EXPECT_EQ(Strings({"No pude leer correctamente.", "Error el el fichero lzh"}), reader.diagnostics)
                << "cut at " << cut;
        else
            EXPECT_EQ(Strings({"Can't read"}), reader.diagnostics) << "cut at " << cut;
    }
}

// A run of bytes read at once ends as byte reads do: the bytes there are,
// then a failure (kind 1, the file closed) only when the next byte is asked
// for; a file already at its end gives nothing without failing again.
TEST_F(ArchiveTest, ByteRunsEndLikeSingleBytes)
{
    const std::string path = box_.PutArchive(Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9, 10});
    for (bool runs : {false, true}) {
        SCOPED_TRACE(runs ? "runs" : "bytes");
        RecordingArchive owner;
        StreamFile file;
        file.notify = true;
        file.owner = &owner;
        ASSERT_TRUE(file.Open(path.c_str(), StreamFile::ReadMode));
        Bytes got;
        uint8_t run[8];
        while (got.size() < 10 && file.usable) {
            if (runs) {
                const uint32_t n = file.GetBytes(run, 4);
                got.insert(got.end(), run, run + n);
            } else {
                got.push_back(static_cast<uint8_t>(file.GetByte()));
            }
        }
        EXPECT_EQ((Bytes{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}), got);
        EXPECT_TRUE(file.usable);
        EXPECT_TRUE(owner.fileErrors.empty());
        EXPECT_EQ(0u, runs ? file.GetBytes(run, 4) : file.GetByte() - 256u);
        EXPECT_FALSE(file.usable);
        EXPECT_EQ(std::vector<int>{1}, owner.fileErrors);
        EXPECT_EQ(0u, file.GetBytes(run, 4));
        EXPECT_EQ(std::vector<int>{1}, owner.fileErrors);
    }
}

TEST_F(ArchiveTest, DamagedHeaderFieldsFailTheEntry)
{
    struct Case {
        const char* what;
        uint8_t level;
        int nameLengthDelta;
        int headerSize;  // >= 0: the header is cut to this many bytes
        std::string name;
    };
    const Case cases[] = {
        {"name length past a level 0 header", 0, 1, -1, "A.TXT"},
        {"name length past a level 1 header", 1, 3, -1, "A.TXT"},
        {"level 0 header of 21 bytes", 0, 0, 21, ""},
        {"level 1 header of 24 bytes", 1, 0, 24, ""},
        {"name length 255", 0, 250, -1, "A.TXT"},
    };
    for (const Case& c : cases) {
        reader.diagnostics.clear();
        Entry e = Stored(c.name);
        e.level = c.level;
        e.nameLengthDelta = c.nameLengthDelta;
        EXPECT_EQ(0, Extract(c.headerSize >= 0 ? CutHeader(e, c.headerSize) : BuildEntry(e))) << c.what;
        EXPECT_EQ(Strings({"Error el el fichero lzh"}), reader.diagnostics) << c.what;
    }
    EXPECT_EQ(OnlyArchiveAndOut, box_.RootNames());
}

TEST_F(ArchiveTest, UnsafeNamesFailBeforeAnythingIsCreated)
{
    const char* const names[] = {
        "..\\x",        "..",          "A\\..\\..\\x",  "...\\x",     "A\\...\\x",   ".",
        "\\x",          "/x",          "C:x",           "C:\\x",      "A\\B:C",      "A\\\\x",
        "A\\",          "",            "CON",           "con.txt",    "A\\NUL",      "aux.dat",
        "COM1",         "lpt9.log",    "PRN",           "A\\Com3\\x", "A\\x\x01y",   "x\ty",
        "../x",         "A/../../x",   "A\\\x7f",       "x?y",        "evil*",
        ".. \\x",     " ",           "A\\ .\\x",
    };
    for (const char* name : names) {
        reader.diagnostics.clear();
        reader.events.clear();
        EXPECT_EQ(0, Extract(BuildArchive({Stored(name)}))) << name;
        EXPECT_EQ(Strings({"No pude crear '" + std::string(name) + "'."}), reader.diagnostics) << name;
        EXPECT_TRUE(reader.events.empty()) << name;
        EXPECT_FALSE(Exists("A")) << name;
    }
    EXPECT_EQ(OnlyArchiveAndOut, box_.RootNames());

    // Names that only look odd are fine.
    for (const char* name : {"..a", "a..b", "CONSOLA.TXT", "COM10", "LPT", "Canción ñ.txt", "A\\.b\\c"})
        EXPECT_EQ(1, Extract(BuildArchive({Stored(name)}))) << name;
}

TEST_F(ArchiveTest, OutputThatCannotBeCreated)
{
    fs::create_directory("A.TXT");  // a directory in the way
    EXPECT_EQ(0, Extract(BuildArchive({Stored()})));
    EXPECT_EQ(Strings({"No pude crear 'A.TXT'."}), reader.diagnostics);
    EXPECT_TRUE(reader.events.empty());
    EXPECT_EQ(std::vector<int>({0}), reader.fileErrors);

    // The owner may ask for the open to be tried again.
    reader.fileErrors.clear();
    reader.retries = 2;
    EXPECT_EQ(0, Extract(BuildArchive({Stored()})));
    EXPECT_EQ(std::vector<int>({0, 0, 0}), reader.fileErrors);
}

TEST_F(ArchiveTest, ScanPassesOverBadHeadersAndCountsGoodOnes)
{
    Entry badCrc = Stored("B.TXT", "1234567");
    badCrc.crc = static_cast<uint16_t>(badCrc.crc + 5);
    Entry badSum = Stored("C.TXT", "");
    badSum.headerSumDelta = 3;
    archive_ = box_.PutArchive(BuildArchive({Stored("A.TXT", "12345"), badCrc, badSum, Stored("D.TXT", "123")}));
    EXPECT_EQ(5u + 7u + 3u, reader.ScanTotalSize(archive_.c_str()));
    EXPECT_FALSE(Exists("A.TXT"));
}

}  // namespace
