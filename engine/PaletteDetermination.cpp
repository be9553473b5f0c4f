#include "engine/PaletteDetermination.h"

#include "engine/ColourLevels.h"

#include <algorithm>
#include <limits>
#include <new>

namespace tarvelo {

namespace {

constexpr std::int32_t FixedFrequency = std::numeric_limits<std::int32_t>::max();
constexpr int BinCount = 512;

constexpr int binIndexOf(RgbPixel pixel) {
    return levelOf8Bit(redOf(pixel)) * 64 + levelOf8Bit(greenOf(pixel)) * 8 +
           levelOf8Bit(blueOf(pixel));
}

constexpr RgbPixel binColour(int bin) {
    return levelsToRgb(bin >> 6, (bin >> 3) & 7, bin & 7);
}

constexpr int squaredDistance(RgbPixel a, RgbPixel b) {
    const int red = redOf(a) - redOf(b);
    const int green = greenOf(a) - greenOf(b);
    const int blue = blueOf(a) - blueOf(b);
    return red * red + green * green + blue * blue;
}

// "Spread": walking down from the most frequent colour and starting over at the top, each colour
// removes its nearest less frequent neighbour until `usable` colours remain. Fixed colours sit at
// the top of the list and are never removed.
void mergeClosestColours(std::vector<ColourCount>& list, std::size_t usable, std::size_t fixed) {
    std::size_t i = 0;
    while (list.size() > usable) {
        std::size_t nearest = list.size();
        int bestDistance = std::numeric_limits<int>::max();
        for (std::size_t k = std::max(i + 1, fixed); k < list.size(); ++k) {
            // `<=`: of equally near colours the later (less frequent) one goes.
            const int distance = squaredDistance(list[i].colour, list[k].colour);
            if (distance <= bestDistance) {
                bestDistance = distance;
                nearest = k;
            }
        }
        if (nearest < list.size()) {
            list.erase(list.begin() + static_cast<std::ptrdiff_t>(nearest));
        }
        ++i;
        if (i >= list.size()) {
            i = 0;
        }
    }
}

void showMainWindowError(UserFeedback& feedback, std::string_view text) {
    feedback.showMessage(text, "Error", MessageOwner::MainWindow);
}

// Entry 0 is left out whole when `skipColorZero` is on, whatever its mode says.
bool isEntrySkipped(const ConversionSettings& settings, int entry) {
    return entry == 0 && settings.skipColorZero != 0;
}

// Counts the usable entries and puts the colours of the fixed ones, in entry order, at the start
// of `fixedColours`. An entry mode outside 0..2 (only a hand-edited file has one) counts as usable,
// is not fixed and keeps its stored colour.
int collectFixedColours(const ConversionSettings& settings, std::array<RgbPixel, 16>& fixedColours,
                        int& fixed) {
    int usable = 0;
    fixed = 0;
    for (int k = 0; k < 16; ++k) {
        const std::uint8_t mode = settings.paletteEntryMode[static_cast<std::size_t>(k)];
        if (isEntrySkipped(settings, k) || mode == EntryNotUsed) {
            continue;
        }
        ++usable;
        if (mode == EntryFixed) {
            fixedColours[static_cast<std::size_t>(fixed++)] =
                settings.paletteColour(static_cast<std::size_t>(k));
        }
    }
    return usable;
}

void storeAutomaticColours(ConversionSettings& settings, std::span<const RgbPixel> chosen) {
    std::size_t next = 0;
    for (int k = 0; k < 16; ++k) {
        const auto entry = static_cast<std::size_t>(k);
        if (isEntrySkipped(settings, k) || settings.paletteEntryMode[entry] != EntryAutomatic) {
            continue;
        }
        const RgbPixel colour = next < chosen.size() ? chosen[next] : 0;
        ++next;
        settings.palette[entry] = {levelOf8Bit(greenOf(colour)), levelOf8Bit(redOf(colour)),
                                   levelOf8Bit(blueOf(colour))};
    }
}

} // namespace

std::vector<ColourCount> countColours(std::span<const RgbPixel> picture,
                                      std::span<const RgbPixel> fixedColours, bool leaveOutZero,
                                      RgbPixel zeroColor) {
    std::array<std::int32_t, BinCount> frequencies{};
    for (const RgbPixel dot : picture) {
        // The zero colour is compared unmasked, all 32 bits, as the user picked it.
        if (leaveOutZero && dot == zeroColor) {
            continue;
        }
        // A picture has far fewer than 2^31 dots, so the count cannot overflow.
        ++frequencies[static_cast<std::size_t>(binIndexOf(dot))];
    }
    std::vector<ColourCount> list;
    list.reserve(fixedColours.size() + BinCount);
    for (const RgbPixel colour : fixedColours) {
        list.push_back({colour, FixedFrequency});
    }
    for (int bin = 0; bin < BinCount; ++bin) {
        const std::int32_t frequency = frequencies[static_cast<std::size_t>(bin)];
        if (frequency > 0) {
            list.push_back({binColour(bin), frequency});
        }
    }
    return list;
}

bool selectAutomaticColours(std::span<const RgbPixel> picture, std::span<RgbPixel> paletteColours,
                            std::uint32_t colorSelectMode, int usable, int fixed, bool leaveOutZero,
                            RgbPixel zeroColor) {
    if (usable < 2 || usable > 16 || fixed < 0 || usable <= fixed ||
        paletteColours.size() < static_cast<std::size_t>(usable)) {
        return false;
    }
    const auto usableCount = static_cast<std::size_t>(usable);
    const auto fixedCount = static_cast<std::size_t>(fixed);
    std::vector<ColourCount> list =
        countColours(picture, paletteColours.first(fixedCount), leaveOutZero, zeroColor);
    std::fill(paletteColours.begin() + fixed, paletteColours.begin() + usable, RgbPixel{0});

    // Stable, so equal frequencies keep list order: fixed colours in entry order, then the bins
    // in ascending bin index. The result is then the same on every platform.
    std::stable_sort(list.begin(), list.end(), [](const ColourCount& a, const ColourCount& b) {
        return a.frequency > b.frequency;
    });
    // Only bit 0 counts, as a load normalises the field.
    if ((colorSelectMode & 1u) == 0) {
        mergeClosestColours(list, usableCount, fixedCount);
    }
    const std::size_t taken = std::min(list.size(), usableCount);
    for (std::size_t k = 0; k < taken; ++k) {
        paletteColours[k] = list[k].colour;
    }
    return true;
}

bool determinePalette(PaletteColours& out, ConversionSettings& settings,
                      std::span<const RgbPixel> picture, std::int32_t width, std::int32_t height,
                      UserFeedback& feedback) {
    out.count = 0;
    switch (settings.mode()) {
    case ScreenMode::Screen8:
        for (unsigned q = 0; q < 256; ++q) {
            out.colours[q] = screen8Colour(q);
        }
        out.count = 256;
        return true;
    case ScreenMode::Screen10_11:
    case ScreenMode::Screen12:
        return true;
    case ScreenMode::Screen5:
    case ScreenMode::Screen7:
        break;
    }
    if (!settings.isPaletteMode()) {
        return true; // a mode number no load leaves in the record: no palette, as for YJK
    }

    std::array<RgbPixel, 16> chosen{};
    int fixed = 0;
    const int usable = collectFixedColours(settings, chosen, fixed);
    if (usable < 2) {
        showMainWindowError(feedback,
                            "画像を生成できません。\nパレットは２つ以上使用可能にしてください。");
        return false;
    }

    if (settings.allFixedPalette == 0) {
        const std::int64_t dots = std::int64_t{std::max(width, 0)} * std::max(height, 0);
        const std::span<const RgbPixel> counted = picture.first(static_cast<std::size_t>(
            std::min<std::int64_t>(dots, static_cast<std::int64_t>(picture.size()))));
        try {
            // When every usable entry is fixed there is nothing to choose and nothing to store.
            selectAutomaticColours(counted, chosen, settings.colorSelectMode, usable, fixed,
                                   settings.zeroMode != 0, settings.zeroColor);
        } catch (const std::bad_alloc&) {
            showMainWindowError(feedback, "メモリ不足です。");
            return false;
        }
        storeAutomaticColours(
            settings, std::span<const RgbPixel>(chosen).subspan(static_cast<std::size_t>(fixed)));
    }

    for (std::size_t k = 0; k < 16; ++k) {
        out.colours[k] = settings.paletteColour(k);
    }
    out.count = 16;
    return true;
}

} // namespace tarvelo
