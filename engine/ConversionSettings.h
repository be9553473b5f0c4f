#pragma once

#include "engine/RgbPixel.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace tarvelo {

/// Value of `screenMode`.
enum class ScreenMode : std::uint32_t {
    Screen5 = 0,
    Screen7 = 1,
    Screen8 = 2,
    Screen10_11 = 3,
    Screen12 = 4,
};

/// One palette entry as the record stores it: three levels 0..7, green first, the order of
/// the MSX palette register pair.
struct PaletteEntry {
    std::int32_t green = 0;
    std::int32_t red = 0;
    std::int32_t blue = 0;
    bool operator==(const PaletteEntry&) const = default;
};

/// Values of `paletteEntryMode`.
enum PaletteEntryModeValue : std::uint8_t {
    EntryAutomatic = 0, ///< colour chosen by the automatic selection
    EntryNotUsed = 1,   ///< the entry is not used for any dot
    EntryFixed = 2,     ///< the stored colour is used and given to the selection as fixed
};

/// `outputTarget` bits.
inline constexpr std::uint32_t OutputToFiles = 1;
inline constexpr std::uint32_t OutputToPreview = 2;

/// Every choice that steers a conversion. The record is also the settings file: 288 bytes,
/// little-endian, in the field order below, reserved bytes included. Flags are bytes, 0 = off
/// and any other value on; they are kept as read so that a file round-trips byte for byte.
struct ConversionSettings {
    std::uint32_t screenMode = 0;                       // offset 0
    std::uint32_t cutOffError = 0;                      // 4
    std::uint8_t errorDiffusion = 1;                    // 8
    std::uint8_t interlace = 0;                         // 9
    std::array<std::uint8_t, 2> reserved10{};           // 10
    std::uint32_t colorSelectMode = 0;                  // 12
    float diffusionCoefficient = 0.43f;                 // 16
    std::uint8_t allFixedPalette = 0;                   // 20
    std::uint8_t resize = 0;                            // 21
    std::array<std::uint8_t, 2> reserved22{};           // 22
    std::array<PaletteEntry, 16> palette{};             // 24
    std::uint32_t paletteOutput = 1;                    // 216
    std::uint8_t autoFileName = 1;                      // 220
    std::array<std::uint8_t, 3> reserved221{};          // 221
    std::uint32_t naturalImageAlgorithm = 1;            // 224
    std::uint8_t jkRecalc = 1;                          // 228
    std::array<std::uint8_t, 3> reserved229{};          // 229
    std::uint32_t ditherPattern = 2;                    // 232
    std::uint32_t outputTarget = 3;                     // 236
    std::array<std::uint8_t, 16> paletteEntryMode{};    // 240
    std::uint32_t colorPrecision = 0;                   // 256
    std::uint32_t ditherCombine = 0;                    // 260
    std::uint8_t skipColorZero = 0;                     // 264
    std::array<std::uint8_t, 3> reserved265{};          // 265
    std::uint32_t zeroMode = 0;                         // 268
    RgbPixel zeroColor = 0;                             // 272
    std::int32_t zeroX = 0;                             // 276
    std::int32_t zeroY = 0;                             // 280
    std::uint8_t meshTile = 0;                          // 284
    std::array<std::uint8_t, 3> reserved285{};          // 285

    ConversionSettings();
    bool operator==(const ConversionSettings&) const = default;

    ScreenMode mode() const { return static_cast<ScreenMode>(screenMode); }
    bool isPaletteMode() const { return screenMode <= 1; }
    /// Colour of palette entry `index` (its levels expanded through `ThreeBitLevels`).
    RgbPixel paletteColour(std::size_t index) const;
};

inline constexpr std::size_t SettingsRecordSize = 288;
using SettingsBytes = std::array<std::uint8_t, SettingsRecordSize>;

/// The palette every reset starts from.
extern const std::array<PaletteEntry, 16> DefaultPalette;

/// All 288 bytes zero, then the defaults (the default palette included).
void resetSettings(ConversionSettings& settings);

/// Brings every field a file can put out of range back into range, as a load does: enumerations
/// by modulo or mask, `cutOffError` to 255, `diffusionCoefficient` into 0.0..0.5 (not-a-number
/// gives 0.0), palette levels to their low three bits.
void normaliseSettings(ConversionSettings& settings);

/// The record as stored in a settings file, field by field, little-endian.
SettingsBytes settingsToBytes(const ConversionSettings& settings);

/// The record from up to 288 stored bytes; bytes the span does not reach keep the defaults. No
/// normalisation.
ConversionSettings settingsFromBytes(std::span<const std::uint8_t> bytes);

/// Resets the record, reads up to 288 bytes of the file over it and normalises. Returns false
/// (the record at its defaults) when the file cannot be opened; a short file is not an error.
bool loadSettingsFile(ConversionSettings& settings, const std::string& path);

/// Writes the 288 bytes, replacing an existing file only once the new one is complete.
/// Failures are silent, as the program has always kept them; the result tells the caller.
bool saveSettingsFile(const ConversionSettings& settings, const std::string& path);

} // namespace tarvelo
