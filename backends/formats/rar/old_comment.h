// RAR 1.5-2.x comment blocks, inside the main header or a block of their own: stored, or
// compressed by the method of the version that wrote them, with a check of the text.
#pragma once
#include <cstdint>
#include <span>
#include <string>

namespace quorvex6::backend::rar {

// The text of the comment block that `block` starts with (its header included); empty when the
// block is cut short, of a method no codec here decodes, or fails its check. A comment is only
// metadata: it never stops the archive.
std::string ReadOldComment(std::span<const std::uint8_t> block);

}  // namespace quorvex6::backend::rar
