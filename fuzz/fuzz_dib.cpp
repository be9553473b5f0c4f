// A BMP file's bytes, loaded as the program loads a dropped file (through a file on disk into
// the source store) and decoded from the slot; the bytes are also decoded directly as a DIB
// block, as a clipboard picture would be.
#include "FuzzFeedback.h"
#include "engine/DibDecoder.h"
#include "engine/SourcePictureStore.h"

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <unistd.h>

namespace {

void checkPicture(const std::optional<tarvelo::Picture>& picture) {
    if (!picture) {
        return;
    }
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

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tarvelo;
    static const std::string path = "/tmp/tarvelo-fuzz-bmp-" + std::to_string(::getpid());
    if (FILE* file = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, file);
        std::fclose(file);
    }
    SourcePictureStore sources;
    fuzzing::SilentFeedback feedback;
    const int index = sources.loadBmpFile(path, feedback);
    if (index >= 0) {
        const SourcePictureSlot& slot = sources.slot(index);
        checkPicture(decodeDib(slot.dibBlock, slot.rowsOffset));
        sources.releaseSource(index);
    }
    checkPicture(decodeDib(std::span(data, size), std::nullopt));
    return 0;
}
