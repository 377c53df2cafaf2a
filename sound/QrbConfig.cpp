#include "QrbConfig.h"

#include <cstdarg>
#include <cstdio>

namespace {

const char* const ConfigName = "qrbset.cfg";

std::string Format(const char* format, ...)
{
    char small[256];
    va_list args;
    va_start(args, format);
    int length = std::vsnprintf(small, sizeof small, format, args);
    va_end(args);
    if (length < 0)
        return std::string();
    if (static_cast<size_t>(length) < sizeof small)
        return std::string(small, length);
    std::string text(length + 1, '\0');
    va_start(args, format);
    std::vsnprintf(&text[0], text.size(), format, args);
    va_end(args);
    text.resize(length);
    return text;
}

// What a file opened in text mode receives: every "\n" as CR LF.
std::string TextModeBytes(const std::string& text)
{
    std::string bytes;
    for (char c : text) {
        if (c == '\n')
            bytes += '\r';
        bytes += c;
    }
    return bytes;
}

// Paths are written with "\"; the host build's tests need "/".
std::FILE* OpenFile(const std::string& path, const char* mode)
{
#ifdef _WIN32
    return std::fopen(path.c_str(), mode);
#else
    std::string native = path;
    for (char& c : native) {
        if (c == '\\')
            c = '/';
    }
    return std::fopen(native.c_str(), mode);
#endif
}

}  // namespace

std::string ConfigPath(const std::string& directory)
{
    return directory + "\\" + ConfigName;
}

std::string CardConfigText(const SoundCard& card, int portIndex, int dmaIndex, int irqIndex)
{
    return TextModeBytes(Format("\n[DIGITAL]\n"
                                "DeviceName  = %s\n"
                                "DeviceIRQ   = %d\n"
                                "DeviceDMA   = %d\n"
                                "DevicePort  = 0x%03x\n"
                                "DeviceID    = %s\n",
                                card.name, CardIrq(card, irqIndex), CardDma(card, dmaIndex),
                                static_cast<unsigned>(CardPort(card, portIndex)), card.id));
}

std::string LibraryConfigText(const char* description, int32_t irq, int32_t dma, uint32_t port, uint32_t deviceId)
{
    return TextModeBytes(Format("[DIGITAL]"
                                "\nDeviceName  = %s"
                                "\nDeviceIRQ   = %d"
                                "\nDeviceDMA   = %d"
                                "\nDevicePort  = 0x%x"
                                "\nDeviceID    = 0x%x",
                                description, static_cast<int>(irq), static_cast<int>(dma),
                                static_cast<unsigned>(port), static_cast<unsigned>(deviceId)));
}

bool WriteConfigFile(const std::string& path, const std::string& bytes)
{
    std::FILE* file = OpenFile(path, "wb");
    if (!file)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

bool WriteCardConfig(const std::string& directory, int row, int portIndex, int dmaIndex, int irqIndex)
{
    if (row < 0 || row >= SoundCardCount)
        return false;
    return WriteConfigFile(ConfigPath(directory),
                           CardConfigText(SoundCardTable[row], portIndex, dmaIndex, irqIndex));
}

bool AppendConfigLineEnd(const std::string& directory)
{
    std::FILE* file = OpenFile(ConfigPath(directory), "ab");
    if (!file)
        return false;
    const bool written = std::fseek(file, 0, SEEK_END) == 0 && std::fwrite("\r\n", 1, 2, file) == 2;
    return std::fclose(file) == 0 && written;
}
