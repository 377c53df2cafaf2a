#include "Lh5Header.h"

namespace lzhenc {

int CharLengthSymbols(const std::vector<uint8_t>& lengths, TSymbol* out)
{
    int count = 0;
    std::size_t i = 0;
    while (i < lengths.size()) {
        if (lengths[i] != 0) {
            out[count++] = {lengths[i] + 2, 0, 0};
            ++i;
            continue;
        }
        std::size_t run = 1;
        while (i + run < lengths.size() && lengths[i + run] == 0)
            ++run;
        i += run;
        if (run == 19) {
            out[count++] = {0, 0, 0};
            run = 18;
        }
        if (run <= 2) {
            for (std::size_t k = 0; k < run; k++)
                out[count++] = {0, 0, 0};
        } else if (run <= 18) {
            out[count++] = {1, 4, static_cast<uint32_t>(run - 3)};
        } else {
            out[count++] = {2, CBIT, static_cast<uint32_t>(run - 20)};
        }
    }
    return count;
}

void PutCodeLength(BitWriter& out, unsigned length)
{
    WriteCodeLength(out, length);
}

void PutLengthCode(BitWriter& out, const Code& code, int nbit, int zeroRunAfter)
{
    WriteLengthCode(out, code, nbit, zeroRunAfter);
}

void PutCharCode(BitWriter& out, const Code& c, const Code& t)
{
    WriteCharCode(out, c, t);
}

void PutBlockHeader(BitWriter& out, const BlockCodes& codes)
{
    WriteBlockHeader(out, codes);
}

}  // namespace lzhenc
