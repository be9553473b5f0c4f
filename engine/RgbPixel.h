#pragma once

#include <cstdint>

namespace tarvelo {

/// A colour as the rest of the system passes it around: red in bits 0..7, green in 8..15,
/// blue in 16..23, bits 24..31 zero. Decoded, resampled and palette colours all use it.
using RgbPixel = std::uint32_t;

constexpr RgbPixel makeRgbPixel(std::uint32_t red, std::uint32_t green, std::uint32_t blue) {
    return (red & 0xFFu) | ((green & 0xFFu) << 8) | ((blue & 0xFFu) << 16);
}
constexpr int redOf(RgbPixel pixel) { return static_cast<int>(pixel & 0xFFu); }
constexpr int greenOf(RgbPixel pixel) { return static_cast<int>((pixel >> 8) & 0xFFu); }
constexpr int blueOf(RgbPixel pixel) { return static_cast<int>((pixel >> 16) & 0xFFu); }

} // namespace tarvelo
