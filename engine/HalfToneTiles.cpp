#include "engine/HalfToneTiles.h"

#include "engine/ColourLevels.h"

namespace tarvelo {

namespace {

// Levels of one entry, each kept to its low three bits so that a hand-edited record cannot reach
// outside the level tables.
struct Levels {
    int red;
    int green;
    int blue;
    bool operator==(const Levels&) const = default;
};

Levels levelsOf(const PaletteEntry& entry) {
    return {entry.red & 7, entry.green & 7, entry.blue & 7};
}

// The average truncates, so level sums 2 and 3 both count as average 1.
Levels levelAverage(const Levels& a, const Levels& b) {
    return {(a.red + b.red) / 2, (a.green + b.green) / 2, (a.blue + b.blue) / 2};
}

int levelDistance(const Levels& a, const Levels& b) {
    const int red = a.red - b.red;
    const int green = a.green - b.green;
    const int blue = a.blue - b.blue;
    return green * green + red * red + blue * blue;
}

// The colour the eye mixes from a 50%:50% checkerboard: the mean of the two 8-bit values.
RgbPixel mixedColourOf(const Levels& a, const Levels& b) {
    const auto mix = [](int levelA, int levelB) {
        return static_cast<std::uint32_t>((ThreeBitLevels[static_cast<std::size_t>(levelA)] +
                                           ThreeBitLevels[static_cast<std::size_t>(levelB)]) /
                                          2);
    };
    return makeRgbPixel(mix(a.red, b.red), mix(a.green, b.green), mix(a.blue, b.blue));
}

struct TileBuilder {
    const std::array<PaletteEntry, 16>& palette;
    HalfToneTileList& tiles;
    int count = 0;

    Levels levels(std::int32_t entry) const {
        return levelsOf(palette[static_cast<std::size_t>(entry)]);
    }

    void write(int position, int a, int b) {
        tiles[static_cast<std::size_t>(position)] = {mixedColourOf(levels(a), levels(b)), a, b};
        if (position == count) {
            ++count;
        }
    }

    // A pair is kept only if no record of the same level average is at least as close in levels;
    // it then takes the place of the last such record it beat, or goes to the end.
    void offerPair(int a, int b) {
        const Levels average = levelAverage(levels(a), levels(b));
        const int distance = levelDistance(levels(a), levels(b));
        int position = count;
        for (int i = 0; i < count; ++i) {
            const HalfToneTile& tile = tiles[static_cast<std::size_t>(i)];
            const Levels levelsA = levels(tile.entryA);
            const Levels levelsB = levels(tile.entryB);
            if (levelAverage(levelsA, levelsB) != average) {
                continue;
            }
            if (distance >= levelDistance(levelsA, levelsB)) {
                return;
            }
            position = i;
        }
        write(position, a, b);
    }
};

} // namespace

int buildHalfToneTiles(const std::array<PaletteEntry, 16>& palette,
                       const std::array<std::uint8_t, 16>& paletteEntryMode, bool entryZeroAllowed,
                       HalfToneTileList& tiles) {
    TileBuilder builder{palette, tiles};
    const int first = entryZeroAllowed ? 0 : 1;
    const auto isUsable = [&](int entry) {
        return paletteEntryMode[static_cast<std::size_t>(entry)] != EntryNotUsed;
    };
    for (int a = first; a < 16; ++a) {
        if (!isUsable(a)) {
            continue;
        }
        for (int b = first; b < 16; ++b) {
            if (!isUsable(b)) {
                continue;
            }
            if (a == b) {
                builder.write(builder.count, a, a); // a plain palette colour, always kept
            } else {
                builder.offerPair(a, b);
            }
        }
    }
    return builder.count;
}

} // namespace tarvelo
