// Huffman codes of the encoder (inside the packer only): code lengths from
// symbol frequencies, limited in depth, as the canonical codes the decoder
// assigns to them.
#pragma once

#include "Lh5Encoder.h"

namespace lzhenc {

// Code lengths for the n frequencies, at most maxLength bits each, without
// trailing zeros; Code::Single (of that symbol, or of 0) with one used
// symbol or none.
Code BuildCodeFrom(const uint32_t* freq, int n, int maxLength);

}  // namespace lzhenc
