#include "script/ShiftJis.h"

#include <array>
#include <cassert>
#include <cerrno>
#include <iconv.h>

namespace tarvelo {

namespace {

constexpr std::string_view ReplacementCharacter = "\xEF\xBF\xBD"; // U+FFFD in UTF-8

/// One iconv conversion descriptor, closed when it goes out of scope.
class Converter {
public:
    Converter(const char* to, const char* from) : m_descriptor(::iconv_open(to, from)) {}
    ~Converter() {
        if (isOpen()) {
            ::iconv_close(m_descriptor);
        }
    }
    Converter(const Converter&) = delete;
    Converter& operator=(const Converter&) = delete;

    bool isOpen() const { return m_descriptor != reinterpret_cast<iconv_t>(-1); }

    /// Converts from `input` on, appending to `out`, until the input ends or a character does
    /// not convert. Returns how many input bytes were consumed.
    std::size_t convert(std::string_view input, std::string& out) {
        // iconv's interface takes a non-const input pointer but never writes through it.
        char* in = const_cast<char*>(input.data());
        std::size_t inLeft = input.size();
        std::array<char, 4096> buffer{};
        while (inLeft > 0) {
            char* outPointer = buffer.data();
            std::size_t outLeft = buffer.size();
            const std::size_t result = ::iconv(m_descriptor, &in, &inLeft, &outPointer, &outLeft);
            const int error = errno;
            out.append(buffer.data(), buffer.size() - outLeft);
            if (result == static_cast<std::size_t>(-1) && error != E2BIG) {
                break;
            }
        }
        return input.size() - inLeft;
    }

private:
    iconv_t m_descriptor;
};

bool isCp932TrailByte(unsigned char byte) {
    return (byte >= 0x40 && byte <= 0x7E) || (byte >= 0x80 && byte <= 0xFC);
}

unsigned char byteAt(std::string_view text, std::size_t index) {
    return static_cast<unsigned char>(text[index]);
}

bool isAsciiLetter(unsigned char byte) {
    return (byte >= 'A' && byte <= 'Z') || (byte >= 'a' && byte <= 'z');
}

unsigned char asciiUpper(unsigned char byte) {
    return byte >= 'a' && byte <= 'z' ? static_cast<unsigned char>(byte - 0x20) : byte;
}

} // namespace

std::string cp932ToUtf8(std::string_view cp932) {
    std::string out;
    Converter converter("UTF-8", "CP932");
    std::size_t position = 0;
    while (position < cp932.size()) {
        if (converter.isOpen()) {
            position += converter.convert(cp932.substr(position), out);
            if (position >= cp932.size()) {
                break;
            }
        }
        // A byte that does not convert: one replacement character for the whole character it
        // opens, so that a bad double-byte character does not leave a stray ASCII byte behind.
        out += ReplacementCharacter;
        const bool pair = isCp932LeadByte(byteAt(cp932, position)) && position + 1 < cp932.size() &&
                          isCp932TrailByte(byteAt(cp932, position + 1));
        position += pair ? 2 : 1;
    }
    return out;
}

std::optional<std::string> utf8ToCp932(std::string_view utf8, std::size_t* failedAt) {
    std::string out;
    Converter converter("CP932", "UTF-8");
    const std::size_t consumed = converter.isOpen() ? converter.convert(utf8, out) : 0;
    if (consumed < utf8.size()) {
        if (failedAt != nullptr) {
            *failedAt = consumed;
        }
        return std::nullopt;
    }
    return out;
}

std::string cp932PathToFileSystem(std::string_view cp932) {
    return cp932ToUtf8(cp932);
}

std::string cp932Literal(std::string_view utf8) {
    std::optional<std::string> converted = utf8ToCp932(utf8);
    assert(converted.has_value() && "a fixed text without a CP932 form");
    return converted.value_or(std::string{});
}

bool equalsIgnoringAsciiCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    std::size_t index = 0;
    while (index < a.size()) {
        const unsigned char left = byteAt(a, index);
        const unsigned char right = byteAt(b, index);
        if (isCp932LeadByte(left) && index + 1 < a.size()) {
            // Both bytes of a double-byte character compare exactly: its second byte may have
            // the value of an ASCII letter ("サ" is 0x83 0x54, "フ" is 0x83 0x74).
            if (left != right || byteAt(a, index + 1) != byteAt(b, index + 1)) {
                return false;
            }
            index += 2;
            continue;
        }
        const bool same =
            isAsciiLetter(left) ? asciiUpper(left) == asciiUpper(right) : left == right;
        if (!same) {
            return false;
        }
        ++index;
    }
    return true;
}

} // namespace tarvelo
