#pragma once

#include "engine/ConversionSettings.h"
#include "engine/HalfToneTiles.h"
#include "engine/ProgressCallback.h"
#include "engine/RgbPixel.h"

#include <cstdint>
#include <span>

namespace tarvelo {

/// Encodes a resampled picture (width x lines, top line first) as SCREEN5/SCREEN7 (two dots per
/// byte, the even dot in the high half; `paletteColours` holds the 16 entry colours) or SCREEN8
/// (one byte per dot, GGGRRRBB) into `output`, which the caller supplies zero-filled. Ordered
/// dither, error diffusion in 16-bit rows, nearest entry or nearest tile (`tiles`, SCREEN5/7
/// with `meshTile`; an empty list falls back to single entries), `skipColorZero` and the zero
/// rule as `settings` says. The callback hears y x 100 / lines before each line. Returns false,
/// writing nothing, when width or lines is negative, `picture` holds fewer than width x lines
/// dots, `output` is shorter than the bytes written ((width x lines + 1) / 2 for SCREEN5/7,
/// width x lines for SCREEN8), SCREEN5/7 get fewer than 16 colours, or the error rows cannot be
/// obtained; returns false when the callback asked to stop, the lines done staying written.
bool encodePaletteMode(std::span<const RgbPixel> picture, std::int32_t width, std::int32_t lines,
                       std::span<std::uint8_t> output, const ConversionSettings& settings,
                       const ProgressCallback& progress, std::span<const RgbPixel> paletteColours,
                       std::span<const HalfToneTile> tiles);

} // namespace tarvelo
