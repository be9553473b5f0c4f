#pragma once

#include "engine/UserFeedback.h"

#include <cstddef>
#include <optional>
#include <string>

namespace tarvelo {

/// The most a script text holds, in CP932 bytes.
inline constexpr std::size_t ScriptTextLimit = 29999;

enum class ScriptFileEncoding { Cp932, Utf8 };

/// A script as loaded: its CP932 bytes and the encoding it was stored in, so that saving writes
/// it back the same way.
struct ScriptFileText {
    std::string text;
    ScriptFileEncoding encoding = ScriptFileEncoding::Cp932;
    /// A UTF-8 file began with a byte-order mark; saving writes one again.
    bool hadByteOrderMark = false;
};

/// Reads a script file: CP932, or UTF-8 (with a byte-order mark, or valid UTF-8 with non-ASCII
/// bytes) converted to CP932; at most `ScriptTextLimit` bytes, a NUL ends the text, control
/// characters other than tab, LF and CR refuse the file. A UTF-8 file is cut to the limit after
/// its conversion, never inside a double-byte character; a character CP932 cannot hold refuses
/// it, naming its line. On failure shows its message (caption "Error", owned by `owner`) and
/// returns nothing.
std::optional<ScriptFileText> loadScriptFile(const std::string& path, UserFeedback& feedback,
                                             MessageOwner owner = MessageOwner::ScriptWindow);

/// Writes the script in the encoding it came in (an earlier file is replaced only once the new
/// one is complete). Shows "ファイルが開けません。" when the file cannot be created; a failed
/// write is silent. Returns whether the file was written.
bool saveScriptFile(const std::string& path, const ScriptFileText& script, UserFeedback& feedback,
                    MessageOwner owner = MessageOwner::ScriptWindow);

} // namespace tarvelo
