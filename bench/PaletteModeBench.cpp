#include "engine/HalfToneTiles.h"
#include "engine/PaletteDetermination.h"
#include "engine/PaletteModeEncoder.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

namespace tarvelo {
namespace {

/// A deterministic photo-like picture: smooth colour waves with a little fine texture, so that
/// most of the 512 colour bins are filled and the nearest searches rarely stop early.
std::vector<RgbPixel> photoLikePicture(int width, int lines) {
    std::vector<RgbPixel> picture;
    picture.reserve(static_cast<std::size_t>(width) * static_cast<std::size_t>(lines));
    for (int y = 0; y < lines; ++y) {
        for (int x = 0; x < width; ++x) {
            const double u = static_cast<double>(x) / width;
            const double v = static_cast<double>(y) / lines;
            const auto wave = [](double phase) {
                return static_cast<std::uint32_t>(127.5 + 127.5 * std::sin(phase));
            };
            const std::uint32_t texture = static_cast<std::uint32_t>((x * 7 + y * 13) % 11);
            const std::uint32_t red = std::min(255u, wave(6.0 * u + 2.0 * v) + texture);
            const std::uint32_t green = wave(4.0 * v - 3.0 * u + 1.0);
            const std::uint32_t blue = wave(9.0 * u * v + 2.5);
            picture.push_back(makeRgbPixel(red, green, blue));
        }
    }
    return picture;
}

class SilentFeedback : public UserFeedback {
public:
    void showMessage(std::string_view, std::string_view, MessageOwner, MessageIcon) override {}
    std::optional<std::string> askSaveFileName(MessageOwner, std::string_view,
                                               const std::vector<FileFilter>&,
                                               std::string_view) override {
        return std::nullopt;
    }
};

struct Job {
    ConversionSettings settings;
    std::int32_t width = 256;
    std::int32_t lines = 212;
    std::vector<RgbPixel> picture;
    PaletteColours colours;
    std::vector<HalfToneTile> tiles;
};

/// The settings that cost most: diffusion, a dither pattern, a full automatic 16-colour palette
/// chosen from the picture, and the tile list where tiles are on.
Job makeJob(std::uint32_t screenMode, bool interlace, bool meshTile) {
    Job job;
    job.settings.screenMode = screenMode;
    job.settings.interlace = interlace ? 1 : 0;
    job.settings.meshTile = meshTile ? 1 : 0;
    job.settings.errorDiffusion = 1;
    job.settings.ditherPattern = 1;
    job.width = screenMode == 1 ? 512 : 256;
    job.lines = interlace ? 424 : 212;
    job.picture = photoLikePicture(job.width, job.lines);
    SilentFeedback silent;
    determinePalette(job.colours, job.settings, job.picture, job.width, job.lines, silent);
    if (meshTile && job.settings.isPaletteMode()) {
        HalfToneTileList list{};
        const int count = buildHalfToneTiles(job.settings.palette, job.settings.paletteEntryMode,
                                             job.settings.skipColorZero == 0, list);
        job.tiles.assign(list.begin(), list.begin() + count);
    }
    return job;
}

void encodeFullScreen(benchmark::State& state, std::uint32_t screenMode, bool interlace,
                      bool meshTile) {
    const Job job = makeJob(screenMode, interlace, meshTile);
    std::vector<std::uint8_t> output(job.picture.size(), 0);
    const std::span<const RgbPixel> colours(job.colours.colours.data(),
                                            static_cast<std::size_t>(job.colours.count));
    for (auto _ : state) {
        const bool done = encodePaletteMode(job.picture, job.width, job.lines, output, job.settings,
                                            keepGoing, colours, job.tiles);
        benchmark::DoNotOptimize(done);
        benchmark::DoNotOptimize(output.data());
    }
    state.counters["tiles"] = static_cast<double>(job.tiles.size());
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(job.picture.size()));
}

BENCHMARK_CAPTURE(encodeFullScreen, screen5, 0u, false, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(encodeFullScreen, screen5_tiles, 0u, false, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(encodeFullScreen, screen5_interlaced_tiles, 0u, true, true)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(encodeFullScreen, screen7_tiles, 1u, false, true)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(encodeFullScreen, screen8, 2u, false, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(encodeFullScreen, screen8_half_levels, 2u, false, true)
    ->Unit(benchmark::kMillisecond);

void determinePaletteOnPhoto(benchmark::State& state) {
    const std::vector<RgbPixel> picture = photoLikePicture(256, 212);
    const ConversionSettings start; // sixteen automatic entries
    SilentFeedback silent;
    ConversionSettings settings = start;
    settings.colorSelectMode = static_cast<std::uint32_t>(state.range(0));
    for (auto _ : state) {
        settings.palette = start.palette;
        PaletteColours colours;
        benchmark::DoNotOptimize(determinePalette(colours, settings, picture, 256, 212, silent));
        benchmark::DoNotOptimize(colours);
    }
    state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(picture.size()));
}
BENCHMARK(determinePaletteOnPhoto)
    ->Arg(0)
    ->Arg(1)
    ->ArgName("colorSelectMode")
    ->Unit(benchmark::kMicrosecond);

} // namespace
} // namespace tarvelo
