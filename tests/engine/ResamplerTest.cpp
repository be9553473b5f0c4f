#include "engine/Resampler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <random>
#include <set>
#include <string>
#include <vector>

namespace tarvelo {
namespace {

struct Picture {
    int width = 0;
    int height = 0;
    std::vector<RgbPixel> dots;

    Picture(int w, int h, RgbPixel fill = 0)
        : width(w), height(h),
          dots(static_cast<std::size_t>(std::max(w, 0)) * static_cast<std::size_t>(std::max(h, 0)),
               fill) {}
    RgbPixel at(int x, int y) const { return dots[static_cast<std::size_t>(y) * width + x]; }
    RgbPixel& at(int x, int y) { return dots[static_cast<std::size_t>(y) * width + x]; }
};

Picture randomPicture(int w, int h, std::mt19937& random) {
    Picture picture(w, h);
    for (RgbPixel& dot : picture.dots) {
        dot = random() & 0xFFFFFFu;
    }
    return picture;
}

RgbPixel grey(std::uint32_t v) {
    return makeRgbPixel(v, v, v);
}

using ResampleFunction = bool (*)(std::span<const RgbPixel>, std::int32_t, std::int32_t,
                                  std::span<RgbPixel>, std::int32_t, std::int32_t,
                                  const ProgressCallback&, std::uint32_t);

struct NamedResampler {
    const char* name;
    ResampleFunction function;
};
const NamedResampler AllResamplers[] = {
    {"crop", resampleCrop}, {"half width", resampleHalfWidth}, {"scale", resampleScale}};

/// Runs a resampler into a fresh zero-filled destination.
Picture run(ResampleFunction resample, const Picture& source, int dw, int dh,
            std::uint32_t colorPrecision = 0, const ProgressCallback& progress = keepGoing) {
    Picture destination(dw, dh);
    EXPECT_TRUE(resample(source.dots, source.width, source.height, destination.dots, dw, dh,
                         progress, colorPrecision));
    return destination;
}

std::string describe(RgbPixel dot) {
    return "(" + std::to_string(redOf(dot)) + ", " + std::to_string(greenOf(dot)) + ", " +
           std::to_string(blueOf(dot)) + ")";
}

/// Compares two pictures dot for dot and reports the first difference.
void expectSamePicture(const Picture& actual, const Picture& expected) {
    ASSERT_EQ(actual.dots.size(), expected.dots.size());
    for (int y = 0; y < expected.height; ++y) {
        for (int x = 0; x < expected.width; ++x) {
            if (actual.at(x, y) != expected.at(x, y)) {
                ADD_FAILURE() << "first difference at dot " << x << " of line " << y << ": "
                              << describe(actual.at(x, y)) << " instead of "
                              << describe(expected.at(x, y));
                return;
            }
        }
    }
}

/// The set of distinct dot values of a picture.
std::set<RgbPixel> valuesOf(const Picture& picture) {
    return {picture.dots.begin(), picture.dots.end()};
}

TEST(PrecisionMask, ClearsTheLowBitsOfEachChannel) {
    const std::uint32_t expected[] = {0xFFFFFFFFu, 0xFFFEFEFEu, 0xFFFCFCFCu, 0xFFF8F8F8u,
                                      0xFFF0F0F0u};
    for (std::uint32_t p = 0; p < 5; ++p) {
        EXPECT_EQ(precisionMask(p), expected[p]) << "precision " << p;
    }
    // Out of range only through an unnormalised record: every channel bit goes, nothing breaks.
    EXPECT_EQ(precisionMask(8), 0xFF000000u);
    EXPECT_EQ(precisionMask(0xFFFFFFFFu), 0xFF000000u);
}

// Crop and half width checked against what each destination dot must hold, from the source
// coordinates worked out directly.
TEST(ResampleCrop, CopiesTheTopLeftAndLeavesTheRestBlack) {
    struct Case {
        int sw, sh, dw, dh;
    };
    const Case cases[] = {{300, 100, 256, 212},
                          {100, 300, 256, 212},
                          {256, 212, 256, 212},
                          {512, 424, 512, 424},
                          {1, 1, 4, 3}};
    std::mt19937 random(11);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.sw) + " x " + std::to_string(c.sh));
        const Picture source = randomPicture(c.sw, c.sh, random);
        Picture expected(c.dw, c.dh);
        for (int y = 0; y < c.dh; ++y) {
            for (int x = 0; x < c.dw; ++x) {
                if (x < c.sw && y < c.sh) {
                    expected.at(x, y) = source.at(x, y);
                }
            }
        }
        expectSamePicture(run(resampleCrop, source, c.dw, c.dh), expected);
    }
}

TEST(ResampleHalfWidth, AveragesPairsRoundingDown) {
    struct Case {
        int sw, sh, dw, dh;
    };
    // 511 dots: dot 510 has no partner, destination dot 255 stays black.
    const Case cases[] = {{511, 3, 256, 4}, {512, 424, 256, 424}, {600, 10, 256, 5}, {1, 2, 4, 2}};
    std::mt19937 random(12);
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.sw) + " x " + std::to_string(c.sh));
        const Picture source = randomPicture(c.sw, c.sh, random);
        Picture expected(c.dw, c.dh);
        for (int y = 0; y < std::min(c.sh, c.dh); ++y) {
            for (int x = 0; x < c.dw && 2 * x + 1 < c.sw; ++x) {
                const RgbPixel a = source.at(2 * x, y);
                const RgbPixel b = source.at(2 * x + 1, y);
                expected.at(x, y) =
                    makeRgbPixel((redOf(a) + redOf(b)) >> 1, (greenOf(a) + greenOf(b)) >> 1,
                                 (blueOf(a) + blueOf(b)) >> 1);
            }
        }
        expectSamePicture(run(resampleHalfWidth, source, c.dw, c.dh), expected);
    }

    Picture pair(2, 1);
    pair.at(0, 0) = makeRgbPixel(255, 0, 0);
    EXPECT_EQ(run(resampleHalfWidth, pair, 1, 1).at(0, 0), makeRgbPixel(127, 0, 0));
}

// The scaling resampler written straight from its description, one destination dot at a time:
// window edges cut toward zero, tent weights, the line sum and its weight sum restarted for
// every line of the window, and the single-precision roundings of the widths, the line weights
// and both weight sums.
RgbPixel referenceScaledDot(const Picture& source, int dw, int dh, int j, int i) {
    const int sw = source.width;
    const int sh = source.height;
    const float swSingle = static_cast<float>(sw);
    const float dwSingle = static_cast<float>(dw);
    const int y0 = static_cast<int>(std::trunc((i - 0.5) * sh / dh));
    const int y1 = static_cast<int>(std::trunc((i + 0.5) * sh / dh));
    const int m = y1 - y0 + 1;
    const int x0 = static_cast<int>(std::trunc((j - 0.5) * swSingle / dwSingle));
    const int x1 = static_cast<int>(std::trunc((j + 0.5) * swSingle / dwSingle));
    const int n = x1 - x0 + 1;
    double sums[3] = {0, 0, 0};
    float sx = 0.0f;
    float sy = 0.0f;
    for (int y = y0; y <= y1; ++y) {
        const float wy =
            m == 1 ? 1.0f : static_cast<float>(1.0 - std::fabs(2.0 * (y - y0) / m - 1.0));
        double line[3] = {0, 0, 0};
        sx = 0.0f;
        for (int x = x0; x <= x1; ++x) {
            const double wx = n == 1 ? 1.0 : 1.0 - std::fabs(2.0 * (x - x0) / n - 1.0);
            const RgbPixel dot = source.at(std::clamp(x, 0, sw - 1), std::clamp(y, 0, sh - 1));
            line[0] += redOf(dot) * wx;
            line[1] += greenOf(dot) * wx;
            line[2] += blueOf(dot) * wx;
            sx += wx;
        }
        for (int c = 0; c < 3; ++c) {
            sums[c] += wy * line[c];
        }
        sy += wy;
    }
    const double w = static_cast<double>(sx) * static_cast<double>(sy);
    return makeRgbPixel(static_cast<std::uint32_t>(std::trunc(sums[0] / w)),
                        static_cast<std::uint32_t>(std::trunc(sums[1] / w)),
                        static_cast<std::uint32_t>(std::trunc(sums[2] / w)));
}

Picture referenceScale(const Picture& source, int dw, int dh, std::uint32_t colorPrecision) {
    Picture result(dw, dh);
    for (int i = 0; i < dh; ++i) {
        for (int j = 0; j < dw; ++j) {
            result.at(j, i) =
                referenceScaledDot(source, dw, dh, j, i) & precisionMask(colorPrecision);
        }
    }
    return result;
}

TEST(ResampleScale, MatchesThePlainComputationOnRandomPictures) {
    std::mt19937 random(2024);
    // Narrow sources stretched wide, where neighbouring columns read the same dots.
    for (const auto& [sw, sh, dw, dh] :
         {std::array{1, 7, 9, 3}, std::array{3, 5, 20, 4}, std::array{2, 30, 17, 30}}) {
        const Picture source = randomPicture(sw, sh, random);
        expectSamePicture(run(resampleScale, source, dw, dh), referenceScale(source, dw, dh, 0));
    }
    std::uniform_int_distribution<int> side(1, 24);
    for (int round = 0; round < 80; ++round) {
        const int sw = side(random), sh = side(random), dw = side(random), dh = side(random);
        if (sw == dw && sh == dh) {
            continue; // the equal-size copy has a test of its own
        }
        const auto precision = static_cast<std::uint32_t>(random() % 5);
        SCOPED_TRACE(std::to_string(sw) + " x " + std::to_string(sh) + " to " + std::to_string(dw) +
                     " x " + std::to_string(dh));
        const Picture source = randomPicture(sw, sh, random);
        expectSamePicture(run(resampleScale, source, dw, dh, precision),
                          referenceScale(source, dw, dh, precision));
    }
    // Screen-sized shrinks by non-integer factors.
    for (const auto& [sw, sh] : {std::pair{640, 480}, std::pair{333, 250}}) {
        const Picture source = randomPicture(sw, sh, random);
        expectSamePicture(run(resampleScale, source, 256, 212),
                          referenceScale(source, 256, 212, 0));
    }
}

// Uniform pictures, where the value that comes out is known by hand: a 2:1 shrink weighs each
// dot pair 0, 2/3, 2/3, and the inexact 2/3 leaves every sum just short of the whole value.
TEST(ResampleScale, UniformPicturesGiveTheKnownValues) {
    struct Case {
        int sw, sh, dw, dh;
        std::uint32_t value;
        std::uint32_t expected;
    };
    const Case cases[] = {
        {512, 424, 256, 212, 100, 99},
        {512, 424, 256, 212, 255, 254},
        {512, 424, 256, 212, 0, 0},
        // Five lines per window (weights 0, 0.4, 0.8, 0.8, 0.4): the line weight sum must be
        // rounded to single precision after every addition, and W formed in double.
        {512, 1060, 256, 212, 100, 99},
        // Six lines per window: 99 only with the line weight sum kept in single precision.
        {4, 24, 4, 4, 100, 99},
        // Enlarging keeps the value.
        {128, 106, 256, 212, 100, 100},
        {128, 106, 256, 212, 255, 255},
        {128, 106, 256, 212, 1, 1},
        {1, 1, 256, 212, 77, 77},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.sw) + " x " + std::to_string(c.sh) + " value " +
                     std::to_string(c.value));
        const Picture result = run(resampleScale, Picture(c.sw, c.sh, grey(c.value)), c.dw, c.dh);
        EXPECT_EQ(valuesOf(result), std::set<RgbPixel>{grey(c.expected)});
    }
}

TEST(ResampleScale, ExactHalvingLosesOneForEveryValue) {
    for (std::uint32_t v = 1; v <= 255; ++v) {
        const Picture result = run(resampleScale, Picture(4, 24, grey(v)), 4, 4);
        ASSERT_EQ(valuesOf(result), std::set<RgbPixel>{grey(v - 1)}) << "value " << v;
        const Picture half = run(resampleScale, Picture(8, 6, grey(v)), 4, 3);
        ASSERT_EQ(valuesOf(half), std::set<RgbPixel>{grey(v - 1)}) << "value " << v;
    }
}

TEST(ResampleScale, SixBySixToTwoByTwoSplitsTheColumns) {
    // Left windows are 3 wide (0, 2/3, 2/3), right ones 4 wide (0, 1/2, 1, 1/2).
    const Picture result = run(resampleScale, Picture(6, 6, grey(100)), 2, 2);
    for (int y = 0; y < 2; ++y) {
        EXPECT_EQ(result.at(0, y), grey(99)) << "line " << y;
        EXPECT_EQ(result.at(1, y), grey(100)) << "line " << y;
    }
}

TEST(ResampleScale, HalvingUsesOnlyTheTwoByTwoBlockOfEachDot) {
    // Weights 0, 2/3, 2/3 across and down: dot (j, i) sees dots 2j, 2j + 1 of lines 2i, 2i + 1.
    // Put one bright dot in an otherwise black picture and see where it lands.
    Picture source(8, 8);
    source.at(5, 2) = grey(240);
    const Picture result = run(resampleScale, source, 4, 4);
    for (int i = 0; i < 4; ++i) {
        for (int j = 0; j < 4; ++j) {
            if (j == 2 && i == 1) {
                EXPECT_NE(result.at(j, i), 0u);
            } else {
                EXPECT_EQ(result.at(j, i), 0u) << "dot " << j << " line " << i;
            }
        }
    }
}

TEST(ResampleScale, EqualSizesCopyTheMaskedPictureWithoutProgress) {
    std::mt19937 random(5);
    const Picture source = randomPicture(9, 7, random);
    int calls = 0;
    const ProgressCallback counting = [&calls](std::int32_t) {
        ++calls;
        return true;
    };
    Picture expected = source;
    for (RgbPixel& dot : expected.dots) {
        dot &= 0xFFF8F8F8u;
    }
    expectSamePicture(run(resampleScale, source, 9, 7, 3, counting), expected);
    EXPECT_EQ(calls, 0);
}

TEST(Resamplers, PrecisionFourAppliesInEveryResampler) {
    const RgbPixel colour = makeRgbPixel(255, 129, 15);
    const RgbPixel expected = makeRgbPixel(240, 128, 0);
    struct Case {
        const char* name;
        ResampleFunction function;
        int sw, sh; // chosen so that the resampler itself keeps the colour
    };
    const Case cases[] = {{"crop", resampleCrop, 4, 4},
                          {"half width", resampleHalfWidth, 8, 4},
                          {"scale, equal sizes", resampleScale, 4, 4},
                          {"scale, enlarging", resampleScale, 2, 2}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const Picture result = run(c.function, Picture(c.sw, c.sh, colour), 4, 4, 4);
        EXPECT_EQ(valuesOf(result), std::set<RgbPixel>{expected});
    }
}

TEST(Resamplers, ReportProgressBeforeEachLineAndStopWhenAsked) {
    struct Case {
        const char* name;
        ResampleFunction function;
        int sw, sh, dw, dh;
        int lines; // destination lines produced
    };
    const Case cases[] = {
        {"crop", resampleCrop, 300, 100, 256, 212, 100},
        {"crop", resampleCrop, 10, 300, 8, 212, 212},
        {"half width", resampleHalfWidth, 511, 3, 256, 4, 3},
        {"scale", resampleScale, 10, 10, 4, 3, 3},
        {"scale", resampleScale, 5, 3, 9, 212, 212},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.name) + " " + std::to_string(c.sw) + " x " +
                     std::to_string(c.sh));
        const Picture source(c.sw, c.sh, grey(200));
        std::vector<std::int32_t> percents;
        const ProgressCallback recording = [&percents](std::int32_t percent) {
            percents.push_back(percent);
            return true;
        };
        run(c.function, source, c.dw, c.dh, 0, recording);
        std::vector<std::int32_t> expected;
        for (int i = 0; i < c.lines; ++i) {
            expected.push_back(i * 100 / c.dh);
        }
        EXPECT_EQ(percents, expected);

        // Asked to stop before the second line: only the first line is written.
        int calls = 0;
        const ProgressCallback stopping = [&calls](std::int32_t) { return ++calls < 2; };
        Picture destination(c.dw, c.dh);
        EXPECT_FALSE(
            c.function(source.dots, c.sw, c.sh, destination.dots, c.dw, c.dh, stopping, 0));
        EXPECT_EQ(calls, 2);
        EXPECT_NE(destination.at(0, 0), 0u);
        EXPECT_EQ(destination.at(0, 1), 0u);
    }
}

TEST(Resamplers, EmptyPicturesLeaveTheDestinationBlack) {
    struct Case {
        int sw, sh, dw, dh;
    };
    const Case cases[] = {{0, 10, 4, 4}, {10, 0, 4, 4}, {0, 0, 4, 4}, {-3, 5, 4, 4},
                          {5, -3, 4, 4}, {0, 0, 0, 0},  {6, 6, 0, 4}, {6, 6, 4, 0}};
    for (const NamedResampler& resampler : AllResamplers) {
        for (const Case& c : cases) {
            SCOPED_TRACE(std::string(resampler.name) + " " + std::to_string(c.sw) + " x " +
                         std::to_string(c.sh) + " to " + std::to_string(c.dw) + " x " +
                         std::to_string(c.dh));
            const Picture source(c.sw, c.sh, grey(200));
            int calls = 0;
            const ProgressCallback counting = [&calls](std::int32_t) {
                ++calls;
                return true;
            };
            const Picture result = run(resampler.function, source, c.dw, c.dh, 0, counting);
            EXPECT_TRUE(std::all_of(result.dots.begin(), result.dots.end(),
                                    [](RgbPixel dot) { return dot == 0; }));
            EXPECT_EQ(calls, 0);
        }
    }
}

TEST(Resamplers, AnEmptyCallbackNeverStops) {
    for (const NamedResampler& resampler : AllResamplers) {
        SCOPED_TRACE(resampler.name);
        const Picture result = run(resampler.function, Picture(6, 6, grey(50)), 3, 3, 0, {});
        EXPECT_NE(result.at(2, 2), 0u);
    }
}

TEST(ResamplersDeathTest, ASourceSpanShorterThanItsSizeIsNeverRead) {
    // A programmer error: caught by the assertion where it is compiled in, otherwise the
    // resampler writes nothing instead of reading past the span.
    for (const NamedResampler& resampler : AllResamplers) {
        SCOPED_TRACE(resampler.name);
        const std::vector<RgbPixel> source(10, grey(9));
        std::vector<RgbPixel> destination(16, 0);
        EXPECT_DEBUG_DEATH(resampler.function(source, 4, 4, destination, 4, 4, keepGoing, 0),
                           "shorter");
        EXPECT_DEBUG_DEATH(resampler.function(source, 2, 5, destination, 4, 5, keepGoing, 0),
                           "shorter");
        EXPECT_TRUE(std::all_of(destination.begin(), destination.end(),
                                [](RgbPixel dot) { return dot == 0; }));
    }
}

// A picture one dot high or one dot wide with a million dots: every resampler finishes, the
// scaling one with windows thousands of dots long whose sums the plain computation confirms.
TEST(Resamplers, MillionDotLinesAndColumnsConvert) {
    std::mt19937 random(77);
    for (const auto& [sw, sh] : {std::pair{1000000, 1}, std::pair{1, 1000000}}) {
        SCOPED_TRACE(std::to_string(sw) + " x " + std::to_string(sh));
        const Picture source = randomPicture(sw, sh, random);

        const Picture cropped = run(resampleCrop, source, 256, 212);
        EXPECT_EQ(cropped.at(0, 0), source.at(0, 0));
        EXPECT_EQ(cropped.at(sw > 1 ? 255 : 0, sh > 1 ? 211 : 0),
                  source.at(sw > 1 ? 255 : 0, sh > 1 ? 211 : 0));

        const Picture halved = run(resampleHalfWidth, source, 256, 212);
        const bool anyHalved = std::any_of(halved.dots.begin(), halved.dots.end(),
                                           [](RgbPixel dot) { return dot != 0; });
        EXPECT_EQ(anyHalved, sw > 1); // one dot per line has no pair to average

        const Picture scaled = run(resampleScale, source, 256, 212);
        for (const auto& [j, i] : {std::pair{0, 0}, std::pair{1, 0}, std::pair{128, 105},
                                   std::pair{255, 211}, std::pair{37, 200}}) {
            EXPECT_EQ(scaled.at(j, i), referenceScaledDot(source, 256, 212, j, i))
                << "dot " << j << " line " << i;
        }
    }
}

} // namespace
} // namespace tarvelo
