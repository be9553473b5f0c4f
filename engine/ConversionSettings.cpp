#include "engine/ConversionSettings.h"

#include "engine/AtomicFile.h"
#include "engine/ByteOrder.h"
#include "engine/ColourLevels.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace tarvelo {

static_assert(sizeof(float) == 4 && std::numeric_limits<float>::is_iec559);

const std::array<PaletteEntry, 16> DefaultPalette = {{
    {0, 0, 0}, {0, 0, 0}, {6, 1, 1}, {7, 3, 3}, {1, 1, 7}, {3, 2, 7}, {1, 5, 1}, {6, 2, 7},
    {1, 7, 1}, {3, 7, 3}, {6, 6, 1}, {6, 6, 4}, {4, 1, 1}, {2, 6, 5}, {5, 5, 5}, {7, 7, 7},
}};

ConversionSettings::ConversionSettings() : palette(DefaultPalette) {}

RgbPixel ConversionSettings::paletteColour(std::size_t index) const {
    const PaletteEntry& entry = palette[index];
    return levelsToRgb(entry.red, entry.green, entry.blue);
}

void resetSettings(ConversionSettings& settings) { settings = ConversionSettings{}; }

namespace {

// One table drives both directions, so reading and writing can never disagree on an offset.
template <typename Visitor> void visitFields(ConversionSettings& s, Visitor&& v) {
    v.u32(0, s.screenMode);
    v.u32(4, s.cutOffError);
    v.u8(8, s.errorDiffusion);
    v.u8(9, s.interlace);
    v.bytes(10, s.reserved10);
    v.u32(12, s.colorSelectMode);
    v.f32(16, s.diffusionCoefficient);
    v.u8(20, s.allFixedPalette);
    v.u8(21, s.resize);
    v.bytes(22, s.reserved22);
    for (std::size_t k = 0; k < 16; ++k) {
        v.i32(24 + 12 * k, s.palette[k].green);
        v.i32(28 + 12 * k, s.palette[k].red);
        v.i32(32 + 12 * k, s.palette[k].blue);
    }
    v.u32(216, s.paletteOutput);
    v.u8(220, s.autoFileName);
    v.bytes(221, s.reserved221);
    v.u32(224, s.naturalImageAlgorithm);
    v.u8(228, s.jkRecalc);
    v.bytes(229, s.reserved229);
    v.u32(232, s.ditherPattern);
    v.u32(236, s.outputTarget);
    v.bytes(240, s.paletteEntryMode);
    v.u32(256, s.colorPrecision);
    v.u32(260, s.ditherCombine);
    v.u8(264, s.skipColorZero);
    v.bytes(265, s.reserved265);
    v.u32(268, s.zeroMode);
    v.u32(272, s.zeroColor);
    v.i32(276, s.zeroX);
    v.i32(280, s.zeroY);
    v.u8(284, s.meshTile);
    v.bytes(285, s.reserved285);
}

struct Writer {
    std::span<std::uint8_t> out;
    void u32(std::size_t at, std::uint32_t value) { writeLe32(out, at, value); }
    void i32(std::size_t at, std::int32_t value) { writeLe32(out, at, static_cast<std::uint32_t>(value)); }
    void f32(std::size_t at, float value) { writeLe32(out, at, std::bit_cast<std::uint32_t>(value)); }
    void u8(std::size_t at, std::uint8_t value) { out[at] = value; }
    template <std::size_t N> void bytes(std::size_t at, const std::array<std::uint8_t, N>& value) {
        std::copy(value.begin(), value.end(), out.begin() + static_cast<std::ptrdiff_t>(at));
    }
};

struct Reader {
    std::span<const std::uint8_t> in; // always the full 288 bytes
    void u32(std::size_t at, std::uint32_t& value) { value = readLe32(in, at); }
    void i32(std::size_t at, std::int32_t& value) { value = readLe32Signed(in, at); }
    void f32(std::size_t at, float& value) { value = std::bit_cast<float>(readLe32(in, at)); }
    void u8(std::size_t at, std::uint8_t& value) { value = in[at]; }
    template <std::size_t N> void bytes(std::size_t at, std::array<std::uint8_t, N>& value) {
        std::copy_n(in.begin() + static_cast<std::ptrdiff_t>(at), N, value.begin());
    }
};

} // namespace

SettingsBytes settingsToBytes(const ConversionSettings& settings) {
    SettingsBytes bytes{};
    ConversionSettings copy = settings;
    visitFields(copy, Writer{bytes});
    return bytes;
}

ConversionSettings settingsFromBytes(std::span<const std::uint8_t> bytes) {
    // Bytes the input does not reach keep their default values, as a short file does.
    SettingsBytes full = settingsToBytes(ConversionSettings{});
    std::copy_n(bytes.begin(), std::min(bytes.size(), full.size()), full.begin());
    ConversionSettings settings;
    visitFields(settings, Reader{full});
    return settings;
}

void normaliseSettings(ConversionSettings& s) {
    s.outputTarget &= 3u;
    if (s.outputTarget == 0) {
        s.outputTarget = OutputToFiles;
    }
    s.ditherPattern %= 9u;
    s.colorSelectMode &= 1u;
    s.naturalImageAlgorithm %= 5u;
    s.screenMode %= 5u;
    s.colorPrecision %= 5u;
    s.paletteOutput &= 3u;
    s.ditherCombine &= 3u;
    s.zeroMode %= 3u;
    s.cutOffError = std::min(s.cutOffError, 255u);
    // Written so that not-a-number fails the first test as a negative value does.
    if (!(s.diffusionCoefficient >= 0.0f)) {
        s.diffusionCoefficient = 0.0f;
    }
    if (s.diffusionCoefficient > 0.5f) {
        s.diffusionCoefficient = 0.5f;
    }
    for (PaletteEntry& entry : s.palette) {
        entry.green &= 7;
        entry.red &= 7;
        entry.blue &= 7;
    }
}

bool loadSettingsFile(ConversionSettings& settings, const std::string& path) {
    resetSettings(settings);
    std::vector<std::uint8_t> bytes;
    if (!readFileBytes(path, bytes, SettingsRecordSize)) {
        return false;
    }
    settings = settingsFromBytes(bytes);
    normaliseSettings(settings);
    return true;
}

bool saveSettingsFile(const ConversionSettings& settings, const std::string& path) {
    const SettingsBytes bytes = settingsToBytes(settings);
    AtomicFile file(path);
    return file.create() && file.write(bytes) && file.commit();
}

} // namespace tarvelo
