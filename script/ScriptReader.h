#pragma once

#include "engine/UserFeedback.h"

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace tarvelo {

/// The longest command, flag or keyword word; longer runs are cut and read on as the next word.
inline constexpr std::size_t ScriptWordLimit = 31;
/// String capacities, terminator included: file names hold at most 31 bytes, messages 1023.
inline constexpr std::size_t FileNameStringSize = 32;
inline constexpr std::size_t MessageStringSize = 1024;

/// A name that a script word is matched against: its English spelling and its Japanese one
/// (UTF-8 in the source, matched as CP932 bytes), with the value it stands for.
struct ScriptKeyword {
    std::string_view english;
    std::string_view japanese;
    std::int32_t value;
};

/// The reading position in one script text (CP932 bytes; its end, or a NUL byte, ends it) and the
/// lexical rules the commands share. Bytes are unsigned: 0x80 and above are ordinary characters.
class ScriptReader {
public:
    ScriptReader(std::string_view text, UserFeedback& feedback);

    std::string_view text() const { return m_text; }
    std::size_t position() const { return m_position; }
    /// The byte at `index`, or 0 past the end.
    unsigned char at(std::size_t index) const;
    unsigned char current() const { return at(m_position); }
    bool atEnd() const { return current() == 0; }

    /// Skips space, tab, LF and CR.
    void skipBlanks();
    /// After blanks, the bytes up to a blank, ",", "=", the end or `ScriptWordLimit` bytes; the
    /// byte that ended it is left for what follows. May be empty.
    std::string_view readWord();
    /// After blanks, a double-quoted string of at most `capacity` - 1 bytes, none of them a
    /// double quote or below 0x20. Shows its message and gives nothing when there is none, or
    /// when the closing quote is missing (a string one byte too long included).
    std::optional<std::string> readString(std::size_t capacity);
    /// An integer expression from here; on failure the position stays.
    std::optional<std::int32_t> readNumber();
    /// Steps over one byte, whatever it is; false (nothing skipped) at the end of the text.
    bool skipSeparator();
    /// Moves to the next LF, CR or the end.
    void skipToEndOfLine();

    /// Shows an error box (caption "Error", warning icon, no owner); always false, so that a
    /// command can `return reader.fail(...)`.
    bool fail(std::string_view message);

private:
    std::string_view m_text;
    std::size_t m_position = 0;
    UserFeedback& m_feedback;
};

/// A keyword table ready for matching: the Japanese names converted to CP932 once.
class KeywordTable {
public:
    explicit KeywordTable(std::span<const ScriptKeyword> keywords);
    /// The value of the first name equal to `word` (ASCII letter case ignored); nothing for an
    /// empty word or one not in the table.
    std::optional<std::int32_t> find(std::string_view word) const;

private:
    struct Name {
        std::string cp932;
        std::int32_t value;
    };
    std::vector<Name> m_names;
};

} // namespace tarvelo
