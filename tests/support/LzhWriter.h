// Test-only writer of LZH archives in memory: level 0 and level 1 headers,
// extended headers, and fields that can be made wrong on purpose.
//
// Entry layout (little-endian): H, header sum, method[5], compressed size,
// uncompressed size, DOS time, DOS date, attribute, level, name length N,
// name, CRC-16; level 1 adds the OS byte and the size of the first extended
// header. H counts the bytes after the first two: 22 + N at level 0, 25 + N
// at level 1. At level 1 the compressed size includes the extended headers,
// each of which ends with the size of the next one (0 ends the chain).
#pragma once

#include "Lh5Encoder.h"

#include <cstdint>
#include <string>
#include <vector>

namespace lzhtest {

// The encoder lives in the archive library; tests name it as their own.
using namespace lzhenc;

// CRC-16/ARC (reflected 0xA001, initial 0, no final inversion).
uint16_t Crc16(const Bytes& data);

// MS-DOS stamps; seconds are kept in 2-second steps.
uint16_t DosTime(unsigned hour, unsigned minute, unsigned second);
uint16_t DosDate(unsigned year, unsigned month, unsigned day);

struct Entry {
    std::string name;              // stored as is, "\" between directories
    std::string method = "-lh0-";  // five bytes are written; shorter is padded with '-'
    uint8_t level = 0;
    Bytes packed;                  // the data as stored
    uint32_t size = 0;             // uncompressed size
    uint16_t crc = 0;              // CRC-16 of the uncompressed data
    uint16_t dosTime = DosTime(12, 34, 56);
    uint16_t dosDate = DosDate(1996, 5, 17);
    uint8_t attribute = 0x20;
    uint8_t os = 'M';
    // Level 1 only: each extended header's bytes before its trailing size.
    std::vector<Bytes> extended;

    // Deliberate damage.
    int headerSumDelta = 0;        // added to the right header sum
    int headerSizeDelta = 0;       // added to the right H (the bytes stay as built)
    int nameLengthDelta = 0;       // added to the stored name length (the name stays as given)
    bool overrideCompressedSize = false;
    uint32_t compressedSize = 0;   // used when overrideCompressedSize
};

// Entries holding data: stored, or compressed with the test encoder.
Entry StoredEntry(const std::string& name, const Bytes& data);
Entry Lh5Entry(const std::string& name, const Bytes& data);
Entry Lh4Entry(const std::string& name, const Bytes& data);
// An entry around a hand-made stream that unpacks to `expected`.
Entry PackedEntry(const std::string& name, const std::string& method, const Bytes& packed,
                  const Bytes& expected);

// An extended header of `size` bytes in all (type byte, filler, next size).
Bytes ExtendedHeaderBody(unsigned size, uint8_t type = 0x3F, uint8_t filler = 0x55);

Bytes BuildEntry(const Entry& entry);
// Only the first `size` bytes of the entry's header, with H and the sum made
// to agree with them: a header too short for the fields it should hold.
Bytes CutHeader(const Entry& entry, unsigned size);
// The entries one after another, then the end marker when trailingZero is set.
Bytes BuildArchive(const std::vector<Entry>& entries, bool trailingZero = true);

// Whole-file helpers (binary).
bool WriteFile(const std::string& path, const Bytes& data);
bool ReadFile(const std::string& path, Bytes& data);

// Deterministic test data: pseudo-random bytes, and text-like bytes that compress.
Bytes RandomBytes(std::size_t n, uint32_t seed);
Bytes TextBytes(std::size_t n, uint32_t seed);

}  // namespace lzhtest
