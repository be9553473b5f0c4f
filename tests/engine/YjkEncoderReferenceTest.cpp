// The encoder against a second, deliberately plain implementation written from the description
// of the YJK layout and its rounding rules: whole-picture loops, 64-bit arithmetic throughout,
// the 16-bit storage of carried errors spelled out as explicit wrap and saturation steps.
// It shares nothing with the encoder but the dither tables.

#include "engine/DitherPatterns.h"
#include "engine/YjkEncoder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <random>
#include <vector>

namespace tarvelo {
namespace {

using Bytes = std::vector<std::uint8_t>;
using Wide = std::int64_t;

Wide clampWide(Wide value, Wide low, Wide high) { return std::max(low, std::min(high, value)); }

// What storing a sum in a 16-bit signed entry leaves there.
Wide wrap16(Wide value) {
    const Wide unsigned16 = ((value % 65536) + 65536) % 65536;
    return unsigned16 >= 32768 ? unsigned16 - 65536 : unsigned16;
}

Wide referenceY(std::uint32_t algorithm, const std::array<Wide, 3>& c, Wide j, Wide k) {
    const Wide r = c[0];
    const Wide g = c[1];
    const Wide b = c[2];
    switch (algorithm) {
    case 0:
        return clampWide(((g / 2 + r) / 2 + b) / 2, 0, 255);
    case 1: {
        Wide best = 195075;
        Wide chosen = 0;
        for (Wide n = 0; n < 255; ++n) {
            const Wide blue = (50 * n - 20 * j - 10 * k) / 38;
            const Wide d = (n + j - r) * (n + j - r) + (n + k - g) * (n + k - g) +
                           (blue - b) * (blue - b);
            if (d < best) {
                best = d;
                chosen = n;
            }
        }
        return chosen;
    }
    case 2:
        return (4 * (4 * g + 2 * r + b) - 6 * j - 15 * k) / 29;
    case 3:
        return (30 * r + 59 * g + 11 * b) / 100;
    default:
        return (27 * r + 28 * g + 50 * b) / 115;
    }
}

// Y of every dot quantised in picture order; the rounding error goes on to the right and below.
void referenceSecondPass(Bytes& out, std::vector<Wide>& laterY, int width, int lines,
                         Wide rounding, Wide mask, Wide substitute, Wide scale, Wide cut) {
    const auto W = static_cast<std::size_t>(width);
    for (int y = 0; y < lines; ++y) {
        for (int x = 0; x < width; ++x) {
            const auto n = static_cast<std::size_t>(y * width + x);
            const Wide v = clampWide(laterY[n], 0, 255);
            const Wide q = std::min<Wide>(v + rounding, 255) & mask;
            const Wide b = out[n] | q;
            out[n] = static_cast<std::uint8_t>(b == 0 ? substitute : b);
            Wide e = (v - q) * scale / 1024;
            if (e < cut && -e < cut) {
                e = 0;
            }
            if (x + 1 < width) {
                laterY[n + 1] = clampWide(laterY[n + 1] + e, -32768, 32767);
            }
            if (y + 1 < lines) {
                laterY[n + W] = clampWide(laterY[n + W] + e, -32768, 32767);
            }
        }
    }
}

Bytes referenceEncode(const std::vector<RgbPixel>& picture, int width, int lines,
                      const ConversionSettings& s) {
    const bool twelve = s.screenMode == 4;
    const Wide rounding = twelve ? 3 : 7;
    const Wide mask = twelve ? 0xF8 : 0xF0;
    const Wide substitute = s.zeroMode == 0 ? 0 : (twelve ? 8 : 16);
    const Wide scale =
        s.errorDiffusion != 0 ? static_cast<Wide>(s.diffusionCoefficient * 1024.0f) : 0;
    const Wide cut = s.cutOffError;
    const DitherMatrix* matrix = ditherMatrixFor(s.ditherPattern);
    const auto W = static_cast<std::size_t>(width);

    std::vector<std::array<Wide, 3>> errors[2] = {std::vector<std::array<Wide, 3>>(W + 5),
                                                  std::vector<std::array<Wide, 3>>(W + 5)};
    std::vector<Wide> laterY(W * static_cast<std::size_t>(lines), 0);
    Bytes out(laterY.size(), 0);

    for (int y = 0; y < lines; ++y) {
        auto& cur = errors[y % 2];
        auto& nxt = errors[(y + 1) % 2];
        for (int x0 = 0; x0 < width; x0 += 4) {
            std::array<std::array<Wide, 3>, 4> c{};
            auto fetch = [&](int j) {
                const int column = std::min(x0 + j, width - 1);
                const RgbPixel p = picture[static_cast<std::size_t>(y * width + column)];
                const auto& e = cur[static_cast<std::size_t>(x0 + j)];
                c[static_cast<std::size_t>(j)] = {Wide(p & 0xFF) + e[0],
                                                  Wide((p >> 8) & 0xFF) + e[1],
                                                  Wide((p >> 16) & 0xFF) + e[2]};
            };
            for (int j = 0; j < 4; ++j) {
                fetch(j);
            }
            Wide sj = 0;
            Wide sk = 0;
            for (const auto& dot : c) {
                const Wide l = clampWide(dot[1] + 2 * dot[0] + 4 * dot[2], 0, 2047);
                sj += 8 * dot[0] - l;
                sk += 8 * dot[1] - l;
            }
            Wide J = clampWide(sj / 32, -256, 255);
            Wide K = clampWide(sk / 32, -256, 255);
            std::array<Wide, 4> Y{};
            for (int j = 0; j < 4; ++j) {
                const auto& dot = c[static_cast<std::size_t>(j)];
                Wide v = referenceY(s.naturalImageAlgorithm, dot, J, K);
                if (matrix != nullptr) {
                    v += (*matrix)[static_cast<std::size_t>(y % 8)]
                                  [static_cast<std::size_t>((x0 + j) % 8)] / 2;
                }
                if (scale != 0) {
                    const std::array<Wide, 3> rebuilt = {v + J, v + K, (5 * v - 2 * J - K) / 4};
                    for (std::size_t ch = 0; ch < 3; ++ch) {
                        Wide e = clampWide((rebuilt[ch] - dot[ch]) * scale / 1024, -32768, 32767);
                        if (e < cut && -e < cut) {
                            e = 0;
                        }
                        auto& right = cur[static_cast<std::size_t>(x0 + j + 1)][ch];
                        right = wrap16(right + e);
                        nxt[static_cast<std::size_t>(x0 + j)][ch] = e;
                    }
                    if (j < 3) {
                        fetch(j + 1);
                    }
                }
                Y[static_cast<std::size_t>(j)] = clampWide(v, 0, 255);
            }
            if (s.jkRecalc != 0) {
                Wide dj = 0;
                Wide dk = 0;
                for (std::size_t j = 0; j < 4; ++j) {
                    dj += c[j][0] - Y[j];
                    dk += c[j][1] - Y[j];
                }
                J = (dj + 2) / 4;
                K = (dk + 2) / 4;
            }
            // Six-bit two's complement, then split into its low and high three bits.
            const Wide j6 = (clampWide(J / 8, -32, 31) + 64) % 64;
            const Wide k6 = (clampWide(K / 8, -32, 31) + 64) % 64;
            const std::array<Wide, 4> low = {k6 % 8, k6 / 8, j6 % 8, j6 / 8};
            for (int j = 0; j < 4 && x0 + j < width; ++j) {
                const auto n = static_cast<std::size_t>(y * width + x0 + j);
                const auto jj = static_cast<std::size_t>(j);
                if (scale == 0) {
                    const Wide b = (std::min<Wide>(Y[jj] + rounding, 255) & mask) | low[jj];
                    out[n] = static_cast<std::uint8_t>(b == 0 ? substitute : b);
                } else {
                    laterY[n] = Y[jj];
                    out[n] = static_cast<std::uint8_t>(low[jj]);
                }
            }
        }
    }
    if (scale != 0) {
        referenceSecondPass(out, laterY, width, lines, rounding, mask, substitute, scale, cut);
    }
    return out;
}

void expectSamePicture(const Bytes& actual, const Bytes& expected, int width) {
    ASSERT_EQ(actual.size(), expected.size());
    for (std::size_t i = 0; i < actual.size(); ++i) {
        if (actual[i] != expected[i]) {
            const auto w = static_cast<std::size_t>(width);
            FAIL() << "first difference at line " << i / w << ", dot " << i % w << ": "
                   << int{actual[i]} << " instead of " << int{expected[i]};
        }
    }
}

Bytes encoderOutput(const std::vector<RgbPixel>& picture, int width, int lines,
                    const ConversionSettings& settings) {
    Bytes output(static_cast<std::size_t>(width * lines), 0);
    EXPECT_TRUE(encodeYjk(picture, width, lines, output, settings, keepGoing));
    return output;
}

/// Smooth shading with a few hard edges and a little grain, as a photograph has.
std::vector<RgbPixel> photoLike(int width, int lines, std::uint32_t seed) {
    std::mt19937 random(seed);
    std::vector<RgbPixel> picture;
    for (int y = 0; y < lines; ++y) {
        for (int x = 0; x < width; ++x) {
            const int grain = static_cast<int>(random() % 17) - 8;
            const int edge = ((x / 7 + y / 5) % 3) * 40;
            const auto channel = [&](int base) {
                return static_cast<std::uint32_t>(std::clamp(base + edge + grain, 0, 255));
            };
            picture.push_back(makeRgbPixel(channel(x * 255 / std::max(1, width - 1) - 40),
                                           channel(y * 200 / std::max(1, lines - 1)),
                                           channel(180 - x * 3 - y * 2)));
        }
    }
    return picture;
}

ConversionSettings settingsFor(std::uint32_t mode, std::uint32_t algorithm) {
    ConversionSettings settings; // diffusion 0.43, dither pattern 2, recalculation on
    settings.screenMode = mode;
    settings.naturalImageAlgorithm = algorithm;
    return settings;
}

TEST(YjkEncoderReference, AgreesWithHandWorkedPictures) {
    ConversionSettings settings = settingsFor(3, 0);
    settings.errorDiffusion = 0;
    settings.ditherPattern = 0;
    settings.jkRecalc = 0;
    const std::vector<RgbPixel> white(4, makeRgbPixel(255, 255, 255));
    EXPECT_EQ(referenceEncode(white, 4, 1, settings), (Bytes{0xE3, 0xE0, 0xE3, 0xE0}));
    // The second-pass case worked out by hand in the encoder's own tests.
    settings.naturalImageAlgorithm = 3;
    settings.errorDiffusion = 1;
    settings.diffusionCoefficient = 0.5f;
    const std::vector<RgbPixel> exact(8, makeRgbPixel(8, 8, 10));
    EXPECT_EQ(referenceEncode(exact, 4, 2, settings), (Bytes{0, 16, 0, 16, 16, 0, 16, 0}));
}

TEST(YjkEncoderReference, EightByTwoWithDiffusionForEachAlgorithm) {
    // Sky, skin, foliage, shadow and highlight: every group mixes colours.
    const std::vector<RgbPixel> picture = {
        makeRgbPixel(120, 170, 230), makeRgbPixel(118, 168, 228), makeRgbPixel(235, 190, 160),
        makeRgbPixel(225, 175, 150), makeRgbPixel(40, 110, 30),   makeRgbPixel(60, 130, 50),
        makeRgbPixel(10, 10, 20),    makeRgbPixel(250, 250, 240), makeRgbPixel(130, 180, 235),
        makeRgbPixel(200, 150, 120), makeRgbPixel(190, 140, 110), makeRgbPixel(30, 90, 25),
        makeRgbPixel(255, 0, 0),     makeRgbPixel(0, 0, 255),     makeRgbPixel(0, 0, 0),
        makeRgbPixel(128, 128, 128),
    };
    for (std::uint32_t mode : {3u, 4u}) {
        for (std::uint32_t algorithm = 0; algorithm <= 4; ++algorithm) {
            SCOPED_TRACE(testing::Message() << "mode " << mode << " algorithm " << algorithm);
            ConversionSettings settings = settingsFor(mode, algorithm);
            settings.diffusionCoefficient = 0.5f;
            expectSamePicture(encoderOutput(picture, 8, 2, settings),
                              referenceEncode(picture, 8, 2, settings), 8);
        }
    }
}

struct Variation {
    const char* what;
    std::uint8_t diffusion;
    float coefficient;
    std::uint32_t cutOffError;
};

TEST(YjkEncoderReference, RandomPicturesUnderEverySetting) {
    // 3.0 lets the carried error run away (16-bit wrap, 64-bit distances); -0.5 turns it over.
    const Variation variations[] = {
        {"no diffusion", 0, 0.43f, 0}, {"0.43", 1, 0.43f, 0},  {"0.5 cut 3", 1, 0.5f, 3},
        {"runaway", 1, 3.0f, 0},       {"negative", 1, -0.5f, 2},
    };
    const std::array<std::array<int, 2>, 4> sizes = {{{16, 6}, {10, 5}, {5, 3}, {1, 4}}};
    std::mt19937 random(20240611);
    int round = 0;
    for (const auto& size : sizes) {
        for (const Variation& v : variations) {
            for (std::uint32_t algorithm = 0; algorithm <= 4; ++algorithm) {
                for (std::uint32_t mode : {3u, 4u}) {
                    std::vector<RgbPixel> picture;
                    for (int i = 0; i < size[0] * size[1]; ++i) {
                        picture.push_back(random() & 0xFFFFFFu);
                    }
                    ConversionSettings settings = settingsFor(mode, algorithm);
                    settings.errorDiffusion = v.diffusion;
                    settings.diffusionCoefficient = v.coefficient;
                    settings.cutOffError = v.cutOffError;
                    settings.ditherPattern = static_cast<std::uint32_t>(round % 9);
                    settings.jkRecalc = static_cast<std::uint8_t>(round % 2);
                    settings.zeroMode = static_cast<std::uint32_t>(round % 3);
                    ++round;
                    SCOPED_TRACE(testing::Message()
                                 << size[0] << "x" << size[1] << " " << v.what << " algorithm "
                                 << algorithm << " mode " << mode << " dither "
                                 << settings.ditherPattern);
                    expectSamePicture(encoderOutput(picture, size[0], size[1], settings),
                                      referenceEncode(picture, size[0], size[1], settings),
                                      size[0]);
                }
            }
        }
    }
}

TEST(YjkEncoderReference, FullScreenPhotoEachAlgorithm) {
    const std::vector<RgbPixel> picture = photoLike(256, 212, 7);
    for (std::uint32_t algorithm = 0; algorithm <= 4; ++algorithm) {
        const std::uint32_t mode = algorithm % 2 == 0 ? 3 : 4;
        SCOPED_TRACE(testing::Message() << "algorithm " << algorithm << " mode " << mode);
        const ConversionSettings settings = settingsFor(mode, algorithm);
        expectSamePicture(encoderOutput(picture, 256, 212, settings),
                          referenceEncode(picture, 256, 212, settings), 256);
    }
}

} // namespace
} // namespace tarvelo
