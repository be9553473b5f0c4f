#pragma once

#include "engine/ConversionSettings.h"

#include <cstdint>

namespace tarvelo {

/// Dots per line and lines of a screen mode's picture.
struct ScreenGeometry {
    std::int32_t dotsPerLine = 256;
    std::int32_t lines = 212;
};

/// SCREEN7 has 512 dots per line, the other modes 256; 212 lines, 424 with `interlace`.
constexpr ScreenGeometry screenGeometryFor(const ConversionSettings& settings) {
    ScreenGeometry geometry;
    geometry.dotsPerLine = settings.screenMode == 1 ? 512 : 256;
    geometry.lines = settings.interlace != 0 ? 424 : 212;
    return geometry;
}

/// Bytes per line of the encoded result: SCREEN5 packs two dots in a byte, SCREEN7 too
/// (512 dots in 256 bytes); the other modes one byte per dot.
constexpr std::int32_t bytesPerLineFor(const ConversionSettings& settings) {
    return settings.screenMode == 0 ? 128 : 256;
}

} // namespace tarvelo
