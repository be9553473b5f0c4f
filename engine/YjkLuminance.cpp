#include "engine/YjkLuminance.h"

namespace tarvelo {
namespace {

int plainLuminance(CarriedDot dot) {
    // Y = B/2 + R/4 + G/8 in nested halvings, each truncating toward zero.
    return clampTo(0, 255, ((dot.green / 2 + dot.red) / 2 + dot.blue) / 2);
}

int errorCorrectionLuminance(CarriedDot dot, int j, int k) {
    // Tries every Y the dot could take and keeps the one whose rebuilt colour is nearest the
    // source. Blue is rebuilt as (50n - 20J - 10K) / 38, not the decoder's (5n - 2J - K) / 4;
    // the search stops at 254 and starts from the distance 195075 (3 x 255^2), so a dot whose
    // every candidate is farther than that keeps Y = 0. Sums in 64 bits: a carried error can
    // push a channel far enough out of range to overflow 32-bit squares.
    std::int64_t bestDistance = 195075;
    int best = 0;
    for (int n = 0; n <= 254; ++n) {
        const std::int64_t red = n + j - dot.red;
        const std::int64_t green = n + k - dot.green;
        const std::int64_t blue = (50 * n - 20 * j - 10 * k) / 38 - dot.blue;
        const std::int64_t distance = red * red + green * green + blue * blue;
        if (distance < bestDistance) {
            bestDistance = distance;
            best = n;
        }
    }
    return best;
}

int powerfulLuminance(CarriedDot dot, int j, int k) {
    // A dot decodes as R = Y + J, G = Y + K, B = (5Y - 2J - K) / 4; this is the Y at which
    // 4G + 2R + B of the decoded dot equals that of the source.
    return (4 * (4 * dot.green + 2 * dot.red + dot.blue) - 6 * j - 15 * k) / 29;
}

int ntscLuminance(CarriedDot dot) {
    return (30 * dot.red + 59 * dot.green + 11 * dot.blue) / 100;
}

int ntscModifiedLuminance(CarriedDot dot) {
    // The weights the program has always used, whatever its 40:49:6 label says.
    return (27 * dot.red + 28 * dot.green + 50 * dot.blue) / 115;
}

} // namespace

int yjkLuminance(NaturalImageAlgorithm algorithm, CarriedDot dot, int j, int k) {
    switch (algorithm) {
    case NaturalImageAlgorithm::None:
        return plainLuminance(dot);
    case NaturalImageAlgorithm::ErrorCorrection:
        return errorCorrectionLuminance(dot, j, k);
    case NaturalImageAlgorithm::Powerful:
        return powerfulLuminance(dot, j, k);
    case NaturalImageAlgorithm::Ntsc:
        return ntscLuminance(dot);
    case NaturalImageAlgorithm::NtscModified:
        return ntscModifiedLuminance(dot);
    }
    return 0;
}

} // namespace tarvelo
