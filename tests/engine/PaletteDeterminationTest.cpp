#include "engine/PaletteDetermination.h"

#include "support/RecordingFeedback.h"

#include <gtest/gtest.h>

#include <limits>
#include <utility>
#include <vector>

namespace tarvelo {
namespace {

using testing::RecordingFeedback;

constexpr RgbPixel rgb(std::uint32_t red, std::uint32_t green, std::uint32_t blue) {
    return red | (green << 8) | (blue << 16);
}

constexpr RgbPixel Black = 0;
constexpr RgbPixel White = rgb(255, 255, 255);
constexpr RgbPixel Red = rgb(255, 0, 0);
constexpr RgbPixel DarkRed = rgb(218, 0, 0);
constexpr RgbPixel Green = rgb(0, 255, 0);
constexpr RgbPixel Blue = rgb(0, 0, 255);
constexpr RgbPixel Grey = rgb(145, 145, 145);

/// A picture of `count` dots of each colour, in the order given.
std::vector<RgbPixel> dots(std::initializer_list<std::pair<RgbPixel, int>> runs) {
    std::vector<RgbPixel> picture;
    for (const auto& [colour, count] : runs) {
        picture.insert(picture.end(), static_cast<std::size_t>(count), colour);
    }
    return picture;
}

/// A record whose entries all have mode `mode`.
ConversionSettings allEntries(std::uint8_t mode) {
    ConversionSettings settings;
    settings.paletteEntryMode.fill(mode);
    return settings;
}

RgbPixel entryColour(const ConversionSettings& settings, std::size_t k) {
    const PaletteEntry& e = settings.palette[k];
    const int levels[8] = {0, 36, 72, 109, 145, 182, 218, 255};
    return rgb(static_cast<std::uint32_t>(levels[e.red]),
               static_cast<std::uint32_t>(levels[e.green]),
               static_cast<std::uint32_t>(levels[e.blue]));
}

const char* const TooFewEntriesText =
    "画像を生成できません。\nパレットは２つ以上使用可能にしてください。";

TEST(CountColours, BinsByThreeBitLevelsAfterTheFixedColours) {
    // (50, 0, 0) has red level (7 x 50 + 126) / 255 = 1, the bin of (36, 0, 0).
    const std::vector<RgbPixel> picture =
        dots({{rgb(50, 0, 0), 1}, {Blue, 3}, {rgb(36, 0, 0), 1}, {rgb(0, 250, 0), 2}});
    const std::vector<RgbPixel> fixed = {White, Black};
    const std::vector<ColourCount> list = countColours(picture, fixed, false, 0);
    const std::int32_t most = std::numeric_limits<std::int32_t>::max();
    // Bins in ascending red x 64 + green x 8 + blue: blue (7), green (56), red level 1 (64).
    const std::vector<std::pair<RgbPixel, std::int32_t>> expected = {
        {White, most}, {Black, most}, {Blue, 3}, {Green, 2}, {rgb(36, 0, 0), 2}};
    ASSERT_EQ(list.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(list[i].colour, expected[i].first);
        EXPECT_EQ(list[i].frequency, expected[i].second);
    }
}

TEST(CountColours, LeavesOutOnlyDotsEqualToTheUnmaskedZeroColour) {
    // A 12-bit precision picture has (240, 240, 240) where the source had white: still counted.
    const std::vector<RgbPixel> picture = dots({{White, 4}, {rgb(240, 240, 240), 2}, {Grey, 1}});
    const std::vector<ColourCount> left = countColours(picture, {}, true, White);
    ASSERT_EQ(left.size(), 2u);
    EXPECT_EQ(left[0].colour, Grey);
    EXPECT_EQ(left[1].colour, White); // the bin of (240, 240, 240)
    EXPECT_EQ(left[1].frequency, 2);
    const std::vector<ColourCount> all = countColours(picture, {}, false, White);
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[1].frequency, 6);
}

TEST(SelectAutomaticColours, WorkedExamplesOfBothModes) {
    struct Case {
        const char* name;
        std::vector<RgbPixel> picture;
        std::vector<RgbPixel> fixed;
        std::uint32_t mode;
        int usable;
        std::vector<RgbPixel> expected; // entries 0 .. usable - 1
    };
    const std::vector<RgbPixel> reds = dots({{Red, 10}, {DarkRed, 5}, {Blue, 3}});
    const std::vector<RgbPixel> threeEqual = dots({{Red, 1}, {Green, 1}, {Blue, 1}});
    const Case cases[] = {
        // Red 255 removes its nearest neighbour, red 218 (37^2 against 2 x 255^2).
        {"spread", reds, {}, 0, 2, {Red, Blue}},
        {"most frequent", reds, {}, 1, 2, {Red, DarkRed}},
        // Equal frequencies keep bin order: blue, green, red.
        {"equal frequencies", threeEqual, {}, 1, 2, {Blue, Green}},
        // Blue is as far from green as from red: the later one, red, goes.
        {"equal distances", threeEqual, {}, 0, 2, {Blue, Green}},
        // A fixed colour in the picture removes its own bin in spread mode...
        {"fixed spread", reds, {Red}, 0, 3, {Red, DarkRed, Blue}},
        // The fixed red 218 removes its own bin; then red 255, the only one left below it,
        // removes blue.
        {"fixed spread, one free", reds, {DarkRed}, 0, 2, {DarkRed, Red}},
        // ...while the most frequent colours may repeat it.
        {"fixed most frequent", reds, {Blue}, 1, 3, {Blue, Red, DarkRed}},
        {"too few colours", reds, {}, 1, 5, {Red, DarkRed, Blue, Black, Black}},
        {"empty picture", {}, {Green}, 0, 3, {Green, Black, Black}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<RgbPixel> colours(16, rgb(1, 2, 3));
        std::copy(c.fixed.begin(), c.fixed.end(), colours.begin());
        ASSERT_TRUE(selectAutomaticColours(c.picture, colours, c.mode, c.usable,
                                           static_cast<int>(c.fixed.size()), false, 0));
        EXPECT_EQ(std::vector<RgbPixel>(colours.begin(), colours.begin() + c.usable), c.expected);
        EXPECT_EQ(colours[static_cast<std::size_t>(c.usable)], rgb(1, 2, 3)); // beyond: untouched
    }
}

TEST(SelectAutomaticColours, EqualFrequenciesKeepFixedThenBinOrderInLongLists) {
    // Forty colours of one dot each, given in descending bin order, and one fixed colour: the
    // most frequent selection takes the fixed colour, then the fifteen lowest bins in order.
    const int levels[8] = {0, 36, 72, 109, 145, 182, 218, 255};
    const auto binColour = [&levels](int bin) {
        return rgb(static_cast<std::uint32_t>(levels[bin / 64]),
                   static_cast<std::uint32_t>(levels[bin / 8 % 8]),
                   static_cast<std::uint32_t>(levels[bin % 8]));
    };
    std::vector<RgbPixel> picture;
    for (int i = 39; i >= 0; --i) {
        picture.push_back(binColour(i * 12 + 1));
    }
    std::vector<RgbPixel> colours(16, Grey);
    colours[0] = White;
    ASSERT_TRUE(selectAutomaticColours(picture, colours, 1, 16, 1, false, 0));
    std::vector<RgbPixel> expected = {White};
    for (int i = 0; i < 15; ++i) {
        expected.push_back(binColour(i * 12 + 1));
    }
    EXPECT_EQ(colours, expected);
}

TEST(SelectAutomaticColours, RefusesImpossibleCountsAndChangesNothing) {
    struct Case {
        int usable;
        int fixed;
    };
    const std::vector<RgbPixel> picture = dots({{Red, 3}, {Blue, 2}});
    for (const Case c : {Case{1, 0}, Case{17, 0}, Case{4, 4}, Case{3, 5}, Case{0, 0}}) {
        SCOPED_TRACE(std::to_string(c.usable) + " usable, " + std::to_string(c.fixed) + " fixed");
        std::vector<RgbPixel> colours(16, Grey);
        EXPECT_FALSE(selectAutomaticColours(picture, colours, 0, c.usable, c.fixed, false, 0));
        EXPECT_EQ(colours, std::vector<RgbPixel>(16, Grey));
    }
    std::vector<RgbPixel> tooShort(3, Grey);
    EXPECT_FALSE(selectAutomaticColours(picture, tooShort, 0, 4, 0, false, 0));
}

TEST(DeterminePalette, Screen8HasTheFixedColoursAndYjkNone) {
    ConversionSettings settings = allEntries(EntryNotUsed); // no palette check for these modes
    settings.screenMode = 2;
    const ConversionSettings before = settings;
    RecordingFeedback feedback;
    PaletteColours out;
    ASSERT_TRUE(determinePalette(out, settings, {}, 0, 0, feedback));
    EXPECT_EQ(out.count, 256);
    EXPECT_EQ(out.colours[0x1F], rgb(255, 0, 255)); // red 7, green 0, blue 3
    EXPECT_EQ(out.colours[0xE0], rgb(0, 255, 0));
    EXPECT_EQ(out.colours[0x02], rgb(0, 0, 170));
    for (std::uint32_t mode : {3u, 4u}) {
        settings.screenMode = mode;
        ASSERT_TRUE(determinePalette(out, settings, {}, 0, 0, feedback));
        EXPECT_EQ(out.count, 0);
    }
    EXPECT_TRUE(feedback.messages.empty());
    settings.screenMode = before.screenMode;
    EXPECT_EQ(settings, before);
}

TEST(DeterminePalette, FewerThanTwoUsableEntriesIsRefusedWithAMessage) {
    struct Case {
        const char* name;
        int onlyEntry; // the one entry left usable, or -1 for none
        bool skipZero;
        bool allFixed;
        int secondEntry; // a second entry set to "fixed", or -1
    };
    const Case cases[] = {
        {"one automatic entry", 5, false, false, -1},
        {"nothing usable", -1, false, false, -1},
        {"entry 0 skipped although fixed", 5, true, false, 0},
        {"all fixed palette", 9, false, true, -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ConversionSettings settings = allEntries(EntryNotUsed);
        if (c.onlyEntry >= 0) {
            settings.paletteEntryMode[static_cast<std::size_t>(c.onlyEntry)] = EntryAutomatic;
        }
        if (c.secondEntry >= 0) {
            settings.paletteEntryMode[static_cast<std::size_t>(c.secondEntry)] = EntryFixed;
        }
        settings.skipColorZero = c.skipZero ? 1 : 0;
        settings.allFixedPalette = c.allFixed ? 1 : 0;
        const ConversionSettings before = settings;
        const std::vector<RgbPixel> picture = dots({{Red, 4}, {Blue, 4}});
        RecordingFeedback feedback;
        PaletteColours out;
        out.count = 99;
        EXPECT_FALSE(determinePalette(out, settings, picture, 4, 2, feedback));
        EXPECT_EQ(out.count, 0);
        EXPECT_EQ(settings, before);
        ASSERT_EQ(feedback.messages.size(), 1u);
        EXPECT_EQ(feedback.messages[0].text, TooFewEntriesText);
        EXPECT_EQ(feedback.messages[0].caption, "Error");
        EXPECT_EQ(feedback.messages[0].owner, MessageOwner::MainWindow);
        EXPECT_EQ(feedback.messages[0].icon, MessageIcon::Warning);
    }
}

TEST(DeterminePalette, AutomaticEntriesReceiveTheColoursInEntryOrder) {
    // Entry 0 skipped, fifteen automatic entries, three colours: the first three automatic
    // entries take them by frequency and the other twelve become black.
    ConversionSettings settings = allEntries(EntryAutomatic);
    settings.skipColorZero = 1;
    settings.palette[0] = {3, 4, 5};
    const std::vector<RgbPixel> picture = dots({{Grey, 2}, {Green, 7}, {Red, 5}});
    RecordingFeedback feedback;
    PaletteColours out;
    ASSERT_TRUE(determinePalette(out, settings, picture, 7, 2, feedback));
    EXPECT_TRUE(feedback.messages.empty());
    EXPECT_EQ(settings.palette[0], (PaletteEntry{3, 4, 5}));
    EXPECT_EQ(settings.palette[1], (PaletteEntry{7, 0, 0})); // green, 7 dots
    EXPECT_EQ(settings.palette[2], (PaletteEntry{0, 7, 0})); // red, 5 dots
    EXPECT_EQ(settings.palette[3], (PaletteEntry{4, 4, 4})); // grey, 2 dots
    for (std::size_t k = 4; k < 16; ++k) {
        EXPECT_EQ(settings.palette[k], (PaletteEntry{0, 0, 0})) << "entry " << k;
    }
    ASSERT_EQ(out.count, 16);
    for (std::size_t k = 0; k < 16; ++k) {
        EXPECT_EQ(out.colours[k], entryColour(settings, k)) << "entry " << k;
    }
}

TEST(DeterminePalette, FixedUnusedAndStrayEntriesKeepTheirColours) {
    ConversionSettings settings = allEntries(EntryNotUsed);
    settings.paletteEntryMode[0] = EntryFixed; // skipped: neither fixed nor usable
    settings.paletteEntryMode[2] = EntryFixed;
    settings.paletteEntryMode[4] = 7; // a mode no program writes: usable, keeps its colour
    settings.paletteEntryMode[6] = EntryAutomatic;
    settings.paletteEntryMode[9] = EntryAutomatic;
    settings.skipColorZero = 1;
    settings.palette[0] = {7, 7, 0}; // would remove the picture's yellow if it were passed on
    settings.palette[2] = {0, 7, 0}; // red
    settings.palette[4] = {1, 2, 3};
    settings.palette[5] = {5, 5, 5}; // not used
    // Usable: 2, 4, 6, 9; fixed: red. In spread mode the fixed red removes the picture's own red
    // (distance 0), which leaves four colours for four usable entries. The stray entry takes
    // none, so the two automatic entries receive yellow and red 218 and blue is left over.
    const RgbPixel yellow = rgb(255, 255, 0);
    const std::vector<RgbPixel> picture = dots({{yellow, 6}, {DarkRed, 5}, {Blue, 4}, {Red, 1}});
    RecordingFeedback feedback;
    PaletteColours out;
    ASSERT_TRUE(determinePalette(out, settings, picture, 16, 1, feedback));
    EXPECT_EQ(settings.palette[0], (PaletteEntry{7, 7, 0}));
    EXPECT_EQ(settings.palette[2], (PaletteEntry{0, 7, 0}));
    EXPECT_EQ(settings.palette[4], (PaletteEntry{1, 2, 3}));
    EXPECT_EQ(settings.palette[5], (PaletteEntry{5, 5, 5}));
    EXPECT_EQ(settings.palette[6], (PaletteEntry{7, 7, 0})); // yellow
    EXPECT_EQ(settings.palette[9], (PaletteEntry{0, 6, 0})); // red 218
    EXPECT_EQ(out.colours[5], rgb(182, 182, 182));           // unusable entries are listed too
}

TEST(DeterminePalette, ZeroColourDotsAreNotCounted) {
    ConversionSettings settings = allEntries(EntryNotUsed);
    settings.paletteEntryMode[1] = EntryAutomatic;
    settings.paletteEntryMode[2] = EntryAutomatic;
    settings.zeroMode = 1;
    settings.zeroColor = White;
    settings.colorSelectMode = 1;
    const std::vector<RgbPixel> picture = dots({{White, 50}, {Grey, 3}, {Blue, 2}});
    RecordingFeedback feedback;
    PaletteColours out;
    ASSERT_TRUE(determinePalette(out, settings, picture, 55, 1, feedback));
    EXPECT_EQ(settings.palette[1], (PaletteEntry{4, 4, 4}));
    EXPECT_EQ(settings.palette[2], (PaletteEntry{0, 0, 7}));

    settings.zeroMode = 0; // now white is the most frequent colour
    ASSERT_TRUE(determinePalette(out, settings, picture, 55, 1, feedback));
    EXPECT_EQ(settings.palette[1], (PaletteEntry{7, 7, 7}));
}

TEST(DeterminePalette, AllFixedPaletteKeepsEveryStoredColour) {
    ConversionSettings settings = allEntries(EntryAutomatic);
    const ConversionSettings before = settings;
    settings.allFixedPalette = 1;
    const std::vector<RgbPixel> picture = dots({{Red, 8}});
    RecordingFeedback feedback;
    PaletteColours out;
    ASSERT_TRUE(determinePalette(out, settings, picture, 8, 1, feedback));
    EXPECT_EQ(settings.palette, before.palette);
    EXPECT_EQ(out.count, 16);
    EXPECT_EQ(out.colours[15], White);
}

TEST(DeterminePalette, OnlyTheDotsOfTheGivenSizeAreCounted) {
    ConversionSettings settings = allEntries(EntryNotUsed);
    settings.paletteEntryMode[1] = EntryAutomatic;
    settings.paletteEntryMode[2] = EntryAutomatic;
    settings.colorSelectMode = 1;
    const std::vector<RgbPixel> picture = dots({{Grey, 2}, {Blue, 1}, {Red, 9}});
    RecordingFeedback feedback;
    PaletteColours out;
    // 3 x 1 dots: the red beyond them is not part of the picture. Sizes larger than the
    // picture or negative are kept to what is there.
    ASSERT_TRUE(determinePalette(out, settings, picture, 3, 1, feedback));
    EXPECT_EQ(settings.palette[1], (PaletteEntry{4, 4, 4}));
    EXPECT_EQ(settings.palette[2], (PaletteEntry{0, 0, 7}));
    ASSERT_TRUE(determinePalette(out, settings, picture, 1000, 1000, feedback));
    EXPECT_EQ(settings.palette[1], (PaletteEntry{0, 7, 0}));
    ASSERT_TRUE(determinePalette(out, settings, picture, -3, 4, feedback));
    EXPECT_EQ(settings.palette[1], (PaletteEntry{0, 0, 0}));
}

} // namespace
} // namespace tarvelo
