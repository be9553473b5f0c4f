// Any bytes as a settings record: loading must normalise every field into range.
#include "engine/ConversionSettings.h"

#include <cmath>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tarvelo;
    ConversionSettings settings = settingsFromBytes(std::span(data, size));
    normaliseSettings(settings);
    const bool inRange = settings.screenMode < 5 && settings.outputTarget >= 1 &&
                         settings.outputTarget <= 3 && settings.ditherPattern < 9 &&
                         settings.colorSelectMode < 2 && settings.naturalImageAlgorithm < 5 &&
                         settings.colorPrecision < 5 && settings.paletteOutput < 4 &&
                         settings.ditherCombine < 4 && settings.zeroMode < 3 &&
                         settings.cutOffError <= 255 && settings.diffusionCoefficient >= 0.0f &&
                         settings.diffusionCoefficient <= 0.5f;
    if (!inRange) {
        __builtin_trap();
    }
    for (const PaletteEntry& entry : settings.palette) {
        if (entry.red < 0 || entry.red > 7 || entry.green < 0 || entry.green > 7 ||
            entry.blue < 0 || entry.blue > 7) {
            __builtin_trap();
        }
    }
    // A normalised record survives a round trip unchanged.
    if (settingsFromBytes(settingsToBytes(settings)) != settings &&
        !std::isnan(settings.diffusionCoefficient)) {
        __builtin_trap();
    }
    return 0;
}
