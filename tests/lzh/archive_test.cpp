// The archive reader on hand-made archives: results, diagnostics,
// notifications and what lands on disk.
#include "LzhArchive.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/stat.h>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

using Bytes = std::vector<uint8_t>;
const char* const BadTable = "Bad table\nBad table\nBad table\nBad table\n";

uint16_t Crc16(const std::string& data)
{
    uint16_t crc = 0;
    for (unsigned char c : data) {
        crc ^= c;
        for (int i = 0; i < 8; i++)
            crc = (crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1;
    }
    return crc;
}

void Put16(Bytes& b, unsigned v)
{
    b.push_back(v & 0xFF);
    b.push_back((v >> 8) & 0xFF);
}

void Put32(Bytes& b, uint32_t v)
{
    Put16(b, v & 0xFFFF);
    Put16(b, v >> 16);
}

// One stored entry; fields can be bent to make damaged headers.
struct Entry {
    std::string name = "A.TXT";
    std::string data = "hola";
    std::string method = "-lh0-";
    int level = 0;
    std::vector<unsigned> extended;   // sizes of level-1 extended headers
    uint16_t time = 0x6C21;           // 13:33:02
    uint16_t date = 0x2B87;           // 2001-12-07
    int crcDelta = 0;
    int sumDelta = 0;
    int nameLengthDelta = 0;
    int headerSizeOverride = -1;

    Bytes Build() const
    {
        Bytes ext;
        for (std::size_t i = 0; i < extended.size(); i++) {
            ext.push_back(0x7F);  // a type nobody reads
            ext.insert(ext.end(), extended[i] - 3, 0x20);
            Put16(ext, i + 1 < extended.size() ? extended[i + 1] : 0);
        }
        Bytes h;
        h.insert(h.end(), method.begin(), method.end());
        Put32(h, static_cast<uint32_t>(data.size() + ext.size()));
        Put32(h, static_cast<uint32_t>(data.size()));
        Put16(h, time);
        Put16(h, date);
        h.push_back(0x20);
        h.push_back(static_cast<uint8_t>(level));
        h.push_back(static_cast<uint8_t>(name.size() + nameLengthDelta));
        h.insert(h.end(), name.begin(), name.end());
        Put16(h, static_cast<uint16_t>(Crc16(data) + crcDelta));
        if (level == 1) {
            h.push_back('M');
            Put16(h, extended.empty() ? 0 : extended[0]);
        }
        unsigned sum = sumDelta;
        for (uint8_t c : h)
            sum += c;
        Bytes out;
        out.push_back(static_cast<uint8_t>(headerSizeOverride >= 0 ? headerSizeOverride : h.size()));
        out.push_back(static_cast<uint8_t>(sum));
        out.insert(out.end(), h.begin(), h.end());
        out.insert(out.end(), ext.begin(), ext.end());
        out.insert(out.end(), data.begin(), data.end());
        return out;
    }
};

Bytes Archive(std::initializer_list<Entry> entries, bool endMarker = true)
{
    Bytes out;
    for (const Entry& e : entries) {
        Bytes b = e.Build();
        out.insert(out.end(), b.begin(), b.end());
    }
    if (endMarker)
        out.push_back(0);
    return out;
}

void WriteFile(const std::string& path, const Bytes& bytes)
{
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(bytes.data()),
                                                static_cast<std::streamsize>(bytes.size()));
}

namespace fs = std::filesystem;

bool Exists(const std::string& path)
{
    std::error_code error;
    return fs::exists(fs::u8path(path), error);
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// Records what the reader tells its owner.
class RecordingArchive : public LzhArchive {
public:
    RecordingArchive() { SetDiagnosticSink(&RecordingArchive::Record, this); }

    void OnEntryBegin(const char* name, uint32_t entryBytes, uint32_t size) override
    {
        events.push_back("begin " + std::string(name) + " " + std::to_string(entryBytes) + " " +
                         std::to_string(size));
    }
    void OnEntryEnd(const char* name, uint32_t entryBytes, uint32_t size) override
    {
        events.push_back("end " + std::string(name) + " " + std::to_string(entryBytes) + " " +
                         std::to_string(size));
    }
    void OnProgress(const char*, uint32_t done, uint32_t total) override
    {
        events.push_back("progress " + std::to_string(done) + "/" + std::to_string(total));
    }
    bool OnFileError(StreamFile*, int kind, int) override
    {
        fileErrors.push_back(kind);
        return retries-- > 0;
    }
    static void Record(void* self, const char* text)
    {
        static_cast<RecordingArchive*>(self)->diagnostics.push_back(text);
    }

    std::vector<std::string> events;
    std::vector<std::string> diagnostics;
    std::vector<int> fileErrors;
    int retries = 0;
};

using Strings = std::vector<std::string>;

// Every test runs in a fresh directory holding "in\" (the working directory
// that entries are unpacked into) and the archive beside it, so that anything
// written outside the working directory shows up in "..".
class ArchiveTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        home_ = fs::current_path();
        const ::testing::TestInfo* info = ::testing::UnitTest::GetInstance()->current_test_info();
        root_ = (home_ / (std::string("lzhtest_") + info->test_suite_name() + "_" + info->name())).string();
        fs::remove_all(root_);
        fs::create_directories(fs::path(root_) / "in");
        fs::current_path(fs::path(root_) / "in");
        archive_ = root_ + "/a.lzh";
    }
    void TearDown() override
    {
        fs::current_path(home_);
        std::error_code error;
        fs::remove_all(root_, error);
    }
    static void Mkdir(const std::string& dir) { fs::create_directory(dir); }

    // Names of everything beside "in" and the archive.
    Strings Strays() const
    {
        Strings found;
        for (const char* name : {"x", "..\\x", "evil", "A", "B"})
            if (Exists(root_ + "/" + name))
                found.push_back(name);
        return found;
    }

    int Extract(const Bytes& bytes)
    {
        WriteFile(archive_, bytes);
        return reader.ExtractAll(archive_.c_str());
    }

    fs::path home_;
    std::string root_, archive_;
    RecordingArchive reader;
};

TEST_F(ArchiveTest, EndsWithOrWithoutZeroByte)
{
    Entry one, two;
    two.name = "B.TXT";
    two.data = "adios";
    EXPECT_EQ(1, Extract(Archive({one, two}, true)));
    EXPECT_EQ(1, Extract(Archive({one, two}, false)));
    EXPECT_EQ("hola", ReadFile("A.TXT"));
    EXPECT_EQ("adios", ReadFile("B.TXT"));
    EXPECT_TRUE(reader.diagnostics.empty());
    EXPECT_EQ(9u, reader.ScanTotalSize(archive_.c_str()));
}

TEST_F(ArchiveTest, MissingOrEmptyArchive)
{
    EXPECT_EQ(-2, reader.ExtractAll((root_ + "/none.lzh").c_str()));
    EXPECT_EQ(0u, reader.ScanTotalSize((root_ + "/none.lzh").c_str()));
    EXPECT_EQ(-2, Extract({}));
    EXPECT_TRUE(reader.diagnostics.empty());
    EXPECT_TRUE(reader.fileErrors.empty());
}

TEST_F(ArchiveTest, ZeroByteFollowedByMoreIsDamage)
{
    Bytes bytes = Archive({Entry()});
    Entry next;
    next.name = "B.TXT";
    Bytes more = next.Build();
    bytes.insert(bytes.end(), more.begin(), more.end());
    EXPECT_EQ(0, Extract(bytes));
    EXPECT_EQ(Strings({"Error el el fichero lzh"}), reader.diagnostics);
    EXPECT_FALSE(Exists("B.TXT"));
}

TEST_F(ArchiveTest, NotificationsCarryEntrySizes)
{
    Entry big;
    big.name = "BIG.DAT";
    big.data = std::string(20000, 'x');
    for (std::size_t i = 0; i < big.data.size(); i += 7)
        big.data[i] = static_cast<char>(i);
    Entry empty;
    empty.name = "VACIO.DAT";
    empty.data.clear();
    EXPECT_EQ(1, Extract(Archive({big, empty})));
    EXPECT_EQ(Strings({"begin BIG.DAT 20031 20000", "progress 8192/20000", "progress 16384/20000",
                       "progress 20000/20000", "end BIG.DAT 20031 20000", "begin VACIO.DAT 33 0",
                       "end VACIO.DAT 33 0"}),
              reader.events);
    EXPECT_EQ(big.data, ReadFile("BIG.DAT"));
    EXPECT_TRUE(Exists("VACIO.DAT"));
    EXPECT_EQ("", ReadFile("VACIO.DAT"));

    // Scanning reports progress only.
    reader.events.clear();
    EXPECT_EQ(20000u, reader.ScanTotalSize(archive_.c_str()));
    EXPECT_EQ(Strings({"progress 8192/20000", "progress 16384/20000", "progress 20000/20000"}),
              reader.events);
}

TEST_F(ArchiveTest, NestedNamesCreateTheirDirectories)
{
    Entry e;
    e.name = "A\\B\\C.DAT";
    EXPECT_EQ(1, Extract(Archive({e})));
    EXPECT_EQ("hola", ReadFile("A/B/C.DAT"));
}

TEST_F(ArchiveTest, LevelOneSkipsExtendedHeaders)
{
    Entry e;
    e.level = 1;
    e.extended = {7, 5};
    e.data = "datos de nivel uno";
    Entry plain;
    plain.level = 1;
    plain.name = "B.TXT";
    EXPECT_EQ(1, Extract(Archive({e, plain})));
    EXPECT_EQ(e.data, ReadFile("A.TXT"));
    EXPECT_EQ("hola", ReadFile("B.TXT"));
    // entryBytes counts the extended headers, which are part of the compressed size.
    EXPECT_EQ("begin A.TXT " + std::to_string(18 + 12 + 5 + 24) + " 18", reader.events[0]);
}

TEST_F(ArchiveTest, StampIsTheStoredTimeWithoutZoneConversion)
{
    Entry e;
    e.time = 0x6C21;  // 13:33:02
    e.date = 0x2B87;  // 2001-12-07
    EXPECT_EQ(1, Extract(Archive({e})));
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
        Entry e;
        e.method = method;
        EXPECT_EQ(0, Extract(Archive({e}))) << method;
        EXPECT_EQ(Strings({"Unknown method: " + std::to_string(static_cast<unsigned char>(method[3]))}),
                  reader.diagnostics)
            << method;
        EXPECT_EQ(2u, reader.events.size()) << method;  // begin and end
        EXPECT_TRUE(Exists("A.TXT")) << method;
        EXPECT_EQ("", ReadFile("A.TXT")) << method;
    }
}

TEST_F(ArchiveTest, LaterEntriesAreLeftAloneAfterAFailure)
{
    Entry bad, good;
    bad.crcDelta = 1;
    good.name = "B.TXT";
    EXPECT_EQ(0, Extract(Archive({bad, good})));
    char expected[80];
    std::snprintf(expected, sizeof expected, "CheckSum Incorrecto. Original: %x, Final: %x", Crc16("hola"),
                  static_cast<uint16_t>(Crc16("hola") + 1));
    EXPECT_EQ(Strings({expected}), reader.diagnostics);
    EXPECT_EQ("hola", ReadFile("A.TXT"));  // left in place
    EXPECT_FALSE(Exists("B.TXT"));
}

TEST_F(ArchiveTest, HeaderSumErrors)
{
    Entry bad;
    bad.sumDelta = 1;
    Entry good;
    good.name = "B.TXT";
    Bytes bytes = Archive({good});
    Bytes badBytes = bad.Build();
    bytes.insert(bytes.begin(), badBytes.begin(), badBytes.end());
    EXPECT_EQ(0, Extract(bytes));
    EXPECT_EQ(Strings({"Header sum error", "Error el el fichero lzh"}), reader.diagnostics);

    // A bad sum on a header that nothing follows reads as the end of the archive.
    reader.diagnostics.clear();
    Bytes lone = Archive({good}, false);
    bad.data.clear();
    Bytes tail = bad.Build();
    lone.insert(lone.end(), tail.begin(), tail.end());
    EXPECT_EQ(1, Extract(lone));
    EXPECT_EQ(Strings({"Header sum error"}), reader.diagnostics);
}

TEST_F(ArchiveTest, TruncatedArchives)
{
    Entry e;
    e.data = std::string(3000, 'z');
    Bytes whole = Archive({e}, false);
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

TEST_F(ArchiveTest, DamagedHeaderFieldsFailTheEntry)
{
    struct Case {
        const char* what;
        int level;
        int nameLengthDelta;
        int headerSize;
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
        Entry e;
        e.level = c.level;
        e.name = c.name;
        e.nameLengthDelta = c.nameLengthDelta;
        Bytes bytes = e.Build();
        if (c.headerSize >= 0) {
            // Shrink the header to the given size and fix its sum.
            Bytes h(bytes.begin() + 2, bytes.begin() + 2 + c.headerSize);
            unsigned sum = 0;
            for (uint8_t b : h)
                sum += b;
            bytes = {static_cast<uint8_t>(c.headerSize), static_cast<uint8_t>(sum)};
            bytes.insert(bytes.end(), h.begin(), h.end());
        } else {
            unsigned sum = 0;
            for (std::size_t i = 2; i < 2 + std::size_t(bytes[0]); i++)
                sum += bytes[i];
            bytes[1] = static_cast<uint8_t>(sum);
        }
        EXPECT_EQ(0, Extract(bytes)) << c.what;
        EXPECT_EQ(Strings({"Error el el fichero lzh"}), reader.diagnostics) << c.what;
    }
    EXPECT_TRUE(Strays().empty());
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
        Entry e;
        e.name = name;
        EXPECT_EQ(0, Extract(Archive({e}))) << name;
        EXPECT_EQ(Strings({"No pude crear '" + std::string(name) + "'."}), reader.diagnostics) << name;
        EXPECT_TRUE(reader.events.empty()) << name;
        EXPECT_FALSE(Exists("A")) << name;
    }
    EXPECT_TRUE(Strays().empty());

    // Names that only look odd are fine.
    for (const char* name : {"..a", "a..b", "CONSOLA.TXT", "COM10", "LPT", "Canción ñ.txt", "A\\.b\\c"}) {
        Entry e;
        e.name = name;
        EXPECT_EQ(1, Extract(Archive({e}))) << name;
    }
}

TEST_F(ArchiveTest, OutputThatCannotBeCreated)
{
    Mkdir("A.TXT");  // a directory in the way
    Entry e;
    EXPECT_EQ(0, Extract(Archive({e})));
    EXPECT_EQ(Strings({"No pude crear 'A.TXT'."}), reader.diagnostics);
    EXPECT_TRUE(reader.events.empty());
    EXPECT_EQ(std::vector<int>({0}), reader.fileErrors);

    // The owner may ask for the open to be tried again.
    reader.fileErrors.clear();
    reader.retries = 2;
    EXPECT_EQ(0, Extract(Archive({e})));
    EXPECT_EQ(std::vector<int>({0, 0, 0}), reader.fileErrors);
    fs::remove("A.TXT");
}

TEST_F(ArchiveTest, ScanPassesOverBadHeadersAndCountsGoodOnes)
{
    Entry good, badCrc, badSum;
    good.data = "12345";
    badCrc.name = "B.TXT";
    badCrc.data = "1234567";
    badCrc.crcDelta = 5;
    badSum.name = "C.TXT";
    badSum.data.clear();
    badSum.sumDelta = 3;
    Entry last;
    last.name = "D.TXT";
    last.data = "123";
    WriteFile(archive_, Archive({good, badCrc, badSum, last}));
    EXPECT_EQ(5u + 7u + 3u, reader.ScanTotalSize(archive_.c_str()));
    EXPECT_FALSE(Exists("A.TXT"));
}

}  // namespace
