#pragma once

#include "engine/Picture.h"

#include <cstdint>
#include <optional>
#include <span>

namespace tarvelo {

/// Decodes a packed DIB block (an info header of 40, 108 or 124 bytes, the colour table or
/// bit-field masks, the pixel rows, bottom line first) of 1, 4, 8, 16, 24 or 32 bits per pixel,
/// uncompressed or with bit fields, into a `Picture`. Never reads outside `block`.
///
/// `rowsOffset` is where a BMP file's header says the rows start, counted from the start of
/// the block; it is used when it lies inside the block and not before the end of the colour
/// table, else the rows follow the table directly.
///
/// Returns nothing for anything it does not support: other compressions or bit counts,
/// top-down (negative height) pictures, negative widths, headers shorter than 40 bytes, blocks
/// too short for their header, table, masks and rows, and sizes that cannot be allocated.
std::optional<Picture> decodeDib(std::span<const std::uint8_t> block,
                                 std::optional<std::uint32_t> rowsOffset = std::nullopt);

} // namespace tarvelo
