// Level-0 archive entries as the installer's reader takes them: "-lh5-" when
// the data shrinks, "-lh0-" (stored) otherwise, the name with "\" between
// directories, the MS-DOS stamp given by the caller.
#pragma once

#include "Lh5Encoder.h"

#include <string>

namespace lzhenc {

// The longest name a level-0 header holds: its size byte counts 22 + N.
const std::size_t MaxEntryName = 255 - 22;

// Header fields are little-endian.
void PutLe16(Bytes& out, uint32_t v);
void PutLe32(Bytes& out, uint32_t v);

// CRC-16/ARC, as stored in entry headers.
uint16_t ArchiveCrc16(const uint8_t* data, std::size_t n);

// Why the reader would refuse `name` (with "\" separators), or "" when it is fine.
std::string EntryNameProblem(const std::string& name);

struct EntryBytes {
    Bytes bytes;        // header and data
    bool stored = false; // "-lh0-"
};

// Data up to this size is packed with CheapestTokens (in one window, and
// weighed against the lazy parse), larger data with WindowedCheapestTokens.
const std::size_t CheapestParseLimit = CheapestWindow;

// The tokens PackEntry codes, with options as it sets them (fitBlocks and
// avoidByteEnd).
std::vector<Token> PackTokens(const Bytes& data, const EncodeOptions& options);

// One entry; the name must pass EntryNameProblem and the data fit in 32 bits.
EntryBytes PackEntry(const std::string& name, const Bytes& data, uint16_t dosTime, uint16_t dosDate,
                      const EncodeOptions& options = {});

}  // namespace lzhenc
