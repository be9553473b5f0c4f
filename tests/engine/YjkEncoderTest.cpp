#include "engine/YjkEncoder.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <vector>

namespace tarvelo {
namespace {

using Bytes = std::vector<std::uint8_t>;

constexpr std::uint32_t Screen10 = 3;
constexpr std::uint32_t Screen12 = 4;

/// Algorithm "なし", no dither, diffusion, recalculation or zeroing: each case switches on
/// only what it is about.
ConversionSettings plainSettings(std::uint32_t screenMode) {
    ConversionSettings settings;
    settings.screenMode = screenMode;
    settings.naturalImageAlgorithm = 0;
    settings.ditherPattern = 0;
    settings.errorDiffusion = 0;
    settings.jkRecalc = 0;
    settings.zeroMode = 0;
    return settings;
}

std::vector<RgbPixel> uniform(int width, int lines, RgbPixel colour) {
    return std::vector<RgbPixel>(static_cast<std::size_t>(width * lines), colour);
}

Bytes encode(const std::vector<RgbPixel>& picture, int width, int lines,
             const ConversionSettings& settings) {
    Bytes output(static_cast<std::size_t>(width * lines), 0);
    EXPECT_TRUE(encodeYjk(picture, width, lines, output, settings, keepGoing));
    return output;
}

Bytes lowBitsOf(const Bytes& bytes) {
    Bytes low;
    for (std::uint8_t byte : bytes) {
        low.push_back(static_cast<std::uint8_t>(byte & 7));
    }
    return low;
}

const RgbPixel white = makeRgbPixel(255, 255, 255);

struct WhiteCase {
    std::uint32_t screenMode;
    bool recalculate;
    Bytes expected;
};

TEST(YjkEncoder, FourWhiteDots) {
    // L = 1785 per dot, J = K = 4 x 255 / 32 = 31, J6 = K6 = 3; Y = ((127 + 255)/2 + 255)/2
    // = 223, stored as 224 in both modes (230 AND 0xF0, 226 AND 0xF8). Recalculated from the
    // chosen Y, J = K = (4 x 32 + 2) / 4 = 32 and J6 = K6 = 4.
    const WhiteCase cases[] = {
        {Screen10, false, {0xE3, 0xE0, 0xE3, 0xE0}},
        {Screen12, false, {0xE3, 0xE0, 0xE3, 0xE0}},
        {Screen10, true, {0xE4, 0xE0, 0xE4, 0xE0}},
        {Screen12, true, {0xE4, 0xE0, 0xE4, 0xE0}},
    };
    for (const WhiteCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.screenMode << " recalc " << c.recalculate);
        ConversionSettings settings = plainSettings(c.screenMode);
        settings.jkRecalc = c.recalculate ? 1 : 0;
        EXPECT_EQ(encode(uniform(4, 1, white), 4, 1, settings), c.expected);
    }
}

struct RoundingCase {
    std::uint32_t screenMode;
    int grey;
    Bytes expected;
};

TEST(YjkEncoder, YIsRoundedToTheModesBits) {
    // A grey of level v under "NTSC" has Y = v and J = K = v / 8, so J6 = K6 = 0 below 64.
    const RoundingCase cases[] = {
        {Screen10, 0, {0, 0, 0, 0}},          {Screen10, 8, {0, 0, 0, 0}},
        {Screen10, 9, {16, 16, 16, 16}},      {Screen10, 24, {16, 16, 16, 16}},
        {Screen10, 25, {32, 32, 32, 32}},     {Screen12, 4, {0, 0, 0, 0}},
        {Screen12, 5, {8, 8, 8, 8}},          {Screen12, 12, {8, 8, 8, 8}},
        {Screen12, 13, {16, 16, 16, 16}},
        // Y + r is held at 255 before masking; J = K = 31 give the low bits 3, 0, 3, 0.
        {Screen10, 255, {0xF3, 0xF0, 0xF3, 0xF0}}, {Screen12, 255, {0xFB, 0xF8, 0xFB, 0xF8}},
    };
    for (const RoundingCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.screenMode << " grey " << c.grey);
        ConversionSettings settings = plainSettings(c.screenMode);
        settings.naturalImageAlgorithm = 3;
        const auto v = static_cast<std::uint32_t>(c.grey);
        EXPECT_EQ(encode(uniform(4, 1, makeRgbPixel(v, v, v)), 4, 1, settings), c.expected);
    }
}

struct PackingCase {
    const char* what;
    RgbPixel colour;
    Bytes expectedLowBits; // K bits 2..0, K bits 5..3, J bits 2..0, J bits 5..3
};

TEST(YjkEncoder, ColourDifferenceIsPackedTruncatingTowardZero) {
    // For four equal dots J = (6R - G - 4B) x 4 / 32 and K = (7G - 2R - 4B) x 4 / 32.
    const PackingCase cases[] = {
        // J = -36/32 = -1, K = -4/32 = 0: J6 = -1/8 = 0, not -1.
        {"J -1", makeRgbPixel(0, 1, 2), {0, 0, 0, 0}},
        // J = -236/32 = -7, K = -12/32 = 0.
        {"J -7", makeRgbPixel(0, 7, 13), {0, 0, 0, 0}},
        // J = -256/32 = -8, K = 0: J6 = -1 = 111 111 in six bits.
        {"J -8", makeRgbPixel(0, 8, 14), {0, 0, 7, 7}},
        // J = K = -32/32 = -1: both pack as 0.
        {"J K -1", makeRgbPixel(0, 0, 2), {0, 0, 0, 0}},
        // J = 0, K = -256/32 = -8: K6 = -1.
        {"K -8", makeRgbPixel(8, 0, 12), {7, 7, 0, 0}},
        // J = 6120/32 = 191 -> J6 = 23 = 010 111; K = -2040/32 = -63 -> K6 = -7 = 111 001.
        {"red", makeRgbPixel(255, 0, 0), {1, 7, 7, 2}},
        // J = K = -4080/32 = -127 -> -15 = 110 001.
        {"blue", makeRgbPixel(0, 0, 255), {1, 6, 1, 6}},
    };
    for (const PackingCase& c : cases) {
        SCOPED_TRACE(c.what);
        for (std::uint32_t mode : {Screen10, Screen12}) {
            const Bytes bytes = encode(uniform(4, 1, c.colour), 4, 1, plainSettings(mode));
            EXPECT_EQ(lowBitsOf(bytes), c.expectedLowBits);
        }
    }
}

struct ZeroCase {
    std::uint32_t screenMode;
    std::uint32_t zeroMode;
    bool diffusion;
    RgbPixel colour;
    Bytes expected;
};

TEST(YjkEncoder, ZeroBytesAreSubstitutedInZeroMode) {
    const RgbPixel black = makeRgbPixel(0, 0, 0);
    // (8, 0, 12): Y = 8 rounds to 0 and K6 = -1, so only the J bytes come out 0. It is
    // exactly Y 8, J 0, K -8, so diffusion carries only the Y rounding (0.5): 8 -> 0 (+4),
    // 12 -> 16 (-2), 6 -> 0 (+3), 11 -> 16.
    const RgbPixel nearBlack = makeRgbPixel(8, 0, 12);
    const ZeroCase cases[] = {
        {Screen10, 0, false, black, {0, 0, 0, 0}},
        {Screen10, 1, false, black, {16, 16, 16, 16}},
        {Screen12, 1, false, black, {8, 8, 8, 8}},
        {Screen10, 2, false, black, {16, 16, 16, 16}},
        {Screen10, 1, true, black, {16, 16, 16, 16}},
        {Screen12, 2, true, black, {8, 8, 8, 8}},
        {Screen10, 1, false, nearBlack, {7, 7, 16, 16}},
        {Screen10, 1, true, nearBlack, {7, 7 | 16, 16, 16}},
    };
    for (const ZeroCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "mode " << c.screenMode << " zero " << c.zeroMode
                                        << " diffusion " << c.diffusion);
        ConversionSettings settings = plainSettings(c.screenMode);
        settings.zeroMode = c.zeroMode;
        settings.errorDiffusion = c.diffusion ? 1 : 0;
        settings.diffusionCoefficient = 0.5f;
        EXPECT_EQ(encode(uniform(4, 1, c.colour), 4, 1, settings), c.expected);
    }
}

TEST(YjkEncoder, DitherAddsHalfTheMatrixElementToY) {
    // Grey 8 under "NTSC": Y = 8, J = K = 1 (J6 = K6 = 0). Pattern 1 adds M[y][x mod 8] / 2:
    // row 0 halves 0 7 3 7 3 7 2 7, row 1 6 2 4 1 6 3 4 1, row 2 3 6 0 5 3 6 2 5. Y + 7 of at
    // least 16 stores 16, so only the dots that get 0 stay black; columns 8..11 repeat 0..3.
    ConversionSettings settings = plainSettings(Screen10);
    settings.naturalImageAlgorithm = 3;
    settings.ditherPattern = 1;
    const Bytes expected = {
        0,  16, 16, 16, 16, 16, 16, 16, 0,  16, 16, 16, // line 0
        16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, 16, // line 1
        16, 16, 0,  16, 16, 16, 16, 16, 16, 16, 0,  16, // line 2
    };
    EXPECT_EQ(encode(uniform(12, 3, makeRgbPixel(8, 8, 8)), 12, 3, settings), expected);
}

struct SecondPassCase {
    const char* what;
    std::uint8_t diffusion;
    std::uint32_t cutOffError;
    Bytes expected;
};

TEST(YjkEncoder, SecondPassCarriesTheYRoundingError) {
    // (8, 8, 10) is exactly Y = 8, J = K = 0, so no colour error arises and only the Y rounding
    // is carried, at coefficient 0.5. Line 0: 8 -> 0 (error +4); 12 -> 16 (-2); 6 -> 0 (+3);
    // 11 -> 16 (-2). Line 1 starts from 8 plus the errors above, 12 6 11 6: 12 -> 16 (-2);
    // 4 -> 0 (+2); 13 -> 16 (-1); 5 -> 0. A cut-off of 5 stops every error.
    const SecondPassCase cases[] = {
        {"carried", 1, 0, {0, 16, 0, 16, 16, 0, 16, 0}},
        {"cut off", 1, 5, {0, 0, 0, 0, 0, 0, 0, 0}},
        {"no diffusion", 0, 0, {0, 0, 0, 0, 0, 0, 0, 0}},
    };
    for (const SecondPassCase& c : cases) {
        SCOPED_TRACE(c.what);
        ConversionSettings settings = plainSettings(Screen10);
        settings.naturalImageAlgorithm = 3;
        settings.errorDiffusion = c.diffusion;
        settings.diffusionCoefficient = 0.5f;
        settings.cutOffError = c.cutOffError;
        EXPECT_EQ(encode(uniform(4, 2, makeRgbPixel(8, 8, 10)), 4, 2, settings), c.expected);
    }
}

struct ProgressCase {
    std::uint8_t diffusion;
    int lines;
    std::vector<std::int32_t> expected;
};

TEST(YjkEncoder, ProgressBeforeEachLineAndTwiceWithDiffusion) {
    const ProgressCase cases[] = {
        {0, 4, {0, 25, 50, 75}},
        {1, 4, {0, 25, 50, 75, 0, 25, 50, 75}},
        {0, 3, {0, 33, 66}},
    };
    for (const ProgressCase& c : cases) {
        SCOPED_TRACE(testing::Message() << "diffusion " << int{c.diffusion} << " lines " << c.lines);
        ConversionSettings settings = plainSettings(Screen12);
        settings.errorDiffusion = c.diffusion;
        std::vector<std::int32_t> seen;
        Bytes output(static_cast<std::size_t>(4 * c.lines));
        EXPECT_TRUE(encodeYjk(uniform(4, c.lines, white), 4, c.lines, output, settings,
                              [&seen](std::int32_t percent) {
                                  seen.push_back(percent);
                                  return true;
                              }));
        EXPECT_EQ(seen, c.expected);
    }
}

struct StopCase {
    const char* what;
    std::uint8_t diffusion;
    std::size_t stopAtCall; // the call that answers false, counting from 0
    Bytes expected;
};

TEST(YjkEncoder, StopRequestEndsWithTheLinesDoneSoFar) {
    // White at 0.43 has no error to carry (-1 x 440 / 1024 truncates to 0), so a finished line
    // reads E3 E0 E3 E0 and a line that only got its first pass 03 00 03 00.
    const Bytes full = {0xE3, 0xE0, 0xE3, 0xE0};
    const Bytes lowOnly = {0x03, 0x00, 0x03, 0x00};
    const Bytes none = {0, 0, 0, 0};
    const auto lines = [](std::initializer_list<Bytes> parts) {
        Bytes all;
        for (const Bytes& part : parts) {
            all.insert(all.end(), part.begin(), part.end());
        }
        return all;
    };
    const StopCase cases[] = {
        {"first line", 0, 0, lines({none, none, none})},
        {"third line", 0, 2, lines({full, full, none})},
        {"first pass", 1, 1, lines({lowOnly, none, none})},
        {"second pass", 1, 4, lines({full, lowOnly, lowOnly})},
    };
    for (const StopCase& c : cases) {
        SCOPED_TRACE(c.what);
        ConversionSettings settings = plainSettings(Screen10);
        settings.errorDiffusion = c.diffusion;
        std::size_t calls = 0;
        Bytes output(12, 0);
        EXPECT_FALSE(encodeYjk(uniform(4, 3, white), 4, 3, output, settings,
                               [&](std::int32_t) { return calls++ != c.stopAtCall; }));
        EXPECT_EQ(output, c.expected);
    }
}

struct DegenerateCase {
    const char* what;
    int width;
    int lines;
    std::size_t pictureSize;
    std::size_t outputSize;
    std::uint32_t screenMode;
    std::uint32_t algorithm;
    bool expected;
};

TEST(YjkEncoder, DegenerateInputsAreRefusedOrHarmless) {
    const DegenerateCase cases[] = {
        {"no dots per line", 0, 4, 0, 8, Screen10, 1, true},
        {"no lines", 4, 0, 0, 8, Screen12, 1, true},
        {"negative width", -4, 2, 8, 8, Screen10, 1, false},
        {"negative lines", 4, -1, 8, 8, Screen10, 1, false},
        {"output one byte short", 8, 2, 16, 15, Screen10, 1, false},
        {"picture one dot short", 8, 2, 15, 16, Screen10, 1, false},
        {"not a YJK mode", 4, 1, 4, 4, 2, 1, false},
        {"mode out of range", 4, 1, 4, 4, 7, 1, false},
        {"algorithm out of range", 4, 1, 4, 4, Screen10, 5, false},
        {"width of 6", 6, 3, 18, 24, Screen10, 1, true},
        {"width of 1", 1, 2, 2, 8, Screen12, 1, true},
        {"width of 3", 3, 5, 15, 20, Screen12, 2, true},
    };
    for (const DegenerateCase& c : cases) {
        SCOPED_TRACE(c.what);
        ConversionSettings settings; // the defaults: diffusion, dither and recalculation on
        settings.screenMode = c.screenMode;
        settings.naturalImageAlgorithm = c.algorithm;
        const std::vector<RgbPixel> picture(c.pictureSize, makeRgbPixel(40, 200, 90));
        Bytes output(c.outputSize, 0xAA);
        EXPECT_EQ(encodeYjk(picture, c.width, c.lines, output, settings, keepGoing), c.expected);
        // Nothing beyond the picture's own bytes is touched, and nothing at all on refusal.
        const std::size_t written =
            c.expected ? static_cast<std::size_t>(c.width) * static_cast<std::size_t>(c.lines) : 0;
        for (std::size_t i = written; i < output.size(); ++i) {
            ASSERT_EQ(output[i], 0xAA) << "byte " << i;
        }
    }
}

TEST(YjkEncoder, EmptyProgressCallbackIsAllowed) {
    ConversionSettings settings = plainSettings(Screen10);
    settings.errorDiffusion = 1;
    Bytes output(4, 0);
    EXPECT_TRUE(encodeYjk(uniform(4, 1, white), 4, 1, output, settings, ProgressCallback{}));
    EXPECT_EQ(output, (Bytes{0xE3, 0xE0, 0xE3, 0xE0}));
}

TEST(YjkEncoder, CoefficientsNoLoadWouldGiveStaySafe) {
    // A record handed over without normalisation: not-a-number carries nothing, exactly as
    // diffusion off does; huge or infinite factors saturate, and the encoding must still be
    // well-defined (the sanitizer build checks the arithmetic).
    std::vector<RgbPixel> picture;
    for (std::uint32_t i = 0; i < 16 * 8; ++i) {
        picture.push_back(makeRgbPixel(i * 37 % 256, i * 91 % 256, i * 13 % 256));
    }
    ConversionSettings settings; // algorithm 1, dither, recalculation
    settings.screenMode = Screen12;
    settings.errorDiffusion = 0;
    const Bytes withoutDiffusion = encode(picture, 16, 8, settings);
    settings.errorDiffusion = 1;
    settings.diffusionCoefficient = std::numeric_limits<float>::quiet_NaN();
    EXPECT_EQ(encode(picture, 16, 8, settings), withoutDiffusion);
    for (float coefficient : {1e30f, -1e30f, std::numeric_limits<float>::infinity(), 40.0f}) {
        SCOPED_TRACE(coefficient);
        settings.diffusionCoefficient = coefficient;
        settings.cutOffError = std::numeric_limits<std::uint32_t>::max();
        encode(picture, 16, 8, settings);
        settings.cutOffError = 0;
        encode(picture, 16, 8, settings);
    }
}

} // namespace
} // namespace tarvelo
