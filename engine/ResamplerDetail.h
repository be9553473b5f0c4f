#pragma once

// Helpers shared by the three resamplers; not part of the engine's interface.

#include "engine/ProgressCallback.h"
#include "engine/RgbPixel.h"

#include <cassert>
#include <cstddef>
#include <cstdint>
#include <span>

namespace tarvelo::resampling {

/// Index of the first dot of line `line` in a picture `width` dots wide (both non-negative).
inline std::size_t lineStart(std::int64_t line, std::int32_t width) {
    return static_cast<std::size_t>(line) * static_cast<std::size_t>(width);
}

/// True when a span of `size` pixels holds a width x height picture. A picture with a
/// non-positive side is empty and fits any span.
inline bool pictureFits(std::size_t size, std::int32_t width, std::int32_t height) {
    if (width <= 0 || height <= 0) {
        return true;
    }
    return static_cast<std::uint64_t>(width) * static_cast<std::uint64_t>(height) <= size;
}

/// Whether there is anything to resample: both pictures have dots, and both spans are as long
/// as their sizes say. A short span is a programmer error; release builds then write nothing
/// rather than reach outside the span.
inline bool canResample(std::span<const RgbPixel> source, std::int32_t sw, std::int32_t sh,
                        std::span<RgbPixel> destination, std::int32_t dw, std::int32_t dh) {
    const bool spansHoldPictures =
        pictureFits(source.size(), sw, sh) && pictureFits(destination.size(), dw, dh);
    assert(spansHoldPictures && "picture span shorter than width x height");
    return spansHoldPictures && sw > 0 && sh > 0 && dw > 0 && dh > 0;
}

/// Tells the callback that destination line `line` of `lines` comes next (line x 100 / lines,
/// computed wide so that no line count overflows). Returns false when it asks to stop; an empty
/// callback never stops.
inline bool keepGoingAt(const ProgressCallback& progress, std::int32_t line, std::int32_t lines) {
    if (!progress) {
        return true;
    }
    const std::int64_t percent = static_cast<std::int64_t>(line) * 100 / lines;
    return progress(static_cast<std::int32_t>(percent));
}

/// Copies `count` dots ANDed with `mask`.
inline void copyMasked(const RgbPixel* from, RgbPixel* to, std::size_t count, std::uint32_t mask) {
    for (std::size_t k = 0; k < count; ++k) {
        to[k] = from[k] & mask;
    }
}

} // namespace tarvelo::resampling
