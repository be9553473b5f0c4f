#include "support/PaletteModeFixtures.h"

#include "engine/DitherPatterns.h"

#include <algorithm>
#include <array>

namespace tarvelo::testing {

namespace {

const int Three[8] = {0, 36, 72, 109, 145, 182, 218, 255};
const int Two[4] = {0, 85, 170, 255};

int channel(RgbPixel p, int c) {
    return static_cast<int>((p >> (8 * c)) & 0xFF);
}

// Row and column of the matrix element each channel uses, before wrapping at 8.
std::array<std::array<int, 2>, 3> ditherCells(std::uint32_t combine, int x, int y) {
    switch (combine) {
    case 0:
        return {{{x, y}, {y, x}, {7 - x % 8, y}}};
    case 1:
        return {{{y, x}, {y, x}, {y, x}}};
    case 2:
        return {{{y, x}, {y, x + 1}, {y, x + 2}}};
    default:
        return {{{y, x}, {y + 1, x}, {y + 2, x}}};
    }
}

long long distance(const int value[3], RgbPixel colour) {
    long long sum = 0;
    for (int c = 0; c < 3; ++c) {
        const long long d = static_cast<long long>(channel(colour, c)) - value[c];
        sum += d * d;
    }
    return sum;
}

int screen8Value(const int v[3], bool mesh, bool oddDot) {
    if (!mesh) {
        const int r = std::clamp((7 * v[0] + 126) / 255, 0, 7);
        const int g = std::clamp((7 * v[1] + 126) / 255, 0, 7);
        const int b = std::clamp((3 * v[2] + 108) / 255, 0, 3);
        return (g << 5) | (r << 2) | b;
    }
    const int r = std::clamp((14 * v[0] + 126) / 255, 0, 14);
    const int g = std::clamp((14 * v[1] + 126) / 255, 0, 14);
    const int b = std::clamp((6 * v[2] + 108) / 255, 0, 6);
    int result = (g / 2) * 32 + (r / 2) * 4 + b / 2;
    if (oddDot) {
        result += (g % 2) * 32 + (r % 2) * 4 + b % 2;
    }
    return result;
}

} // namespace

std::vector<std::uint8_t> referencePaletteEncode(const std::vector<RgbPixel>& picture, int width,
                                                 int lines, const ConversionSettings& settings,
                                                 const std::vector<RgbPixel>& paletteColours,
                                                 const std::vector<HalfToneTile>& tiles) {
    const bool sixteen = settings.screenMode <= 1;
    const bool mesh = settings.meshTile != 0;
    const int k = settings.errorDiffusion != 0
                      ? static_cast<int>(settings.diffusionCoefficient * 1024.0f)
                      : 0;
    const std::size_t dots = static_cast<std::size_t>(width) * static_cast<std::size_t>(lines);
    std::vector<std::uint8_t> out(sixteen ? (dots + 1) / 2 : dots, 0);
    std::vector<std::array<int, 3>> passed(dots, {0, 0, 0});
    const unsigned mask = (0xFFu << settings.colorPrecision) & 0xFFu;
    const RgbPixel key = settings.zeroColor & (mask * 0x010101u);

    for (int y = 0; y < lines; ++y) {
        for (int x = 0; x < width; ++x) {
            const std::size_t n = static_cast<std::size_t>(y * width + x);
            int v[3];
            for (int c = 0; c < 3; ++c) {
                v[c] = channel(picture[n], c);
            }
            if (settings.ditherPattern >= 1 && settings.ditherPattern <= 8) {
                const auto cells = ditherCells(settings.ditherCombine, x, y);
                for (int c = 0; c < 3; ++c) {
                    const int row = cells[c][0] % 8;
                    const int column = cells[c][1] % 8;
                    v[c] += 2 * DitherPatterns[settings.ditherPattern - 1][row][column] - 16;
                }
            }
            for (int c = 0; c < 3; ++c) {
                std::int16_t carried = 0;
                if (y > 0) {
                    carried = static_cast<std::int16_t>(passed[n - width][c]);
                }
                if (x > 0) {
                    carried = static_cast<std::int16_t>(carried + passed[n - 1][c]);
                }
                v[c] += carried;
            }

            int value = 0;
            RgbPixel q = 0;
            if (sixteen && mesh && !tiles.empty()) {
                long long best = 2147483647;
                std::size_t found = 0;
                for (std::size_t t = 0; t < tiles.size(); ++t) {
                    if (distance(v, tiles[t].mixedColour) < best) {
                        best = distance(v, tiles[t].mixedColour);
                        found = t;
                    }
                }
                value = (x + y) % 2 == 0 ? tiles[found].entryA : tiles[found].entryB;
                q = tiles[found].mixedColour;
            } else if (sixteen) {
                long long best = 2147483647;
                int found = -1;
                int firstAllowed = -1;
                for (int e = 0; e < 16; ++e) {
                    if ((e == 0 && settings.skipColorZero != 0) ||
                        settings.paletteEntryMode[e] == 1) {
                        continue;
                    }
                    if (firstAllowed < 0) {
                        firstAllowed = e;
                    }
                    if (distance(v, paletteColours[e]) < best) {
                        best = distance(v, paletteColours[e]);
                        found = e;
                    }
                }
                value = found >= 0 ? found : std::max(firstAllowed, 0);
                q = paletteColours[value];
            } else {
                value = screen8Value(v, mesh, (x + y) % 2 == 1);
                if (value == 0 && settings.skipColorZero != 0) {
                    value = 4;
                }
                q = static_cast<RgbPixel>(Three[(value >> 2) & 7]) |
                    static_cast<RgbPixel>(Three[value >> 5] << 8) |
                    static_cast<RgbPixel>(Two[value & 3] << 16);
            }

            if (k != 0) {
                for (int c = 0; c < 3; ++c) {
                    long long e = static_cast<long long>(v[c] - channel(q, c)) * k / 1024;
                    e = std::clamp(e, -32768LL, 32767LL);
                    if (e < 0 ? -e < settings.cutOffError : e < settings.cutOffError) {
                        e = 0;
                    }
                    passed[n][c] = static_cast<int>(e);
                }
            }
            if (settings.zeroMode != 0 && q == key) {
                value = 0;
            }
            if (!sixteen) {
                out[n] = static_cast<std::uint8_t>(value);
            } else if (n % 2 == 0) {
                out[n / 2] = static_cast<std::uint8_t>(value << 4);
            } else {
                out[n / 2] = static_cast<std::uint8_t>(out[n / 2] | value);
            }
        }
    }
    return out;
}

std::string firstDifference(const std::vector<std::uint8_t>& expected,
                            const std::vector<std::uint8_t>& actual, int width,
                            bool sixteenColours) {
    if (expected.size() != actual.size()) {
        return "sizes differ: " + std::to_string(expected.size()) + " and " +
               std::to_string(actual.size());
    }
    for (std::size_t i = 0; i < expected.size(); ++i) {
        if (expected[i] != actual[i]) {
            const std::size_t dot = sixteenColours ? 2 * i : i;
            const std::size_t w = static_cast<std::size_t>(std::max(width, 1));
            return "line " + std::to_string(dot / w) + " dot " + std::to_string(dot % w) +
                   ": expected byte " + std::to_string(expected[i]) + ", got " +
                   std::to_string(actual[i]);
        }
    }
    return {};
}

} // namespace tarvelo::testing
