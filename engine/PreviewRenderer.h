#pragma once

#include "engine/ConversionSettings.h"
#include "engine/RgbPixel.h"

#include <cstdint>
#include <span>

namespace tarvelo {

inline constexpr std::int32_t PreviewWidth = 512;
inline constexpr std::int32_t PreviewHeight = 424;

/// Draws encoded screen data as the MSX shows it onto a 512 x 424 surface (`surface` has
/// exactly PreviewWidth x PreviewHeight pixels), doubling dots and lines where the mode has
/// fewer. `settings` gives the mode, `interlace` and the palette of the conversion. A
/// `screenMode` outside 0..4 draws nothing. `encoded` must hold the whole result of the mode
/// (bytes per line x 212 or 424 lines); a shorter buffer draws nothing.
void renderPreview(std::span<const std::uint8_t> encoded, std::span<RgbPixel> surface,
                   const ConversionSettings& settings);

} // namespace tarvelo
