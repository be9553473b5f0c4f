#pragma once

#include <array>
#include <cstdint>

namespace tarvelo {

/// An 8 x 8 ordered-dither matrix, M[row][column], elements 0..15.
using DitherMatrix = std::array<std::array<std::uint8_t, 8>, 8>;

/// The matrices of `ditherPattern` 1..8 (index 0 is pattern 1); pattern 0 means no dither.
extern const std::array<DitherMatrix, 8> DitherPatterns;

/// The matrix of a `ditherPattern` value, or nullptr for 0 and values outside 1..8.
const DitherMatrix* ditherMatrixFor(std::uint32_t ditherPattern);

} // namespace tarvelo
