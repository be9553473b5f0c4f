#pragma once

#include "engine/ConversionSettings.h"
#include "engine/ProgressCallback.h"
#include "engine/RgbPixel.h"

#include <cstdint>
#include <span>

namespace tarvelo {

/// Encodes a resampled picture (width x lines, width a multiple of 4 in practice) as SCREEN10/11
/// or SCREEN12 bytes: each group of four dots shares J and K (low three bits of its four
/// bytes), every dot has its own Y in the high bits. `output` is supplied zero-filled, at least
/// width x lines bytes. With error diffusion the Y bits are written in a second pass, and the
/// progress callback runs from 0 twice. Returns false when the callback asked to stop.
bool encodeYjk(std::span<const RgbPixel> picture, std::int32_t width, std::int32_t lines,
               std::span<std::uint8_t> output, const ConversionSettings& settings,
               const ProgressCallback& progress);

} // namespace tarvelo
