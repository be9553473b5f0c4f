#include "engine/HalfToneTiles.h"

#include <gtest/gtest.h>

#include <utility>
#include <vector>

namespace tarvelo {
namespace {

constexpr RgbPixel rgb(std::uint32_t red, std::uint32_t green, std::uint32_t blue) {
    return red | (green << 8) | (blue << 16);
}

struct UsedEntry {
    int entry;
    PaletteEntry levels; // green, red, blue
};

using Pair = std::pair<std::int32_t, std::int32_t>;

struct Built {
    HalfToneTileList tiles{};
    int count = 0;

    std::vector<Pair> pairs() const {
        std::vector<Pair> result;
        for (int i = 0; i < count; ++i) {
            result.emplace_back(tiles[static_cast<std::size_t>(i)].entryA,
                                tiles[static_cast<std::size_t>(i)].entryB);
        }
        return result;
    }
};

/// Builds the list from a palette whose listed entries are usable and every other one unused.
Built build(const std::vector<UsedEntry>& used, bool entryZeroAllowed) {
    std::array<PaletteEntry, 16> palette{};
    std::array<std::uint8_t, 16> modes{};
    modes.fill(EntryNotUsed);
    for (const UsedEntry& u : used) {
        palette[static_cast<std::size_t>(u.entry)] = u.levels;
        modes[static_cast<std::size_t>(u.entry)] = EntryAutomatic;
    }
    Built built;
    built.count = buildHalfToneTiles(palette, modes, entryZeroAllowed, built.tiles);
    return built;
}

PaletteEntry red(int level) {
    return {0, level, 0};
}
PaletteEntry grey(int level) {
    return {level, level, level};
}

TEST(HalfToneTiles, KeepsOnlyTheClosestPairOfEachLevelAverage) {
    struct Case {
        const char* name;
        std::vector<UsedEntry> used;
        bool entryZeroAllowed;
        std::vector<Pair> expected;
    };
    const Case cases[] = {
        // (0, 7) averages 3 in every channel; (7, 0) has the same average and distance.
        {"black and white", {{0, grey(0)}, {7, grey(7)}}, true, {{0, 0}, {0, 7}, {7, 7}}},
        // Level sums 3 average 1 like entry 3's own levels, whose record is at distance 0.
        {"pair averaging to an entry", {{3, grey(1)}, {8, grey(2)}}, true, {{3, 3}, {8, 8}}},
        {"equal entries", {{1, grey(4)}, {2, grey(4)}}, true, {{1, 1}, {2, 2}}},
        {"entry 0 not allowed",
         {{0, grey(0)}, {1, grey(2)}, {2, grey(6)}},
         false,
         {{1, 1}, {1, 2}, {2, 2}}},
        {"entry 0 allowed",
         {{0, grey(0)}, {1, grey(2)}, {2, grey(6)}},
         true,
         {{0, 0}, {0, 1}, {0, 2}, {1, 1}, {1, 2}, {2, 2}}},
        // Red levels 0, 4, 1, 3: the pair of average 2 first found is (0, 1), distance 16; (1, 2)
        // at 9 takes its place, then (2, 3) at 4. Entry 2 alone shares average 1 with (0, 3),
        // stored before it, and is appended all the same.
        {"closer pairs replace in place",
         {{0, red(0)}, {1, red(4)}, {2, red(1)}, {3, red(3)}},
         true,
         {{0, 0}, {2, 3}, {0, 3}, {1, 1}, {1, 3}, {2, 2}, {3, 3}}},
        {"no usable entry", {}, true, {}},
        {"only entry 0, not allowed", {{0, grey(5)}}, false, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(build(c.used, c.entryZeroAllowed).pairs(), c.expected);
    }
}

TEST(HalfToneTiles, MixedColourIsTheTruncatedMeanOfTheEightBitValues) {
    const Built built = build({{0, grey(0)}, {5, grey(7)}, {9, {2, 6, 3}}}, true);
    ASSERT_EQ(built.count, 6);
    struct Expected {
        Pair pair;
        RgbPixel colour;
    };
    const Expected expected[] = {
        {{0, 0}, rgb(0, 0, 0)},
        {{0, 5}, rgb(127, 127, 127)},
        {{0, 9}, rgb(109, 36, 54)}, // red 218 / 2, green 72 / 2, blue 109 / 2
        {{5, 5}, rgb(255, 255, 255)},
        {{5, 9}, rgb(236, 163, 182)}, // (255 + 218) / 2, (255 + 72) / 2, (255 + 109) / 2
        {{9, 9}, rgb(218, 72, 109)},
    };
    for (int i = 0; i < built.count; ++i) {
        SCOPED_TRACE(i);
        const HalfToneTile& tile = built.tiles[static_cast<std::size_t>(i)];
        EXPECT_EQ(Pair(tile.entryA, tile.entryB), expected[i].pair);
        EXPECT_EQ(tile.mixedColour, expected[i].colour);
    }
}

TEST(HalfToneTiles, FullPaletteStaysInBoundsAndListsEveryEntryOnce) {
    // Sixteen entries, each colour twice: at most 256 records, every entry alone exactly once
    // and every entry number in 0..15.
    std::array<PaletteEntry, 16> palette{};
    for (int k = 0; k < 16; ++k) {
        palette[static_cast<std::size_t>(k)] = {k & 7, (k * 3) & 7, (k * 5 + 1) & 7};
    }
    std::array<std::uint8_t, 16> modes{};
    HalfToneTileList tiles{};
    const int count = buildHalfToneTiles(palette, modes, true, tiles);
    ASSERT_GE(count, 16);
    ASSERT_LE(count, 256);
    std::array<int, 16> singles{};
    for (int i = 0; i < count; ++i) {
        const HalfToneTile& tile = tiles[static_cast<std::size_t>(i)];
        ASSERT_GE(tile.entryA, 0);
        ASSERT_LT(tile.entryA, 16);
        ASSERT_GE(tile.entryB, 0);
        ASSERT_LT(tile.entryB, 16);
        if (tile.entryA == tile.entryB) {
            ++singles[static_cast<std::size_t>(tile.entryA)];
        }
    }
    EXPECT_EQ(singles, (std::array<int, 16>{1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1, 1}));
    EXPECT_EQ(tiles[0].entryA, 0);
    EXPECT_EQ(tiles[0].entryB, 0);
}

} // namespace
} // namespace tarvelo
