#include "engine/YjkEncoder.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdint>
#include <vector>

namespace {

using namespace tarvelo;

/// A deterministic picture with what makes a photograph costly to encode: smooth shading,
/// hard edges between areas of different hue, and grain (a fixed linear congruential series).
std::vector<RgbPixel> photoLikePicture(int width, int lines) {
    std::vector<RgbPixel> picture;
    picture.reserve(static_cast<std::size_t>(width * lines));
    std::uint32_t seed = 12345;
    for (int y = 0; y < lines; ++y) {
        for (int x = 0; x < width; ++x) {
            seed = seed * 1103515245u + 12345u;
            const int grain = static_cast<int>((seed >> 16) % 25) - 12;
            const bool inDisc = (x - 128) * (x - 128) + (y - lines / 2) * (y - lines / 2) <
                                (lines / 3) * (lines / 3);
            const int red = inDisc ? 220 - y / 4 : x;
            const int green = inDisc ? 170 - x / 8 : 60 + y * 150 / lines;
            const int blue = inDisc ? 130 : 230 - x / 2;
            const auto channel = [grain](int value) {
                return static_cast<std::uint32_t>(std::clamp(value + grain, 0, 255));
            };
            picture.push_back(makeRgbPixel(channel(red), channel(green), channel(blue)));
        }
    }
    return picture;
}

/// Arguments: algorithm 0..4, screen mode (3 SCREEN10/11, 4 SCREEN12), lines (212 or 424).
/// Diffusion, dither and J/K recalculation are on, the costliest combination.
void BM_YjkEncode(benchmark::State& state) {
    const int width = 256;
    const auto lines = static_cast<int>(state.range(2));
    const std::vector<RgbPixel> picture = photoLikePicture(width, lines);
    ConversionSettings settings;
    settings.naturalImageAlgorithm = static_cast<std::uint32_t>(state.range(0));
    settings.screenMode = static_cast<std::uint32_t>(state.range(1));
    settings.interlace = lines == 424 ? 1 : 0;
    settings.errorDiffusion = 1;
    settings.diffusionCoefficient = 0.43f;
    settings.ditherPattern = 2;
    settings.jkRecalc = 1;
    std::vector<std::uint8_t> output(static_cast<std::size_t>(width * lines));
    for (auto _ : state) {
        std::fill(output.begin(), output.end(), std::uint8_t{0});
        const bool done = encodeYjk(picture, width, lines, output, settings, keepGoing);
        benchmark::DoNotOptimize(done);
        benchmark::DoNotOptimize(output.data());
    }
    state.SetItemsProcessed(state.iterations() * width * lines);
}

BENCHMARK(BM_YjkEncode)
    ->ArgNames({"algorithm", "mode", "lines"})
    ->ArgsProduct({{0, 1, 2, 3, 4}, {3, 4}, {212, 424}})
    ->Unit(benchmark::kMillisecond);

} // namespace
