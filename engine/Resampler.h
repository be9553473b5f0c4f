#pragma once

#include "engine/ProgressCallback.h"
#include "engine/RgbPixel.h"

#include <cstdint>
#include <span>

namespace tarvelo {

// The three ways a decoded picture is brought to the screen geometry. Each takes the source
// (sw x sh, top line first), a zero-filled destination of dw x dh, the progress callback (told
// i x 100 / dh before each destination line i) and `colorPrecision` (0..4: low bits cleared in
// every channel of every dot written). Dots a resampler does not reach stay as they were.
// Each returns false when the callback asked to stop, true otherwise.
// The spans hold at least sw x sh and dw x dh dots (a shorter span is a programmer error: it is
// asserted, and never read or written past). A source or destination with a side of 0 or less
// leaves the destination as it was, without callback calls.

/// The `RgbPixel` mask that clears the low `colorPrecision` bits of each channel.
std::uint32_t precisionMask(std::uint32_t colorPrecision);

/// Copies the top-left part of the source.
bool resampleCrop(std::span<const RgbPixel> source, std::int32_t sw, std::int32_t sh,
                  std::span<RgbPixel> destination, std::int32_t dw, std::int32_t dh,
                  const ProgressCallback& progress, std::uint32_t colorPrecision);

/// Averages each pair of source dots into one, lines one to one.
bool resampleHalfWidth(std::span<const RgbPixel> source, std::int32_t sw, std::int32_t sh,
                       std::span<RgbPixel> destination, std::int32_t dw, std::int32_t dh,
                       const ProgressCallback& progress, std::uint32_t colorPrecision);

/// Stretches or shrinks the whole picture to the destination with tent-shaped weights.
bool resampleScale(std::span<const RgbPixel> source, std::int32_t sw, std::int32_t sh,
                   std::span<RgbPixel> destination, std::int32_t dw, std::int32_t dh,
                   const ProgressCallback& progress, std::uint32_t colorPrecision);

} // namespace tarvelo
