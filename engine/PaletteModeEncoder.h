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
/// (one byte per dot, GGGRRRBB) into `output`, which the caller supplies zero-filled and at
/// least width x lines bytes long. Ordered dither, error diffusion in 16-bit rows, nearest entry
/// or nearest tile (`tiles`, SCREEN5/7 with `meshTile`), `skipColorZero` and the zero rule as
/// `settings` says. Returns false when the callback asked to stop; lines done stay written.
bool encodePaletteMode(std::span<const RgbPixel> picture, std::int32_t width, std::int32_t lines,
                       std::span<std::uint8_t> output, const ConversionSettings& settings,
                       const ProgressCallback& progress, std::span<const RgbPixel> paletteColours,
                       std::span<const HalfToneTile> tiles);

} // namespace tarvelo
