#include "LzhPacker.h"

#include "EntryName.h"

#include <stdexcept>

namespace lzhenc {

void PutLe16(Bytes& out, uint32_t v)
{
    out.push_back(static_cast<uint8_t>(v));
    out.push_back(static_cast<uint8_t>(v >> 8));
}

void PutLe32(Bytes& out, uint32_t v)
{
    PutLe16(out, v & 0xFFFF);
    PutLe16(out, v >> 16);
}

uint16_t ArchiveCrc16(const uint8_t* data, std::size_t n)
{
    // table[k][b]: the CRC change of byte b followed by k zero bytes, so that
    // four bytes are taken at a time.
    static uint16_t table[4][256];
    if (!table[0][1]) {
        for (unsigned i = 0; i < 256; i++) {
            unsigned r = i;
            for (int k = 0; k < 8; k++)
                r = (r & 1) ? (r >> 1) ^ 0xA001 : r >> 1;
            table[0][i] = static_cast<uint16_t>(r);
        }
        for (int k = 1; k < 4; k++)
            for (unsigned i = 0; i < 256; i++)
                table[k][i] = static_cast<uint16_t>((table[k - 1][i] >> 8) ^ table[0][table[k - 1][i] & 0xFF]);
    }
    unsigned crc = 0;
    std::size_t i = 0;
    for (; i + 4 <= n; i += 4) {
        const unsigned x = crc ^ data[i] ^ (unsigned(data[i + 1]) << 8);
        crc = table[3][x & 0xFF] ^ table[2][x >> 8] ^ table[1][data[i + 2]] ^ table[0][data[i + 3]];
    }
    for (; i < n; i++)
        crc = table[0][(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
    return static_cast<uint16_t>(crc);
}

std::string EntryNameProblem(const std::string& name)
{
    if (name.empty())
        return "empty name";
    if (name.size() > MaxEntryName)
        return "name longer than " + std::to_string(MaxEntryName) + " bytes";
    if (name.find('\0') != std::string::npos || !lzh::IsSafeEntryName(name.c_str()))
        return "a name the installer's reader refuses (a control character, one of :*?\"<>|, an empty, "
               "\".\" or \"..\" part, or a device name such as CON or LPT1)";
    return "";
}

std::vector<Token> PackTokens(const Bytes& data, const EncodeOptions& options)
{
    return data.size() <= CheapestParseLimit ? CheapestTokens(data, options) : WindowedCheapestTokens(data, options);
}

EntryBytes PackEntry(const std::string& name, const Bytes& data, uint16_t dosTime, uint16_t dosDate,
                      const EncodeOptions& options)
{
    std::string problem = EntryNameProblem(name);
    if (!problem.empty())
        throw std::invalid_argument(name + ": " + problem);
    if (data.size() > 0xFFFFFFFFu)
        throw std::invalid_argument(name + ": larger than 4 GB");

    EntryBytes entry;
    Bytes packed;
    std::size_t bits = 0;
    if (!data.empty()) {
        EncodeOptions fitted = options;
        fitted.fitBlocks = true;
        fitted.avoidByteEnd = true;
        packed = EncodeTokens(PackTokens(data, fitted), fitted, &bits);
    }
    // A stream that could not be kept off a byte boundary (blocks too even
    // to reshape) is stored instead: every reader takes a stored entry.
    entry.stored = data.empty() || packed.size() >= data.size() || bits % 8 == 0;
    const Bytes& body = entry.stored ? data : packed;

    Bytes header;
    header.insert(header.end(), entry.stored ? "-lh0-" : "-lh5-", (entry.stored ? "-lh0-" : "-lh5-") + 5);
    PutLe32(header, static_cast<uint32_t>(body.size()));
    PutLe32(header, static_cast<uint32_t>(data.size()));
    PutLe16(header, dosTime);
    PutLe16(header, dosDate);
    header.push_back(0x20);  // archive attribute
    header.push_back(0);     // level 0
    header.push_back(static_cast<uint8_t>(name.size()));
    header.insert(header.end(), name.begin(), name.end());
    PutLe16(header, ArchiveCrc16(data.data(), data.size()));

    unsigned sum = 0;
    for (uint8_t b : header)
        sum += b;
    entry.bytes.reserve(2 + header.size() + body.size());
    entry.bytes.push_back(static_cast<uint8_t>(header.size()));
    entry.bytes.push_back(static_cast<uint8_t>(sum));
    entry.bytes.insert(entry.bytes.end(), header.begin(), header.end());
    entry.bytes.insert(entry.bytes.end(), body.begin(), body.end());
    return entry;
}

}  // namespace lzhenc
