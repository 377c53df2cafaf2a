#include "QrbConfigFile.h"

#include "Files.h"

#include <cstdarg>
#include <cstdio>

namespace {

const char* const ConfigName = "qrbset.cfg";

std::string Format(const char* format, va_list args)
{
    char small[256];
    va_list again;
    va_copy(again, args);
    const int length = std::vsnprintf(small, sizeof small, format, args);
    if (length < 0 || static_cast<size_t>(length) < sizeof small) {
        va_end(again);
        return length < 0 ? std::string() : std::string(small, length);
    }
    std::string text(length + 1, '\0');
    std::vsnprintf(&text[0], text.size(), format, again);
    va_end(again);
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

}  // namespace

std::string ConfigPath(const std::string& directory)
{
    return directory + "\\" + ConfigName;
}

std::string ConfigText(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    const std::string text = Format(format, args);
    va_end(args);
    return TextModeBytes(text);
}

std::string ConfigValue(const char* text)
{
    std::string value(text);
    for (char& c : value) {
        const unsigned char byte = static_cast<unsigned char>(c);
        if (byte < 0x20 || byte == 0x7F)
            c = ' ';
    }
    return value;
}

std::string LibraryConfigText(const char* description, int32_t irq, int32_t dma, uint32_t port, uint32_t deviceId)
{
    return ConfigText("[DIGITAL]"
                      "\nDeviceName  = %s"
                      "\nDeviceIRQ   = %d"
                      "\nDeviceDMA   = %d"
                      "\nDevicePort  = 0x%x"
                      "\nDeviceID    = 0x%x",
                      ConfigValue(description).c_str(), static_cast<int>(irq), static_cast<int>(dma),
                      static_cast<unsigned>(port), static_cast<unsigned>(deviceId));
}

bool WriteConfigFile(const std::string& path, const std::string& bytes)
{
    unsigned cause;
    std::FILE* file = files::Open(path, "wb", cause);
    if (!file)
        return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}
