#pragma once

#include "engine/ConversionSettings.h"
#include "engine/RgbPixel.h"

#include <array>
#include <cstdint>

namespace tarvelo {

/// A 50%:50% checkerboard of two palette entries (or one entry alone, A = B) and the colour
/// the eye mixes from it.
struct HalfToneTile {
    RgbPixel mixedColour = 0;
    std::int32_t entryA = 0;
    std::int32_t entryB = 0;
};

using HalfToneTileList = std::array<HalfToneTile, 256>;

/// Fills `tiles` with every usable entry alone and every pair of usable entries not already
/// covered by a closer pair of the same level average; returns the number of records (0..256).
/// Entries whose mode is `EntryNotUsed` take part in no tile, nor entry 0 when
/// `entryZeroAllowed` is false.
int buildHalfToneTiles(const std::array<PaletteEntry, 16>& palette,
                       const std::array<std::uint8_t, 16>& paletteEntryMode,
                       bool entryZeroAllowed, HalfToneTileList& tiles);

} // namespace tarvelo
