#include "script/ScriptReader.h"

#include "script/ExpressionEvaluator.h"
#include "script/ShiftJis.h"

namespace tarvelo {

namespace {

bool isBlank(unsigned char byte) {
    return byte == ' ' || byte == '\t' || byte == '\n' || byte == '\r';
}

bool endsWord(unsigned char byte) {
    return byte == 0 || isBlank(byte) || byte == ',' || byte == '=';
}

} // namespace

ScriptReader::ScriptReader(std::string_view text, UserFeedback& feedback)
    : m_text(text.substr(0, text.find('\0'))), m_feedback(feedback) {}

unsigned char ScriptReader::at(std::size_t index) const {
    return index < m_text.size() ? static_cast<unsigned char>(m_text[index]) : 0;
}

void ScriptReader::skipBlanks() {
    while (isBlank(current())) {
        ++m_position;
    }
}

std::string_view ScriptReader::readWord() {
    skipBlanks();
    const std::size_t start = m_position;
    // Counted in bytes: a word cut at the limit may end inside a double-byte character, which
    // then matches nothing.
    while (!endsWord(current()) && m_position - start < ScriptWordLimit) {
        ++m_position;
    }
    return m_text.substr(start, m_position - start);
}

std::optional<std::string> ScriptReader::readString(std::size_t capacity) {
    skipBlanks();
    if (current() != '"') {
        fail("文字列のあるべきところに文字列がありません。");
        return std::nullopt;
    }
    ++m_position;
    const std::size_t start = m_position;
    // A string cannot run over a line: any byte below 0x20 ends it. The second byte of a
    // double-byte character is never below 0x40, so Japanese text stands in strings as it is.
    while (current() != '"' && current() >= 0x20 && m_position - start < capacity - 1) {
        ++m_position;
    }
    if (current() != '"') {
        fail("文字列の終端を示す \" が見つかりません。");
        return std::nullopt;
    }
    std::string value(m_text.substr(start, m_position - start));
    ++m_position;
    return value;
}

std::optional<std::int32_t> ScriptReader::readNumber() {
    const ExpressionResult result = evaluateExpression(m_text, m_position);
    if (!result.ok) {
        return std::nullopt;
    }
    return result.value;
}

bool ScriptReader::skipSeparator() {
    if (atEnd()) {
        return false;
    }
    ++m_position;
    return true;
}

void ScriptReader::skipToEndOfLine() {
    while (current() != 0 && current() != '\n' && current() != '\r') {
        ++m_position;
    }
}

bool ScriptReader::fail(std::string_view message) {
    m_feedback.showMessage(message, "Error", MessageOwner::None, MessageIcon::Warning);
    return false;
}

KeywordTable::KeywordTable(std::span<const ScriptKeyword> keywords) {
    for (const ScriptKeyword& keyword : keywords) {
        if (!keyword.english.empty()) {
            m_names.push_back({std::string(keyword.english), keyword.value});
        }
        if (!keyword.japanese.empty()) {
            m_names.push_back({cp932Literal(keyword.japanese), keyword.value});
        }
    }
}

std::optional<std::int32_t> KeywordTable::find(std::string_view word) const {
    if (word.empty()) {
        return std::nullopt;
    }
    for (const Name& name : m_names) {
        if (equalsIgnoringAsciiCase(word, name.cp932)) {
            return name.value;
        }
    }
    return std::nullopt;
}

} // namespace tarvelo
