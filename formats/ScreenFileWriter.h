#pragma once

#include "engine/ConversionSettings.h"
#include "engine/UserFeedback.h"

#include <cstdint>
#include <span>
#include <string>

namespace tarvelo {

/// Which file of a result an automatic name is made for.
enum class ScreenFileVariant : int {
    Single = 0,      ///< .SC? / .SR?
    SecondOfPair = 1, ///< odd lines, .S?0
    FirstOfPair = 2,  ///< even lines, .S?1
};

/// The source path with the extension of its file name replaced by the screen file's four
/// characters (appended when the file name has none; a "." in a folder name is not an
/// extension).
std::string makeAutoFileName(const std::string& sourcePath, std::uint32_t screenMode,
                             ScreenFileVariant variant, bool paletteJoined);

/// Saves an encoded result as a BSAVE file, or as an even-line and an odd-line file with
/// `interlace`, named automatically from `sourcePath` or through the save prompt, with the
/// palette joined or offered as a separate file for SCREEN5/7. Failures are reported here.
void writeScreenFiles(MessageOwner owner, const std::string& sourcePath,
                      std::span<const std::uint8_t> data, std::int32_t bytesPerLine,
                      std::int32_t lines, const ConversionSettings& settings,
                      UserFeedback& feedback);

} // namespace tarvelo
