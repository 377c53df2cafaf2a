#include "Lh5Code.h"

#include <algorithm>
#include <stdexcept>

namespace lzhenc {

Code Code::Single(int symbol)
{
    Code code;
    code.single = symbol;
    return code;
}

std::vector<uint32_t> Code::Codes() const
{
    uint32_t count[17] = {};
    for (uint8_t len : lengths)
        if (len <= 16)
            count[len]++;
    uint32_t start[18];
    start[1] = 0;
    for (int i = 1; i <= 16; i++)
        start[i + 1] = start[i] + (count[i] << (16 - i));
    std::vector<uint32_t> codes(lengths.size(), 0);
    for (std::size_t s = 0; s < lengths.size(); s++) {
        int len = lengths[s];
        if (len == 0 || len > 16)
            continue;
        codes[s] = start[len] >> (16 - len);
        start[len] += 1u << (16 - len);
    }
    return codes;
}

void Code::PutSymbol(BitWriter& out, int sym) const
{
    if (single >= 0) {
        if (sym != single)
            throw std::invalid_argument("symbol outside a single-symbol code");
        return;
    }
    if (sym < 0 || static_cast<std::size_t>(sym) >= lengths.size() || lengths[sym] == 0)
        throw std::invalid_argument("symbol without a code");
    out.Put(Codes()[sym], lengths[sym]);
}

namespace {

struct Leaf {
    uint32_t freq;
    int sym;
};

// Sorts leaves by frequency, symbols in order within one frequency: stable
// radix passes over the bytes that the largest frequency uses.
void SortLeaves(Leaf* leaves, int m)
{
    uint32_t most = 0;
    for (int k = 0; k < m; k++)
        most = std::max(most, leaves[k].freq);
    Leaf scratch[NC];
    for (int shift = 0; shift < 32 && (most >> shift); shift += 8) {
        int start[257] = {};
        for (int k = 0; k < m; k++)
            start[((leaves[k].freq >> shift) & 255) + 1]++;
        for (int b = 0; b < 256; b++)
            start[b + 1] += start[b];
        for (int k = 0; k < m; k++)
            scratch[start[(leaves[k].freq >> shift) & 255]++] = leaves[k];
        std::copy(scratch, scratch + m, leaves);
    }
}

// Huffman code lengths of the n frequencies, no limit. The used symbols are
// sorted by weight and merged with a second queue of the merged nodes, which
// comes out in weight order by itself; a node's parent is always made after
// it, so depths follow from one pass from the root down.
void HuffmanLengths(const uint32_t* freq, int n, uint8_t* lengths)
{
    Leaf leaves[NC];
    int m = 0;
    for (int s = 0; s < n; s++) {
        lengths[s] = 0;
        if (freq[s])
            leaves[m++] = {freq[s], s};
    }
    SortLeaves(leaves, m);
    uint64_t weight[2 * NC];
    int parent[2 * NC];
    for (int k = 0; k < m; k++)
        weight[k] = leaves[k].freq;
    int nextLeaf = 0, nextNode = m, made = m;
    auto takeLightest = [&]() {
        if (nextLeaf < m && (nextNode == made || weight[nextLeaf] <= weight[nextNode]))
            return nextLeaf++;
        return nextNode++;
    };
    while (made < 2 * m - 1) {
        int a = takeLightest(), b = takeLightest();
        weight[made] = weight[a] + weight[b];
        parent[a] = parent[b] = made;
        ++made;
    }
    int depth[2 * NC];
    depth[made - 1] = 0;
    for (int k = made - 2; k >= 0; k--)
        depth[k] = depth[parent[k]] + 1;
    for (int k = 0; k < m; k++)
        lengths[leaves[k].sym] = static_cast<uint8_t>(std::min(depth[k], 255));
}

}  // namespace

Code BuildCodeFrom(const uint32_t* freq, int n, int maxLength)
{
    int used = 0, last = 0;
    for (int s = 0; s < n; s++)
        if (freq[s]) {
            ++used;
            last = s;
        }
    if (used <= 1)
        return Code::Single(last);
    uint32_t f[NC];
    std::copy(freq, freq + n, f);
    uint8_t lengths[NC];
    for (;;) {
        HuffmanLengths(f, last + 1, lengths);
        if (*std::max_element(lengths, lengths + last + 1) <= maxLength) {
            Code code;
            code.lengths.assign(lengths, lengths + last + 1);
            return code;
        }
        // Flatter frequencies give a shallower tree; every used symbol stays used.
        for (int s = 0; s <= last; s++)
            if (f[s])
                f[s] = (f[s] >> 1) | 1;
    }
}

Code BuildCode(const std::vector<uint32_t>& freq, int maxLength)
{
    if (freq.size() > static_cast<std::size_t>(NC))
        throw std::invalid_argument("more symbols than a code holds");
    return BuildCodeFrom(freq.data(), static_cast<int>(freq.size()), maxLength);
}

}  // namespace lzhenc
