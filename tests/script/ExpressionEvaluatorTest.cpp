#include "script/ExpressionEvaluator.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <limits>
#include <string>

namespace tarvelo {
namespace {

constexpr std::int32_t Int32Min = std::numeric_limits<std::int32_t>::min();

std::string nested(int pairs, const std::string& inner) {
    return std::string(static_cast<std::size_t>(pairs), '(') + inner +
           std::string(static_cast<std::size_t>(pairs), ')');
}

struct Case {
    std::string text;
    bool ok;
    std::int32_t value; // the value, or the error code
    std::size_t end;    // where the position is left on success
};

constexpr std::int32_t Syntax = static_cast<std::int32_t>(ExpressionError::Syntax);
constexpr std::int32_t TooDeep = static_cast<std::int32_t>(ExpressionError::TooDeep);
constexpr std::int32_t DivisionByZero = static_cast<std::int32_t>(ExpressionError::DivisionByZero);

Case good(std::string text, std::int32_t value) {
    const std::size_t end = text.size();
    return {std::move(text), true, value, end};
}
Case goodUntil(std::string text, std::int32_t value, std::size_t end) {
    return {std::move(text), true, value, end};
}
Case bad(std::string text, std::int32_t code) {
    return {std::move(text), false, code, 0};
}

/// Evaluates from the start of the text: the result, and the position left where the case says
/// on success and unchanged on failure.
void expectEvaluates(const Case& c) {
    std::size_t position = 0;
    const ExpressionResult result = evaluateExpression(c.text, position);
    EXPECT_EQ(result.ok, c.ok);
    EXPECT_EQ(result.value, c.value);
    EXPECT_EQ(position, c.ok ? c.end : 0u);
}

TEST(ExpressionEvaluator, EdgeCaseTable) {
    const Case cases[] = {
        // The three number forms and their letters.
        good("10", 10),
        good("0AH", 10),
        good("1010B", 10),
        good("10D", 10),
        good("0ah", 10),
        good("1010b", 10),
        good("10H", 16),
        good("1BH", 27),
        good("1B", 1),
        goodUntil("12B", 12, 2),
        bad("ABH", Syntax),
        // Operator words match as prefixes, without blanks.
        good("3MOD2", 1),
        bad("5 ANDY", Syntax),
        good("5 OR2", 7),
        // 32-bit wrap-around.
        good("-2147483648", Int32Min),
        good("2147483647 + 1", Int32Min),
        good("4294967295", -1),
        good("0FFFFFFFFH", -1),
        bad("7 / 0", DivisionByZero),
        bad("7 % 0", DivisionByZero),
        bad("7 MOD (3 - 3)", DivisionByZero),
        good(nested(49, "5"), 5),
        bad(nested(50, "5"), TooDeep),
        bad("(5", Syntax),
        bad("5)", Syntax),
        bad("()", Syntax),
        bad("5 6", Syntax),
        bad("(5)6", Syntax),
        bad("5 +", Syntax),
        bad("5 * * 3", Syntax),
        bad("* 5", Syntax),
        bad("", Syntax),
        // Where the expression ends.
        goodUntil("1, 2", 1, 1),
        goodUntil("42  X", 42, 4),
        good("1 +\n2", 3),
        // One-operand operators bind tighter than any two-operand one; AND lies between the
        // additive level and OR/XOR.
        good("-2 * 3", -6),
        good("NOT 0 + 1", 0),
        good("~1 + 1", -1),
        good("1 OR 2 AND 3", 3),
        good("1 + 2 AND 3", 3),
        good("6 AND 3 XOR 1", 3),
        good("-7 / 2", -3),
        good("-7 MOD 2", -1),
        good("7 MOD -2", 1),
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("text: \"" + c.text + "\"");
        expectEvaluates(c);
    }
}

TEST(ExpressionEvaluator, ChoicesWhereTheArithmeticOverflows) {
    const Case cases[] = {
        // The one quotient that does not fit wraps, and its remainder is 0.
        good("-2147483648 / -1", Int32Min),
        good("-2147483648 MOD -1", 0),
        good("-2147483648 % -1", 0),
        good("-(-2147483648)", Int32Min),
        good("2147483647 * 2", -2),
        good("-2147483648 - 1", 2147483647),
        good("99999999999", static_cast<std::int32_t>(static_cast<std::uint32_t>(99999999999ull))),
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("text: \"" + c.text + "\"");
        expectEvaluates(c);
    }
}

TEST(ExpressionEvaluator, DigitLimitOf127) {
    const std::string zeros126(126, '0');
    const std::string zeros127(127, '0');
    const Case cases[] = {
        good(zeros126 + "5", 5),
        good(zeros126 + "FH", 15),
        good(zeros126 + "1B", 1),
        // 128 digits: the 128th starts a second number.
        bad(zeros127 + "5", Syntax),
        // 127 zeros and "FH": too long for hexadecimal, so a decimal 0 ending before the F.
        goodUntil(zeros127 + "FH", 0, 127),
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("length " + std::to_string(c.text.size()));
        expectEvaluates(c);
    }
}

TEST(ExpressionEvaluator, RunsOfSignsCountAgainstTheDepthLimit) {
    // The outermost level is 1, so 49 signs reach 50 and one more is too deep.
    for (const char* sign : {"-", "+", "~", "NOT "}) {
        SCOPED_TRACE(sign);
        std::string allowed;
        for (int k = 0; k < 49; ++k) {
            allowed += sign;
        }
        std::size_t position = 0;
        EXPECT_TRUE(evaluateExpression(allowed + "6", position).ok);
        position = 0;
        const ExpressionResult tooMany = evaluateExpression(allowed + sign + "6", position);
        EXPECT_FALSE(tooMany.ok);
        EXPECT_EQ(tooMany.value, TooDeep);
    }
    std::size_t position = 0;
    EXPECT_EQ(evaluateExpression("- -6", position).value, 6);
    position = 0;
    EXPECT_EQ(evaluateExpression("- - -6", position).value, -6);
}

TEST(ExpressionEvaluator, StartsAtThePositionGivenAndLeavesItOnFailure) {
    const std::string text = "PALETTE 3 , 7/0";
    std::size_t position = 7; // the blank before 3
    ExpressionResult result = evaluateExpression(text, position);
    EXPECT_TRUE(result.ok);
    EXPECT_EQ(result.value, 3);
    EXPECT_EQ(position, 10u); // at the comma, after the blank that follows 3
    position = 11;
    result = evaluateExpression(text, position);
    EXPECT_FALSE(result.ok);
    EXPECT_EQ(result.value, DivisionByZero);
    EXPECT_EQ(position, 11u);
}

TEST(ExpressionEvaluator, BytesOf0x80AndAboveAndNulEndTheExpression) {
    // "あ" in CP932 is 0x82 0xA0; 0xA0 is a no-break space in Latin-1 but no blank here.
    const Case cases[] = {
        goodUntil("5\x82\xA0", 5, 1),
        bad("\x82\xA0", Syntax),
        bad("1 +\xA0 2", Syntax),
        goodUntil("5 \xC4", 5, 2),
        goodUntil(std::string("7\0+1", 4), 7, 1),
        bad(std::string("1+\0 2", 5), Syntax),
        bad("\xCD\xCF\xC4 1", Syntax),
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text.size());
        expectEvaluates(c);
    }
}

TEST(ExpressionEvaluator, LongInputsStayFastAndWithinTheStack) {
    const auto start = std::chrono::steady_clock::now();
    std::size_t position = 0;
    EXPECT_EQ(evaluateExpression(std::string(29999, '('), position).value, TooDeep);
    position = 0;
    EXPECT_EQ(evaluateExpression(std::string(29998, '-') + "1", position).value, TooDeep);
    position = 0;
    EXPECT_EQ(evaluateExpression(std::string(29998, '~') + "1", position).value, TooDeep);
    // A long flat expression needs no nesting at all.
    std::string sum = "1";
    while (sum.size() < 29997) {
        sum += "+1";
    }
    position = 0;
    const ExpressionResult result = evaluateExpression(sum, position);
    EXPECT_TRUE(result.ok);
    EXPECT_EQ(result.value, static_cast<std::int32_t>(sum.size() / 2 + 1));
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_LT(elapsed, std::chrono::seconds(1));
}

} // namespace
} // namespace tarvelo
