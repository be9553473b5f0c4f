#include "engine/PreviewRenderer.h"

#include "engine/ColourLevels.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <random>
#include <string>
#include <vector>

namespace tarvelo {
namespace {

constexpr RgbPixel Untouched = 0x00ABCDEFu;

using Surface = std::vector<RgbPixel>;

Surface freshSurface() {
    return Surface(static_cast<std::size_t>(PreviewWidth) * PreviewHeight, Untouched);
}

RgbPixel pixelAt(const Surface& surface, int x, int row) {
    return surface[static_cast<std::size_t>(row) * PreviewWidth + x];
}

ConversionSettings settingsFor(std::uint32_t mode, bool interlace) {
    ConversionSettings settings;
    settings.screenMode = mode;
    settings.interlace = interlace ? 1 : 0;
    return settings;
}

std::size_t bufferSize(std::uint32_t mode, bool interlace) {
    return (mode == 0 ? 128u : 256u) * (interlace ? 424u : 212u);
}

std::string describe(RgbPixel dot) {
    return "(" + std::to_string(redOf(dot)) + ", " + std::to_string(greenOf(dot)) + ", " +
           std::to_string(blueOf(dot)) + ")";
}

/// Five bits of a YJK channel to 8 bits, as the MSX2+ does: clamp to 0..31, then v x 255 / 31.
std::uint32_t yjkChannel(int v) {
    v = v < 0 ? 0 : (v > 31 ? 31 : v);
    return static_cast<std::uint32_t>(v * 255 / 31);
}

/// What surface pixel (x, row) must show, worked out from the position: which line, which dot,
/// which byte and which bits of it.
RgbPixel expectedPixel(const std::vector<std::uint8_t>& bytes, const ConversionSettings& settings,
                       int x, int row) {
    const int line = settings.interlace != 0 ? row : row / 2;
    const auto paletteColour = [&settings](int entry) {
        const PaletteEntry& e = settings.palette[static_cast<std::size_t>(entry)];
        return makeRgbPixel(ThreeBitLevels[e.red & 7], ThreeBitLevels[e.green & 7],
                            ThreeBitLevels[e.blue & 7]);
    };
    switch (settings.screenMode) {
    case 0: { // 256 dots, two per byte, high nibble on the left
        const int dot = x / 2;
        const std::uint8_t b = bytes[line * 128 + dot / 2];
        return paletteColour(dot % 2 == 0 ? b >> 4 : b & 15);
    }
    case 1: { // 512 dots, two per byte
        const std::uint8_t b = bytes[line * 256 + x / 2];
        return paletteColour(x % 2 == 0 ? b >> 4 : b & 15);
    }
    case 2: {
        const std::uint8_t b = bytes[line * 256 + x / 2];
        return makeRgbPixel(ThreeBitLevels[(b >> 2) & 7], ThreeBitLevels[b >> 5],
                            TwoBitLevels[b & 3]);
    }
    default: { // YJK: four dots per group of four bytes
        const int dot = x / 2;
        const std::uint8_t* group = &bytes[line * 256 + dot / 4 * 4];
        int k = (group[1] & 7) << 3 | (group[0] & 7);
        int j = (group[3] & 7) << 3 | (group[2] & 7);
        k = k >= 32 ? k - 64 : k;
        j = j >= 32 ? j - 64 : j;
        const int y = group[dot % 4] >> 3;
        const int blue = ((5 * y - k) / 2 - j) / 2;
        return makeRgbPixel(yjkChannel(y + j), yjkChannel(y + k), yjkChannel(blue));
    }
    }
}

TEST(RenderPreview, EveryModeDrawsEveryPixelFromItsDot) {
    std::mt19937 random(1985);
    for (std::uint32_t mode = 0; mode <= 4; ++mode) {
        for (const bool interlace : {false, true}) {
            SCOPED_TRACE("mode " + std::to_string(mode) + (interlace ? " interlaced" : ""));
            ConversionSettings settings = settingsFor(mode, interlace);
            for (PaletteEntry& entry : settings.palette) {
                entry = {static_cast<std::int32_t>(random() % 8),
                         static_cast<std::int32_t>(random() % 8),
                         static_cast<std::int32_t>(random() % 8)};
            }
            std::vector<std::uint8_t> bytes(bufferSize(mode, interlace));
            for (std::uint8_t& b : bytes) {
                b = static_cast<std::uint8_t>(random());
            }
            Surface surface = freshSurface();
            renderPreview(bytes, surface, settings);
            bool same = true;
            for (int row = 0; row < PreviewHeight && same; ++row) {
                for (int x = 0; x < PreviewWidth && same; ++x) {
                    const RgbPixel expected = expectedPixel(bytes, settings, x, row);
                    if (pixelAt(surface, x, row) != expected) {
                        ADD_FAILURE() << "first difference at pixel " << x << " of row " << row
                                      << ": " << describe(pixelAt(surface, x, row))
                                      << " instead of " << describe(expected);
                        same = false;
                    }
                }
            }
        }
    }
}

TEST(RenderPreview, DotSizesFollowTheModeAndInterlace) {
    ConversionSettings settings = settingsFor(0, false);
    settings.palette[1] = {7, 0, 0}; // green
    settings.palette[2] = {0, 7, 0}; // red
    std::vector<std::uint8_t> bytes(bufferSize(0, false), 0);
    bytes[0] = 0x12;
    Surface surface = freshSurface();
    renderPreview(bytes, surface, settings);
    // SCREEN5 without interlace: each dot is a 2 x 2 block, line 0 on rows 0 and 1.
    for (int row = 0; row < 2; ++row) {
        EXPECT_EQ(pixelAt(surface, 0, row), makeRgbPixel(0, 255, 0));
        EXPECT_EQ(pixelAt(surface, 1, row), makeRgbPixel(0, 255, 0));
        EXPECT_EQ(pixelAt(surface, 2, row), makeRgbPixel(255, 0, 0));
        EXPECT_EQ(pixelAt(surface, 3, row), makeRgbPixel(255, 0, 0));
    }
    EXPECT_EQ(pixelAt(surface, 0, 2), settings.paletteColour(0));

    // SCREEN7 interlaced: one pixel per dot, one row per line.
    settings = settingsFor(1, true);
    settings.palette[1] = {7, 0, 0};
    settings.palette[2] = {0, 7, 0};
    bytes.assign(bufferSize(1, true), 0);
    bytes[0] = 0x12;
    bytes[256] = 0x21;
    surface = freshSurface();
    renderPreview(bytes, surface, settings);
    EXPECT_EQ(pixelAt(surface, 0, 0), makeRgbPixel(0, 255, 0));
    EXPECT_EQ(pixelAt(surface, 1, 0), makeRgbPixel(255, 0, 0));
    EXPECT_EQ(pixelAt(surface, 2, 0), settings.paletteColour(0));
    EXPECT_EQ(pixelAt(surface, 0, 1), makeRgbPixel(255, 0, 0));
    EXPECT_EQ(pixelAt(surface, 1, 1), makeRgbPixel(0, 255, 0));
}

TEST(RenderPreview, YjkGroupsDecodeToTheKnownColours) {
    struct Case {
        const char* name;
        std::uint32_t mode;
        std::array<std::uint8_t, 4> bytes;
        std::array<RgbPixel, 4> colours;
    };
    const RgbPixel white = makeRgbPixel(255, 255, 255);
    const Case cases[] = {
        // Y 28, K 3, J 3: blue ((140 - 3) / 2 - 3) / 2 = 32, clamped to 31.
        {"white", 4, {0xE3, 0xE0, 0xE3, 0xE0}, {white, white, white, white}},
        {"white in SCREEN10/11", 3, {0xE3, 0xE0, 0xE3, 0xE0}, {white, white, white, white}},
        // Y 0, J and K -32: blue ((0 + 32) / 2 + 32) / 2 = 24, 24 x 255 / 31 = 197.
        {"J and K -32",
         4,
         {0x00, 0x04, 0x00, 0x04},
         {makeRgbPixel(0, 0, 197), makeRgbPixel(0, 0, 197), makeRgbPixel(0, 0, 197),
          makeRgbPixel(0, 0, 197)}},
        // J = K = 0, Y 0, 10, 20, 31: red = green = Y; blue (5Y / 2) / 2 = 0, 12, 25, 38 (31).
        {"Y per dot",
         4,
         {0x00, 0x50, 0xA0, 0xF8},
         {makeRgbPixel(0, 0, 0), makeRgbPixel(82, 82, 98), makeRgbPixel(164, 164, 205), white}},
        // Y 1, K 6, J -2: (5 - 6) / 2 cuts to 0 (not -1), so blue is (0 + 2) / 2 = 1 -> 8.
        {"halvings cut toward zero",
         4,
         {0x0E, 0x08, 0x0E, 0x0F},
         {makeRgbPixel(0, 57, 8), makeRgbPixel(0, 57, 8), makeRgbPixel(0, 57, 8),
          makeRgbPixel(0, 57, 8)}},
        // Y 31, J = K = 31: blue ((155 - 31) / 2 - 31) / 2 = 15 -> 123.
        {"J and K 31",
         4,
         {0xFF, 0xFB, 0xFF, 0xFB},
         {makeRgbPixel(255, 255, 123), makeRgbPixel(255, 255, 123), makeRgbPixel(255, 255, 123),
          makeRgbPixel(255, 255, 123)}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::uint8_t> bytes(bufferSize(c.mode, false), 0);
        std::copy(c.bytes.begin(), c.bytes.end(), bytes.begin());
        Surface surface = freshSurface();
        renderPreview(bytes, surface, settingsFor(c.mode, false));
        for (int dot = 0; dot < 4; ++dot) {
            for (int x = 2 * dot; x < 2 * dot + 2; ++x) {
                EXPECT_EQ(pixelAt(surface, x, 0), c.colours[dot]) << "pixel " << x;
                EXPECT_EQ(pixelAt(surface, x, 1), c.colours[dot]) << "pixel " << x;
            }
        }
    }
}

TEST(RenderPreview, Screen8BytesDecodeToTheKnownColours) {
    struct Case {
        std::uint8_t byte;
        RgbPixel colour;
    };
    const Case cases[] = {
        {0x1C, makeRgbPixel(255, 0, 0)},     {0xE0, makeRgbPixel(0, 255, 0)},
        {0x03, makeRgbPixel(0, 0, 255)},     {0x49, makeRgbPixel(72, 72, 85)},
        {0xFF, makeRgbPixel(255, 255, 255)}, {0x00, makeRgbPixel(0, 0, 0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("byte " + std::to_string(c.byte));
        std::vector<std::uint8_t> bytes(bufferSize(2, false), 0);
        bytes[1] = c.byte;
        Surface surface = freshSurface();
        renderPreview(bytes, surface, settingsFor(2, false));
        EXPECT_EQ(pixelAt(surface, 2, 0), c.colour);
        EXPECT_EQ(pixelAt(surface, 3, 1), c.colour);
        EXPECT_EQ(pixelAt(surface, 4, 0), 0u);
    }
}

TEST(RenderPreview, StrayPaletteLevelsKeepTheirLowBits) {
    ConversionSettings settings = settingsFor(1, false);
    settings.palette[0] = {15, 9, -1}; // green 7, red 1, blue 7 after keeping three bits
    const std::vector<std::uint8_t> bytes(bufferSize(1, false), 0);
    Surface surface = freshSurface();
    renderPreview(bytes, surface, settings);
    EXPECT_EQ(pixelAt(surface, 511, 423), makeRgbPixel(36, 255, 255));
}

TEST(RenderPreview, ShortBuffersAndUnknownModesDrawNothing) {
    struct Case {
        const char* name;
        std::uint32_t mode;
        bool interlace;
        std::size_t size;
    };
    const Case cases[] = {
        {"SCREEN5 one byte short", 0, false, 128 * 212 - 1},
        {"SCREEN8 one byte short", 2, false, 256 * 212 - 1},
        {"SCREEN7 interlaced with 212 lines", 1, true, 256 * 212},
        {"SCREEN12 interlaced one byte short", 4, true, 256 * 424 - 1},
        {"empty", 3, false, 0},
        {"mode 5", 5, false, 256 * 424},
        {"mode 0xFFFFFFFF", 0xFFFFFFFFu, true, 256 * 424},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::vector<std::uint8_t> bytes(c.size, 0x5A);
        Surface surface = freshSurface();
        renderPreview(bytes, surface, settingsFor(c.mode, c.interlace));
        EXPECT_TRUE(std::all_of(surface.begin(), surface.end(),
                                [](RgbPixel pixel) { return pixel == Untouched; }));
    }

    // A longer buffer than the mode needs is drawn from its start.
    const std::vector<std::uint8_t> longer(256 * 424 + 7, 0x1C);
    Surface surface = freshSurface();
    renderPreview(longer, surface, settingsFor(2, false));
    EXPECT_TRUE(std::all_of(surface.begin(), surface.end(),
                            [](RgbPixel pixel) { return pixel == makeRgbPixel(255, 0, 0); }));
}

} // namespace
} // namespace tarvelo
