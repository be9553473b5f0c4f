#pragma once

#include "engine/ConversionSettings.h"
#include "engine/UserFeedback.h"

#include <array>
#include <cstdint>
#include <string>

namespace tarvelo {

/// The 32 palette bytes of the MSX palette registers: per entry (red x 16 + blue), then green.
std::array<std::uint8_t, 32> paletteBytes(const std::array<PaletteEntry, 16>& palette);

/// Writes the 256-byte Graph Saurus palette file (the 32 palette bytes eight times). Shows
/// "書き込みに失敗しました。" (caption "Error", owned by `owner`) when the file cannot be
/// created, written or completed; the file then does not exist under that name, and an earlier
/// file of that name is left untouched.
void writeGraphSaurusPalette(MessageOwner owner, const std::string& fileName,
                             const ConversionSettings& settings, UserFeedback& feedback);

/// Writes the CSV palette file: a header line and one line of 32 hexadecimal fields, CR LF.
/// Failures are shown and leave earlier files as `writeGraphSaurusPalette` does.
void writeCsvPalette(MessageOwner owner, const std::string& fileName,
                     const ConversionSettings& settings, UserFeedback& feedback);

/// Fills all 16 entries of `palette` from the first 32 bytes of a palette file (missing bytes
/// read as 0; bits outside the level masks ignored; the contents are taken as bytes whatever
/// the file is). Shows "<fileName> の読み込みに失敗しました。" (caption "Error", no owner) and
/// leaves `palette` as it was when the file cannot be read; returns whether it was read.
bool readPaletteFile(const std::string& fileName, std::array<PaletteEntry, 16>& palette,
                     UserFeedback& feedback);

} // namespace tarvelo
