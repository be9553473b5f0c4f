#pragma once

#include "engine/ConversionSettings.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace tarvelo {

/// `diffusionCoefficient` in thousandths as the read-out and the dialog's trackbar show it:
/// the single-precision product with 1000, truncated, so every value set in steps of 0.001
/// shows as it was set (0.033f x 1000 in double precision would give 32).
std::int32_t coefficientThousandths(float diffusionCoefficient);

/// The settings read-out: 13 lines, each ended by "\n", the first "[header]" (UTF-8).
std::string buildSettingsText(std::string_view header, const ConversionSettings& settings);

} // namespace tarvelo
