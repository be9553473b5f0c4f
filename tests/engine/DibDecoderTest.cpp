#include "engine/DibDecoder.h"

#include "support/BmpBuilder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <optional>
#include <random>
#include <string>
#include <vector>

namespace tarvelo {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr RgbPixel Black = makeRgbPixel(0, 0, 0);
constexpr RgbPixel White = makeRgbPixel(255, 255, 255);

struct DibFields {
    std::int32_t width = 1;
    std::int32_t height = 1;
    std::uint16_t bits = 24;
    std::uint32_t compression = 0;
    std::uint32_t headerSize = 40;
    std::uint32_t colourCount = 0;
};

void putLe32(Bytes& out, std::size_t at, std::uint32_t value) {
    for (std::size_t i = 0; i < 4; ++i) {
        out[at + i] = static_cast<std::uint8_t>(value >> (8 * i));
    }
}

void appendLe32(Bytes& out, std::uint32_t value) {
    out.resize(out.size() + 4);
    putLe32(out, out.size() - 4, value);
}

/// An info header of `headerSize` bytes (at least the 40 that hold the fields), zeros after.
Bytes dibHeader(const DibFields& f) {
    Bytes out(std::max<std::size_t>(f.headerSize, 40), 0);
    putLe32(out, 0, f.headerSize);
    putLe32(out, 4, static_cast<std::uint32_t>(f.width));
    putLe32(out, 8, static_cast<std::uint32_t>(f.height));
    out[12] = 1;
    out[14] = static_cast<std::uint8_t>(f.bits);
    out[15] = static_cast<std::uint8_t>(f.bits >> 8);
    putLe32(out, 16, f.compression);
    putLe32(out, 32, f.colourCount);
    return out;
}

void appendColours(Bytes& out, const std::vector<RgbPixel>& colours) {
    for (const RgbPixel colour : colours) {
        out.insert(out.end(), {static_cast<std::uint8_t>(blueOf(colour)),
                               static_cast<std::uint8_t>(greenOf(colour)),
                               static_cast<std::uint8_t>(redOf(colour)), 0});
    }
}

void append(Bytes& out, const Bytes& more) {
    out.insert(out.end(), more.begin(), more.end());
}

RgbPixel colourNumber(int k) {
    return makeRgbPixel(static_cast<std::uint32_t>(10 + k), static_cast<std::uint32_t>(100 + k),
                        static_cast<std::uint32_t>(200 + k));
}

TEST(DibDecoder, RowsFillWholeWords) {
    // Two lines: the bottom row all zero, the top row's dots all ones and its padding zero.
    // With a stride too short the top line would be read from the bottom row's padding; with
    // one too long the block would be too short.
    struct Case {
        std::uint16_t bits;
        std::int32_t width;
        std::size_t stride;
        std::size_t dataBytes;
        std::uint8_t ones;
    };
    const Case cases[] = {
        {1, 1, 4, 1, 0xFF},  {1, 33, 8, 5, 0xFF}, {4, 9, 8, 5, 0x11},    {8, 5, 8, 5, 0x01},
        {16, 3, 8, 6, 0xFF}, {24, 1, 4, 3, 0xFF}, {24, 5, 16, 15, 0xFF}, {32, 3, 12, 12, 0xFF},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("bits " + std::to_string(c.bits) + " width " + std::to_string(c.width));
        const bool indexed = c.bits <= 8;
        Bytes block = dibHeader(
            {.width = c.width, .height = 2, .bits = c.bits, .colourCount = indexed ? 2u : 0u});
        if (indexed) {
            appendColours(block, {Black, White});
        }
        append(block, Bytes(c.stride, 0));
        Bytes top(c.stride, 0);
        std::fill_n(top.begin(), c.dataBytes, c.ones);
        append(block, top);

        const std::optional<Picture> picture = decodeDib(block);
        ASSERT_TRUE(picture.has_value());
        ASSERT_EQ(picture->pixels.size(), static_cast<std::size_t>(2 * c.width));
        const auto width = static_cast<std::ptrdiff_t>(c.width);
        EXPECT_TRUE(std::all_of(picture->pixels.begin(), picture->pixels.begin() + width,
                                [](RgbPixel p) { return p == White; }));
        EXPECT_TRUE(std::all_of(picture->pixels.begin() + width, picture->pixels.end(),
                                [](RgbPixel p) { return p == Black; }));
    }
}

TEST(DibDecoder, BitFieldDots) {
    struct Case {
        const char* name;
        std::uint16_t bits;
        std::optional<std::array<std::uint32_t, 3>> masks; // compression 3 when given
        std::uint32_t dot;
        std::array<int, 3> rgb;
    };
    const std::array<std::uint32_t, 3> rgb565 = {0xF800, 0x07E0, 0x001F};
    const std::array<std::uint32_t, 3> rgb444 = {0x0F00, 0x00F0, 0x000F};
    const std::array<std::uint32_t, 3> noGreen = {0xF800, 0, 0x001F};
    const std::array<std::uint32_t, 3> rgb888 = {0xFF0000, 0xFF00, 0xFF};
    const std::array<std::uint32_t, 3> bgr888 = {0xFF, 0xFF00, 0xFF0000};
    const std::array<std::uint32_t, 3> rgb111110 = {0xFFE00000, 0x001FFC00, 0x000003FF};
    const Case cases[] = {
        // Without masks 16 bits are 5-5-5; the top bit is unused.
        {"555 white", 16, {}, 0x7FFF, {255, 255, 255}},
        {"555 red", 16, {}, 0x7C00, {255, 0, 0}},
        {"555 green", 16, {}, 0x03E0, {0, 255, 0}},
        {"555 blue", 16, {}, 0x001F, {0, 0, 255}},
        {"555 ones", 16, {}, 0x0421, {8, 8, 8}}, // 255 / 31 = 8.2
        {"555 top bit", 16, {}, 0x8000, {0, 0, 0}},
        {"565 white", 16, rgb565, 0xFFFF, {255, 255, 255}},
        {"565 red", 16, rgb565, 0xF800, {255, 0, 0}},
        {"565 green", 16, rgb565, 0x07E0, {0, 255, 0}},
        {"565 blue", 16, rgb565, 0x001F, {0, 0, 255}},
        {"565 ones", 16, rgb565, 0x0821, {8, 4, 8}}, // 255 / 63 = 4.05
        {"444 ones", 16, rgb444, 0x0111, {17, 17, 17}},
        {"444 top bits", 16, rgb444, 0xF000, {0, 0, 0}},
        {"zero green mask", 16, noGreen, 0xFFFF, {255, 0, 255}},
        {"32 plain bytes", 32, {}, 0xAB112233, {0x11, 0x22, 0x33}},
        {"32 usual masks", 32, rgb888, 0xAB112233, {0x11, 0x22, 0x33}},
        {"32 swapped masks", 32, bgr888, 0xAB112233, {0x33, 0x22, 0x11}},
        {"11-11-10", 32, rgb111110, 0x80000000 | 0x3FF, {127, 0, 255}}, // 1024*255/2047
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Bytes block = dibHeader({.bits = c.bits, .compression = c.masks ? 3u : 0u});
        if (c.masks) {
            for (const std::uint32_t mask : *c.masks) {
                appendLe32(block, mask);
            }
        }
        appendLe32(block, c.dot); // a 16-bit dot takes the low half; the rest is padding
        const std::optional<Picture> picture = decodeDib(block);
        ASSERT_TRUE(picture.has_value());
        ASSERT_EQ(picture->pixels.size(), 1u);
        const RgbPixel p = picture->pixels[0];
        EXPECT_EQ((std::array<int, 3>{redOf(p), greenOf(p), blueOf(p)}), c.rgb);
    }
}

TEST(DibDecoder, MasksOfTheUsualLayoutDecodeLikeNoCompression) {
    std::mt19937 random(7);
    struct Case {
        std::uint16_t bits;
        std::array<std::uint32_t, 3> masks;
    };
    const Case cases[] = {{16, {0x7C00, 0x03E0, 0x001F}}, {32, {0xFF0000, 0xFF00, 0xFF}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.bits);
        // 7 x 4 dots; 14 bytes of 16-bit dots take a 16-byte stride.
        const std::size_t stride = c.bits == 16 ? 16 : 28;
        Bytes rows(stride * 4);
        for (std::uint8_t& byte : rows) {
            byte = static_cast<std::uint8_t>(random());
        }
        Bytes plain = dibHeader({.width = 7, .height = 4, .bits = c.bits});
        append(plain, rows);
        Bytes masked = dibHeader({.width = 7, .height = 4, .bits = c.bits, .compression = 3});
        for (const std::uint32_t mask : c.masks) {
            appendLe32(masked, mask);
        }
        append(masked, rows);
        const std::optional<Picture> expected = decodeDib(plain);
        const std::optional<Picture> actual = decodeDib(masked);
        ASSERT_TRUE(expected.has_value() && actual.has_value());
        EXPECT_EQ(actual->pixels, expected->pixels);
    }
}

TEST(DibDecoder, CompressionThreeMeansNothingBelowSixteenBitsAndForTwentyFour) {
    for (const std::uint16_t bits : {8, 24}) {
        SCOPED_TRACE(bits);
        Bytes block =
            dibHeader({.width = 4, .height = 1, .bits = bits, .colourCount = bits == 8 ? 2u : 0u});
        if (bits == 8) {
            appendColours(block, {colourNumber(0), colourNumber(1)});
        }
        append(block, {1, 0, 1, 1, 0, 1, 0, 1, 1, 1, 0, 0});
        const std::optional<Picture> plain = decodeDib(block);
        putLe32(block, 16, 3);
        const std::optional<Picture> withThree = decodeDib(block);
        ASSERT_TRUE(plain.has_value() && withThree.has_value());
        EXPECT_EQ(withThree->pixels, plain->pixels);
    }
}

TEST(DibDecoder, ColourTableLength) {
    // One line of 16 dots with the indices 0..15.
    const Bytes indices4 = {0x01, 0x23, 0x45, 0x67, 0x89, 0xAB, 0xCD, 0xEF};
    std::vector<RgbPixel> sixteen;
    for (int k = 0; k < 16; ++k) {
        sixteen.push_back(colourNumber(k));
    }
    Bytes full = dibHeader({.width = 16, .bits = 4, .colourCount = 0});
    appendColours(full, sixteen);
    append(full, indices4);
    const std::optional<Picture> fullPicture = decodeDib(full);
    ASSERT_TRUE(fullPicture.has_value());
    EXPECT_EQ(fullPicture->pixels, sixteen);

    Bytes five = dibHeader({.width = 16, .bits = 4, .colourCount = 5});
    appendColours(five, {sixteen.begin(), sixteen.begin() + 5});
    append(five, indices4);
    std::vector<RgbPixel> expected(16, Black);
    std::copy_n(sixteen.begin(), 5, expected.begin());
    const std::optional<Picture> fivePicture = decodeDib(five);
    ASSERT_TRUE(fivePicture.has_value());
    EXPECT_EQ(fivePicture->pixels, expected);

    // Four entries for 1 bit: two are colours, the rows still follow all four.
    Bytes oversized = dibHeader({.width = 2, .bits = 1, .colourCount = 4});
    appendColours(oversized, {colourNumber(0), colourNumber(1), White, White});
    append(oversized, {0x40, 0, 0, 0});
    const std::optional<Picture> onePicture = decodeDib(oversized);
    ASSERT_TRUE(onePicture.has_value());
    EXPECT_EQ(onePicture->pixels, (std::vector<RgbPixel>{colourNumber(0), colourNumber(1)}));
}

TEST(DibDecoder, TopLineComesFromTheLastRow) {
    std::mt19937 random(11);
    std::vector<RgbPixel> pixels(5 * 3);
    for (RgbPixel& pixel : pixels) {
        pixel = random() & 0xFFFFFFu;
    }
    const Bytes block = testing::makeDib24(5, 3, pixels);
    const std::optional<Picture> picture = decodeDib(block);
    ASSERT_TRUE(picture.has_value());
    EXPECT_EQ(picture->width, 5);
    EXPECT_EQ(picture->height, 3);
    EXPECT_EQ(picture->pixels, pixels);
    // The last row of the block (stride 16) holds the top line.
    const std::size_t lastRow = 40 + 2 * 16;
    EXPECT_EQ(picture->pixels[0],
              makeRgbPixel(block[lastRow + 2], block[lastRow + 1], block[lastRow]));
}

/// A 3 x 2 picture of 8 bits with a 3-entry table, as `headerSize` lays it out.
Bytes paletted(std::uint32_t headerSize) {
    Bytes block =
        dibHeader({.width = 3, .height = 2, .bits = 8, .headerSize = headerSize, .colourCount = 3});
    appendColours(block, {colourNumber(0), colourNumber(1), colourNumber(2)});
    append(block, {2, 1, 0, 0xEE, 0, 1, 2, 0xEE}); // bottom line first
    return block;
}

const std::vector<RgbPixel> PalettedPixels = {colourNumber(0), colourNumber(1), colourNumber(2),
                                              colourNumber(2), colourNumber(1), colourNumber(0)};

TEST(DibDecoder, TableAndMasksFollowTheHeaderSize) {
    for (const std::uint32_t headerSize : {40u, 52u, 56u, 64u, 108u, 124u}) {
        SCOPED_TRACE(headerSize);
        const std::optional<Picture> indexed = decodeDib(paletted(headerSize));
        ASSERT_TRUE(indexed.has_value());
        EXPECT_EQ(indexed->pixels, PalettedPixels);

        // Masks that swap red and blue: read from the wrong place they would not.
        Bytes masked = dibHeader(
            {.width = 2, .height = 1, .bits = 32, .compression = 3, .headerSize = headerSize});
        const std::array<std::uint32_t, 3> masks = {0xFF, 0xFF00, 0xFF0000};
        const bool insideHeader = headerSize >= 52;
        for (std::size_t k = 0; k < 3; ++k) {
            if (insideHeader) {
                putLe32(masked, 40 + 4 * k, masks[k]);
            } else {
                appendLe32(masked, masks[k]);
            }
        }
        appendLe32(masked, 0x00112233);
        appendLe32(masked, 0x00445566);
        const std::optional<Picture> swapped = decodeDib(masked);
        ASSERT_TRUE(swapped.has_value());
        EXPECT_EQ(swapped->pixels, (std::vector<RgbPixel>{makeRgbPixel(0x33, 0x22, 0x11),
                                                          makeRgbPixel(0x66, 0x55, 0x44)}));
    }
}

TEST(DibDecoder, RowsStartWhereTheFileHeaderSays) {
    // Header 40 + table 12 = 52; the file's rows sit 8 bytes later.
    Bytes gapped = paletted(40);
    gapped.insert(gapped.begin() + 52, 8, 0x01);
    const Bytes direct = paletted(40);
    struct Case {
        const char* name;
        const Bytes& block;
        std::optional<std::uint32_t> rowsOffset;
        bool decodes;
    };
    const Case cases[] = {
        {"gap honoured", gapped, 60, true},
        {"no offset", direct, std::nullopt, true},
        {"offset at the table end", direct, 52, true},
        {"offset inside the table", direct, 44, true},
        {"offset inside the header", direct, 0, true},
        {"offset at the block end", direct, 60, true},
        {"offset far beyond", direct, 0xFFFFFFFF, true},
        {"rows cut short by the offset", direct, 56, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::optional<Picture> picture = decodeDib(c.block, c.rowsOffset);
        ASSERT_EQ(picture.has_value(), c.decodes);
        if (c.decodes) {
            EXPECT_EQ(picture->pixels, PalettedPixels);
        }
    }
}

TEST(DibDecoder, ZeroWidthOrHeightGivesAnEmptyPicture) {
    // The last case claims two billion empty rows: nothing to decode, and nothing to wait for.
    for (const auto& [width, height] :
         {std::pair{0, 5}, std::pair{7, 0}, std::pair{0, 0}, std::pair{0, 0x7FFFFFFF}}) {
        SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
        const std::optional<Picture> picture =
            decodeDib(dibHeader({.width = width, .height = height, .bits = 24}));
        ASSERT_TRUE(picture.has_value());
        EXPECT_EQ(picture->width, width);
        EXPECT_EQ(picture->height, height);
        EXPECT_TRUE(picture->pixels.empty());
    }
}

/// A valid 8-bit 3 x 2 block with one field changed.
Bytes palettedWith(std::size_t offset, std::uint32_t value) {
    Bytes block = paletted(40);
    putLe32(block, offset, value);
    return block;
}

TEST(DibDecoder, RefusesWhatItCannotDecode) {
    Bytes bitCount2 = paletted(40);
    bitCount2[14] = 2;
    Bytes bitCount15 = dibHeader({.width = 1, .height = 1, .bits = 15});
    appendLe32(bitCount15, 0);
    Bytes bitCount0 = paletted(40);
    bitCount0[14] = 0;
    Bytes masksMissing = dibHeader({.width = 1, .height = 1, .bits = 16, .compression = 3});
    appendLe32(masksMissing, 0xF800);
    appendLe32(masksMissing, 0x07E0);
    appendLe32(masksMissing, 0x001F); // the masks, but no room for the row
    Bytes shortRows = paletted(40);
    shortRows.pop_back();
    const Bytes whole = paletted(40);
    const Bytes partHeader(whole.begin(), whole.begin() + 39);
    struct Case {
        const char* name;
        Bytes block;
    };
    const Case cases[] = {
        {"run-length 8", palettedWith(16, 1)},
        {"run-length 4", palettedWith(16, 2)},
        {"JPEG", palettedWith(16, 4)},
        {"PNG", palettedWith(16, 5)},
        {"alpha bit fields", palettedWith(16, 6)},
        {"top-down", palettedWith(8, static_cast<std::uint32_t>(-2))},
        {"negative width", palettedWith(4, static_cast<std::uint32_t>(-3))},
        {"12-byte header", palettedWith(0, 12)},
        {"16-byte header", palettedWith(0, 16)},
        {"header longer than the block", palettedWith(0, 61)},
        {"colour table beyond the block", palettedWith(32, 0x12345678)},
        {"colour table of 2^32 - 1", palettedWith(32, 0xFFFFFFFF)},
        {"rows one byte short", shortRows},
        {"2 bits", bitCount2},
        {"15 bits", bitCount15},
        {"0 bits", bitCount0},
        {"masks but no rows", masksMissing},
        {"only part of a header", partHeader},
        {"empty block", Bytes{}},
        {"3000000 x 2000000", dibHeader({.width = 3000000, .height = 2000000, .bits = 24})},
        {"largest width", palettedWith(4, 0x7FFFFFFF)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // A fresh copy of exactly the block's length, so a sanitizer sees any read beyond it.
        const Bytes exact = c.block;
        EXPECT_FALSE(decodeDib(exact).has_value());
    }
}

TEST(DibDecoder, RefusesMoreThanTwoToTheTwentyEightDotsEvenWithAllTheirRows) {
    // 16385 x 16384 dots of 1 bit: 32 MiB of rows would make a 1 GiB picture.
    const DibFields fields{.width = 16385, .height = 16384, .bits = 1, .colourCount = 2};
    Bytes block = dibHeader(fields);
    appendColours(block, {Black, White});
    block.resize(block.size() + 2052u * 16384u); // stride (16385 + 31) / 32 * 4
    EXPECT_FALSE(decodeDib(block).has_value());
}

TEST(DibDecoder, EveryTruncatedBlockIsRefused) {
    Bytes bitFields16 = dibHeader({.width = 3, .height = 2, .bits = 16, .compression = 3});
    for (const std::uint32_t mask : {0xF800u, 0x07E0u, 0x001Fu}) {
        appendLe32(bitFields16, mask);
    }
    append(bitFields16, Bytes(16, 0x5A));
    Bytes v5 =
        dibHeader({.width = 2, .height = 2, .bits = 32, .compression = 3, .headerSize = 124});
    append(v5, Bytes(16, 0xA5));
    const std::vector<Bytes> blocks = {paletted(40), paletted(124), bitFields16, v5,
                                       testing::makeDib24(3, 2, std::vector<RgbPixel>(6, White))};
    for (std::size_t b = 0; b < blocks.size(); ++b) {
        SCOPED_TRACE("block " + std::to_string(b));
        ASSERT_TRUE(decodeDib(blocks[b]).has_value());
        for (std::size_t length = 0; length < blocks[b].size(); ++length) {
            const Bytes cut(blocks[b].begin(),
                            blocks[b].begin() + static_cast<std::ptrdiff_t>(length));
            EXPECT_FALSE(decodeDib(cut).has_value()) << "length " << length;
        }
    }
}

} // namespace
} // namespace tarvelo
