#pragma once

#include "engine/ConversionSettings.h"
#include "engine/ProgressCallback.h"
#include "engine/RgbPixel.h"

#include <cstdint>
#include <span>

namespace tarvelo {

/// Encodes a resampled picture (width x lines, top line first) as SCREEN10/11 or SCREEN12
/// bytes, one per dot: each group of four dots shares J and K (low three bits of its four
/// bytes), every dot has its own Y in the high bits. A last group that a width not divisible
/// by 4 cuts short repeats the line's last dot for its missing ones; only width x lines bytes
/// are ever written. With error diffusion the Y bits are written in a second pass, and the
/// progress callback (may be empty) runs from 0 twice.
/// Returns false, writing nothing, when width or lines is negative (or width above 2^31 - 9),
/// `picture` or `output` holds fewer than width x lines values, `screenMode` is not a YJK mode,
/// `naturalImageAlgorithm` is above 4 or a working buffer cannot be obtained; returns false
/// when the callback asked to stop, the lines done so far staying in `output`. An empty
/// picture gives true.
bool encodeYjk(std::span<const RgbPixel> picture, std::int32_t width, std::int32_t lines,
               std::span<std::uint8_t> output, const ConversionSettings& settings,
               const ProgressCallback& progress);

} // namespace tarvelo
