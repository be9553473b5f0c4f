#include "engine/PaletteModeEncoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace tarvelo {
namespace {

constexpr RgbPixel rgb(std::uint32_t red, std::uint32_t green, std::uint32_t blue) {
    return red | (green << 8) | (blue << 16);
}

/// SCREEN5 with neither dither nor diffusion; tests switch on what they look at.
ConversionSettings plainSettings(std::uint32_t screenMode = 0) {
    ConversionSettings settings;
    settings.screenMode = screenMode;
    settings.ditherPattern = 0;
    settings.errorDiffusion = 0;
    return settings;
}

/// A palette of black entries with the given colours at the start.
std::vector<RgbPixel> palette(std::initializer_list<RgbPixel> first) {
    std::vector<RgbPixel> colours(first);
    colours.resize(16, 0);
    return colours;
}

struct Encoded {
    bool ok = false;
    std::vector<std::uint8_t> bytes;
};

Encoded encode(const std::vector<RgbPixel>& picture, int width, int lines,
               const ConversionSettings& settings, const std::vector<RgbPixel>& colours = {},
               const std::vector<HalfToneTile>& tiles = {}) {
    const std::size_t dots = static_cast<std::size_t>(width) * static_cast<std::size_t>(lines);
    Encoded result;
    result.bytes.assign(settings.screenMode <= 1 ? (dots + 1) / 2 : dots, 0);
    result.ok =
        encodePaletteMode(picture, width, lines, result.bytes, settings, keepGoing, colours, tiles);
    return result;
}

TEST(PaletteModeEncoder, ErrorGoesWholeToTheRightAndDownScaledInStepsOf1024) {
    // Dot (0, 0) is blue 100 quantised to black, so it passes on 100 x K / 1024 in blue. Its
    // right and lower neighbours, yellow, then exactly match the entry holding that blue.
    const std::vector<RgbPixel> colours =
        palette({0, rgb(255, 255, 29), rgb(255, 255, 42), rgb(255, 255, 43), rgb(255, 255, 50),
                 rgb(255, 255, 0)});
    const RgbPixel yellow = rgb(255, 255, 0);
    const std::vector<RgbPixel> picture = {rgb(0, 0, 100), yellow, yellow, yellow};
    struct Case {
        const char* name;
        bool diffusion;
        float coefficient;
        std::uint32_t cutOff;
        int entry; // the entry of dots (1, 0) and (0, 1)
    };
    const Case cases[] = {
        {"0.3: K 307, 29.98 truncated", true, 0.3f, 0, 1},
        {"0.43: K 440, not 440.32", true, 0.43f, 0, 2},
        {"0.5: K 512", true, 0.5f, 0, 4},
        {"cut-off equal to the error keeps it", true, 0.5f, 50, 4},
        {"cut-off above the error drops it", true, 0.5f, 51, 5},
        {"diffusion off", false, 0.5f, 0, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ConversionSettings settings = plainSettings();
        for (std::size_t k = 6; k < 16; ++k) {
            settings.paletteEntryMode[k] = EntryNotUsed;
        }
        settings.errorDiffusion = c.diffusion ? 1 : 0;
        settings.diffusionCoefficient = c.coefficient;
        settings.cutOffError = c.cutOff;
        const Encoded result = encode(picture, 2, 2, settings, colours);
        ASSERT_TRUE(result.ok);
        // Dot (1, 1) gets nothing: its neighbours matched exactly and passed on no error.
        const auto e = static_cast<std::uint8_t>(c.entry);
        EXPECT_EQ(result.bytes,
                  (std::vector<std::uint8_t>{e, static_cast<std::uint8_t>(e << 4 | 5)}));
    }
}

TEST(PaletteModeEncoder, NearestSearchTiesAndSkippedEntries) {
    struct Case {
        const char* name;
        RgbPixel dot;
        std::vector<std::uint8_t> notUsed;
        bool skipZero;
        int expected;
    };
    // Entry 0 black, 1 and 2 red 100 and 120, 3 red 120 again, 4 white.
    const std::vector<RgbPixel> colours =
        palette({0, rgb(100, 0, 0), rgb(120, 0, 0), rgb(120, 0, 0), rgb(255, 255, 255)});
    const Case cases[] = {
        {"equal distance: lower entry", rgb(110, 0, 0), {}, false, 1},
        {"equal colours: lower entry", rgb(121, 0, 0), {}, false, 2},
        {"unused entry is passed over", rgb(121, 0, 0), {2}, false, 3},
        {"entry 0 skipped", rgb(0, 0, 0), {}, true, 1},
        {"entry 0 used", rgb(0, 0, 0), {}, false, 0},
        {"nothing usable stores 0",
         rgb(255, 255, 255),
         {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15},
         true,
         0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ConversionSettings settings = plainSettings();
        for (std::size_t k = 5; k < 16; ++k) {
            settings.paletteEntryMode[k] = EntryNotUsed;
        }
        for (std::uint8_t k : c.notUsed) {
            settings.paletteEntryMode[k] = EntryNotUsed;
        }
        settings.skipColorZero = c.skipZero ? 1 : 0;
        settings.errorDiffusion = 1; // the dot after it must not trip over a missing entry
        const Encoded result = encode({c.dot, c.dot}, 2, 1, settings, colours);
        ASSERT_TRUE(result.ok);
        EXPECT_EQ(result.bytes[0] >> 4, c.expected);
    }
}

TEST(PaletteModeEncoder, TilesAlternateTheirEntriesInACheckerboard) {
    ConversionSettings settings = plainSettings(1);
    settings.meshTile = 1;
    const std::vector<RgbPixel> colours = palette({0, rgb(130, 130, 130)});
    const std::vector<HalfToneTile> tiles = {{rgb(100, 0, 0), 2, 3},
                                             {rgb(127, 127, 127), 0, 7},
                                             {rgb(127, 127, 127), 5, 6},
                                             {rgb(120, 0, 0), 8, 9}};
    const RgbPixel grey = rgb(127, 127, 127);
    const std::vector<RgbPixel> greys(8, grey);
    Encoded result = encode(greys, 4, 2, settings, colours, tiles);
    ASSERT_TRUE(result.ok);
    // The earlier of the two equal tiles; entry A where x xor y is even.
    EXPECT_EQ(result.bytes, (std::vector<std::uint8_t>{0x07, 0x07, 0x70, 0x70}));

    // Red 110 is as near to the first tile as to the last: the first wins.
    result = encode({rgb(110, 0, 0), rgb(110, 0, 0)}, 2, 1, settings, colours, tiles);
    EXPECT_EQ(result.bytes, (std::vector<std::uint8_t>{0x23}));

    // No list although tiles are on: single entries are searched instead (grey 130 is nearest).
    result = encode(greys, 4, 2, settings, colours, {});
    ASSERT_TRUE(result.ok);
    EXPECT_EQ(result.bytes, std::vector<std::uint8_t>(4, 0x11));
}

TEST(PaletteModeEncoder, Screen8Quantisation) {
    struct Case {
        const char* name;
        RgbPixel even; // dot (0, 0)
        RgbPixel odd;  // dot (1, 0)
        bool mesh;
        bool skipZero;
        std::uint8_t expectedEven;
        std::uint8_t expectedOdd;
    };
    const Case cases[] = {
        {"magenta and green", rgb(255, 0, 255), rgb(0, 255, 0), false, false, 0x1F, 0xE0},
        // Red 18 is below level 1 ((7 x 18 + 126) / 255 = 0), 19 reaches it; blue 48 / 49
        // likewise for the 2-bit level.
        {"thresholds", rgb(18, 0, 48), rgb(19, 0, 49), false, false, 0x00, 0x05},
        {"black avoided", 0, rgb(0, 0, 0), false, true, 0x04, 0x04},
        // Red 18 is half level 1: level 0 on even dots, level 1 on odd dots.
        {"half levels", rgb(18, 145, 50), rgb(18, 145, 50), true, false, 0x80, 0x85},
        {"half level white", rgb(255, 255, 255), rgb(255, 255, 255), true, false, 0xFF, 0xFF},
        {"half level black avoided", 0, 0, true, true, 0x04, 0x04},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ConversionSettings settings = plainSettings(2);
        settings.meshTile = c.mesh ? 1 : 0;
        settings.skipColorZero = c.skipZero ? 1 : 0;
        // SCREEN8 reads no palette colours at all.
        const Encoded result = encode({c.even, c.odd}, 2, 1, settings);
        ASSERT_TRUE(result.ok);
        EXPECT_EQ(result.bytes, (std::vector<std::uint8_t>{c.expectedEven, c.expectedOdd}));
    }
}

TEST(PaletteModeEncoder, Screen8AvoidedBlackPassesOnTheErrorOfDarkRed) {
    // Black stored as 4 is red 36, so the next dot, red 60 (level 2 alone), is pulled down by
    // (0 - 36) x 512 / 1024 = -18 to 42, level 1.
    ConversionSettings settings = plainSettings(2);
    settings.skipColorZero = 1;
    settings.errorDiffusion = 1;
    settings.diffusionCoefficient = 0.5f;
    EXPECT_EQ(encode({0, rgb(60, 0, 0)}, 2, 1, settings).bytes,
              (std::vector<std::uint8_t>{0x04, 0x04}));
    settings.skipColorZero = 0;
    EXPECT_EQ(encode({0, rgb(60, 0, 0)}, 2, 1, settings).bytes,
              (std::vector<std::uint8_t>{0x00, 0x08}));
}

TEST(PaletteModeEncoder, ZeroRuleComparesTheChosenColourWithTheMaskedKey) {
    struct Case {
        const char* name;
        std::uint32_t screenMode;
        std::uint32_t zeroMode;
        std::uint32_t precision;
        RgbPixel zeroColor;
        RgbPixel dot;
        std::uint8_t expected;
    };
    const RgbPixel white = rgb(255, 255, 255);
    // Entry 3 holds (240, 240, 240), white with its low four bits cleared.
    const Case cases[] = {
        {"zero rule off", 0, 0, 4, white, rgb(240, 240, 240), 0x33},
        {"key masked like the picture", 0, 1, 4, white, rgb(240, 240, 240), 0x00},
        {"the chosen colour counts, not the dot", 0, 1, 4, white, rgb(250, 235, 240), 0x00},
        {"colour by position works alike", 0, 2, 4, white, rgb(240, 240, 240), 0x00},
        {"unmasked key matches nothing", 0, 1, 0, white, rgb(240, 240, 240), 0x33},
        {"SCREEN8 white", 2, 1, 0, white, white, 0x00},
        {"SCREEN8 white against a masked key", 2, 1, 4, white, white, 0xFF},
    };
    const std::vector<RgbPixel> colours =
        palette({rgb(10, 10, 10), rgb(0, 0, 255), rgb(255, 0, 0), rgb(240, 240, 240)});
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ConversionSettings settings = plainSettings(c.screenMode);
        settings.zeroMode = c.zeroMode;
        settings.colorPrecision = c.precision;
        settings.zeroColor = c.zeroColor;
        const Encoded result = encode({c.dot, c.dot}, 2, 1, settings, colours);
        ASSERT_TRUE(result.ok);
        EXPECT_EQ(result.bytes[0], c.expected);
    }
}

TEST(PaletteModeEncoder, RunawayErrorIsClampedWrappedAndMeasuredIn64Bits) {
    // A coefficient of 1000 (only a hand-made record has one) multiplies every error by 1000.
    // Palette: entry 0 black, entry 1 red 100.
    ConversionSettings settings = plainSettings();
    for (std::size_t k = 2; k < 16; ++k) {
        settings.paletteEntryMode[k] = EntryNotUsed;
    }
    settings.errorDiffusion = 1;
    settings.diffusionCoefficient = 1000.0f;
    const std::vector<RgbPixel> colours = palette({0, rgb(100, 0, 0)});
    // (0, 0) red 100 matches entry 1. (1, 0) red 255 takes entry 1 and passes 155,000 down,
    // clamped to 32767. (0, 1) red 101 takes entry 1 and passes 1000 right, so (1, 1) carries
    // 32767 + 1000, which wraps in 16 bits to -31769: red 255 - 31769 is nearer to black.
    const std::vector<RgbPixel> picture = {rgb(100, 0, 0), rgb(255, 0, 0), rgb(101, 0, 0),
                                           rgb(255, 0, 0)};
    EXPECT_EQ(encode(picture, 2, 2, settings, colours).bytes,
              (std::vector<std::uint8_t>{0x11, 0x10}));

    // Red and green carried up to 33022 are 2.18e9 (squared and summed) from either entry,
    // beyond 2^31 - 1: no entry comes below the starting best, so the first usable one is
    // taken although entry 2 is nearer.
    settings.paletteEntryMode = {};
    settings.paletteEntryMode[0] = EntryNotUsed;
    settings.diffusionCoefficient = 100.0f;
    const std::vector<RgbPixel> two = palette({0, 0, rgb(0, 0, 255)});
    const std::vector<RgbPixel> white(3, rgb(255, 255, 255));
    for (std::size_t k = 3; k < 16; ++k) {
        settings.paletteEntryMode[k] = EntryNotUsed;
    }
    EXPECT_EQ(encode(white, 3, 1, settings, two).bytes, (std::vector<std::uint8_t>{0x22, 0x10}));
}

TEST(PaletteModeEncoder, ProgressBeforeEachLineAndStopping) {
    ConversionSettings settings = plainSettings(2);
    const std::vector<RgbPixel> white(4 * 3, rgb(255, 255, 255));
    std::vector<std::int32_t> seen;
    std::vector<std::uint8_t> bytes(12, 0);
    const ProgressCallback record = [&seen](std::int32_t percent) {
        seen.push_back(percent);
        return true;
    };
    ASSERT_TRUE(encodePaletteMode(white, 4, 3, bytes, settings, record, {}, {}));
    EXPECT_EQ(seen, (std::vector<std::int32_t>{0, 33, 66}));

    // Asked to stop before line 2: lines 0 and 1 stay written, line 2 stays zero.
    seen.clear();
    bytes.assign(12, 0);
    const ProgressCallback stopAtTwo = [&seen](std::int32_t percent) {
        seen.push_back(percent);
        return seen.size() < 3;
    };
    EXPECT_FALSE(encodePaletteMode(white, 4, 3, bytes, settings, stopAtTwo, {}, {}));
    EXPECT_EQ(bytes,
              (std::vector<std::uint8_t>{255, 255, 255, 255, 255, 255, 255, 255, 0, 0, 0, 0}));

    // A full interlaced screen ends at 99.
    seen.clear();
    std::vector<RgbPixel> screen(256 * 424, 0);
    bytes.assign(screen.size(), 0);
    ASSERT_TRUE(encodePaletteMode(screen, 256, 424, bytes, settings, record, {}, {}));
    ASSERT_EQ(seen.size(), 424u);
    EXPECT_EQ(seen.front(), 0);
    EXPECT_EQ(seen.back(), 99);
    EXPECT_TRUE(std::is_sorted(seen.begin(), seen.end()));
}

TEST(PaletteModeEncoder, RefusesShortBuffersAndOddSizesWithoutWriting) {
    struct Case {
        const char* name;
        std::uint32_t screenMode;
        int width;
        int lines;
        std::size_t pictureDots;
        std::size_t outputBytes;
        std::size_t colours;
        bool expected;
    };
    const Case cases[] = {
        {"SCREEN5 exact", 0, 5, 3, 15, 8, 16, true},
        {"SCREEN5 output one short", 0, 5, 3, 15, 7, 16, false},
        {"SCREEN8 output one short", 2, 5, 3, 15, 14, 0, false},
        {"picture one short", 2, 5, 3, 14, 15, 0, false},
        {"SCREEN5 without its 16 colours", 0, 2, 2, 4, 2, 15, false},
        {"negative width", 2, -1, 3, 15, 15, 0, false},
        {"negative lines", 0, 4, -2, 15, 15, 16, false},
        {"no dots per line", 0, 0, 3, 0, 0, 16, true},
        {"no lines", 2, 7, 0, 0, 0, 0, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ConversionSettings settings = plainSettings(c.screenMode);
        settings.errorDiffusion = 1;
        settings.ditherPattern = 1;
        const std::vector<RgbPixel> picture(c.pictureDots, rgb(200, 100, 50));
        const std::vector<RgbPixel> colours(c.colours, rgb(255, 255, 255));
        std::vector<std::uint8_t> bytes(c.outputBytes, 0xEE);
        int calls = 0;
        const ProgressCallback count = [&calls](std::int32_t) { return ++calls > 0; };
        EXPECT_EQ(encodePaletteMode(picture, c.width, c.lines, bytes, settings, count, colours, {}),
                  c.expected);
        if (!c.expected) {
            EXPECT_EQ(bytes, std::vector<std::uint8_t>(c.outputBytes, 0xEE));
            EXPECT_EQ(calls, 0);
        }
    }
}

TEST(PaletteModeEncoder, FourBitModesFillHalfTheBufferTwoDotsAByte) {
    // Only the first half of a dots-sized buffer is written; the even dot goes high.
    ConversionSettings settings = plainSettings(1);
    const std::vector<RgbPixel> colours = palette({0, rgb(255, 0, 0), rgb(0, 255, 0)});
    std::vector<RgbPixel> picture(512 * 2, rgb(255, 0, 0));
    for (std::size_t n = 1; n < picture.size(); n += 2) {
        picture[n] = rgb(0, 255, 0);
    }
    std::vector<std::uint8_t> bytes(picture.size(), 0xEE);
    ASSERT_TRUE(encodePaletteMode(picture, 512, 2, bytes, settings, keepGoing, colours, {}));
    EXPECT_EQ(std::count(bytes.begin(), bytes.begin() + 512, 0x12), 512);
    EXPECT_EQ(std::count(bytes.begin() + 512, bytes.end(), 0xEE), 512);

    // An odd width packs the dots on across the lines without overwriting any.
    const std::vector<RgbPixel> odd = {rgb(255, 0, 0), 0, rgb(0, 255, 0), rgb(0, 255, 0),
                                       rgb(255, 0, 0), 0};
    EXPECT_EQ(encode(odd, 3, 2, settings, colours).bytes,
              (std::vector<std::uint8_t>{0x10, 0x22, 0x10}));
}

} // namespace
} // namespace tarvelo
