// Archives made by another archiver (jlha, levels 0 and 1), committed in
// data/ with what lhasa unpacks them to (data/expected.txt, written by
// data/make-data.sh). The reader must give the same bytes and stamps, on the
// host and under Wine.
#include "test_util.h"

#include "StreamFile.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

using namespace lzhtest;

namespace {

const std::string DataDir = LZH_TEST_DATA_DIR;

struct Expected {
    std::string name;  // "/" between directories
    uint32_t size;
    uint32_t cksum;
    std::string stamp;  // yyyy-mm-ddThh:mm:ss
};

// archive -> its entries, in the order of expected.txt.
std::map<std::string, std::vector<Expected>> LoadExpected()
{
    std::map<std::string, std::vector<Expected>> all;
    std::FILE* f = std::fopen((DataDir + "/expected.txt").c_str(), "r");
    if (!f)
        return all;
    char archive[256], name[256], stamp[32];
    unsigned long size, cksum;
    while (std::fscanf(f, "%255s %255s %lu %lu %31s", archive, name, &size, &cksum, stamp) == 5)
        all[archive].push_back({name, static_cast<uint32_t>(size), static_cast<uint32_t>(cksum), stamp});
    std::fclose(f);
    return all;
}

// The POSIX cksum CRC: CRC-32 (0x04C11DB7, most significant bit first) over
// the data and then its length, inverted.
uint32_t PosixCksum(const Bytes& data)
{
    uint32_t crc = 0;
    auto add = [&crc](uint8_t b) {
        crc ^= static_cast<uint32_t>(b) << 24;
        for (int bit = 0; bit < 8; bit++)
            crc = (crc & 0x80000000u) ? (crc << 1) ^ 0x04C11DB7u : crc << 1;
    };
    for (uint8_t b : data)
        add(b);
    for (std::size_t n = data.size(); n > 0; n >>= 8)
        add(static_cast<uint8_t>(n & 0xFF));
    return ~crc;
}

std::string DosStampText(const uint8_t stamp[4])
{
    unsigned time = stamp[0] | stamp[1] << 8, date = stamp[2] | stamp[3] << 8;
    char text[32];
    std::snprintf(text, sizeof text, "%04u-%02u-%02uT%02u:%02u:%02u", (date >> 9) + 1980, (date >> 5) & 15,
                  date & 31, time >> 11, (time >> 5) & 63, (time & 31) * 2);
    return text;
}

TEST(PeerArchive, CksumMatchesPosix)
{
    // cksum of "123456789" and of nothing, as the coreutils tool prints them.
    const std::string nine = "123456789";
    EXPECT_EQ(930766865u, PosixCksum(Bytes(nine.begin(), nine.end())));
    EXPECT_EQ(4294967295u, PosixCksum({}));
}

TEST(PeerArchive, ExtractsWhatLhasaExtracts)
{
    const auto all = LoadExpected();
    ASSERT_EQ(2u, all.size()) << "expected.txt missing or incomplete in " << DataDir;
    for (const auto& item : all) {
        const std::string& archiveName = item.first;
        SCOPED_TRACE(archiveName);
        const std::string path = DataDir + "/" + archiveName;
        Sandbox box;
        RecordingArchive archive;
        ASSERT_EQ(1, archive.ExtractAll(path.c_str()));
        EXPECT_TRUE(archive.diagnostics.empty()) << archive.diagnostics.front();

        uint32_t total = 0;
        std::vector<std::string> names;
        for (const Expected& e : item.second) {
            SCOPED_TRACE(e.name);
            names.push_back(e.name);
            total += e.size;
            Bytes got;
            ASSERT_TRUE(ReadFile(box.OutPath(e.name), got));
            EXPECT_EQ(e.size, got.size());
            EXPECT_EQ(e.cksum, PosixCksum(got));

            StreamFile file;
            ASSERT_TRUE(file.Open(box.OutPath(e.name).c_str(), StreamFile::ReadMode));
            uint8_t stamp[4];
            ASSERT_TRUE(file.GetDosTime(stamp));
            EXPECT_EQ(e.stamp, DosStampText(stamp));
        }
        std::sort(names.begin(), names.end());
        EXPECT_EQ(names, box.OutFiles());

        RecordingArchive scan;
        EXPECT_EQ(total, scan.ScanTotalSize(path.c_str()));
        EXPECT_TRUE(scan.diagnostics.empty());
    }
}

}  // namespace
