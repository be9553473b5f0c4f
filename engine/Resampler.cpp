#include "engine/Resampler.h"

#include "engine/ResamplerDetail.h"

#include <algorithm>

namespace tarvelo {

using resampling::canResample;
using resampling::keepGoingAt;
using resampling::lineStart;

std::uint32_t precisionMask(std::uint32_t colorPrecision) {
    // 0xFF shifted left by the precision and kept to 8 bits, in each channel. A loaded record is
    // already brought to 0..4; a larger value clears the whole channel instead of shifting by
    // more than the width of the type.
    const std::uint32_t clearedBits = std::min(colorPrecision, 8u);
    const std::uint32_t channel = (0xFFu << clearedBits) & 0xFFu;
    return 0xFF000000u | channel | (channel << 8) | (channel << 16);
}

bool resampleCrop(std::span<const RgbPixel> source, std::int32_t sw, std::int32_t sh,
                  std::span<RgbPixel> destination, std::int32_t dw, std::int32_t dh,
                  const ProgressCallback& progress, std::uint32_t colorPrecision) {
    if (!canResample(source, sw, sh, destination, dw, dh)) {
        return true;
    }
    const std::uint32_t mask = precisionMask(colorPrecision);
    const auto dots = static_cast<std::size_t>(std::min(dw, sw));
    const std::int32_t lines = std::min(sh, dh);
    for (std::int32_t i = 0; i < lines; ++i) {
        if (!keepGoingAt(progress, i, dh)) {
            return false;
        }
        resampling::copyMasked(&source[lineStart(i, sw)], &destination[lineStart(i, dw)], dots,
                               mask);
    }
    return true;
}

namespace {

// Each channel of the two dots summed and halved, rounding down; channels never carry into
// each other because each is taken out on its own.
RgbPixel averageOfPair(RgbPixel a, RgbPixel b) {
    const auto half = [](int first, int second) {
        return static_cast<std::uint32_t>((first + second) / 2);
    };
    return makeRgbPixel(half(redOf(a), redOf(b)), half(greenOf(a), greenOf(b)),
                        half(blueOf(a), blueOf(b)));
}

} // namespace

bool resampleHalfWidth(std::span<const RgbPixel> source, std::int32_t sw, std::int32_t sh,
                       std::span<RgbPixel> destination, std::int32_t dw, std::int32_t dh,
                       const ProgressCallback& progress, std::uint32_t colorPrecision) {
    if (!canResample(source, sw, sh, destination, dw, dh)) {
        return true;
    }
    const std::uint32_t mask = precisionMask(colorPrecision);
    // With an odd width the last source dot of each line has no partner and is left out.
    const auto dots = static_cast<std::size_t>(std::min(dw, sw / 2));
    const std::int32_t lines = std::min(sh, dh);
    for (std::int32_t i = 0; i < lines; ++i) {
        if (!keepGoingAt(progress, i, dh)) {
            return false;
        }
        const RgbPixel* from = &source[lineStart(i, sw)];
        RgbPixel* to = &destination[lineStart(i, dw)];
        for (std::size_t j = 0; j < dots; ++j) {
            to[j] = averageOfPair(from[2 * j], from[2 * j + 1]) & mask;
        }
    }
    return true;
}

} // namespace tarvelo
