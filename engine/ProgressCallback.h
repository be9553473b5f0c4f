#pragma once

#include <cstdint>
#include <functional>

namespace tarvelo {

/// Told the percentage done (0..99) before each line of a long step; returns false to stop the
/// step. The conversion pipeline's callback only moves a progress bar and never stops.
using ProgressCallback = std::function<bool(std::int32_t percent)>;

/// A callback that ignores the percentage and always goes on.
inline bool keepGoing(std::int32_t) { return true; }

} // namespace tarvelo
