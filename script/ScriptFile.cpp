#include "script/ScriptFile.h"

#include "engine/AtomicFile.h"
#include "script/ShiftJis.h"

#include <algorithm>
#include <cstdint>
#include <span>
#include <vector>

namespace tarvelo {

namespace {

constexpr std::string_view ByteOrderMark = "\xEF\xBB\xBF";
// Every CP932 byte comes from at most three UTF-8 bytes (a half-width katakana is one CP932
// byte and three UTF-8 bytes), so this much of a UTF-8 file always fills the limit.
constexpr std::size_t ReadLimit = 3 * ScriptTextLimit + ByteOrderMark.size();

unsigned char byteAt(std::string_view text, std::size_t index) {
    return static_cast<unsigned char>(text[index]);
}

/// Length of the UTF-8 sequence that starts at `index` (1..4), or 0 when the bytes there are
/// not one (overlong forms, surrogates and values above U+10FFFF included). `incomplete` is set
/// when the text ends inside a sequence that could still be valid.
std::size_t utf8SequenceLength(std::string_view text, std::size_t index, bool& incomplete) {
    const unsigned char lead = byteAt(text, index);
    std::size_t length = 0;
    unsigned char low = 0x80;
    unsigned char high = 0xBF;
    if (lead < 0x80) {
        return 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
        length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        length = 3;
        low = lead == 0xE0 ? 0xA0 : 0x80;
        high = lead == 0xED ? 0x9F : 0xBF;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        length = 4;
        low = lead == 0xF0 ? 0x90 : 0x80;
        high = lead == 0xF4 ? 0x8F : 0xBF;
    } else {
        return 0;
    }
    for (std::size_t k = 1; k < length; ++k) {
        if (index + k >= text.size()) {
            incomplete = true;
            return 0;
        }
        const unsigned char next = byteAt(text, index + k);
        if (next < (k == 1 ? low : 0x80) || next > (k == 1 ? high : 0xBF)) {
            return 0;
        }
    }
    return length;
}

/// The length of `text` up to its last complete character when it is UTF-8 (a character cut by
/// the end of the text is tolerated when `cutShort`), or nothing when it is not.
std::optional<std::size_t> validUtf8Length(std::string_view text, bool cutShort) {
    std::size_t index = 0;
    while (index < text.size()) {
        bool incomplete = false;
        const std::size_t length = utf8SequenceLength(text, index, incomplete);
        if (length == 0) {
            return incomplete && cutShort ? std::optional<std::size_t>(index) : std::nullopt;
        }
        index += length;
    }
    return index;
}

bool hasNonAsciiByte(std::string_view text) {
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) >= 0x80; });
}

/// The longest start of a CP932 text within `limit` bytes that does not end inside a
/// double-byte character.
std::string_view cutCp932(std::string_view text, std::size_t limit) {
    std::size_t index = 0;
    while (index < text.size()) {
        const std::size_t length = isCp932LeadByte(byteAt(text, index)) ? 2 : 1;
        if (index + length > limit) {
            break;
        }
        index += length;
    }
    return text.substr(0, std::min(index, text.size()));
}

// Tab, LF and CR are the only control characters a script may hold.
bool hasForbiddenControlCharacter(std::string_view text) {
    return std::any_of(text.begin(), text.end(), [](char c) {
        const auto byte = static_cast<unsigned char>(c);
        return byte >= 1 && byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r';
    });
}

/// A UTF-8 script as CP932, cut to the limit; shows the message naming the line of the first
/// character CP932 cannot hold when that character lies within the limit.
std::optional<std::string> convertUtf8Script(std::string_view utf8, UserFeedback& feedback,
                                             MessageOwner owner) {
    std::size_t failedAt = 0;
    std::optional<std::string> converted = utf8ToCp932(utf8, &failedAt);
    if (!converted) {
        // What comes before the character may already fill the script; the rest is not loaded.
        converted = utf8ToCp932(utf8.substr(0, failedAt));
        if (!converted || converted->size() < ScriptTextLimit) {
            const auto line =
                1 + std::count(utf8.begin(), utf8.begin() + static_cast<std::ptrdiff_t>(failedAt),
                               '\n');
            feedback.showMessage(std::to_string(line) +
                                     " 行目の文字は Shift-JIS に変換できません。",
                                 "Error", owner, MessageIcon::Warning);
            return std::nullopt;
        }
    }
    return std::string(cutCp932(*converted, ScriptTextLimit));
}

} // namespace

std::optional<ScriptFileText> loadScriptFile(const std::string& path, UserFeedback& feedback,
                                             MessageOwner owner) {
    std::vector<std::uint8_t> bytes;
    if (!readFileBytes(path, bytes, ReadLimit + 1)) {
        feedback.showMessage("ファイルが開けません。", "Error", owner, MessageIcon::Warning);
        return std::nullopt;
    }
    const bool cutShort = bytes.size() > ReadLimit;
    std::string_view raw(reinterpret_cast<const char*>(bytes.data()),
                         std::min(bytes.size(), ReadLimit));
    raw = raw.substr(0, raw.find('\0'));

    ScriptFileText script;
    const bool marked = raw.starts_with(ByteOrderMark);
    const std::string_view body = marked ? raw.substr(ByteOrderMark.size()) : raw;
    const std::optional<std::size_t> utf8Length = validUtf8Length(body, cutShort);
    if (marked || (utf8Length && hasNonAsciiByte(body))) {
        std::optional<std::string> converted =
            convertUtf8Script(body.substr(0, utf8Length.value_or(body.size())), feedback, owner);
        if (!converted) {
            return std::nullopt;
        }
        script.text = std::move(*converted);
        script.encoding = ScriptFileEncoding::Utf8;
        script.hadByteOrderMark = marked;
    } else {
        script.text = std::string(raw.substr(0, ScriptTextLimit));
    }
    if (hasForbiddenControlCharacter(script.text)) {
        feedback.showMessage("異常なファイルです。読み込めません。", "Error", owner,
                             MessageIcon::Warning);
        return std::nullopt;
    }
    return script;
}

bool saveScriptFile(const std::string& path, const ScriptFileText& script, UserFeedback& feedback,
                    MessageOwner owner) {
    std::string bytes;
    if (script.encoding == ScriptFileEncoding::Utf8) {
        bytes = script.hadByteOrderMark ? std::string(ByteOrderMark) : std::string{};
        bytes += cp932ToUtf8(script.text);
    } else {
        bytes = script.text;
    }
    AtomicFile file(path);
    if (!file.create()) {
        feedback.showMessage("ファイルが開けません。", "Error", owner, MessageIcon::Warning);
        return false;
    }
    // A failed write leaves any earlier file as it was and, as always, is not reported.
    const std::span<const std::uint8_t> data(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                             bytes.size());
    return file.write(data) && file.commit();
}

} // namespace tarvelo
