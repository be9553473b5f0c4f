#pragma once

#include <cstdint>
#include <span>
#include <string_view>

namespace tarvelo {

// Display names of the enumerated settings fields (UTF-8), indexed by the field's value, as the
// settings read-out and the settings dialog show them.

std::span<const std::string_view> screenModeNames();            // 5, "SCREEN5" ...
std::span<const std::string_view> outputTargetNames();          // 3, for values 1..3
std::span<const std::string_view> colorSelectModeNames();       // 2
std::span<const std::string_view> paletteOutputNames();         // 4
std::span<const std::string_view> naturalImageAlgorithmNames(); // 5
std::span<const std::string_view> ditherPatternNames();         // 9
std::span<const std::string_view> paletteEntryModeNames();      // 3
std::span<const std::string_view> colorPrecisionNames();        // 5
std::span<const std::string_view> ditherCombineNames();         // 4

/// The name of `value` in `names`, or an empty text for a value outside the table.
std::string_view nameOf(std::span<const std::string_view> names, std::uint32_t value);

/// The read-out's words for a flag: "使用" when on, "未使用" when off.
std::string_view flagName(std::uint8_t flag);

/// The read-out's words for `skipColorZero`.
std::string_view skipColorZeroName(std::uint8_t flag);

} // namespace tarvelo
