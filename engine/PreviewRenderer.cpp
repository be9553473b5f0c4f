#include "engine/PreviewRenderer.h"

#include "engine/ColourLevels.h"
#include "engine/ScreenGeometry.h"

#include <algorithm>
#include <array>
#include <cassert>
#include <cstddef>

namespace tarvelo {

namespace {

using Palette = std::array<RgbPixel, 16>;

/// The encoded line and the surface row it is drawn on.
struct RowView {
    const std::uint8_t* line = nullptr;
    RgbPixel* row = nullptr;
};

Palette paletteOf(const ConversionSettings& settings) {
    Palette colours{};
    for (std::size_t k = 0; k < colours.size(); ++k) {
        colours[k] = settings.paletteColour(k);
    }
    return colours;
}

// SCREEN5: two 4-bit dots per byte, high nibble first; 256 dots, each two pixels wide.
void drawScreen5Row(RowView view, const Palette& palette) {
    for (std::size_t p = 0; p < PreviewWidth; p += 4) {
        const std::uint8_t b = view.line[p / 4];
        view.row[p] = view.row[p + 1] = palette[b >> 4];
        view.row[p + 2] = view.row[p + 3] = palette[b & 15u];
    }
}

// SCREEN7: two 4-bit dots per byte, high nibble first; 512 dots, one pixel each.
void drawScreen7Row(RowView view, const Palette& palette) {
    for (std::size_t p = 0; p < PreviewWidth; p += 2) {
        const std::uint8_t b = view.line[p / 2];
        view.row[p] = palette[b >> 4];
        view.row[p + 1] = palette[b & 15u];
    }
}

// SCREEN8: one fixed colour per byte (green 3 bits, red 3 bits, blue 2 bits).
void drawScreen8Row(RowView view) {
    for (std::size_t p = 0; p < PreviewWidth; p += 2) {
        view.row[p] = view.row[p + 1] = screen8Colour(view.line[p / 2]);
    }
}

/// A 6-bit two's-complement colour difference, -32..31.
int signedSixBits(int value) {
    return value > 31 ? value - 64 : value;
}

/// A 5-bit YJK channel result clamped to 0..31 and widened to 8 bits, cutting toward zero.
std::uint32_t fiveBitsTo8(int value) {
    return static_cast<std::uint32_t>(std::clamp(value, 0, 31) * 255 / 31);
}

// SCREEN10/11 and SCREEN12: groups of four bytes with a 5-bit Y each (SCREEN10/11 has its 4-bit
// Y doubled there, the attribute bit being 0) and J and K spread over their low three bits.
// J and K are shared by the four dots of a group; Y is per dot.
void drawYjkRow(RowView view) {
    for (std::size_t p = 0; p < PreviewWidth; p += 8) {
        const std::uint8_t* group = view.line + p / 2;
        const int k = signedSixBits((group[1] & 7) * 8 + (group[0] & 7));
        const int j = signedSixBits((group[3] & 7) * 8 + (group[2] & 7));
        for (std::size_t dot = 0; dot < 4; ++dot) {
            const int y = group[dot] >> 3;
            // C++ division cuts toward zero, as both halvings of blue must.
            const int blue = ((5 * y - k) / 2 - j) / 2;
            const RgbPixel colour =
                makeRgbPixel(fiveBitsTo8(y + j), fiveBitsTo8(y + k), fiveBitsTo8(blue));
            view.row[p + 2 * dot] = view.row[p + 2 * dot + 1] = colour;
        }
    }
}

void drawRow(ScreenMode mode, RowView view, const Palette& palette) {
    switch (mode) {
    case ScreenMode::Screen5:
        drawScreen5Row(view, palette);
        return;
    case ScreenMode::Screen7:
        drawScreen7Row(view, palette);
        return;
    case ScreenMode::Screen8:
        drawScreen8Row(view);
        return;
    case ScreenMode::Screen10_11:
    case ScreenMode::Screen12:
        drawYjkRow(view);
        return;
    }
}

} // namespace

void renderPreview(std::span<const std::uint8_t> encoded, std::span<RgbPixel> surface,
                   const ConversionSettings& settings) {
    const auto surfaceSize = static_cast<std::size_t>(PreviewWidth) * PreviewHeight;
    assert(surface.size() == surfaceSize && "preview surface must be 512 x 424");
    if (settings.screenMode > 4 || surface.size() < surfaceSize) {
        return;
    }
    const ScreenGeometry geometry = screenGeometryFor(settings);
    const auto bytesPerLine = static_cast<std::size_t>(bytesPerLineFor(settings));
    if (encoded.size() < bytesPerLine * static_cast<std::size_t>(geometry.lines)) {
        return;
    }
    const bool interlaced = settings.interlace != 0;
    const Palette palette = paletteOf(settings);
    for (std::size_t r = 0; r < PreviewHeight; ++r) {
        // Without interlace a 212-line picture shows every line on two rows.
        const std::size_t line = interlaced ? r : r / 2;
        const RowView view{encoded.data() + line * bytesPerLine, &surface[r * PreviewWidth]};
        drawRow(settings.mode(), view, palette);
    }
}

} // namespace tarvelo
