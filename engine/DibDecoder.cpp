#include "engine/DibDecoder.h"

#include "engine/ByteOrder.h"

#include <algorithm>
#include <bit>
#include <cstddef>
#include <new>
#include <vector>

namespace tarvelo {

namespace {

constexpr std::size_t InfoHeaderSize = 40;
// Headers of 52 bytes and more (the 52/56-byte variants, V4 and V5) carry the red, green and
// blue masks at offsets 40, 44 and 48; a 40-byte header is followed by them instead.
constexpr std::size_t MasksInsideHeaderSize = 52;
constexpr std::size_t MasksSize = 12;
constexpr std::size_t TableEntrySize = 4;
constexpr std::uint32_t CompressionNone = 0;
constexpr std::uint32_t CompressionBitFields = 3;
// 2^28 dots make a 1 GiB output; no picture meant for a 512 x 424 screen comes near it, and
// refusing before allocating keeps a lying header from exhausting memory.
constexpr std::uint64_t MaxDots = std::uint64_t{1} << 28;

enum class DotLayout { Indexed, BitFields16, Rgb24, BitFields32 };

struct DibHeader {
    std::size_t headerSize = 0;
    std::int32_t width = 0;
    std::int32_t height = 0;
    unsigned bitCount = 0;
    std::uint32_t compression = 0;
    std::uint32_t colourCount = 0;
    DotLayout layout = DotLayout::Rgb24;
};

/// One colour channel of a bit-field dot: (v & mask) >> shift scaled from 0..maximum to 0..255.
struct ChannelMask {
    std::uint32_t mask = 0;
    int shift = 0;
    std::uint32_t maximum = 0;
};

struct BitFields {
    ChannelMask red;
    ChannelMask green;
    ChannelMask blue;
};

/// Where the parts of the block are, and what the dots mean.
struct DibLayout {
    std::vector<RgbPixel> palette; // exactly 2^bits entries for indexed pictures
    BitFields fields;
    std::size_t rowsStart = 0;
    std::size_t stride = 0;
};

std::optional<DotLayout> dotLayoutFor(unsigned bitCount) {
    switch (bitCount) {
    case 1:
    case 4:
    case 8:
        return DotLayout::Indexed;
    case 16:
        return DotLayout::BitFields16;
    case 24:
        return DotLayout::Rgb24;
    case 32:
        return DotLayout::BitFields32;
    default:
        return std::nullopt;
    }
}

std::optional<DibHeader> parseHeader(std::span<const std::uint8_t> block) {
    if (block.size() < InfoHeaderSize) {
        return std::nullopt;
    }
    DibHeader header;
    const std::uint32_t headerSize = readLe32(block, 0);
    if (headerSize < InfoHeaderSize || headerSize > block.size()) {
        return std::nullopt; // 12- and 16-byte OS/2 headers lay out their fields differently
    }
    header.headerSize = headerSize;
    header.width = readLe32Signed(block, 4);
    header.height = readLe32Signed(block, 8);
    header.bitCount = readLe16(block, 14);
    header.compression = readLe32(block, 16);
    header.colourCount = readLe32(block, 32);
    const std::optional<DotLayout> layout = dotLayoutFor(header.bitCount);
    const bool supportedCompression =
        header.compression == CompressionNone || header.compression == CompressionBitFields;
    // Negative heights are top-down pictures, which are not supported.
    if (!layout || !supportedCompression || header.width < 0 || header.height < 0) {
        return std::nullopt;
    }
    header.layout = *layout;
    return header;
}

ChannelMask channelMask(std::uint32_t mask) {
    if (mask == 0) {
        return {};
    }
    const int shift = std::countr_zero(mask);
    return {mask, shift, mask >> shift};
}

BitFields bitFields(std::uint32_t red, std::uint32_t green, std::uint32_t blue) {
    return {channelMask(red), channelMask(green), channelMask(blue)};
}

bool usesBitFields(const DibHeader& header) {
    const bool wideDots =
        header.layout == DotLayout::BitFields16 || header.layout == DotLayout::BitFields32;
    return wideDots && header.compression == CompressionBitFields;
}

/// The masks of the dots; without compression 3, 16 bits are 5-5-5 and 32 bits are plain
/// blue, green, red bytes. Returns where the colour table starts, or nothing when the masks
/// lie beyond the block.
std::optional<std::size_t> readBitFields(std::span<const std::uint8_t> block,
                                         const DibHeader& header, BitFields& fields) {
    if (!usesBitFields(header)) {
        fields = header.layout == DotLayout::BitFields16 ? bitFields(0x7C00, 0x03E0, 0x001F)
                                                         : bitFields(0xFF0000, 0xFF00, 0xFF);
        return header.headerSize;
    }
    const bool insideHeader = header.headerSize >= MasksInsideHeaderSize;
    const std::size_t masksAt = insideHeader ? InfoHeaderSize : header.headerSize;
    if (block.size() - masksAt < MasksSize) {
        return std::nullopt;
    }
    fields = bitFields(readLe32(block, masksAt), readLe32(block, masksAt + 4),
                       readLe32(block, masksAt + 8));
    return insideHeader ? header.headerSize : header.headerSize + MasksSize;
}

/// Reads the colour table into `palette` (2^bits entries, black beyond the table) and returns
/// where the table ends, or nothing when it does not fit in the block. Pictures of 16 bits and
/// more have a table only when biClrUsed says so; it merely precedes the rows.
std::optional<std::size_t> readColourTable(std::span<const std::uint8_t> block,
                                           const DibHeader& header, std::size_t tableStart,
                                           std::vector<RgbPixel>& palette) {
    const bool indexed = header.layout == DotLayout::Indexed;
    const std::uint64_t colourLimit = indexed ? std::uint64_t{1} << header.bitCount : 0;
    const std::uint64_t entries =
        header.colourCount == 0 ? colourLimit : std::uint64_t{header.colourCount};
    if (entries * TableEntrySize > block.size() - tableStart) {
        return std::nullopt;
    }
    palette.assign(static_cast<std::size_t>(colourLimit), makeRgbPixel(0, 0, 0));
    const std::size_t colours = static_cast<std::size_t>(std::min(entries, colourLimit));
    for (std::size_t i = 0; i < colours; ++i) {
        const std::size_t at = tableStart + i * TableEntrySize;
        palette[i] = makeRgbPixel(block[at + 2], block[at + 1], block[at]);
    }
    return tableStart + static_cast<std::size_t>(entries * TableEntrySize);
}

std::optional<DibLayout> locateParts(std::span<const std::uint8_t> block, const DibHeader& header,
                                     std::optional<std::uint32_t> rowsOffset) {
    DibLayout layout;
    const std::optional<std::size_t> tableStart = readBitFields(block, header, layout.fields);
    if (!tableStart) {
        return std::nullopt;
    }
    const std::optional<std::size_t> tableEnd =
        readColourTable(block, header, *tableStart, layout.palette);
    if (!tableEnd) {
        return std::nullopt;
    }
    // A BMP file may leave a gap before its rows; its header's offset is trusted only where it
    // cannot make the rows overlap the table or start past the data.
    const bool offsetUsable = rowsOffset && *rowsOffset >= *tableEnd && *rowsOffset < block.size();
    layout.rowsStart = offsetUsable ? *rowsOffset : *tableEnd;
    // Every row fills whole 4-byte words.
    const std::uint64_t rowBits =
        std::uint64_t{static_cast<std::uint32_t>(header.width)} * header.bitCount;
    const std::uint64_t stride = (rowBits + 31) / 32 * 4;
    const std::uint64_t rowsSize = stride * static_cast<std::uint32_t>(header.height);
    if (rowsSize > block.size() - layout.rowsStart) {
        return std::nullopt;
    }
    layout.stride = static_cast<std::size_t>(stride);
    return layout;
}

unsigned indexAt(std::span<const std::uint8_t> row, std::size_t x, unsigned bitCount) {
    switch (bitCount) {
    case 1:
        // The most significant bit is the leftmost dot.
        return (unsigned{row[x / 8]} >> (7 - x % 8)) & 1u;
    case 4:
        // The high half is the left dot.
        return (unsigned{row[x / 2]} >> (x % 2 == 0 ? 4u : 0u)) & 15u;
    default:
        return row[x];
    }
}

void decodeIndexedRow(std::span<const std::uint8_t> row, const DibHeader& header,
                      const DibLayout& layout, std::span<RgbPixel> line) {
    for (std::size_t x = 0; x < line.size(); ++x) {
        line[x] = layout.palette[indexAt(row, x, header.bitCount)];
    }
}

std::uint32_t channelValue(std::uint32_t dot, const ChannelMask& channel) {
    if (channel.maximum == 0) {
        return 0;
    }
    // 64 bits: a 32-bit field times 255 does not fit in 32. The division truncates, so only
    // the full field value reaches 255 (a 5-bit 1 gives 8, a 6-bit 1 gives 4).
    const std::uint64_t value = (dot & channel.mask) >> channel.shift;
    return static_cast<std::uint32_t>(value * 255 / channel.maximum);
}

void decodeBitFieldsRow(std::span<const std::uint8_t> row, const DibHeader& header,
                        const DibLayout& layout, std::span<RgbPixel> line) {
    const bool wide = header.layout == DotLayout::BitFields32;
    for (std::size_t x = 0; x < line.size(); ++x) {
        const std::uint32_t dot = wide ? readLe32(row, 4 * x) : readLe16(row, 2 * x);
        const BitFields& f = layout.fields;
        line[x] = makeRgbPixel(channelValue(dot, f.red), channelValue(dot, f.green),
                               channelValue(dot, f.blue));
    }
}

void decodeRgb24Row(std::span<const std::uint8_t> row, const DibHeader&, const DibLayout&,
                    std::span<RgbPixel> line) {
    for (std::size_t x = 0; x < line.size(); ++x) {
        line[x] = makeRgbPixel(row[3 * x + 2], row[3 * x + 1], row[3 * x]);
    }
}

using RowDecoder = void (*)(std::span<const std::uint8_t>, const DibHeader&, const DibLayout&,
                            std::span<RgbPixel>);

RowDecoder rowDecoderFor(DotLayout layout) {
    switch (layout) {
    case DotLayout::Indexed:
        return decodeIndexedRow;
    case DotLayout::BitFields16:
    case DotLayout::BitFields32:
        return decodeBitFieldsRow;
    case DotLayout::Rgb24:
        return decodeRgb24Row;
    }
    return nullptr;
}

void decodeRows(std::span<const std::uint8_t> block, const DibHeader& header,
                const DibLayout& layout, Picture& picture) {
    const RowDecoder decodeRow = rowDecoderFor(header.layout);
    const auto width = static_cast<std::size_t>(header.width);
    const auto height = static_cast<std::size_t>(header.height);
    const std::span<RgbPixel> pixels(picture.pixels);
    // The block holds the bottom line first; the picture starts with the top line.
    for (std::size_t line = 0; line < height; ++line) {
        const std::size_t rowAt = layout.rowsStart + (height - 1 - line) * layout.stride;
        decodeRow(block.subspan(rowAt, layout.stride), header, layout,
                  pixels.subspan(line * width, width));
    }
}

} // namespace

std::optional<Picture> decodeDib(std::span<const std::uint8_t> block,
                                 std::optional<std::uint32_t> rowsOffset) {
    const std::optional<DibHeader> header = parseHeader(block);
    if (!header) {
        return std::nullopt;
    }
    const std::uint64_t dots = std::uint64_t{static_cast<std::uint32_t>(header->width)} *
                               static_cast<std::uint32_t>(header->height);
    if (dots > MaxDots) {
        return std::nullopt;
    }
    const std::optional<DibLayout> layout = locateParts(block, *header, rowsOffset);
    if (!layout) {
        return std::nullopt;
    }
    Picture picture;
    picture.width = header->width;
    picture.height = header->height;
    try {
        picture.pixels.resize(static_cast<std::size_t>(dots));
    } catch (const std::bad_alloc&) {
        return std::nullopt;
    }
    // An empty picture has no dots to decode, however many empty rows it claims.
    if (dots != 0) {
        decodeRows(block, *header, *layout, picture);
    }
    return picture;
}

} // namespace tarvelo
