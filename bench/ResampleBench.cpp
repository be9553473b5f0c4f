#include "engine/Resampler.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

namespace {

using namespace tarvelo;

std::vector<RgbPixel> gradientPicture(int width, int height) {
    std::vector<RgbPixel> picture(static_cast<std::size_t>(width) * static_cast<std::size_t>(height));
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            picture[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                    static_cast<std::size_t>(x)] =
                makeRgbPixel(static_cast<std::uint32_t>(x & 0xFF), static_cast<std::uint32_t>(y & 0xFF),
                             static_cast<std::uint32_t>((x ^ y) & 0xFF));
        }
    }
    return picture;
}

/// The scaling resampler from a photograph's size to a screen: arguments source width and
/// height, destination lines (212 or 424).
void BM_ResampleScale(benchmark::State& state) {
    const auto sw = static_cast<std::int32_t>(state.range(0));
    const auto sh = static_cast<std::int32_t>(state.range(1));
    const auto dh = static_cast<std::int32_t>(state.range(2));
    const std::vector<RgbPixel> source = gradientPicture(sw, sh);
    std::vector<RgbPixel> destination(256 * static_cast<std::size_t>(dh));
    for (auto _ : state) {
        resampleScale(source, sw, sh, destination, 256, dh, keepGoing, 0);
        benchmark::DoNotOptimize(destination.data());
    }
}
BENCHMARK(BM_ResampleScale)
    ->Args({1920, 1080, 212})
    ->Args({640, 480, 212})
    ->Args({128, 106, 212})
    ->Args({512, 848, 424})
    ->Unit(benchmark::kMillisecond);

} // namespace
