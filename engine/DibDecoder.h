#pragma once

#include "engine/Picture.h"

#include <cstdint>
#include <optional>
#include <span>

namespace tarvelo {

/// Decodes a packed DIB block (an info header of `biSize` >= 40 bytes such as 40, 108 or 124,
/// the bit-field masks and colour table, the pixel rows, bottom line first) of 1, 4, 8, 16, 24
/// or 32 bits per pixel, uncompressed or with bit fields, into a `Picture`, top line first.
/// Never reads outside `block`.
///
/// 16 bits without masks are 5-5-5, 32 bits without masks are blue, green, red and an unused
/// byte; masks (compression 3, inside headers of 52 bytes or more, else after the header) are
/// scaled to 0..255, truncating. Table indices beyond biClrUsed give black.
///
/// `rowsOffset` is where a BMP file's header says the rows start, counted from the start of
/// the block; it is used when it lies inside the block and not before the end of the colour
/// table, else the rows follow the table directly.
///
/// Returns nothing for anything it does not support: other compressions or bit counts,
/// top-down (negative height) pictures, negative widths, headers shorter than 40 bytes, blocks
/// too short for their header, table, masks and rows, more than 2^28 dots, and sizes that
/// cannot be allocated. A width or height of 0 gives an empty picture.
std::optional<Picture> decodeDib(std::span<const std::uint8_t> block,
                                 std::optional<std::uint32_t> rowsOffset = std::nullopt);

} // namespace tarvelo
