#include "LzhWriter.h"

#include "LzhPacker.h"

#include <cstdio>
#include <stdexcept>

namespace lzhtest {
namespace {

using lzhenc::PutLe16;
using lzhenc::PutLe32;

uint8_t HeaderSum(Bytes::const_iterator begin, Bytes::const_iterator end)
{
    unsigned sum = 0;
    for (; begin != end; ++begin)
        sum += *begin;
    return static_cast<uint8_t>(sum);
}

// xorshift32: the same bytes on every platform.
uint32_t Next(uint32_t& state)
{
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

}  // namespace

uint16_t Crc16(const Bytes& data)
{
    uint32_t crc = 0;
    for (uint8_t b : data) {
        crc ^= b;
        for (int bit = 0; bit < 8; bit++)
            crc = (crc & 1) ? (crc >> 1) ^ 0xA001 : crc >> 1;
    }
    return static_cast<uint16_t>(crc);
}

uint16_t DosTime(unsigned hour, unsigned minute, unsigned second)
{
    return static_cast<uint16_t>(hour << 11 | minute << 5 | second / 2);
}

uint16_t DosDate(unsigned year, unsigned month, unsigned day)
{
    return static_cast<uint16_t>((year - 1980) << 9 | month << 5 | day);
}

Entry StoredEntry(const std::string& name, const Bytes& data)
{
    return PackedEntry(name, "-lh0-", data, data);
}

Entry Lh5Entry(const std::string& name, const Bytes& data)
{
    return PackedEntry(name, "-lh5-", Compress(data), data);
}

Entry Lh4Entry(const std::string& name, const Bytes& data)
{
    EncodeOptions options;
    options.window = Lh4Window;
    return PackedEntry(name, "-lh4-", Compress(data, options), data);
}

Entry PackedEntry(const std::string& name, const std::string& method, const Bytes& packed,
                  const Bytes& expected)
{
    Entry e;
    e.name = name;
    e.method = method;
    e.packed = packed;
    e.size = static_cast<uint32_t>(expected.size());
    e.crc = Crc16(expected);
    return e;
}

Bytes ExtendedHeaderBody(unsigned size, uint8_t type, uint8_t filler)
{
    if (size < 3)
        throw std::invalid_argument("an extended header has at least 3 bytes");
    Bytes body(size - 2, filler);
    body[0] = type;
    return body;
}

Bytes BuildEntry(const Entry& e)
{
    if (e.name.size() > 255)
        throw std::invalid_argument("name longer than 255 bytes");
    Bytes extended;
    for (std::size_t i = 0; e.level != 0 && i < e.extended.size(); i++) {
        extended.insert(extended.end(), e.extended[i].begin(), e.extended[i].end());
        PutLe16(extended, i + 1 < e.extended.size() ? e.extended[i + 1].size() + 2 : 0);
    }

    Bytes h;
    std::string method = e.method;
    method.resize(5, '-');
    h.insert(h.end(), method.begin(), method.end());
    uint32_t compressed = static_cast<uint32_t>(e.packed.size() + extended.size());
    PutLe32(h, e.overrideCompressedSize ? e.compressedSize : compressed);
    PutLe32(h, e.size);
    PutLe16(h, e.dosTime);
    PutLe16(h, e.dosDate);
    h.push_back(e.attribute);
    h.push_back(e.level);
    h.push_back(static_cast<uint8_t>(e.name.size() + e.nameLengthDelta));
    h.insert(h.end(), e.name.begin(), e.name.end());
    PutLe16(h, e.crc);
    if (e.level != 0) {
        h.push_back(e.os);
        PutLe16(h, e.extended.empty() ? 0 : e.extended[0].size() + 2);
    }
    if (h.size() > 255)
        throw std::invalid_argument("header longer than 255 bytes");

    Bytes out;
    out.push_back(static_cast<uint8_t>(h.size() + e.headerSizeDelta));
    out.push_back(static_cast<uint8_t>(HeaderSum(h.begin(), h.end()) + e.headerSumDelta));
    out.insert(out.end(), h.begin(), h.end());
    out.insert(out.end(), extended.begin(), extended.end());
    out.insert(out.end(), e.packed.begin(), e.packed.end());
    return out;
}

Bytes CutHeader(const Entry& entry, unsigned size)
{
    const Bytes whole = BuildEntry(entry);
    if (size > whole[0])
        throw std::invalid_argument("a cut header cannot be longer than the whole one");
    const auto h = whole.begin() + 2;
    Bytes out{static_cast<uint8_t>(size), HeaderSum(h, h + size)};
    out.insert(out.end(), h, h + size);
    return out;
}

Bytes BuildArchive(const std::vector<Entry>& entries, bool trailingZero)
{
    Bytes out;
    for (const Entry& e : entries) {
        Bytes b = BuildEntry(e);
        out.insert(out.end(), b.begin(), b.end());
    }
    if (trailingZero)
        out.push_back(0);
    return out;
}

bool WriteFile(const std::string& path, const Bytes& data)
{
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f)
        return false;
    // fwrite's buffer must not be null, which an empty vector's may be.
    bool ok = data.empty() || std::fwrite(data.data(), 1, data.size(), f) == data.size();
    return std::fclose(f) == 0 && ok;
}

bool ReadFile(const std::string& path, Bytes& data)
{
    data.clear();
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f)
        return false;
    uint8_t buffer[65536];
    std::size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, f)) > 0)
        data.insert(data.end(), buffer, buffer + n);
    bool ok = !std::ferror(f);
    std::fclose(f);
    return ok;
}

Bytes RandomBytes(std::size_t n, uint32_t seed)
{
    uint32_t state = seed ? seed : 1;
    Bytes out(n);
    for (uint8_t& b : out)
        b = static_cast<uint8_t>(Next(state) >> 24);
    return out;
}

Bytes TextBytes(std::size_t n, uint32_t seed)
{
    static const char* const Words[] = {
        "morvadin", "brumaria", "castillo", "dragon", "espada", "puerta", "torre",
        "camino", "sombra", "fuego", "agua", "piedra", "oro", "luz", "noche",
    };
    const std::size_t wordCount = sizeof Words / sizeof Words[0];
    uint32_t state = seed ? seed : 1;
    Bytes out;
    while (out.size() < n) {
        uint32_t r = Next(state);
        const char* w = Words[r % wordCount];
        while (*w && out.size() < n)
            out.push_back(static_cast<uint8_t>(*w++));
        if (out.size() < n)
            out.push_back((r >> 8) % 11 == 0 ? '\n' : ' ');
        // Now and then a digit, so the text is not all dictionary.
        if (out.size() < n && (r >> 16) % 7 == 0)
            out.push_back(static_cast<uint8_t>('0' + (r >> 20) % 10));
    }
    return out;
}

}  // namespace lzhtest
