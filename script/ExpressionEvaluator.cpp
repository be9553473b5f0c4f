#include "script/ExpressionEvaluator.h"

#include <array>
#include <cstdint>
#include <limits>

namespace tarvelo {

namespace {

enum class Token {
    End,
    OpenParenthesis,
    CloseParenthesis,
    Plus,
    Minus,
    Multiply,
    Divide,
    Remainder,
    And,
    Or,
    ExclusiveOr,
    Complement,
    Number,
};

struct OperatorSpelling {
    std::string_view text;
    Token token;
};

// Tried in this order, each as a prefix of the upper-cased text: "ANDY" begins with AND, and
// "3MOD2" needs no blanks around MOD.
constexpr std::array<OperatorSpelling, 16> Operators = {{
    {"(", Token::OpenParenthesis},
    {")", Token::CloseParenthesis},
    {"+", Token::Plus},
    {"-", Token::Minus},
    {"*", Token::Multiply},
    {"/", Token::Divide},
    {"%", Token::Remainder},
    {"&", Token::And},
    {"|", Token::Or},
    {"^", Token::ExclusiveOr},
    {"~", Token::Complement},
    {"MOD", Token::Remainder},
    {"AND", Token::And},
    {"OR", Token::Or},
    {"XOR", Token::ExclusiveOr},
    {"NOT", Token::Complement},
}};

// Nesting deeper than this is refused; it also bounds the recursion, so no input can exhaust
// the stack.
constexpr int MaximumDepth = 50;
constexpr std::size_t MaximumDigits = 127;

int digitValue(unsigned char byte) {
    if (byte >= '0' && byte <= '9') {
        return byte - '0';
    }
    if (byte >= 'A' && byte <= 'F') {
        return byte - 'A' + 10;
    }
    if (byte >= 'a' && byte <= 'f') {
        return byte - 'a' + 10;
    }
    return -1;
}

bool isDecimalDigit(unsigned char byte) {
    return byte >= '0' && byte <= '9';
}

// Only ASCII letters are folded: a byte of 0x80 or above is never a letter here.
unsigned char asciiUpper(unsigned char byte) {
    return byte >= 'a' && byte <= 'z' ? static_cast<unsigned char>(byte - 0x20) : byte;
}

bool isExpressionSpace(unsigned char byte) {
    return byte == ' ' || (byte >= 0x09 && byte <= 0x0D);
}

/// A quotient and remainder that truncate toward zero; the one quotient that does not fit
/// (-2147483648 / -1) wraps around to -2147483648 with remainder 0.
std::uint32_t divide(std::uint32_t left, std::uint32_t right, bool remainder) {
    const auto dividend = static_cast<std::int32_t>(left);
    const auto divisor = static_cast<std::int32_t>(right);
    if (dividend == std::numeric_limits<std::int32_t>::min() && divisor == -1) {
        return remainder ? 0u : left;
    }
    return static_cast<std::uint32_t>(remainder ? dividend % divisor : dividend / divisor);
}

/// Recursive-descent parser of one expression. Values are kept as uint32 so that every
/// operation wraps around in 32 bits without undefined behaviour.
class Parser {
public:
    Parser(std::string_view text, std::size_t position) : m_text(text), m_position(position) {}

    ExpressionResult run(std::size_t& position) {
        std::uint32_t value = 0;
        if (!expression(value)) {
            return {false, static_cast<std::int32_t>(m_error)};
        }
        position = m_position;
        return {true, static_cast<std::int32_t>(value)};
    }

private:
    std::string_view m_text;
    std::size_t m_position;
    Token m_token = Token::End;
    std::uint32_t m_number = 0;
    bool m_inParentheses = false;
    int m_depth = 0;
    ExpressionError m_error = ExpressionError::Syntax;

    // The end of the view reads as the terminating NUL.
    unsigned char at(std::size_t index) const {
        return index < m_text.size() ? static_cast<unsigned char>(m_text[index]) : 0;
    }

    bool fail(ExpressionError error) {
        m_error = error;
        return false;
    }

    bool matchesOperator(std::string_view spelling) const {
        for (std::size_t k = 0; k < spelling.size(); ++k) {
            if (asciiUpper(at(m_position + k)) != static_cast<unsigned char>(spelling[k])) {
                return false;
            }
        }
        return true;
    }

    bool readDigits(int base, char letter);
    void readToken();
    bool enterLevel();
    bool expression(std::uint32_t& value);
    bool orLevel(std::uint32_t& value);
    bool andLevel(std::uint32_t& value);
    bool addLevel(std::uint32_t& value);
    bool mulLevel(std::uint32_t& value);
    bool operand(std::uint32_t& value);
};

/// One number form: up to 127 digits of `base`; a form with a letter must end with it
/// (in either case). Consumes nothing and returns false when the text is not of this form.
bool Parser::readDigits(int base, char letter) {
    std::size_t index = m_position;
    std::uint32_t value = 0;
    while (index - m_position < MaximumDigits) {
        const int digit = digitValue(at(index));
        if (digit < 0 || digit >= base) {
            break;
        }
        value = value * static_cast<std::uint32_t>(base) + static_cast<std::uint32_t>(digit);
        ++index;
    }
    const bool hasLetter = asciiUpper(at(index)) == static_cast<unsigned char>(letter);
    if (base != 10 && !hasLetter) {
        return false;
    }
    m_position = hasLetter ? index + 1 : index;
    m_number = value;
    return true;
}

void Parser::readToken() {
    while (isExpressionSpace(at(m_position))) {
        ++m_position;
    }
    for (const OperatorSpelling& spelling : Operators) {
        if (matchesOperator(spelling.text)) {
            m_position += spelling.text.size();
            m_token = spelling.token;
            return;
        }
    }
    const unsigned char first = at(m_position);
    // Hexadecimal needs a leading digit so that it cannot be mistaken for a word: 0FFH, not FFH.
    if (isDecimalDigit(first) &&
        (readDigits(16, 'H') || ((first == '0' || first == '1') && readDigits(2, 'B')) ||
         readDigits(10, 'D'))) {
        m_token = Token::Number;
        return;
    }
    m_token = Token::End;
}

bool Parser::enterLevel() {
    ++m_depth;
    return m_depth <= MaximumDepth || fail(ExpressionError::TooDeep);
}

bool Parser::expression(std::uint32_t& value) {
    if (!enterLevel() || !orLevel(value)) {
        return false;
    }
    const Token closing = m_inParentheses ? Token::CloseParenthesis : Token::End;
    if (m_token != closing) {
        return fail(ExpressionError::Syntax);
    }
    --m_depth;
    return true;
}

bool Parser::orLevel(std::uint32_t& value) {
    if (!andLevel(value)) {
        return false;
    }
    while (m_token == Token::Or || m_token == Token::ExclusiveOr) {
        const Token op = m_token;
        std::uint32_t right = 0;
        if (!andLevel(right)) {
            return false;
        }
        value = op == Token::Or ? (value | right) : (value ^ right);
    }
    return true;
}

bool Parser::andLevel(std::uint32_t& value) {
    if (!addLevel(value)) {
        return false;
    }
    while (m_token == Token::And) {
        std::uint32_t right = 0;
        if (!addLevel(right)) {
            return false;
        }
        value &= right;
    }
    return true;
}

bool Parser::addLevel(std::uint32_t& value) {
    if (!mulLevel(value)) {
        return false;
    }
    while (m_token == Token::Plus || m_token == Token::Minus) {
        const Token op = m_token;
        std::uint32_t right = 0;
        if (!mulLevel(right)) {
            return false;
        }
        value = op == Token::Plus ? value + right : value - right;
    }
    return true;
}

bool Parser::mulLevel(std::uint32_t& value) {
    if (!operand(value)) {
        return false;
    }
    while (m_token == Token::Multiply || m_token == Token::Divide || m_token == Token::Remainder) {
        const Token op = m_token;
        std::uint32_t right = 0;
        if (!operand(right)) {
            return false;
        }
        if (op == Token::Multiply) {
            value *= right;
        } else if (right == 0) {
            return fail(ExpressionError::DivisionByZero);
        } else {
            value = divide(value, right, op == Token::Remainder);
        }
    }
    return true;
}

bool Parser::operand(std::uint32_t& value) {
    readToken();
    switch (m_token) {
    case Token::Number:
        value = m_number;
        readToken();
        return m_token != Token::Number || fail(ExpressionError::Syntax);
    case Token::OpenParenthesis: {
        const bool outerInParentheses = m_inParentheses;
        m_inParentheses = true;
        if (!expression(value)) {
            return false;
        }
        m_inParentheses = outerInParentheses;
        readToken();
        return m_token != Token::Number || fail(ExpressionError::Syntax);
    }
    case Token::Plus:
    case Token::Minus:
    case Token::Complement: {
        // A run of signs nests like parentheses and counts against the same depth limit.
        const Token op = m_token;
        if (!enterLevel() || !operand(value)) {
            return false;
        }
        --m_depth;
        if (op == Token::Minus) {
            value = 0u - value;
        } else if (op == Token::Complement) {
            value = ~value;
        }
        return true;
    }
    case Token::End:
    case Token::CloseParenthesis:
    case Token::Multiply:
    case Token::Divide:
    case Token::Remainder:
    case Token::And:
    case Token::Or:
    case Token::ExclusiveOr:
        return fail(ExpressionError::Syntax);
    }
    return fail(ExpressionError::Syntax);
}

} // namespace

ExpressionResult evaluateExpression(std::string_view text, std::size_t& position) {
    // A NUL byte inside the view ends the text as its end does.
    return Parser(text.substr(0, text.find('\0')), position).run(position);
}

} // namespace tarvelo
