#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tarvelo {

// Script text is CP932 (Shift-JIS as Windows has it) inside the interpreter; everything outside
// it (messages, file names, UTF-8 script files) is converted at the edges.

/// CP932 bytes as UTF-8. Bytes that do not convert become U+FFFD.
std::string cp932ToUtf8(std::string_view cp932);

/// UTF-8 text as CP932 bytes, or nothing when a character has no CP932 form (then
/// `failedAt`, if given, receives the byte offset of that character in the input).
std::optional<std::string> utf8ToCp932(std::string_view utf8, std::size_t* failedAt = nullptr);

/// A path named in a script (CP932) in the file system's encoding (UTF-8 here).
std::string cp932PathToFileSystem(std::string_view cp932);

} // namespace tarvelo
