#include "LzhArchive.h"

#include "CDecode.h"
#include "EntryName.h"
#include "FileSystem.h"

#include <climits>
#include <cstdarg>
#include <cstring>
#include <new>

namespace {

// Offsets within the header buffer, which holds the header from its offset 2.
const unsigned MethodAt = 0;           // "-lh5-"
const unsigned MethodDigitAt = 3;
const unsigned CompressedSizeAt = 5;
const unsigned UncompressedSizeAt = 9;
const unsigned StampAt = 13;           // MS-DOS time, then date
const unsigned LevelAt = 18;
const unsigned NameLengthAt = 19;
const unsigned NameAt = 20;
// Bytes that follow the name: the CRC at level 0; the CRC, the operating
// system and the first extended-header size at level 1.
const unsigned Level0Tail = 2;
const unsigned Level1Tail = 5;
// An entry counts its header, name and data as compressed size + name + 24.
const uint32_t EntryOverhead = 24;

static_assert(LzhArchive::TransferSize == CDecode::WindowSize, "the transfer buffer is the decoder's window");

uint32_t Get32(const uint8_t* p)
{
    return p[0] | p[1] << 8 | p[2] << 16 | static_cast<uint32_t>(p[3]) << 24;
}

uint16_t Get16(const uint8_t* p)
{
    return static_cast<uint16_t>(p[0] | p[1] << 8);
}

}  // namespace

LzhArchive::LzhArchive() = default;
LzhArchive::~LzhArchive() = default;

bool LzhArchive::OnFileError(StreamFile*, int, int)
{
    return false;
}

void LzhArchive::OnEntryBegin(const char*, uint32_t, uint32_t) {}
void LzhArchive::OnEntryEnd(const char*, uint32_t, uint32_t) {}
void LzhArchive::OnProgress(const char*, uint32_t, uint32_t) {}
void LzhArchive::OnEntryListed(const EntryInfo&, int) {}

void LzhArchive::SetDiagnosticSink(DiagnosticSink sink, void* context)
{
    sink_ = sink;
    sinkContext_ = context;
}

void LzhArchive::ReportError(const char* format, ...)
{
    if (!sink_)
        return;
    char text[512];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    sink_(sinkContext_, text);
}

void LzhArchive::BuildCrcTable()
{
    if (crcTableBuilt_)
        return;
    for (unsigned i = 0; i < 256; i++) {
        unsigned r = i;
        for (int bit = 0; bit < 8; bit++)
            r = (r & 1) ? (r >> 1) ^ 0xA001 : r >> 1;
        crcTable_[0][i] = static_cast<uint16_t>(r);
    }
    for (int k = 1; k < 8; k++)
        for (unsigned i = 0; i < 256; i++) {
            const unsigned r = crcTable_[k - 1][i];
            crcTable_[k][i] = static_cast<uint16_t>(crcTable_[0][r & 0xFF] ^ (r >> 8));
        }
    crcTableBuilt_ = true;
}

void LzhArchive::UpdateCrc(const uint8_t* p, uint32_t n)
{
    uint32_t crc = crc_;
    const uint8_t* end = p + n;
    // The CRC's two bytes fold into the first two data bytes; each byte is
    // then looked up in the table that carries it through the bytes after it.
    for (; end - p >= 8; p += 8)
        crc = crcTable_[7][(crc ^ p[0]) & 0xFF] ^ crcTable_[6][(crc >> 8) ^ p[1]] ^ crcTable_[5][p[2]] ^
              crcTable_[4][p[3]] ^ crcTable_[3][p[4]] ^ crcTable_[2][p[5]] ^ crcTable_[1][p[6]] ^
              crcTable_[0][p[7]];
    for (; p != end; p++)
        crc = crcTable_[0][(crc ^ *p) & 0xFF] ^ (crc >> 8);
    crc_ = crc;
}

int LzhArchive::ExtractAll(const char* archivePath)
{
    StreamFile input;
    input.Open(archivePath, StreamFile::ReadMode);
    if (input.AtEnd())
        return -2;
    int result;
    do
        result = ExtractEntry(input);
    while (result == 1 && !input.AtEnd());
    input.Close();
    input_ = nullptr;
    name_ = nullptr;
    return result;
}

uint32_t LzhArchive::ScanTotalSize(const char* archivePath)
{
    StreamFile input;
    input.Open(archivePath, StreamFile::ReadMode);
    if (input.AtEnd())
        return 0;
    input_ = &input;
    input.notify = true;
    input.owner = this;
    BuildCrcTable();
    uint32_t total = 0;
    while (!input.AtEnd()) {
        if (ReadHeader() != HeaderGood)
            continue;
        total = uncompressedSize_ > 0xFFFFFFFFu - total ? 0xFFFFFFFFu : total + uncompressedSize_;
        const long dataStart = input.Tell();
        decoder_.reset(new (std::nothrow) CDecode(this));
        if (!decoder_) {
            ReportError("No pude crear objeto 'CDecode'.");
        } else {
            if (DecodeEntry(false) && crc_ != storedCrc_)
                ReportError("CheckSum Incorrecto. Original: %x, Final: %x", crc_, storedCrc_);
            decoder_.reset();
        }
        if (!SkipToEntryEnd(dataStart))
            break;
    }
    input_ = nullptr;
    name_ = nullptr;
    return total;
}

LzhArchive::EntryInfo LzhArchive::Info() const
{
    EntryInfo info;
    info.name = name_;
    std::memcpy(info.method, header_ + MethodAt, 5);
    info.method[5] = '\0';
    info.level = header_[LevelAt] == 0 ? 0 : 1;
    info.compressedSize = compressedSize_;
    info.uncompressedSize = uncompressedSize_;
    info.crc = storedCrc_;
    info.dosTime = Get16(header_ + StampAt);
    info.dosDate = Get16(header_ + StampAt + 2);
    return info;
}

// The next header starts after the entry's compressed bytes, wherever the
// decoder stopped: a stream may end before them, and damaged data anywhere.
// The seek only ever goes forward from the data's start, so that a damaged
// size cannot send the reader round in circles.
bool LzhArchive::SkipToEntryEnd(long dataStart)
{
    if (dataStart < 0 || !input_->usable)
        return false;
    const uint64_t target = static_cast<uint64_t>(dataStart) + dataSize_;
    if (target > static_cast<uint64_t>(LONG_MAX))
        return false;
    return input_->Seek(static_cast<long>(target), StreamFile::FromStart);
}

int LzhArchive::ListAll(const char* archivePath, bool test)
{
    StreamFile input;
    input.Open(archivePath, StreamFile::ReadMode);
    if (input.AtEnd())
        return -2;
    input_ = &input;
    input.notify = true;
    input.owner = this;
    BuildCrcTable();
    int all = 1;
    while (!input.AtEnd()) {
        HeaderResult header = ReadHeader();
        if (header != HeaderGood) {
            if (header == HeaderDamaged || !input.usable || !input.AtEnd()) {
                ReportError("Error el el fichero lzh");
                all = 0;
            }
            break;
        }
        EntryInfo info = Info();
        const long dataStart = input.Tell();
        int result = -1;
        if (test) {
            decoder_.reset(new (std::nothrow) CDecode(this));
            result = decoder_ && DecodeEntry(false) && crc_ == storedCrc_ ? 1 : 0;
            decoder_.reset();
        }
        if (result != 0 && !SkipToEntryEnd(dataStart)) {
            ReportError("Can't read");
            result = 0;
        }
        if (result == 0)
            all = 0;
        OnEntryListed(info, result);
        if (result == 0)
            break;
    }
    input_ = nullptr;
    name_ = nullptr;
    return all;
}

int LzhArchive::ExtractEntry(StreamFile& input)
{
    input_ = &input;
    input.notify = true;
    input.owner = this;
    BuildCrcTable();

    HeaderResult header = ReadHeader();
    if (header != HeaderGood) {
        if (header == HeaderFailed && input.usable && input.AtEnd())
            return 1;
        ReportError("Error el el fichero lzh");
        return 0;
    }
    if (!lzh::IsSafeEntryName(name_)) {
        ReportError("No pude crear '%s'.", name_);
        return 0;
    }

    char prefix[256];
    for (unsigned i = 0; i < nameLength_; i++) {
        if (name_[i] != '\\')
            continue;
        std::memcpy(prefix, name_, i);
        prefix[i] = '\0';
        lzhfs::MakeDirectory(prefix);
    }

    StreamFile output;
    output.notify = true;
    output.owner = this;
    output_ = &output;
    if (!output.Open(name_, StreamFile::WriteMode)) {
        ReportError("No pude crear '%s'.", name_);
        output_ = nullptr;
        return 0;
    }

    const long dataStart = input.Tell();
    const uint32_t entryBytes = compressedSize_ + nameLength_ + EntryOverhead;
    OnEntryBegin(name_, entryBytes, uncompressedSize_);
    int result = 0;
    decoder_.reset(new (std::nothrow) CDecode(this));
    if (!decoder_) {
        ReportError("No pude crear objeto 'CDecode'.");
    } else {
        if (DecodeEntry(true)) {
            if (crc_ != storedCrc_)
                ReportError("CheckSum Incorrecto. Original: %x, Final: %x", crc_, storedCrc_);
            else if (SkipToEntryEnd(dataStart))
                result = 1;
            else
                ReportError("Can't read");
        }
        decoder_.reset();
        output.SetDosTime(header_ + StampAt);
    }
    OnEntryEnd(name_, entryBytes, uncompressedSize_);
    output.Close();
    output_ = nullptr;
    return result;
}

bool LzhArchive::HeaderFitsFields() const
{
    unsigned tail = header_[LevelAt] == 0 ? Level0Tail : Level1Tail;
    return headerSize_ >= NameAt + tail && nameLength_ <= headerSize_ - NameAt - tail;
}

LzhArchive::HeaderResult LzhArchive::ReadHeader()
{
    const long headerStart = input_->Tell();
    entryDataEnd_ = -1;
    headerSize_ = static_cast<unsigned>(input_->GetByte()) & 0xFF;
    if (headerSize_ == 0)
        return HeaderFailed;
    headerSum_ = static_cast<unsigned>(input_->GetByte()) & 0xFF;

    unsigned got = 0;
    while (got < headerSize_) {
        int c = input_->GetByte();
        if (c == StreamFile::NoByte)
            break;
        header_[got++] = static_cast<uint8_t>(c);
    }
    UpdateCrc(header_, got);
    if (!input_->usable) {
        ReportError("No pude leer correctamente.");
        return HeaderFailed;
    }
    if (got == 0)
        return HeaderFailed;

    unsigned sum = 0;
    for (unsigned i = 0; i < headerSize_; i++)
        sum += header_[i];
    if ((sum & 0xFF) != headerSum_) {
        ReportError("Header sum error");
        return HeaderFailed;
    }

    nameLength_ = header_[NameLengthAt];
    // Too short for its fixed fields, or a name running into them.
    if (!HeaderFitsFields())
        return HeaderDamaged;
    compressedSize_ = Get32(header_ + CompressedSizeAt);
    uncompressedSize_ = Get32(header_ + UncompressedSizeAt);
    unsigned tail = header_[LevelAt] == 0 ? Level0Tail : Level1Tail;
    storedCrc_ = Get16(header_ + headerSize_ - tail);
    name_ = reinterpret_cast<char*>(header_ + NameAt);
    name_[nameLength_] = '\0';
    entryDataEnd_ = int64_t(headerStart) + 2 + headerSize_ + compressedSize_;
    dataSize_ = compressedSize_;
    if (header_[LevelAt] != 0)
        return SkipExtendedHeaders();
    return HeaderGood;
}

// Extended headers count towards the compressed size and come before the
// data. Each ends with the size of the next one; 0 ends the chain. A header
// holds at least its type byte and that size, and together they must fit in
// the compressed size: otherwise the data's size would wrap round and no
// bound on reading would hold.
LzhArchive::HeaderResult LzhArchive::SkipExtendedHeaders()
{
    const uint32_t MinExtendedHeader = 3;
    uint32_t size = Get16(header_ + headerSize_ - 2);
    while (size != 0) {
        if (size < MinExtendedHeader || size > dataSize_)
            return HeaderDamaged;
        dataSize_ -= size;
        if (!input_->Seek(static_cast<long>(size) - 2, StreamFile::FromCurrent)) {
            ReportError("Can't read");
            return HeaderDamaged;
        }
        unsigned low = static_cast<unsigned>(input_->GetByte()) & 0xFF;
        unsigned high = static_cast<unsigned>(input_->GetByte()) & 0xFF;
        size = low | high << 8;
    }
    if (!input_->usable) {
        ReportError("Can't read");
        return HeaderDamaged;
    }
    return HeaderGood;
}

// Takes the next run of the entry's compressed bytes from the input. Past
// them the bit reader gets made-up zeros, and a failed input gives zeros too
// (GetByte's no-byte value reduced to 8 bits), each counted as a byte taken.
unsigned LzhArchive::RefillInput(BitState& bits)
{
    if (compressedLeft_ == 0) {
        ++overrun_;
        return 0;
    }
    const uint32_t n = compressedLeft_ < sizeof inputBytes_ ? compressedLeft_ : sizeof inputBytes_;
    const uint32_t got = input_->GetBytes(inputBytes_, n);
    if (got == 0) {
        --compressedLeft_;
        return 0;
    }
    compressedLeft_ -= got;
    bits.next = inputBytes_ + 1;
    bits.end = inputBytes_ + got;
    return inputBytes_[0];
}

bool LzhArchive::PassOn(uint32_t n, bool writeOutput)
{
    if (writeOutput) {
        output_->Write(transfer_, n);
        if (!output_->usable) {
            ReportError("No pude escribir correctamente.");
            return false;
        }
    }
    UpdateCrc(transfer_, n);
    return true;
}

bool LzhArchive::DecodeEntry(bool writeOutput)
{
    const uint8_t digit = header_[MethodDigitAt];
    crc_ = 0;
    header_[MethodDigitAt] = ' ';
    if ((digit != '0' && digit != '4' && digit != '5') ||
        std::memcmp(header_ + MethodAt, "-lh -", 5) != 0) {
        ReportError("Unknown method: %u", digit);
        return false;
    }

    compressedLeft_ = dataSize_;
    overrun_ = 0;
    crc_ = 0;
    remaining_ = uncompressedSize_;
    const uint32_t total = uncompressedSize_;
    if (digit != '0')
        decoder_->DecodeStart(transfer_);
    while (remaining_ > 0) {
        uint32_t n = remaining_ < TransferSize ? remaining_ : TransferSize;
        if (digit == '0') {
            // Stored bytes come from the entry's own data, never from the
            // entries after it; a short read is the archive ending inside it.
            if (n > compressedLeft_ || input_->Read(transfer_, n) != n || !input_->usable) {
                ReportError("Can't read");
                return false;
            }
            compressedLeft_ -= n;
        } else {
            decoder_->Decode(n, transfer_);
            if (!input_->usable || overrun_ > MaxOverrun) {
                ReportError("Can't read");
                return false;
            }
            if (decoder_->BadTable())
                return false;
        }
        PassOn(n, writeOutput);
        remaining_ -= n;
        OnProgress(name_, total - remaining_, total);
    }
    return true;
}
