#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace tarvelo {

/// Error codes of a failed evaluation.
enum class ExpressionError : std::int32_t {
    Syntax = 1,
    TooDeep = 2,
    DivisionByZero = 4,
};

struct ExpressionResult {
    bool ok = false;
    /// The value on success, the `ExpressionError` code on failure.
    std::int32_t value = 0;
};

/// Evaluates the integer expression that starts at `position` of a script text (CP932 bytes;
/// the end of `text` counts as its terminating NUL). On success `position` moves to the first
/// character after the expression and the whitespace that follows it; on failure it is left as
/// it was. 32-bit wrap-around arithmetic; never aborts on any input.
ExpressionResult evaluateExpression(std::string_view text, std::size_t& position);

} // namespace tarvelo
