#include "engine/PaletteModeEncoder.h"

#include "engine/ColourLevels.h"
#include "engine/DiffusionScale.h"
#include "engine/DitherPatterns.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <new>
#include <vector>

namespace tarvelo {

namespace {

struct Channels {
    int red = 0;
    int green = 0;
    int blue = 0;
};

constexpr int clampTo(int low, int high, int value) {
    return std::clamp(value, low, high);
}

// Distances are taken in 64 bits: with a palette that cannot follow the picture the carried error
// runs up to the 16-bit limits, and three squares of that overflow 32 bits.
constexpr std::int64_t squaredDistance(const Channels& c, RgbPixel colour) {
    const std::int64_t red = redOf(colour) - c.red;
    const std::int64_t green = greenOf(colour) - c.green;
    const std::int64_t blue = blueOf(colour) - c.blue;
    return red * red + green * green + blue * blue;
}

// A candidate must come strictly below this to be taken; on equal distances the earlier one wins.
constexpr std::int64_t StartingBest = std::numeric_limits<std::int32_t>::max();

enum class Choice { NearestEntry, NearestTile, Screen8Direct, Screen8HalfLevel };

struct Chosen {
    int value = 0;       // the stored dot value V
    RgbPixel colour = 0; // Q, the colour the error is measured against
};

struct EncoderSetup {
    Choice choice = Choice::NearestEntry;
    bool sixteenColours = true;
    std::int32_t diffusionScale = 0; // K: the carried share of the error in 1/1024 steps
    std::int64_t cutOff = 0;
    const DitherMatrix* matrix = nullptr;
    std::uint32_t combine = 0;
    bool skipZero = false;
    bool zeroRule = false;
    RgbPixel zeroKey = 0;
    std::array<int, 16> entries{}; // the entries a dot may take, in ascending order
    int entryCount = 0;
};

// Resampling cleared the low `colorPrecision` bits of every channel, so the zero colour is
// compared with the same bits cleared.
RgbPixel zeroKeyOf(const ConversionSettings& settings) {
    const std::uint32_t precision = settings.colorPrecision;
    const std::uint32_t mask = precision >= 8 ? 0u : (0xFFu << precision) & 0xFFu;
    const RgbPixel colour = settings.zeroColor;
    return makeRgbPixel(static_cast<std::uint32_t>(redOf(colour)) & mask,
                        static_cast<std::uint32_t>(greenOf(colour)) & mask,
                        static_cast<std::uint32_t>(blueOf(colour)) & mask);
}

EncoderSetup setUp(const ConversionSettings& settings, std::span<const HalfToneTile> tiles) {
    EncoderSetup setup;
    setup.sixteenColours = settings.isPaletteMode();
    const bool mesh = settings.meshTile != 0;
    if (setup.sixteenColours) {
        // Without a tile list there is nothing to search, so single entries are used instead.
        setup.choice = mesh && !tiles.empty() ? Choice::NearestTile : Choice::NearestEntry;
    } else {
        setup.choice = mesh ? Choice::Screen8HalfLevel : Choice::Screen8Direct;
    }
    setup.diffusionScale = diffusionScaleOf(settings);
    setup.cutOff = settings.cutOffError;
    setup.matrix = ditherMatrixFor(settings.ditherPattern);
    setup.combine = settings.ditherCombine & 3u; // as a load keeps it
    setup.skipZero = settings.skipColorZero != 0;
    setup.zeroRule = settings.zeroMode != 0;
    setup.zeroKey = zeroKeyOf(settings);
    for (int k = setup.skipZero ? 1 : 0; k < 16; ++k) {
        if (settings.paletteEntryMode[static_cast<std::size_t>(k)] != EntryNotUsed) {
            setup.entries[static_cast<std::size_t>(setup.entryCount++)] = k;
        }
    }
    return setup;
}

// The offset of a matrix element v is 2v - 16; indices wrap at 8 after any shift is added.
Channels ditherOffsets(const DitherMatrix& m, std::uint32_t combine, int x, int y) {
    const auto at = [&m](int row, int column) {
        return 2 * m[static_cast<std::size_t>(row & 7)][static_cast<std::size_t>(column & 7)] - 16;
    };
    switch (combine) {
    case 0: // "rotate": red the transpose, green the matrix, blue a quarter turn
        return {at(x, y), at(y, x), at(7 - (x & 7), y)};
    case 1: // all three in phase
        return {at(y, x), at(y, x), at(y, x)};
    case 2: // shifted along the line
        return {at(y, x), at(y, x + 1), at(y, x + 2)};
    default: // 3: shifted down the columns
        return {at(y, x), at(y + 1, x), at(y + 2, x)};
    }
}

Chosen nearestEntry(const EncoderSetup& setup, std::span<const RgbPixel> colours,
                    const Channels& c) {
    if (setup.entryCount == 0) {
        return {0, colours[0]}; // no usable entry: every dot is entry 0
    }
    std::int64_t best = StartingBest;
    int found = setup.entries[0];
    for (int i = 0; i < setup.entryCount && best != 0; ++i) {
        const int k = setup.entries[static_cast<std::size_t>(i)];
        const std::int64_t distance = squaredDistance(c, colours[static_cast<std::size_t>(k)]);
        if (distance < best) {
            best = distance;
            found = k;
        }
    }
    return {found, colours[static_cast<std::size_t>(found)]};
}

// The two entries of a tile alternate in a checkerboard; the error is measured against the mixed
// colour the eye sees, not against the entry drawn.
Chosen nearestTile(std::span<const HalfToneTile> tiles, const Channels& c, int x, int y) {
    std::int64_t best = StartingBest;
    std::size_t found = 0;
    for (std::size_t i = 0; i < tiles.size() && best != 0; ++i) {
        const std::int64_t distance = squaredDistance(c, tiles[i].mixedColour);
        if (distance < best) {
            best = distance;
            found = i;
        }
    }
    const HalfToneTile& tile = tiles[found];
    const std::int32_t entry = ((x ^ y) & 1) == 0 ? tile.entryA : tile.entryB;
    return {static_cast<int>(entry & 15), tile.mixedColour};
}

// GGGRRRBB: 3-bit green and red levels, 2-bit blue. Clamping follows the division, which
// truncates toward zero.
int screen8Direct(const Channels& c) {
    const int red = clampTo(0, 7, (7 * c.red + 126) / 255);
    const int green = clampTo(0, 7, (7 * c.green + 126) / 255);
    const int blue = clampTo(0, 3, (3 * c.blue + 108) / 255);
    return green * 32 + red * 4 + blue;
}

// Half levels: an odd half level shows as the two neighbouring levels on alternate dots.
int screen8HalfLevel(const Channels& c, int x, int y) {
    const int red = clampTo(0, 14, (14 * c.red + 126) / 255);
    const int green = clampTo(0, 14, (14 * c.green + 126) / 255);
    const int blue = clampTo(0, 6, (6 * c.blue + 108) / 255);
    int value = (green / 2) * 32 + (red / 2) * 4 + blue / 2;
    if (((x ^ y) & 1) != 0) {
        value += (green % 2) * 32 + (red % 2) * 4 + blue % 2;
    }
    return value;
}

Chosen chooseScreen8(const EncoderSetup& setup, const Channels& c, int x, int y) {
    int value =
        setup.choice == Choice::Screen8HalfLevel ? screen8HalfLevel(c, x, y) : screen8Direct(c);
    if (value == 0 && setup.skipZero) {
        value = 4; // the darkest red stands in for colour 0
    }
    return {value, screen8Colour(static_cast<unsigned>(value))};
}

Chosen choose(const EncoderSetup& setup, std::span<const RgbPixel> colours,
              std::span<const HalfToneTile> tiles, const Channels& c, int x, int y) {
    switch (setup.choice) {
    case Choice::NearestEntry:
        return nearestEntry(setup, colours, c);
    case Choice::NearestTile:
        return nearestTile(tiles, c, x, y);
    case Choice::Screen8Direct:
    case Choice::Screen8HalfLevel:
        return chooseScreen8(setup, c, x, y);
    }
    return {0, 0};
}

// One channel's share of the error, as carried in a 16-bit row.
std::int16_t scaledError(const EncoderSetup& setup, int value, int chosen) {
    const std::int64_t error = std::clamp<std::int64_t>(
        (std::int64_t{value} - chosen) * setup.diffusionScale / 1024,
        std::numeric_limits<std::int16_t>::min(), std::numeric_limits<std::int16_t>::max());
    if ((error < 0 ? -error : error) < setup.cutOff) {
        return 0;
    }
    return static_cast<std::int16_t>(error);
}

// The right neighbour receives the error on top of what the line above left it (the 16-bit
// storage wraps); the dot below receives it alone.
void diffuse(const EncoderSetup& setup, const Channels& c, RgbPixel chosen, std::int16_t* current,
             std::int16_t* below) {
    const std::array<std::int16_t, 3> errors = {scaledError(setup, c.red, redOf(chosen)),
                                                scaledError(setup, c.green, greenOf(chosen)),
                                                scaledError(setup, c.blue, blueOf(chosen))};
    for (std::size_t i = 0; i < 3; ++i) {
        current[3 + i] = static_cast<std::int16_t>(current[3 + i] + errors[i]);
        below[i] = errors[i];
    }
}

struct LineContext {
    const EncoderSetup& setup;
    std::span<const RgbPixel> colours;
    std::span<const HalfToneTile> tiles;
    std::span<std::uint8_t> output;
    std::int32_t width;
};

void storeDot(const LineContext& context, std::size_t dot, int value) {
    if (!context.setup.sixteenColours) {
        context.output[dot] = static_cast<std::uint8_t>(value);
        return;
    }
    // Two dots a byte, the earlier in the high half. The parity of the dot number (not of x)
    // decides, so a line of odd width cannot overwrite the last dot of the line before.
    std::uint8_t& byte = context.output[dot / 2];
    byte = (dot % 2 == 0) ? static_cast<std::uint8_t>(value << 4)
                          : static_cast<std::uint8_t>((byte & 0xF0) | value);
}

void encodeLine(const LineContext& context, std::span<const RgbPixel> line, int y,
                std::vector<std::int16_t>& current, std::vector<std::int16_t>& below,
                std::size_t firstDot) {
    const EncoderSetup& setup = context.setup;
    for (int x = 0; x < context.width; ++x) {
        const RgbPixel pixel = line[static_cast<std::size_t>(x)];
        Channels c{redOf(pixel), greenOf(pixel), blueOf(pixel)};
        if (setup.matrix != nullptr) {
            const Channels offset = ditherOffsets(*setup.matrix, setup.combine, x, y);
            c = {c.red + offset.red, c.green + offset.green, c.blue + offset.blue};
        }
        // No clamping: values outside 0..255 go on into the choice.
        const std::size_t slot = 3 * static_cast<std::size_t>(x);
        c = {c.red + current[slot], c.green + current[slot + 1], c.blue + current[slot + 2]};
        Chosen chosen = choose(setup, context.colours, context.tiles, c, x, y);
        if (setup.diffusionScale != 0) {
            diffuse(setup, c, chosen.colour, &current[slot], &below[slot]);
        }
        // The zero rule looks at the chosen colour, after the error has used it.
        if (setup.zeroRule && chosen.colour == setup.zeroKey) {
            chosen.value = 0;
        }
        storeDot(context, firstDot + static_cast<std::size_t>(x), chosen.value);
    }
}

std::size_t requiredOutputBytes(std::size_t dots, bool sixteenColours) {
    return sixteenColours ? dots / 2 + dots % 2 : dots;
}

} // namespace

bool encodePaletteMode(std::span<const RgbPixel> picture, std::int32_t width, std::int32_t lines,
                       std::span<std::uint8_t> output, const ConversionSettings& settings,
                       const ProgressCallback& progress, std::span<const RgbPixel> paletteColours,
                       std::span<const HalfToneTile> tiles) {
    if (width < 0 || lines < 0) {
        return false;
    }
    const EncoderSetup setup = setUp(settings, tiles);
    const auto dotsPerLine = static_cast<std::size_t>(width);
    const std::size_t dots = dotsPerLine * static_cast<std::size_t>(lines);
    if (picture.size() < dots || output.size() < requiredOutputBytes(dots, setup.sixteenColours) ||
        (setup.sixteenColours && paletteColours.size() < 16)) {
        return false;
    }
    std::array<std::vector<std::int16_t>, 2> errorRows;
    try {
        // Red, green and blue per dot, and one spare entry that takes the error pushed right
        // from the last dot of a line.
        for (std::vector<std::int16_t>& row : errorRows) {
            row.assign(3 * (dotsPerLine + 1), 0);
        }
    } catch (const std::bad_alloc&) {
        return false;
    }
    const LineContext context{setup, paletteColours, tiles, output, width};
    for (std::int32_t y = 0; y < lines; ++y) {
        const auto percent = static_cast<std::int32_t>(std::int64_t{y} * 100 / lines);
        if (progress && !progress(percent)) {
            return false;
        }
        const std::size_t firstDot = static_cast<std::size_t>(y) * dotsPerLine;
        encodeLine(context, picture.subspan(firstDot, dotsPerLine), y,
                   errorRows[static_cast<std::size_t>(y % 2)],
                   errorRows[static_cast<std::size_t>(1 - y % 2)], firstDot);
    }
    return true;
}

} // namespace tarvelo
