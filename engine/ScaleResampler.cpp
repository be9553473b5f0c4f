#include "engine/Resampler.h"

#include "engine/ResamplerDetail.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <vector>

// The scaling resampler's numbers are fixed to the last bit: double precision throughout, with
// the single-precision roundings the weights have always had (the sizes across a line, each line
// weight, and the two weight sums after every addition), edges cut toward zero and operations in
// the order written. The build keeps floating-point contraction off so that no compiler fuses a
// multiply and an add and changes a rounding.

namespace tarvelo {

using resampling::canResample;
using resampling::keepGoingAt;
using resampling::lineStart;

namespace {

/// One source position of a window: its dot (or line) index, clamped into the picture, and
/// its weight.
struct Tap {
    std::int32_t index = 0;
    double weight = 0.0;
};

/// The taps of one destination dot or line, in window order, and the sum of their weights
/// rounded to single precision after every addition.
struct Window {
    std::size_t firstTap = 0;
    std::size_t tapCount = 0;
    float weightSum = 0.0f;
};

/// Window edge trunc((position) x size / count), cut toward zero. Both edges stay within
/// -size / 2 .. size, so 64 bits never overflow whatever the sizes.
std::int64_t windowEdge(double position, double size, double count) {
    return static_cast<std::int64_t>(std::trunc(position * size / count));
}

/// Tent weight of the k-th position of a window `width` wide: 0 at the first position, rising
/// to 1 in the middle and falling again; a window of one position weighs 1.
double tentWeight(std::int64_t k, std::int64_t width) {
    if (width == 1) {
        return 1.0;
    }
    return 1.0 - std::fabs(2.0 * static_cast<double>(k) / static_cast<double>(width) - 1.0);
}

/// The windows of `count` destination positions over `size` source positions. `size` and
/// `count` arrive already converted the way each direction has always used them.
/// `singleWeights` rounds every weight to single precision when formed (the line weights).
std::vector<Window> makeWindows(double size, double count, std::int32_t destinationCount,
                                std::int32_t sourceCount, bool singleWeights,
                                std::vector<Tap>& taps) {
    std::vector<Window> windows(static_cast<std::size_t>(destinationCount));
    for (std::int32_t d = 0; d < destinationCount; ++d) {
        const std::int64_t first = windowEdge(static_cast<double>(d) - 0.5, size, count);
        const std::int64_t last = windowEdge(static_cast<double>(d) + 0.5, size, count);
        const std::int64_t width = last - first + 1;
        Window& window = windows[static_cast<std::size_t>(d)];
        window.firstTap = taps.size();
        window.tapCount = static_cast<std::size_t>(width);
        for (std::int64_t k = 0; k < width; ++k) {
            double weight = tentWeight(k, width);
            if (singleWeights) {
                weight = static_cast<float>(weight);
            }
            // Positions outside the picture repeat its edge dot or line.
            const std::int64_t index = std::clamp<std::int64_t>(first + k, 0, sourceCount - 1);
            taps.push_back({static_cast<std::int32_t>(index), weight});
            window.weightSum = static_cast<float>(static_cast<double>(window.weightSum) + weight);
        }
    }
    return windows;
}

/// The sources cast into one destination dot: its column and line windows over the source.
struct ScaleWindows {
    std::vector<Tap> columnTaps;
    std::vector<Window> columns;
    std::vector<Tap> lineTaps;
    std::vector<Window> lines;
};

ScaleWindows makeScaleWindows(std::int32_t sw, std::int32_t sh, std::int32_t dw,
                              std::int32_t dh) {
    ScaleWindows result;
    // Neighbouring windows share their edge dot, so the taps number about sw + dw.
    result.columnTaps.reserve(static_cast<std::size_t>(sw) + 2 * static_cast<std::size_t>(dw));
    result.lineTaps.reserve(static_cast<std::size_t>(sh) + 2 * static_cast<std::size_t>(dh));
    // The widths enter in single precision, the heights in double.
    result.columns = makeWindows(static_cast<float>(sw), static_cast<float>(dw), dw, sw, false,
                                 result.columnTaps);
    result.lines = makeWindows(sh, dh, dh, sh, true, result.lineTaps);
    return result;
}

using ChannelSums = std::array<double, 3>;

/// The weighted sums of one source line across a column window.
ChannelSums lineSums(const RgbPixel* line, const Tap* taps, std::size_t tapCount) {
    ChannelSums sums{};
    for (std::size_t t = 0; t < tapCount; ++t) {
        const RgbPixel dot = line[taps[t].index];
        sums[0] += redOf(dot) * taps[t].weight;
        sums[1] += greenOf(dot) * taps[t].weight;
        sums[2] += blueOf(dot) * taps[t].weight;
    }
    return sums;
}

/// A channel of the result: the window sum over the total weight, cut toward zero. The clamp
/// only guards the packing; a weighted mean of 0..255 values cannot leave that range.
std::uint32_t channelOf(double sum, double totalWeight) {
    const double value = std::trunc(sum / totalWeight);
    return static_cast<std::uint32_t>(std::clamp(value, 0.0, 255.0));
}

/// Dot j of destination line i.
RgbPixel scaledDot(std::span<const RgbPixel> source, std::int32_t sw, const ScaleWindows& windows,
                   const Window& column, const Window& line) {
    ChannelSums window{};
    const Tap* columnTaps = &windows.columnTaps[column.firstTap];
    for (std::size_t t = 0; t < line.tapCount; ++t) {
        const Tap& lineTap = windows.lineTaps[line.firstTap + t];
        const ChannelSums sums =
            lineSums(&source[lineStart(lineTap.index, sw)], columnTaps, column.tapCount);
        for (std::size_t c = 0; c < sums.size(); ++c) {
            window[c] += lineTap.weight * sums[c];
        }
    }
    // Every line of the window has the same column weight sum; the product is in double.
    const double totalWeight =
        static_cast<double>(column.weightSum) * static_cast<double>(line.weightSum);
    return makeRgbPixel(channelOf(window[0], totalWeight), channelOf(window[1], totalWeight),
                        channelOf(window[2], totalWeight));
}

} // namespace

bool resampleScale(std::span<const RgbPixel> source, std::int32_t sw, std::int32_t sh,
                   std::span<RgbPixel> destination, std::int32_t dw, std::int32_t dh,
                   const ProgressCallback& progress, std::uint32_t colorPrecision) {
    if (!canResample(source, sw, sh, destination, dw, dh)) {
        return true;
    }
    const std::uint32_t mask = precisionMask(colorPrecision);
    if (sw == dw && sh == dh) {
        resampling::copyMasked(source.data(), destination.data(), lineStart(sh, sw), mask);
        return true;
    }
    const ScaleWindows windows = makeScaleWindows(sw, sh, dw, dh);
    for (std::int32_t i = 0; i < dh; ++i) {
        if (!keepGoingAt(progress, i, dh)) {
            return false;
        }
        const Window& line = windows.lines[static_cast<std::size_t>(i)];
        RgbPixel* to = &destination[lineStart(i, dw)];
        for (std::int32_t j = 0; j < dw; ++j) {
            const Window& column = windows.columns[static_cast<std::size_t>(j)];
            to[j] = scaledDot(source, sw, windows, column, line) & mask;
        }
    }
    return true;
}

} // namespace tarvelo
