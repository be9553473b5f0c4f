#pragma once

#include "engine/ConversionSettings.h"

#include <cmath>
#include <cstdint>
#include <limits>

namespace tarvelo {

/// The share of each error the encoders carry on, in 1/1024 steps: `diffusionCoefficient` x 1024
/// in single precision, truncated toward zero (0.43f gives 440, 0.5f 512), or 0 with error
/// diffusion off. A value no load leaves in the record (not a number, beyond the 32-bit range)
/// is kept from an undefined conversion.
inline std::int32_t diffusionScaleOf(const ConversionSettings& settings) {
    if (settings.errorDiffusion == 0) {
        return 0;
    }
    const float scaled = settings.diffusionCoefficient * 1024.0f;
    if (std::isnan(scaled)) {
        return 0;
    }
    if (scaled >= 2147483648.0f) {
        return std::numeric_limits<std::int32_t>::max();
    }
    if (scaled <= -2147483648.0f) {
        return std::numeric_limits<std::int32_t>::min();
    }
    return static_cast<std::int32_t>(scaled);
}

} // namespace tarvelo
