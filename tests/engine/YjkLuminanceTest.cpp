#include "engine/YjkLuminance.h"

#include <gtest/gtest.h>

namespace tarvelo {
namespace {

using Algorithm = NaturalImageAlgorithm;

struct LuminanceCase {
    const char* what;
    Algorithm algorithm;
    CarriedDot dot;
    int j;
    int k;
    int expected;
};

// Every expected value worked out by hand from the formulas; the arithmetic is in the comment.
const LuminanceCase luminanceCases[] = {
    // ((150/2 + 100)/2 + 50)/2 = (87 + 50)/2 = 68
    {"plain", Algorithm::None, {100, 150, 50}, 10, 20, 68},
    // (4 x (600 + 200 + 50) - 60 - 300) / 29 = 3040 / 29 = 104.8
    {"powerful", Algorithm::Powerful, {100, 150, 50}, 10, 20, 104},
    // (3000 + 8850 + 550) / 100 = 124
    {"ntsc", Algorithm::Ntsc, {100, 150, 50}, 10, 20, 124},
    // (2700 + 4200 + 2500) / 115 = 81.7; the label's 40:49:6 over 95 would give 122
    {"ntsc modified uses 27:28:50 over 115", Algorithm::NtscModified, {100, 150, 50}, 10, 20, 81},
    // n = 80: (-10)^2 + (-50)^2 + (3600/38 = 94, 94 - 50)^2 = 4536, below 77..79 and 81..
    // (n = 79 gives 4571, n = 78 4612, n = 77 4578: the distance is not unimodal)
    {"error correction", Algorithm::ErrorCorrection, {100, 150, 50}, 10, 20, 80},
    // White with J = K = 31: n = 219 gives 25 + 25 + (10020/38 = 263, 8)^2 = 114;
    // n = 220 gives 16 + 16 + 100 = 132, n = 218 gives 36 + 36 + 49 = 121.
    {"error correction on white", Algorithm::ErrorCorrection, {255, 255, 255}, 31, 31, 219},
    // Ties keep the smaller n: n = 3 gives 9 + 0 + (3 - 6)^2 = 18, n = 4 gives 16 + 1 + 1 = 18.
    {"error correction tie", Algorithm::ErrorCorrection, {0, 3, 6}, 0, 0, 3},
    // The best Y would be about 400; the search ends at 254 (distance 42632 + 66^2).
    {"error correction stops at 254", Algorithm::ErrorCorrection, {400, 400, 400}, 0, 0, 254},
    // Every candidate is at least 2 x 346^2 + 266^2 = 310188 away, above the starting
    // 195075: Y stays 0 rather than taking the nearest 254.
    {"error correction finds nothing", Algorithm::ErrorCorrection, {600, 600, 600}, 0, 0, 0},
    // Runaway carried errors: 32-bit squares would overflow; Y = 0 is the nearest.
    {"error correction far below", Algorithm::ErrorCorrection, {-33000, -33000, -33000}, 0, 0, 0},
    // ((600/2 + 600)/2 + 600)/2 = 525, clamped by the algorithm itself.
    {"plain clamps high", Algorithm::None, {600, 600, 600}, 0, 0, 255},
    {"plain clamps low", Algorithm::None, {-40, -40, -40}, 0, 0, 0},
    // Truncation toward zero, not flooring: -30/100, -27/115 and -6/29 all give 0.
    {"ntsc truncates", Algorithm::Ntsc, {-1, 0, 0}, 0, 0, 0},
    {"ntsc modified truncates", Algorithm::NtscModified, {-1, 0, 0}, 0, 0, 0},
    {"powerful truncates", Algorithm::Powerful, {0, 0, 0}, 1, 0, 0},
    // The others leave their result unclamped: (30 + 59 + 11) x 400 / 100 = 400, -50 x 30 / 100.
    {"ntsc unclamped high", Algorithm::Ntsc, {400, 400, 400}, 0, 0, 400},
    {"ntsc unclamped low", Algorithm::Ntsc, {-50, 0, 0}, 0, 0, -15},
};

TEST(YjkLuminance, EachAlgorithmWithItsQuirks) {
    for (const LuminanceCase& c : luminanceCases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(yjkLuminance(c.algorithm, c.dot, c.j, c.k), c.expected);
    }
}

TEST(YjkLuminance, ErrorCorrectionNeverReaches255) {
    // Even the brightest source with every J and K a group can have stays at 254 or below.
    for (int j = -256; j <= 255; j += 17) {
        for (int k = -256; k <= 255; k += 17) {
            const int y = yjkLuminance(Algorithm::ErrorCorrection, {255, 255, 255}, j, k);
            ASSERT_GE(y, 0);
            ASSERT_LE(y, 254) << "J " << j << " K " << k;
        }
    }
}

} // namespace
} // namespace tarvelo
