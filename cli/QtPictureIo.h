#pragma once

#include "engine/RgbPixel.h"

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tarvelo {

// The one place where engine pictures meet QImage: reading pictures that are not BMP files, and
// saving rendered previews as PNG.

/// Reads any picture Qt's image readers know (PNG, JPEG, GIF, ...) as a packed 24-bit
/// bottom-up DIB block. Nothing when the file cannot be read as a picture.
std::optional<std::vector<std::uint8_t>> readPictureAsDib(const std::string& path);

/// Saves width x height pixels (top line first) as a PNG file, through a temporary file that
/// replaces the target only when complete. False on failure.
bool savePng(const std::vector<RgbPixel>& pixels, int width, int height, const std::string& path);

} // namespace tarvelo
