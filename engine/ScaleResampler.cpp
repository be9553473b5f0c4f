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
//
// The work is arranged by source line: each source line's sums across every column window are
// formed once and handed to every destination line whose window holds that line. Each dot still
// gets exactly the operations of the plain per-dot computation in the same order (dots of a
// line in order, then lines of the window in order), so the numbers do not change; only the
// repeats go, which keeps a 1,000,000-dot line or column to a fraction of a second.

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
    bool repeatsPrevious = false; ///< same taps as the window before
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

/// True when two windows read the same positions with the same weights.
bool sameTaps(const Window& a, const Window& b, const std::vector<Tap>& taps) {
    if (a.tapCount != b.tapCount) {
        return false;
    }
    for (std::size_t t = 0; t < a.tapCount; ++t) {
        const Tap& first = taps[a.firstTap + t];
        const Tap& second = taps[b.firstTap + t];
        if (first.index != second.index || first.weight != second.weight) {
            return false;
        }
    }
    return true;
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
        window.repeatsPrevious =
            d > 0 && sameTaps(windows[static_cast<std::size_t>(d) - 1], window, taps);
    }
    return windows;
}

/// The sources cast into one destination dot: its column and line windows over the source.
struct ScaleWindows {
    std::vector<Tap> columnTaps;
    std::vector<Window> columns;
    /// The columns whose taps differ from the column before; only these are computed.
    std::vector<std::size_t> distinctColumns;
    std::vector<Tap> lineTaps;
    std::vector<Window> lines;
};

ScaleWindows makeScaleWindows(std::int32_t sw, std::int32_t sh, std::int32_t dw, std::int32_t dh) {
    ScaleWindows result;
    // Neighbouring windows share their edge dot, so the taps number about sw + dw.
    result.columnTaps.reserve(static_cast<std::size_t>(sw) + 2 * static_cast<std::size_t>(dw));
    result.lineTaps.reserve(static_cast<std::size_t>(sh) + 2 * static_cast<std::size_t>(dh));
    // The widths enter in single precision, the heights in double.
    result.columns = makeWindows(static_cast<float>(sw), static_cast<float>(dw), dw, sw, false,
                                 result.columnTaps);
    result.lines = makeWindows(sh, dh, dh, sh, true, result.lineTaps);
    for (std::size_t j = 0; j < result.columns.size(); ++j) {
        if (!result.columns[j].repeatsPrevious) {
            result.distinctColumns.push_back(j);
        }
    }
    return result;
}

using ChannelSums = std::array<double, 3>;

/// The weighted sums of the most recently used source line across every column window. The
/// windows of consecutive destination lines share their edge line and move only forward, so
/// keeping one line computes every source line's sums once, whatever the scale.
class LineSums {
public:
    LineSums(std::span<const RgbPixel> source, std::int32_t sw, const ScaleWindows& windows)
        : m_source(source), m_sw(sw), m_windows(windows), m_sums(windows.columns.size()) {}

    const std::vector<ChannelSums>& of(std::int32_t line) {
        if (line != m_line) {
            compute(&m_source[lineStart(line, m_sw)]);
            m_line = line;
        }
        return m_sums;
    }

private:
    void compute(const RgbPixel* line) {
        for (const std::size_t j : m_windows.distinctColumns) {
            const Window& column = m_windows.columns[j];
            ChannelSums sums{};
            const Tap* taps = &m_windows.columnTaps[column.firstTap];
            for (std::size_t t = 0; t < column.tapCount; ++t) {
                const RgbPixel dot = line[taps[t].index];
                sums[0] += redOf(dot) * taps[t].weight;
                sums[1] += greenOf(dot) * taps[t].weight;
                sums[2] += blueOf(dot) * taps[t].weight;
            }
            m_sums[j] = sums;
        }
    }

    std::span<const RgbPixel> m_source;
    std::int32_t m_sw;
    const ScaleWindows& m_windows;
    std::vector<ChannelSums> m_sums;
    std::int32_t m_line = -1;
};

/// A channel of the result: the window sum over the total weight, cut toward zero. The clamp
/// only guards the packing; a weighted mean of 0..255 values cannot leave that range.
std::uint32_t channelOf(double sum, double totalWeight) {
    const double value = std::trunc(sum / totalWeight);
    return static_cast<std::uint32_t>(std::clamp(value, 0.0, 255.0));
}

/// Destination line i: each dot's window sums gather the line sums of the window's source
/// lines in order, each weighted by its line weight.
void scaleLine(LineSums& lineSums, const ScaleWindows& windows, const Window& line,
               std::vector<ChannelSums>& windowSums, std::span<RgbPixel> to, std::uint32_t mask) {
    std::fill(windowSums.begin(), windowSums.end(), ChannelSums{});
    for (std::size_t t = 0; t < line.tapCount; ++t) {
        const Tap& lineTap = windows.lineTaps[line.firstTap + t];
        const std::vector<ChannelSums>& sums = lineSums.of(lineTap.index);
        for (const std::size_t j : windows.distinctColumns) {
            for (std::size_t c = 0; c < 3; ++c) {
                windowSums[j][c] += lineTap.weight * sums[j][c];
            }
        }
    }
    for (std::size_t j = 0; j < windowSums.size(); ++j) {
        if (windows.columns[j].repeatsPrevious) {
            // Same dots and weights as the column before, so the same dot; a narrow source
            // stretched across the screen has hundreds of these.
            to[j] = to[j - 1];
            continue;
        }
        // Every line of the window has the same column weight sum; the product is in double.
        const double totalWeight =
            static_cast<double>(windows.columns[j].weightSum) * static_cast<double>(line.weightSum);
        const ChannelSums& sums = windowSums[j];
        to[j] = makeRgbPixel(channelOf(sums[0], totalWeight), channelOf(sums[1], totalWeight),
                             channelOf(sums[2], totalWeight)) &
                mask;
    }
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
    LineSums lineSums(source, sw, windows);
    std::vector<ChannelSums> windowSums(static_cast<std::size_t>(dw));
    for (std::int32_t i = 0; i < dh; ++i) {
        if (!keepGoingAt(progress, i, dh)) {
            return false;
        }
        scaleLine(lineSums, windows, windows.lines[static_cast<std::size_t>(i)], windowSums,
                  destination.subspan(lineStart(i, dw), static_cast<std::size_t>(dw)), mask);
    }
    return true;
}

} // namespace tarvelo
