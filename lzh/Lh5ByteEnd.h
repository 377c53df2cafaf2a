// The rule that a stream never ends on a byte boundary (inside the packer
// only; see EncodeOptions::avoidByteEnd for why).
#pragma once

#include "Lh5Blocks.h"

namespace lzhenc {

// Whether a stream laid out so ends on a byte boundary.
bool EndsOnByte(const Layout& layout);

// Makes an equivalent stream that does not end on a byte boundary, as short
// as can be: one of the last matches a byte shorter and that byte as a
// literal, or the last tokens cut off into a block of their own. Only the
// block that changes is costed again. Where neither helps (blocks of a token
// or two, the shortest streams) a block's header is sent longer, its codes
// unchanged. Left as it is when nothing helps.
void AvoidByteEnd(std::vector<Token>& tokens, Layout& layout, const EncodeOptions& options);

}  // namespace lzhenc
