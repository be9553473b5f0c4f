#pragma once

#include "engine/ConversionSettings.h"
#include "engine/UserFeedback.h"

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace tarvelo {

/// Which file of a result an automatic name is made for.
enum class ScreenFileVariant : int {
    Single = 0,      ///< .SC? / .SR?
    SecondOfPair = 1, ///< odd lines, .S?0
    FirstOfPair = 2,  ///< even lines, .S?1
};

/// The source path with the extension of its file name replaced by the screen file's four
/// characters (appended when the file name has none; a "." in a folder name, '/' or '\\', is
/// not an extension, nor are the leading dots of a hidden file's name). An unknown
/// `screenMode` gives the letter 'X'.
std::string makeAutoFileName(const std::string& sourcePath, std::uint32_t screenMode,
                             ScreenFileVariant variant, bool paletteJoined);

/// `path` with the extension of its file name (not of a folder) replaced by `extension`, or
/// with `extension` appended when the file name has none.
std::string replaceFileExtension(const std::string& path, std::string_view extension);

/// Saves an encoded result (`lines` lines of `bytesPerLine` bytes back to back in `data`) as a
/// BSAVE file, or as an even-line and an odd-line file with `interlace`, named automatically
/// from `sourcePath` or through the save prompt (always the prompt when `sourcePath` is empty),
/// with the palette joined or offered as a separate file for SCREEN5/7. A cancelled prompt or a
/// file that cannot be created stops the writer silently; a failed write stops it with
/// "書き込みに失敗しました。". Every file appears complete or not at all; an earlier file of the
/// same name survives any failure. Data shorter than the sizes claim writes nothing and is
/// reported as a failed write.
void writeScreenFiles(MessageOwner owner, const std::string& sourcePath,
                      std::span<const std::uint8_t> data, std::int32_t bytesPerLine,
                      std::int32_t lines, const ConversionSettings& settings,
                      UserFeedback& feedback);

} // namespace tarvelo
