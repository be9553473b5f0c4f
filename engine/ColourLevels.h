#pragma once

#include "engine/RgbPixel.h"

#include <array>
#include <cstdint>

namespace tarvelo {

/// 8-bit value of each 3-bit MSX colour level. The MSX2 video chip's levels are not evenly
/// rounded: level 2 is 72 (not 73) and level 6 is 218 (not 219).
inline constexpr std::array<int, 8> ThreeBitLevels = {0, 36, 72, 109, 145, 182, 218, 255};

/// 8-bit value of each 2-bit level (SCREEN8 blue).
inline constexpr std::array<int, 4> TwoBitLevels = {0, 85, 170, 255};

/// The 3-bit level of an 8-bit channel value 0..255; gives back exactly the level of every
/// `ThreeBitLevels` value.
constexpr int levelOf8Bit(int value) { return (7 * value + 126) / 255; }

/// Palette levels index `ThreeBitLevels`; a stray value (only possible from a hand-edited
/// record) is kept to its low three bits so that it can never index outside the table.
constexpr int levelValue(std::int32_t level) { return ThreeBitLevels[static_cast<unsigned>(level) & 7u]; }

/// Colour of a palette entry given its red, green and blue levels.
constexpr RgbPixel levelsToRgb(std::int32_t red, std::int32_t green, std::int32_t blue) {
    return makeRgbPixel(static_cast<std::uint32_t>(levelValue(red)),
                        static_cast<std::uint32_t>(levelValue(green)),
                        static_cast<std::uint32_t>(levelValue(blue)));
}

/// SCREEN8 colour number q: green level in bits 7..5, red in 4..2, blue (2-bit) in 1..0.
constexpr RgbPixel screen8Colour(unsigned q) {
    return makeRgbPixel(static_cast<std::uint32_t>(ThreeBitLevels[(q >> 2) & 7u]),
                        static_cast<std::uint32_t>(ThreeBitLevels[(q >> 5) & 7u]),
                        static_cast<std::uint32_t>(TwoBitLevels[q & 3u]));
}

static_assert(levelOf8Bit(72) == 2 && levelOf8Bit(218) == 6 && levelOf8Bit(255) == 7);

} // namespace tarvelo
