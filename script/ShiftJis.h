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

/// A fixed text of the program (UTF-8 in the source) as CP932 bytes, for tables that are matched
/// against script text. Every such text has a CP932 form; one that had none would come back empty.
std::string cp932Literal(std::string_view utf8);

/// Whether `byte` opens a double-byte CP932 character (0x81..0x9F, 0xE0..0xFC). The byte after it
/// belongs to the same character, whatever its value.
constexpr bool isCp932LeadByte(unsigned char byte) {
    return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

/// Compares two CP932 texts ignoring the case of single-byte ASCII letters only; the second byte
/// of a double-byte character is compared as it is, even where it looks like a letter.
bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b);

} // namespace tarvelo
