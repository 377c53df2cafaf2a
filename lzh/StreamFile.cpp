#include "StreamFile.h"

#include "FileSystem.h"
#include "LzhArchive.h"

#include <cstdlib>

StreamFile::~StreamFile()
{
    Close();
}

bool StreamFile::Open(const char* name, int mode)
{
    Close();
    const char* how = mode == WriteMode ? "wb" : "rb";
    for (;;) {
        stream = lzhfs::OpenShared(name, how);
        if (stream) {
            buffer_ = static_cast<char*>(std::malloc(BufferSize));
            if (buffer_ && std::setvbuf(stream, buffer_, _IOFBF, BufferSize) == 0) {
                usable = true;
                return true;
            }
            Close();
        }
        if (!notify || !owner || !owner->OnFileError(this, 0, 0))
            return false;
    }
}

bool StreamFile::Close()
{
    bool ok = true;
    if (stream)
        ok = std::fclose(stream) == 0;
    std::free(buffer_);
    buffer_ = nullptr;
    stream = nullptr;
    usable = false;
    return ok;
}

void StreamFile::Fail(int kind)
{
    Close();
    if (notify && owner)
        owner->OnFileError(this, kind, 0);
}

bool StreamFile::AtEnd()
{
    if (!usable)
        return true;
    int c = std::getc(stream);
    if (c == EOF)
        return true;
    std::ungetc(c, stream);
    return false;
}

uint32_t StreamFile::Length()
{
    if (!usable)
        return 0;
    long here = std::ftell(stream);
    if (here < 0 || std::fseek(stream, 0, SEEK_END) != 0)
        return 0;
    long size = std::ftell(stream);
    std::fseek(stream, here, SEEK_SET);
    return size < 0 ? 0 : static_cast<uint32_t>(size);
}

uint32_t StreamFile::Read(void* buffer, uint32_t n)
{
    if (!usable)
        return 0;
    std::size_t got = std::fread(buffer, 1, n, stream);
    if (got < n && std::ferror(stream)) {
        Fail(1);
        return 0;
    }
    return static_cast<uint32_t>(got);
}

uint32_t StreamFile::Write(const void* buffer, uint32_t n)
{
    if (!usable)
        return 0;
    std::size_t put = std::fwrite(buffer, 1, n, stream);
    if (put < n)
        Fail(2);
    return static_cast<uint32_t>(put);
}

int StreamFile::GetByte()
{
    if (!usable || lzhfs::AtEof(stream))
        return NoByte;
    int c = lzhfs::GetChar(stream);
    if (c == EOF) {
        Fail(1);
        return NoByte;
    }
    return c;
}

uint32_t StreamFile::GetBytes(uint8_t* to, uint32_t n)
{
    if (!usable || n == 0 || lzhfs::AtEof(stream))
        return 0;
    std::size_t got = std::fread(to, 1, n, stream);
    if (got == 0) {
        Fail(1);
        return 0;
    }
    // The end (or an error) met after some bytes: the next call is to meet
    // it again and fail, as GetByte would on the byte after them.
    if (got < n)
        std::clearerr(stream);
    return static_cast<uint32_t>(got);
}

int StreamFile::PutByte(int c)
{
    if (!usable)
        return NoByte;
    if (std::putc(c, stream) == EOF) {
        Fail(2);
        return NoByte;
    }
    return c;
}

long StreamFile::Tell()
{
    return usable ? std::ftell(stream) : -1;
}

bool StreamFile::Seek(long offset, int origin)
{
    if (!usable)
        return false;
    static const int whence[] = { SEEK_SET, SEEK_END, SEEK_CUR };
    if (origin < 0 || origin > 2)
        return false;
    return std::fseek(stream, offset, whence[origin]) == 0;
}

bool StreamFile::GetDosTime(uint8_t stamp[4])
{
    uint16_t time, date;
    if (!usable || !lzhfs::GetDosStamp(stream, time, date))
        return false;
    stamp[0] = time & 0xFF;
    stamp[1] = time >> 8;
    stamp[2] = date & 0xFF;
    stamp[3] = date >> 8;
    return true;
}

bool StreamFile::SetDosTime(const uint8_t stamp[4])
{
    if (!usable)
        return false;
    uint16_t time = stamp[0] | stamp[1] << 8;
    uint16_t date = stamp[2] | stamp[3] << 8;
    return lzhfs::SetDosStamp(stream, time, date);
}
