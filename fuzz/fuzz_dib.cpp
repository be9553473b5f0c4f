// A BMP file's bytes: the file header's pixel offset and the DIB block behind it go to the
// decoder as the source store would hand them over.
#include "engine/ByteOrder.h"
#include "engine/DibDecoder.h"

#include <cstdint>
#include <cstddef>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 14) {
        return 0;
    }
    const std::span<const std::uint8_t> file(data, size);
    const std::uint32_t pixelOffset = tarvelo::readLe32(file, 10);
    const std::span<const std::uint8_t> block = file.subspan(14);
    std::optional<std::uint32_t> rowsOffset;
    if (pixelOffset >= 14) {
        rowsOffset = pixelOffset - 14;
    }
    const auto picture = tarvelo::decodeDib(block, rowsOffset);
    if (picture) {
        // Every dot must be there and have bits 24..31 clear.
        const std::size_t expected = static_cast<std::size_t>(picture->width) *
                                     static_cast<std::size_t>(picture->height);
        if (picture->pixels.size() != expected) {
            __builtin_trap();
        }
        for (const tarvelo::RgbPixel pixel : picture->pixels) {
            if ((pixel >> 24) != 0) {
                __builtin_trap();
            }
        }
    }
    tarvelo::decodeDib(block, std::nullopt);
    return 0;
}
