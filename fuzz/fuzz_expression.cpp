// Any text as an integer expression.
#include "script/ExpressionEvaluator.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    std::size_t position = 0;
    const tarvelo::ExpressionResult result = tarvelo::evaluateExpression(text, position);
    if (!result.ok && (position != 0 || (result.value != 1 && result.value != 2 && result.value != 4))) {
        __builtin_trap();
    }
    if (result.ok && position > size) {
        __builtin_trap();
    }
    return 0;
}
