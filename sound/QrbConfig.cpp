#include "QrbConfig.h"

#include "Files.h"

#include <cstdio>

std::string CardConfigText(const SoundCard& card, int portIndex, int dmaIndex, int irqIndex)
{
    return ConfigText("\n[DIGITAL]\n"
                      "DeviceName  = %s\n"
                      "DeviceIRQ   = %d\n"
                      "DeviceDMA   = %d\n"
                      "DevicePort  = 0x%03x\n"
                      "DeviceID    = %s\n",
                      ConfigValue(card.name).c_str(), CardIrq(card, irqIndex), CardDma(card, dmaIndex),
                      static_cast<unsigned>(CardPort(card, portIndex)), ConfigValue(card.id).c_str());
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
    unsigned cause;
    std::FILE* file = files::Open(ConfigPath(directory), "ab", cause);
    if (!file)
        return false;
    const bool written = std::fseek(file, 0, SEEK_END) == 0 && std::fwrite("\r\n", 1, 2, file) == 2;
    return std::fclose(file) == 0 && written;
}
