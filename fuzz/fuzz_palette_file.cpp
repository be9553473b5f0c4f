// Any file read as a palette file.
#include "formats/PaletteFiles.h"
#include "FuzzFeedback.h"

#include <cstdio>
#include <cstdint>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tarvelo;
    static const std::string path = "/tmp/tarvelo-fuzz-palette-" + std::to_string(::getpid());
    if (FILE* file = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data, 1, size, file);
        std::fclose(file);
    }
    std::array<PaletteEntry, 16> palette{};
    fuzzing::SilentFeedback feedback;
    readPaletteFile(path, palette, feedback);
    for (const PaletteEntry& entry : palette) {
        if (entry.red < 0 || entry.red > 7 || entry.green < 0 || entry.green > 7 ||
            entry.blue < 0 || entry.blue > 7) {
            __builtin_trap();
        }
    }
    return 0;
}
