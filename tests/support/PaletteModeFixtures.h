#pragma once

#include "engine/ConversionSettings.h"
#include "engine/HalfToneTiles.h"
#include "engine/RgbPixel.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tarvelo::testing {

/// A plain, slow encoder written straight from the description of the palette modes, to check
/// the engine's encoder against. It keeps the whole picture's errors instead of two rows: the
/// error a dot carries is the 16-bit sum of what its upper neighbour passed down and its left
/// neighbour passed right. Returns (width x lines + 1) / 2 bytes for SCREEN5/7 and width x lines
/// for SCREEN8.
std::vector<std::uint8_t> referencePaletteEncode(const std::vector<RgbPixel>& picture, int width,
                                                 int lines, const ConversionSettings& settings,
                                                 const std::vector<RgbPixel>& paletteColours,
                                                 const std::vector<HalfToneTile>& tiles);

/// Empty when the two results agree, else where they first differ: line, dot and both values.
std::string firstDifference(const std::vector<std::uint8_t>& expected,
                            const std::vector<std::uint8_t>& actual, int width,
                            bool sixteenColours);

} // namespace tarvelo::testing
