// Reader of LZH archives with level 0 and level 1 headers, methods "-lh0-",
// "-lh4-" and "-lh5-". Entries are unpacked below the current directory,
// checked against their CRC-16 and stamped with their stored time.
#pragma once

#include "StreamFile.h"

#include <cstdint>
#include <memory>

class CDecode;

class LzhArchive {
public:
    static const uint32_t TransferSize = 8192;

    LzhArchive();
    virtual ~LzhArchive();
    LzhArchive(const LzhArchive&) = delete;
    LzhArchive& operator=(const LzhArchive&) = delete;

    // Notifications. kind: 0 open, 1 read, 2 write; only Open looks at the answer (retry).
    virtual bool OnFileError(StreamFile* file, int kind, int arg);
    virtual void OnEntryBegin(const char* name, uint32_t entryBytes, uint32_t uncompressedSize);
    virtual void OnEntryEnd(const char* name, uint32_t entryBytes, uint32_t uncompressedSize);
    virtual void OnProgress(const char* name, uint32_t bytesDone, uint32_t bytesTotal);

    // For tools that list or test an archive: what a good header says.
    struct EntryInfo {
        const char* name;
        char method[6];
        int level;
        uint32_t compressedSize;
        uint32_t uncompressedSize;
        uint16_t crc;
        uint16_t dosTime;
        uint16_t dosDate;
    };
    // result: -1 listed only; 1 the data unpacked and matched its CRC; 0 it did not.
    virtual void OnEntryListed(const EntryInfo& entry, int result);

    // 1: every entry unpacked and verified; 0: an entry failed (later ones are
    // left alone); -2: the archive is missing or empty.
    int ExtractAll(const char* archivePath);
    // Total unpacked size of the entries whose headers are good; a total
    // past 32 bits stops at 0xFFFFFFFF.
    uint32_t ScanTotalSize(const char* archivePath);
    // Reports every entry through OnEntryListed, decoding (writing nothing)
    // when test is set. 1 when every header, and with test every entry, was
    // good; 0 otherwise; -2 for a missing or empty archive.
    int ListAll(const char* archivePath, bool test);

    // Diagnostics go nowhere unless a sink is set (the tests set one).
    using DiagnosticSink = void (*)(void* context, const char* text);
    void SetDiagnosticSink(DiagnosticSink sink, void* context);
    void ReportError(const char* format, ...)
#if defined(__GNUC__)
        __attribute__((format(printf, 2, 3)))
#endif
        ;

    // Bit reader used by the decoder: the next input bits sit at the top of
    // buffer, oldest first; the low count bits of pendingByte follow them,
    // then the compressed bytes from next to end, then the rest of the data.
    struct BitState {
        uint32_t buffer;
        unsigned pendingByte;
        int count;
        const uint8_t* next;
        const uint8_t* end;
    };
    // The decoder takes the state over for a whole chunk and hands it back.
    BitState& Bits() { return bits_; }
    // The next compressed byte; made-up zeros past the entry's data.
    unsigned NextByte(BitState& bits) { return bits.next != bits.end ? *bits.next++ : RefillInput(bits); }

    // n is at most 31.
    void FillBits(int n)
    {
        bits_.buffer <<= n;
        while (n > bits_.count) {
            n -= bits_.count;
            bits_.buffer |= uint32_t(bits_.pendingByte) << n;
            bits_.pendingByte = NextByte(bits_);
            bits_.count = 8;
        }
        bits_.count -= n;
        bits_.buffer |= bits_.pendingByte >> bits_.count;
    }
    unsigned GetBits(int n)
    {
        unsigned value = n >= 1 ? bits_.buffer >> (32 - n) : 0;
        FillBits(n);
        return value;
    }
    void InitBits()
    {
        bits_ = BitState{0, 0, 0, inputBytes_, inputBytes_};
        overrun_ = 0;
        dataBytes_ = compressedLeft_;
        // The first four bytes: two steps, as no shift may reach 32 places.
        FillBits(16);
        FillBits(16);
    }
    uint32_t BitBuffer() const { return bits_.buffer; }
    // Bits of the entry's compressed data not yet consumed (negative once the
    // reader has run past them): the 32 bits of the buffer and the unused bits
    // of the pending byte are still to come.
    int64_t BitsLeft() const
    {
        // Bytes moved into the bit reader, made-up zeros past the end included.
        const int64_t fetched = int64_t(dataBytes_) - compressedLeft_ - (bits_.end - bits_.next) + overrun_;
        return 8 * int64_t(dataBytes_) - (8 * fetched - bits_.count - 32);
    }

    // Reading stops this many bytes past the compressed data: the bit reader
    // looks at most five bytes ahead, so more means the data is damaged.
    static const uint32_t MaxOverrun = 16;

    // The bounds an entry keeps to, for tests and the fuzz target: where its
    // compressed data ends in the archive (the header's start, its 2 + H
    // bytes and its compressed size), where the input stands, and how many
    // zero bytes the bit reader has made up past the data. No byte of the
    // file past the data's end is ever taken, and an entry that made up more
    // than MaxOverrun bytes is stopped.
    int64_t EntryDataEnd() const { return entryDataEnd_; }
    int64_t InputPosition() const { return input_ ? input_->Tell() : -1; }
    uint32_t MadeUpBytes() const { return overrun_; }

protected:
    // The entry being unpacked; valid from its header to its end.
    const char* EntryName() const { return name_; }

private:
    unsigned RefillInput(BitState& bits);

    int ExtractEntry(StreamFile& input);
    enum HeaderResult { HeaderGood, HeaderFailed, HeaderDamaged };
    HeaderResult ReadHeader();
    bool HeaderFitsFields() const;
    bool DecodeEntry(bool writeOutput);
    bool SkipToEntryEnd(long dataStart);
    EntryInfo Info() const;
    HeaderResult SkipExtendedHeaders();
    bool PassOn(uint32_t n, bool writeOutput);
    void BuildCrcTable();
    void UpdateCrc(const uint8_t* p, uint32_t n);

    // CRC-16/ARC: polynomial 0xA001 reflected, starting at 0, no final
    // inversion. crcTable_[0] is the byte table; crcTable_[k] is it advanced
    // by k more zero bytes, so that eight bytes take eight independent
    // lookups. The tables never change: they are built for the first entry.
    uint16_t crcTable_[8][256];
    bool crcTableBuilt_ = false;
    uint32_t crc_ = 0;

    BitState bits_ = {0, 0, 0, nullptr, nullptr};
    uint32_t compressedLeft_ = 0;  // compressed bytes not yet taken from the input
    uint32_t overrun_ = 0;
    uint32_t dataBytes_ = 0;  // compressed data bytes of the entry
    // Compressed bytes taken from the input for the bit reader; never more
    // than the entry's data holds.
    uint8_t inputBytes_[4096];

    uint32_t remaining_ = 0;
    StreamFile* input_ = nullptr;
    StreamFile* output_ = nullptr;
    uint8_t transfer_[TransferSize];

    // Header: the H bytes from offset 2, then what was taken out of them.
    uint8_t header_[256];
    unsigned headerSize_ = 0;
    unsigned headerSum_ = 0;
    uint16_t storedCrc_ = 0;
    uint32_t compressedSize_ = 0;
    uint32_t dataSize_ = 0;  // the compressed size less the extended headers
    int64_t entryDataEnd_ = -1;
    uint32_t uncompressedSize_ = 0;
    char* name_ = nullptr;
    unsigned nameLength_ = 0;

    std::unique_ptr<CDecode> decoder_;
    DiagnosticSink sink_ = nullptr;
    void* sinkContext_ = nullptr;
};
