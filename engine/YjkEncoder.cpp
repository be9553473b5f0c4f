#include "engine/YjkEncoder.h"

#include "engine/DiffusionScale.h"
#include "engine/DitherPatterns.h"
#include "engine/YjkLuminance.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <limits>
#include <new>
#include <optional>
#include <vector>

namespace tarvelo {
namespace {

/// How a YJK mode keeps Y in the high bits of a dot's byte.
struct YBits {
    int rounding = 0;       // added before masking, so that Y is rounded rather than cut
    int mask = 0;           // the Y bits of the byte
    int zeroSubstitute = 0; // written instead of a byte that comes out 0 (with `zeroMode`)
};

/// Colour error carried to a dot, one 16-bit value per channel as the rows store it.
struct ErrorEntry {
    std::int16_t red = 0;
    std::int16_t green = 0;
    std::int16_t blue = 0;
};
using ErrorRow = std::vector<ErrorEntry>;

/// Everything a pass needs that does not change while it runs.
struct YjkJob {
    std::span<const RgbPixel> picture;
    std::span<std::uint8_t> output;
    std::int32_t width = 0;
    std::int32_t lines = 0;
    YBits bits;
    NaturalImageAlgorithm algorithm = NaturalImageAlgorithm::None;
    const DitherMatrix* dither = nullptr;
    int scale = 0; // diffusion coefficient in 1/1024 steps; 0 = no diffusion
    std::int64_t cutOffError = 0;
    bool recalculateJk = false;
};

std::optional<YBits> yBitsFor(const ConversionSettings& settings) {
    const bool substitute = settings.zeroMode != 0;
    switch (settings.mode()) {
    case ScreenMode::Screen10_11:
        // Y in bits 7..4; bit 3 is the attribute bit, 0 = YJK colour.
        return YBits{7, 0xF0, substitute ? 16 : 0};
    case ScreenMode::Screen12:
        return YBits{3, 0xF8, substitute ? 8 : 0};
    case ScreenMode::Screen5:
    case ScreenMode::Screen7:
    case ScreenMode::Screen8:
        break;
    }
    return std::nullopt;
}

std::int64_t clampTo16(std::int64_t value) {
    return std::clamp<std::int64_t>(value, -32768, 32767);
}

std::int64_t scaledError(std::int64_t difference, int scale) {
    return difference * scale / 1024; // truncates toward zero
}

std::int64_t cutOff(const YjkJob& job, std::int64_t error) {
    return (error < 0 ? -error : error) < job.cutOffError ? 0 : error;
}

std::size_t dotIndex(const YjkJob& job, std::int32_t y, std::int32_t x) {
    return static_cast<std::size_t>(y) * static_cast<std::size_t>(job.width) +
           static_cast<std::size_t>(x);
}

/// The Y bits stored for a luminance 0..255: rounded to the mode's steps, held at 255.
int quantiseY(const YBits& bits, int luminance) {
    return std::min(luminance + bits.rounding, 255) & bits.mask;
}

bool keepGoingAt(const ProgressCallback& progress, std::int32_t y, std::int32_t lines) {
    if (!progress) {
        return true;
    }
    return progress(static_cast<std::int32_t>(std::int64_t{y} * 100 / lines));
}

/// The source dot of line y at `column` (clamped into the line) with the error carried to it.
CarriedDot carriedDot(const YjkJob& job, std::int32_t y, std::int32_t column,
                      const ErrorEntry& carried) {
    const RgbPixel pixel = job.picture[dotIndex(job, y, std::min(column, job.width - 1))];
    return {redOf(pixel) + carried.red, greenOf(pixel) + carried.green,
            blueOf(pixel) + carried.blue};
}

struct ColourDifference {
    int j = 0;
    int k = 0;
};

ColourDifference estimateColourDifference(const std::array<CarriedDot, 4>& dots) {
    int sumJ = 0;
    int sumK = 0;
    for (const CarriedDot& dot : dots) {
        // Eight times the YJK luminance B/2 + R/4 + G/8.
        const int luminance = clampTo(0, 2047, dot.green + 2 * dot.red + 4 * dot.blue);
        sumJ += 8 * dot.red - luminance;
        sumK += 8 * dot.green - luminance;
    }
    // Four dots of eight times the difference: / 32 brings it to 8-bit units.
    return {clampTo(-256, 255, sumJ / 32), clampTo(-256, 255, sumK / 32)};
}

/// Carries (rebuilt - source) x scale / 1024 per channel: added to the dot on the right,
/// stored for the dot below. Entries are 16-bit; adding wraps as 16-bit storage does.
void diffuseColourError(const YjkJob& job, int luminance, ColourDifference jk,
                        const CarriedDot& source, ErrorEntry& right, ErrorEntry& below) {
    // The dot as the MSX2+ decodes it: R = Y + J, G = Y + K, B = (5Y - 2J - K) / 4. Y is
    // taken before clamping, dither included.
    const CarriedDot rebuilt{luminance + jk.j, luminance + jk.k,
                             (5 * luminance - 2 * jk.j - jk.k) / 4};
    const auto channelError = [&](int rebuiltValue, int sourceValue) {
        return static_cast<std::int16_t>(
            cutOff(job, clampTo16(scaledError(rebuiltValue - sourceValue, job.scale))));
    };
    below = {channelError(rebuilt.red, source.red), channelError(rebuilt.green, source.green),
             channelError(rebuilt.blue, source.blue)};
    right.red = static_cast<std::int16_t>(right.red + below.red);
    right.green = static_cast<std::int16_t>(right.green + below.green);
    right.blue = static_cast<std::int16_t>(right.blue + below.blue);
}

/// J and K again from the chosen Y values: the group's mean of R - Y and G - Y, rounded.
ColourDifference recalculatedColourDifference(const std::array<CarriedDot, 4>& dots,
                                              const std::array<int, 4>& ys) {
    int sumJ = 0;
    int sumK = 0;
    for (std::size_t j = 0; j < 4; ++j) {
        sumJ += dots[j].red - ys[j];
        sumK += dots[j].green - ys[j];
    }
    return {(sumJ + 2) / 4, (sumK + 2) / 4};
}

/// The low three bits of the group's four bytes: K bits 2..0, K bits 5..3, J bits 2..0,
/// J bits 5..3, J and K being 6-bit two's complement.
std::array<std::uint8_t, 4> packColourDifference(ColourDifference jk) {
    // Truncation toward zero: J of -1..-7 packs as 0, not -1.
    const int j6 = clampTo(-32, 31, jk.j / 8);
    const int k6 = clampTo(-32, 31, jk.k / 8);
    return {static_cast<std::uint8_t>(k6 & 7), static_cast<std::uint8_t>((k6 >> 3) & 7),
            static_cast<std::uint8_t>(j6 & 7), static_cast<std::uint8_t>((j6 >> 3) & 7)};
}

/// Writes the group's dots that lie inside the line: whole bytes without diffusion, otherwise
/// the low bits now and Y into `deferredY` for the second pass.
void storeGroup(const YjkJob& job, std::int32_t y, std::int32_t x, const std::array<int, 4>& ys,
                const std::array<std::uint8_t, 4>& lowBits, std::vector<std::int16_t>& deferredY) {
    const int dotsInLine = std::min(4, job.width - x);
    for (int j = 0; j < dotsInLine; ++j) {
        const std::size_t n = dotIndex(job, y, x + j);
        const auto dot = static_cast<std::size_t>(j);
        if (job.scale == 0) {
            const int value = quantiseY(job.bits, ys[dot]) | lowBits[dot];
            job.output[n] = static_cast<std::uint8_t>(value == 0 ? job.bits.zeroSubstitute : value);
        } else {
            deferredY[n] = static_cast<std::int16_t>(ys[dot]);
            job.output[n] = lowBits[dot];
        }
    }
}

void encodeGroup(const YjkJob& job, std::int32_t y, std::int32_t x, ErrorRow& current,
                 ErrorRow& next, std::vector<std::int16_t>& deferredY) {
    // J and K are shared by the four dots of a group; Y is per dot.
    const auto first = static_cast<std::size_t>(x);
    std::array<CarriedDot, 4> dots;
    for (std::size_t j = 0; j < 4; ++j) {
        dots[j] = carriedDot(job, y, x + static_cast<int>(j), current[first + j]);
    }
    ColourDifference jk = estimateColourDifference(dots);
    std::array<int, 4> ys{};
    for (std::size_t j = 0; j < 4; ++j) {
        int luminance = yjkLuminance(job.algorithm, dots[j], jk.j, jk.k);
        if (job.dither != nullptr) {
            // Elements 0..15 halved: the Y dither only ever lightens.
            luminance += (*job.dither)[static_cast<std::size_t>(y % 8)][(first + j) % 8] / 2;
        }
        if (job.scale != 0) {
            diffuseColourError(job, luminance, jk, dots[j], current[first + j + 1],
                               next[first + j]);
            if (j < 3) {
                // The next dot of the group sees the error just pushed to it.
                dots[j + 1] =
                    carriedDot(job, y, x + static_cast<int>(j) + 1, current[first + j + 1]);
            }
        }
        ys[j] = clampTo(0, 255, luminance);
    }
    if (job.recalculateJk) {
        jk = recalculatedColourDifference(dots, ys);
    }
    storeGroup(job, y, x, ys, packColourDifference(jk), deferredY);
}

bool encodeGroups(const YjkJob& job, std::array<ErrorRow, 2>& rows,
                  std::vector<std::int16_t>& deferredY, const ProgressCallback& progress) {
    for (std::int32_t y = 0; y < job.lines; ++y) {
        if (!keepGoingAt(progress, y, job.lines)) {
            return false;
        }
        ErrorRow& current = rows[static_cast<std::size_t>(y % 2)];
        ErrorRow& next = rows[static_cast<std::size_t>(1 - y % 2)];
        for (std::int32_t x = 0; x < job.width; x += 4) {
            encodeGroup(job, y, x, current, next, deferredY);
        }
    }
    return true;
}

/// The second pass with diffusion: quantises every deferred Y in picture order and carries
/// the rounding error (scaled, cut off) in full to the dot on the right and the dot below.
bool placeDeferredY(const YjkJob& job, std::vector<std::int16_t>& deferredY,
                    const ProgressCallback& progress) {
    const auto saturatingAdd = [](std::int16_t& value, std::int64_t error) {
        value = static_cast<std::int16_t>(clampTo16(value + error));
    };
    for (std::int32_t y = 0; y < job.lines; ++y) {
        if (!keepGoingAt(progress, y, job.lines)) {
            return false;
        }
        for (std::int32_t x = 0; x < job.width; ++x) {
            const std::size_t n = dotIndex(job, y, x);
            const int luminance = clampTo(0, 255, deferredY[n]);
            const int quantised = quantiseY(job.bits, luminance);
            const int value = job.output[n] | quantised;
            job.output[n] = static_cast<std::uint8_t>(value == 0 ? job.bits.zeroSubstitute : value);
            const std::int64_t error = cutOff(job, scaledError(luminance - quantised, job.scale));
            if (x + 1 < job.width) {
                saturatingAdd(deferredY[n + 1], error);
            }
            if (y + 1 < job.lines) {
                saturatingAdd(deferredY[n + static_cast<std::size_t>(job.width)], error);
            }
        }
    }
    return true;
}

} // namespace

bool encodeYjk(std::span<const RgbPixel> picture, std::int32_t width, std::int32_t lines,
               std::span<std::uint8_t> output, const ConversionSettings& settings,
               const ProgressCallback& progress) {
    const std::optional<YBits> bits = yBitsFor(settings);
    // The last group of a line reaches four columns past its start; keep that within int.
    const bool widthFits = width >= 0 && width <= std::numeric_limits<std::int32_t>::max() - 8;
    if (!widthFits || lines < 0 || !bits || settings.naturalImageAlgorithm > 4) {
        return false;
    }
    const std::size_t dots = static_cast<std::size_t>(width) * static_cast<std::size_t>(lines);
    if (picture.size() < dots || output.size() < dots) {
        return false;
    }
    if (dots == 0) {
        return true;
    }
    const YjkJob job{picture,
                     output,
                     width,
                     lines,
                     *bits,
                     static_cast<NaturalImageAlgorithm>(settings.naturalImageAlgorithm),
                     ditherMatrixFor(settings.ditherPattern),
                     diffusionScaleOf(settings),
                     std::int64_t{settings.cutOffError},
                     settings.jkRecalc != 0};
    // Two rows of carried colour error, each with room for what the last group pushes right;
    // with diffusion, the Y of every dot waits in `deferredY` for the second pass.
    std::array<ErrorRow, 2> rows;
    std::vector<std::int16_t> deferredY;
    try {
        const auto rowLength = static_cast<std::size_t>(width) + 5;
        rows = {ErrorRow(rowLength), ErrorRow(rowLength)};
        deferredY.resize(job.scale != 0 ? dots : 0);
    } catch (const std::bad_alloc&) {
        // A working buffer the machine cannot give: refused before anything is written.
        return false;
    }
    if (!encodeGroups(job, rows, deferredY, progress)) {
        return false;
    }
    rows = {};
    return job.scale == 0 || placeDeferredY(job, deferredY, progress);
}

} // namespace tarvelo
