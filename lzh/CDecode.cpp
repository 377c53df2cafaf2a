#include "CDecode.h"

#include "LzhArchive.h"

#include <cstring>

uint32_t CDecode::copyPosition_ = 0;

// The owner's bit reader as the decoder holds it in locals for a chunk: the
// buffer, then count bits at the top of reserve, then the bytes from next.
// Bytes are taken two at a time, but only from the run of input bytes in
// hand, so that whole bytes still in reserve can be handed back when the
// state returns to the owner's form: a pending byte with at most 7 bits left.
class CDecode::ChunkBits {
public:
    explicit ChunkBits(LzhArchive& owner) : owner_(owner) { Load(); }

    void Load()
    {
        const LzhArchive::BitState& s = owner_.Bits();
        buffer_ = s.buffer;
        count_ = s.count;
        reserve_ = count_ == 0 ? 0 : uint32_t(s.pendingByte) << (32 - count_);
        next_ = s.next;
        end_ = s.end;
    }

    void Store()
    {
        LzhArchive::BitState& s = owner_.Bits();
        const int left = count_ & 7;
        s.buffer = buffer_;
        s.count = left;
        // The pending byte's moved bits end the buffer; the rest lead reserve.
        s.pendingByte = ((buffer_ << left) | (left == 0 ? 0 : reserve_ >> (32 - left))) & 0xFF;
        s.next = next_ - (count_ >> 3);
        s.end = end_;
    }

    uint32_t Buffer() const { return buffer_; }

    // n is at most 16.
    void Skip(int n)
    {
        if (count_ < n)
            TopUp(n);
        buffer_ = (buffer_ << n) | ((reserve_ >> 1) >> (31 - n));
        reserve_ <<= n;
        count_ -= n;
    }

private:
    void TopUp(int n)
    {
        if (end_ - next_ >= 2) {
            reserve_ |= (uint32_t(next_[0]) << 8 | next_[1]) << (16 - count_);
            next_ += 2;
            count_ += 16;
        } else {
            TakeBytes(n);
        }
    }

    // One byte at a time, as the owner's reader takes them: a new run of
    // input, or made-up zeros past the data, leave no whole byte in reserve.
    void TakeBytes(int n)
    {
        LzhArchive::BitState s = owner_.Bits();
        s.next = next_;
        s.end = end_;
        while (count_ < n) {
            reserve_ |= owner_.NextByte(s) << (24 - count_);
            count_ += 8;
        }
        next_ = s.next;
        end_ = s.end;
    }

    LzhArchive& owner_;
    uint32_t buffer_;
    uint32_t reserve_;
    int count_;
    const uint8_t* next_;
    const uint8_t* end_;
};

CDecode::CDecode(LzhArchive* owner) : owner_(owner) {}

void CDecode::DecodeStart(uint8_t* window)
{
    std::memset(window, 0, WindowSize);
    owner_->InitBits();
    blockSize_ = 0;
    pendingCopies_ = 0;
    badTable_ = false;
}

// The bit reader's state lives in locals for the whole chunk, and so do the
// block's symbol count and the copy position: every store into the window
// could otherwise alias them and force them through memory at each symbol.
void CDecode::Decode(uint32_t count, uint8_t* buffer)
{
    ChunkBits bits(*owner_);
    uint32_t blockLeft = blockSize_;
    uint32_t from = copyPosition_;
    uint32_t pending = pendingCopies_ > 0 ? static_cast<uint32_t>(pendingCopies_) : 0;
    uint32_t r = CopyAcrossEdges(buffer, 0, count, from, pending);
    while (r < count) {
        if (blockLeft == 0) {
            // A count of 0 read from the stream wraps round here to 2^32 - 1.
            bits.Store();
            blockLeft = StartBlock();
            bits.Load();
            if (blockLeft == 0 && badTable_) {
                std::memset(buffer + r, 0, count - r);
                break;
            }
        }
        --blockLeft;
        const unsigned c = DecodeChar(bits);
        if (c <= 255) {
            buffer[r++] = static_cast<uint8_t>(c);
            continue;
        }
        const uint32_t length = c - 253;
        const uint32_t distance = DecodePosition(bits) + 1;
        from = (r - distance) & WindowMask;
        if (length <= count - r && length <= WindowSize - from && distance - 4 <= WindowSize - 8) {
            CopyMatch(buffer + r, buffer + from, length);
            r += length;
        } else {
            pending = length;
            r = CopyAcrossEdges(buffer, r, count, from, pending);
        }
    }
    bits.Store();
    blockSize_ = blockLeft;
    copyPosition_ = from;
    pendingCopies_ = static_cast<int32_t>(pending);
}

namespace {

void Copy2(uint8_t* to, const uint8_t* from)
{
    uint16_t half;
    std::memcpy(&half, from, 2);
    std::memcpy(to, &half, 2);
}

void Copy4(uint8_t* to, const uint8_t* from)
{
    uint32_t word;
    std::memcpy(&word, from, 4);
    std::memcpy(to, &word, 4);
}

}  // namespace

// A match within the chunk whose source neither wraps round the window nor
// lies within four bytes of its destination (4 <= distance <= 8188).
inline void CDecode::CopyMatch(uint8_t* to, const uint8_t* from, uint32_t length)
{
    if (length >= 32 && (from + length <= to || to + length <= from)) {
        std::memcpy(to, from, length);
        return;
    }
    // Four bytes at a time read only bytes already in place, whether the
    // source lies before the destination or (from the window's far end)
    // after it: the two are at least four apart. The last step overlaps the
    // one before it rather than write past the match, whose next bytes may
    // still be history.
    if (length < 4) {
        Copy2(to, from);
        Copy2(to + 1, from + 1);
        return;
    }
    for (uint32_t i = 0; i + 4 < length; i += 4)
        Copy4(to + i, from + i);
    Copy4(to + length - 4, from + length - 4);
}

// Any other copy: byte by byte, the source wrapping round the window and the
// copy stopping where the chunk ends. Returns the new output position.
uint32_t CDecode::CopyAcrossEdges(uint8_t* buffer, uint32_t r, uint32_t count, uint32_t& from,
                                  uint32_t& pending)
{
    while (pending > 0 && r < count) {
        uint32_t n = pending;
        if (n > count - r)
            n = count - r;
        if (n > WindowSize - from)
            n = WindowSize - from;
        if (from + 1 == r || (from == WindowMask && r == 0)) {
            // Distance 1 repeats the last byte.
            std::memset(buffer + r, buffer[(r - 1) & WindowMask], n);
        } else {
            for (uint32_t i = 0; i < n; i++)
                buffer[r + i] = buffer[from + i];
        }
        r += n;
        from = (from + n) & WindowMask;
        pending -= n;
    }
    return r;
}

// Walks from a table entry down the tree, one input bit per level starting at
// the given bit of the bit buffer, until it reaches a symbol below limit.
unsigned CDecode::WalkTree(unsigned j, unsigned limit, int bit, uint32_t bits)
{
    uint32_t mask = 1u << bit;
    while (j >= limit) {
        if (mask == 0 || j >= static_cast<unsigned>(TreeSize)) {
            ReportBadTable();
            return 0;
        }
        j = (bits & mask) ? right_[j] : left_[j];
        mask >>= 1;
    }
    return j;
}

// Reads a block header into the tables; the block's symbol count, or 0 with
// the table marked bad.
uint32_t CDecode::StartBlock()
{
    if (badTable_)
        return 0;
    // Past the data the reader supplies zero bits, and zeros read as a
    // block of one-symbol codes that never ends (count 0) and consumes
    // nothing: a block header that does not lie wholly within the data
    // is damage. Too few bits for the shortest header is known at once.
    if (owner_->BitsLeft() < MinBlockHeaderBits) {
        ReportBadTable();
        return 0;
    }
    uint32_t size = owner_->GetBits(16);
    ReadLengths(NT, TBIT, 3);
    ReadCharLengths();
    ReadLengths(NP, PBIT, NoSpecial);
    if (!badTable_ && owner_->BitsLeft() < 0)
        ReportBadTable();
    // A count of 0 is taken as 2^32: it never runs out within an entry.
    return badTable_ ? 0 : size;
}

inline unsigned CDecode::DecodeChar(ChunkBits& bits)
{
    unsigned j = charTable_[bits.Buffer() >> (32 - CharTableBits)];
    if (j >= static_cast<unsigned>(NC))
        j = WalkTree(j, NC, 31 - CharTableBits, bits.Buffer());
    bits.Skip(charLength_[j]);
    return j;
}

inline unsigned CDecode::DecodePosition(ChunkBits& bits)
{
    unsigned j = ptTable_[bits.Buffer() >> (32 - PtTableBits)];
    if (j >= static_cast<unsigned>(NP))
        j = WalkTree(j, NP, 31 - PtTableBits, bits.Buffer());
    bits.Skip(ptLength_[j]);
    if (j <= 1)
        return j;
    const unsigned extra = bits.Buffer() >> (33 - j);
    bits.Skip(static_cast<int>(j) - 1);
    return (1u << (j - 1)) + extra;
}

void CDecode::ReadLengths(int nn, int nbit, int special)
{
    if (badTable_)
        return;
    int n = static_cast<int>(owner_->GetBits(nbit));
    if (n == 0) {
        unsigned c = owner_->GetBits(nbit);
        if (c >= static_cast<unsigned>(nn)) {
            ReportBadTable();
            return;
        }
        std::memset(ptLength_, 0, sizeof ptLength_);
        for (uint16_t& entry : ptTable_)
            entry = static_cast<uint16_t>(c);
        return;
    }
    if (n > nn) {
        ReportBadTable();
        return;
    }
    int i = 0;
    while (i < n) {
        uint32_t bits = owner_->BitBuffer();
        int c = static_cast<int>(bits >> 29);
        if (c == 7) {
            // Lengths of 7 and more continue in unary: one more per 1 bit.
            for (uint32_t mask = 1u << 28; bits & mask; mask >>= 1)
                ++c;
            if (c > MaxCodeLength) {
                ReportBadTable();
                return;
            }
        }
        owner_->FillBits(c < 7 ? 3 : c - 3);
        ptLength_[i++] = static_cast<uint8_t>(c);
        if (i == special) {
            int k = static_cast<int>(owner_->GetBits(2));
            while (--k >= 0 && i < nn)
                ptLength_[i++] = 0;
        }
    }
    while (i < nn)
        ptLength_[i++] = 0;
    if (!MakeTable(nn, ptLength_, PtTableBits, ptTable_))
        ReportBadTable();
}

void CDecode::ReadCharLengths()
{
    if (badTable_)
        return;
    int n = static_cast<int>(owner_->GetBits(CBIT));
    if (n == 0) {
        unsigned c = owner_->GetBits(CBIT);
        if (c >= static_cast<unsigned>(NC)) {
            ReportBadTable();
            return;
        }
        std::memset(charLength_, 0, sizeof charLength_);
        for (uint16_t& entry : charTable_)
            entry = static_cast<uint16_t>(c);
        return;
    }
    if (n > NC) {
        ReportBadTable();
        return;
    }
    int i = 0;
    while (i < n) {
        unsigned c = ptTable_[owner_->BitBuffer() >> (32 - PtTableBits)];
        if (c >= static_cast<unsigned>(NT))
            c = WalkTree(c, NT, 31 - PtTableBits, owner_->BitBuffer());
        if (badTable_)
            return;
        owner_->FillBits(ptLength_[c]);
        if (c > 2) {
            charLength_[i++] = static_cast<uint8_t>(c - 2);
            continue;
        }
        // 0: one zero length; 1: 3 to 18 of them; 2: 20 to 531 of them.
        int run = c == 0 ? 1 : c == 1 ? static_cast<int>(owner_->GetBits(4)) + 3
                                      : static_cast<int>(owner_->GetBits(CBIT)) + 20;
        if (run > NC - i) {
            ReportBadTable();
            return;
        }
        std::memset(charLength_ + i, 0, static_cast<std::size_t>(run));
        i += run;
    }
    if (i < NC)
        std::memset(charLength_ + i, 0, static_cast<std::size_t>(NC - i));
    if (!MakeTable(NC, charLength_, CharTableBits, charTable_))
        ReportBadTable();
}

// A code's share of the table starts at a multiple of its size, so shares
// of two entries or more are filled two entries at a time.
void CDecode::FillTable(uint16_t* table, uint32_t begin, uint32_t end, uint16_t symbol)
{
    if (end - begin == 1) {
        table[begin] = symbol;
        return;
    }
    const uint32_t pair = symbol * 0x10001u;
    for (uint32_t i = begin; i < end; i += 2)
        std::memcpy(table + i, &pair, 4);
}

// Canonical code assignment: codes of each length follow one another in
// symbol order. Codes up to tablebits long fill the table directly; longer
// ones hang below their table slot as a tree of left/right nodes.
bool CDecode::MakeTable(int nchar, const uint8_t* lengths, int tablebits, uint16_t* table)
{
    uint32_t count[MaxCodeLength + 1] = {};
    for (int i = 0; i < nchar; i++)
        count[lengths[i]]++;

    // The lengths must fill the code space exactly: a code that leaves gaps
    // or overflows it is damage, and an overfull one would write past the table.
    uint32_t start[MaxCodeLength + 2];
    start[1] = 0;
    for (int i = 1; i <= MaxCodeLength; i++)
        start[i + 1] = start[i] + (count[i] << (MaxCodeLength - i));
    if (start[MaxCodeLength + 1] != (1u << 16))
        return false;

    uint32_t weight[MaxCodeLength + 1];
    const int shift = MaxCodeLength - tablebits;
    for (int i = 1; i <= tablebits; i++) {
        start[i] >>= shift;
        weight[i] = 1u << (tablebits - i);
    }
    for (int i = tablebits + 1; i <= MaxCodeLength; i++)
        weight[i] = 1u << (MaxCodeLength - i);

    const uint32_t tableSize = 1u << tablebits;
    uint32_t k = (start[tablebits + 1] & 0xFFFF) >> shift;
    if (k != 0 && k != tableSize)
        for (uint32_t i = k; i < tableSize; i++)
            table[i] = 0;

    unsigned avail = static_cast<unsigned>(nchar);
    const uint32_t treeBit = 1u << (15 - tablebits);
    for (int ch = 0; ch < nchar; ch++) {
        int len = lengths[ch];
        if (len == 0)
            continue;
        uint32_t next = start[len] + weight[len];
        if (len <= tablebits) {
            FillTable(table, start[len], next, static_cast<uint16_t>(ch));
        } else {
            uint32_t code = start[len];
            uint16_t* p = &table[code >> shift];
            for (int i = len - tablebits; i > 0; i--) {
                if (*p == 0) {
                    if (avail >= static_cast<unsigned>(TreeSize))
                        return false;
                    left_[avail] = right_[avail] = 0;
                    *p = static_cast<uint16_t>(avail++);
                }
                p = (code & treeBit) ? &right_[*p] : &left_[*p];
                code = (code << 1) & 0xFFFF;
            }
            *p = static_cast<uint16_t>(ch);
        }
        start[len] = next;
    }
    return true;
}

void CDecode::ReportBadTable()
{
    badTable_ = true;
    owner_->ReportError("Bad table\nBad table\nBad table\nBad table\n");
}
