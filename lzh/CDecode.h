// Decoder of "-lh5-" and "-lh4-" data: an 8 KiB sliding window whose
// literals, match lengths and positions are coded with static Huffman codes
// sent at the start of every block.
#pragma once

#include <cstdint>

class LzhArchive;

class CDecode {
public:
    static const int WindowBits = 13;
    static const uint32_t WindowSize = 1u << WindowBits;  // 8192
    static const uint32_t WindowMask = WindowSize - 1;
    static const int NC = 510;     // 256 bytes + 254 match lengths (3..256)
    static const int NT = 19;      // code-length code
    static const int TBIT = 5;
    static const int NP = 14;      // position code
    static const int PBIT = 4;
    static const int CBIT = 9;
    static const int CharTableBits = 12;
    static const int PtTableBits = 8;
    static const int TreeSize = 2 * NC - 1;  // 1019
    static const int MaxCodeLength = 16;
    static const int NoSpecial = -1;
    // The shortest block header: the symbol count; a one-symbol code-length
    // code (count 0 and the symbol); a character code whose 2^L lengths are
    // all that one symbol, so only their count is sent; a one-symbol
    // position code. 43 bits.
    static const int MinBlockHeaderBits = 16 + 2 * TBIT + CBIT + 2 * PBIT;

    explicit CDecode(LzhArchive* owner);

    // Starts an entry whose chunks go to window (WindowSize bytes). The
    // window starts as zeros: a match that reaches before the entry's first
    // byte (only damaged data has one) copies zeros, never what an earlier
    // entry or the memory beneath left there.
    void DecodeStart(uint8_t* window);
    // Produces exactly count bytes into buffer; the buffer is the window and
    // must be the same one on every call for one entry.
    void Decode(uint32_t count, uint8_t* buffer);

    // Set once a block carried an impossible code; nothing decoded after that
    // is trusted and the entry fails.
    bool BadTable() const { return badTable_; }

private:
    class ChunkBits;

    uint32_t StartBlock();
    unsigned DecodeChar(ChunkBits& bits);
    unsigned DecodePosition(ChunkBits& bits);
    void CopyMatch(uint8_t* to, const uint8_t* from, uint32_t length);
    uint32_t CopyAcrossEdges(uint8_t* buffer, uint32_t r, uint32_t count, uint32_t& from,
                             uint32_t& pending);
    unsigned WalkTree(unsigned j, unsigned limit, int bit, uint32_t bits);
    void ReadLengths(int nn, int nbit, int special);
    void ReadCharLengths();
    bool MakeTable(int nchar, const uint8_t* lengths, int tablebits, uint16_t* table);
    static void FillTable(uint16_t* table, uint32_t begin, uint32_t end, uint16_t symbol);
    void ReportBadTable();

    uint8_t charLength_[NC];
    uint8_t ptLength_[NT];
    uint32_t blockSize_ = 0;
    uint16_t charTable_[1 << CharTableBits];
    uint16_t ptTable_[1 << PtTableBits];
    uint16_t left_[TreeSize];
    uint16_t right_[TreeSize];
    LzhArchive* owner_;
    int32_t pendingCopies_ = 0;
    bool badTable_ = false;

    // The window index of the next byte of a pending match. Only one entry is
    // decoded at a time, so one copy position serves the whole process.
    static uint32_t copyPosition_;
};
