#pragma once

#include "engine/RgbPixel.h"

#include <cstdint>
#include <vector>

namespace tarvelo {

/// A picture as width x height `RgbPixel` values, top line first, each line left to right,
/// lines back to back without padding.
struct Picture {
    std::int32_t width = 0;
    std::int32_t height = 0;
    std::vector<RgbPixel> pixels;
};

} // namespace tarvelo
