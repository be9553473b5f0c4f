#pragma once

#include "engine/ConversionSettings.h"
#include "engine/RgbPixel.h"
#include "engine/UserFeedback.h"

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace tarvelo {

/// The colours a palette-mode encoder may use: 16 for SCREEN5/7 (entry k = palette entry k,
/// unusable entries included), 256 for SCREEN8, none for the YJK modes.
struct PaletteColours {
    std::array<RgbPixel, 256> colours{};
    int count = 0;
};

/// One entry of the automatic selection's colour list.
struct ColourCount {
    RgbPixel colour = 0;
    std::int32_t frequency = 0;
};

/// Fixes the colours of a conversion. For SCREEN5/7 the automatic entries of
/// `settings.palette` receive the chosen colours (unless `allFixedPalette` is on). Returns
/// false after showing its message (owned by the main window) when fewer than two entries are
/// usable or working memory is short; the conversion then stops.
bool determinePalette(PaletteColours& out, ConversionSettings& settings,
                      std::span<const RgbPixel> picture, std::int32_t width, std::int32_t height,
                      UserFeedback& feedback);

/// The colour list: the fixed colours first (frequency 2147483647), then one entry per
/// non-empty bin of 3-bit levels in ascending bin index (red x 64 + green x 8 + blue), holding
/// the bin's colour and its number of dots. Dots equal to `zeroColor` (all 32 bits) are left out
/// when `leaveOutZero` is set.
std::vector<ColourCount> countColours(std::span<const RgbPixel> picture,
                                      std::span<const RgbPixel> fixedColours, bool leaveOutZero,
                                      RgbPixel zeroColor);

/// Chooses `usable - fixed` colours into `paletteColours[fixed .. usable-1]` (black where the
/// picture has too few colours), `paletteColours[0 .. fixed-1]` holding the fixed colours on
/// entry. `colorSelectMode` 0 spreads the colours, 1 takes the most frequent. Returns false and
/// changes nothing when usable is outside 2..16 or not above fixed.
bool selectAutomaticColours(std::span<const RgbPixel> picture, std::span<RgbPixel> paletteColours,
                            std::uint32_t colorSelectMode, int usable, int fixed,
                            bool leaveOutZero, RgbPixel zeroColor);

} // namespace tarvelo
