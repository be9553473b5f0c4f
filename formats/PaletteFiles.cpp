#include "formats/PaletteFiles.h"

#include "engine/AtomicFile.h"
#include "formats/FormatMessages.h"

#include <span>
#include <string_view>
#include <vector>

namespace tarvelo {

namespace {

// A Graph Saurus palette file holds eight palettes of 32 bytes; this program writes the same
// palette into all eight and reads only the first.
constexpr std::size_t GraphSaurusCopies = 8;
constexpr std::size_t PaletteByteCount = 32;

constexpr std::string_view CsvHeader = ";MSX PALETTE DATA(&Hrb,&H0g)\r\n";

std::uint8_t levelBits(std::int32_t level) { return static_cast<std::uint8_t>(level & 7); }

void appendHexByte(std::string& text, std::uint8_t value) {
    constexpr std::string_view digits = "0123456789ABCDEF";
    text += digits[value >> 4];
    text += digits[value & 0x0Fu];
}

// Writes the whole file at once; any failure after the name was accepted is reported, since
// the new file then does not exist and silence would pass a failure off as success.
void writeWholeFile(MessageOwner owner, const std::string& fileName,
                    std::span<const std::uint8_t> bytes, UserFeedback& feedback) {
    AtomicFile file(fileName);
    if (!file.create() || !file.write(bytes) || !file.commit()) {
        reportWriteFailure(feedback, owner);
    }
}

} // namespace

std::array<std::uint8_t, 32> paletteBytes(const std::array<PaletteEntry, 16>& palette) {
    std::array<std::uint8_t, 32> bytes{};
    for (std::size_t i = 0; i < palette.size(); ++i) {
        // The MSX palette register pair: 0RRR0BBB, then 00000GGG.
        const PaletteEntry& entry = palette[i];
        bytes[2 * i] =
            static_cast<std::uint8_t>((levelBits(entry.red) << 4) | levelBits(entry.blue));
        bytes[2 * i + 1] = levelBits(entry.green);
    }
    return bytes;
}

void writeGraphSaurusPalette(MessageOwner owner, const std::string& fileName,
                             const ConversionSettings& settings, UserFeedback& feedback) {
    const std::array<std::uint8_t, PaletteByteCount> palette = paletteBytes(settings.palette);
    std::vector<std::uint8_t> contents;
    contents.reserve(PaletteByteCount * GraphSaurusCopies);
    for (std::size_t copy = 0; copy < GraphSaurusCopies; ++copy) {
        contents.insert(contents.end(), palette.begin(), palette.end());
    }
    writeWholeFile(owner, fileName, contents, feedback);
}

void writeCsvPalette(MessageOwner owner, const std::string& fileName,
                     const ConversionSettings& settings, UserFeedback& feedback) {
    const std::array<std::uint8_t, PaletteByteCount> palette = paletteBytes(settings.palette);
    std::string text(CsvHeader);
    for (std::size_t i = 0; i < PaletteByteCount; ++i) {
        appendHexByte(text, palette[i]);
        text += i + 1 < PaletteByteCount ? "," : "\r\n";
    }
    const auto* data = reinterpret_cast<const std::uint8_t*>(text.data());
    writeWholeFile(owner, fileName, std::span<const std::uint8_t>(data, text.size()), feedback);
}

bool readPaletteFile(const std::string& fileName, std::array<PaletteEntry, 16>& palette,
                     UserFeedback& feedback) {
    std::vector<std::uint8_t> bytes;
    if (!readFileBytes(fileName, bytes, PaletteByteCount)) {
        reportReadFailure(feedback, fileName);
        return false;
    }
    // A short file is not an error: what it does not reach reads as level 0.
    bytes.resize(PaletteByteCount, 0);
    for (std::size_t i = 0; i < palette.size(); ++i) {
        const std::uint8_t redBlue = bytes[2 * i];
        palette[i].red = (redBlue >> 4) & 7;
        palette[i].blue = redBlue & 7;
        palette[i].green = bytes[2 * i + 1] & 7;
    }
    return true;
}

} // namespace tarvelo
