// A buffered file that reports its failures to the archive that owns it.
#pragma once

#include <cstdint>
#include <cstdio>

class LzhArchive;

class StreamFile {
public:
    enum Mode { ReadMode = 0, WriteMode = 1 };
    // Seek origins: note that 1 and 2 are the reverse of stdio's numbering.
    enum Origin { FromStart = 0, FromEnd = 1, FromCurrent = 2 };
    enum { NoByte = 256 };
    static const std::size_t BufferSize = 262144;

    StreamFile() = default;
    StreamFile(const StreamFile&) = delete;
    StreamFile& operator=(const StreamFile&) = delete;

    virtual bool Open(const char* name, int mode);
    virtual bool Close();
    virtual bool AtEnd();
    virtual uint32_t Length();
    virtual uint32_t Read(void* buffer, uint32_t n);
    virtual uint32_t Write(const void* buffer, uint32_t n);
    virtual int GetByte();
    virtual int PutByte(int c);
    virtual long Tell();
    virtual bool Seek(long offset, int origin);
    // Stamps are four bytes: MS-DOS time then MS-DOS date, each low byte first.
    virtual bool GetDosTime(uint8_t stamp[4]);
    virtual bool SetDosTime(const uint8_t stamp[4]);
    virtual ~StreamFile();

    // Up to n bytes, as that many GetByte calls would give them, stopping
    // before the first that would find none; 0 when that is the first one,
    // which fails the file as in GetByte.
    uint32_t GetBytes(uint8_t* to, uint32_t n);

    bool usable = false;
    bool notify = false;
    LzhArchive* owner = nullptr;
    std::FILE* stream = nullptr;

private:
    void Fail(int kind);
    char* buffer_ = nullptr;
};
