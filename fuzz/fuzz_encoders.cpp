// The conversion's stages on small pictures, so that many settings and pictures are tried each
// second: the first 288 bytes are the settings record (normalised as a load does), the next two
// choose the destination size (up to 64 x 16 dots), the rest are the source dots, three bytes
// each. Resampling, palette choice, tiles and either encoder are run (the preview, which always
// draws a whole screen, is left to fuzz_conversion).
#include "FuzzFeedback.h"
#include "engine/HalfToneTiles.h"
#include "engine/PaletteDetermination.h"
#include "engine/PaletteModeEncoder.h"
#include "engine/Resampler.h"
#include "engine/YjkEncoder.h"

#include <cstddef>
#include <cstdint>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tarvelo;
    constexpr std::size_t Prefix = SettingsRecordSize + 2;
    if (size < Prefix + 3) {
        return 0;
    }
    ConversionSettings settings = settingsFromBytes(std::span(data, SettingsRecordSize));
    normaliseSettings(settings);
    const std::int32_t width = 4 * (1 + data[SettingsRecordSize] % 16);
    const std::int32_t lines = 1 + data[SettingsRecordSize + 1] % 16;

    const std::size_t dots = (size - Prefix) / 3;
    const auto sw = static_cast<std::int32_t>(1 + dots % 37);
    const auto sh = static_cast<std::int32_t>(dots / static_cast<std::size_t>(sw));
    std::vector<RgbPixel> source(static_cast<std::size_t>(sw) * static_cast<std::size_t>(sh));
    for (std::size_t i = 0; i < source.size(); ++i) {
        const std::uint8_t* dot = data + Prefix + 3 * i;
        source[i] = makeRgbPixel(dot[0], dot[1], dot[2]);
    }
    std::vector<RgbPixel> picture(static_cast<std::size_t>(width) * static_cast<std::size_t>(lines));
    const auto resampler = settings.resize != 0 ? resampleScale
                           : settings.interlace != 0 ? resampleHalfWidth
                                                     : resampleCrop;
    resampler(source, sw, sh, picture, width, lines, keepGoing, settings.colorPrecision);

    fuzzing::SilentFeedback feedback;
    PaletteColours palette;
    if (!determinePalette(palette, settings, picture, width, lines, feedback)) {
        return 0;
    }
    HalfToneTileList tiles{};
    int tileCount = 0;
    if (settings.meshTile != 0 && settings.isPaletteMode()) {
        tileCount = buildHalfToneTiles(settings.palette, settings.paletteEntryMode,
                                       settings.skipColorZero == 0, tiles);
    }
    std::vector<std::uint8_t> output(static_cast<std::size_t>(width) * static_cast<std::size_t>(lines));
    if (settings.screenMode <= 2) {
        encodePaletteMode(picture, width, lines, output, settings, keepGoing,
                          std::span(palette.colours).first(static_cast<std::size_t>(palette.count)),
                          std::span(tiles).first(static_cast<std::size_t>(tileCount)));
    } else {
        encodeYjk(picture, width, lines, output, settings, keepGoing);
    }
    return 0;
}
