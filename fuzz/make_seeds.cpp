// Writes generated seed inputs: settings records for every mode with costly options, small DIB
// blocks of several bit depths, palette bytes and expressions. Usage: fuzz_make_seeds FOLDER
#include "engine/ConversionSettings.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

void put(Bytes& out, std::uint32_t value, int width) {
    for (int i = 0; i < width; ++i) {
        out.push_back(i < 4 ? static_cast<std::uint8_t>(value >> (8 * i)) : 0);
    }
}

Bytes dib(int width, int height, int bits, std::uint32_t compression) {
    Bytes out;
    put(out, 40, 4);
    put(out, static_cast<std::uint32_t>(width), 4);
    put(out, static_cast<std::uint32_t>(height), 4);
    put(out, 1, 2);
    put(out, static_cast<std::uint32_t>(bits), 2);
    put(out, compression, 4);
    put(out, 0, 4 * 5);
    if (bits <= 8) {
        for (int i = 0; i < (1 << bits); ++i) {
            put(out, static_cast<std::uint32_t>(i * 0x10305u), 4);
        }
    }
    if (compression == 3) {
        put(out, bits == 16 ? 0xF800u : 0xFF0000u, 4);
        put(out, bits == 16 ? 0x07E0u : 0xFF00u, 4);
        put(out, bits == 16 ? 0x001Fu : 0xFFu, 4);
    }
    const int stride = ((width * bits + 31) / 32) * 4;
    for (int i = 0; i < stride * height; ++i) {
        out.push_back(static_cast<std::uint8_t>(i * 37 + 11));
    }
    return out;
}

void write(const std::filesystem::path& file, const Bytes& bytes) {
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

void writeText(const std::filesystem::path& file, const std::string& text) {
    std::ofstream(file, std::ios::binary) << text;
}

} // namespace

int main(int argc, char** argv) {
    using namespace tarvelo;
    if (argc != 2) {
        return 2;
    }
    const std::filesystem::path root = argv[1];
    for (const char* target : {"conversion", "encoders", "settings", "palette", "expression", "dib"}) {
        std::filesystem::create_directories(root / target);
    }
    const Bytes pictures[] = {dib(16, 12, 24, 0), dib(9, 5, 8, 0), dib(13, 3, 1, 0),
                              dib(7, 7, 4, 0),    dib(6, 4, 16, 3), dib(5, 5, 32, 0)};
    int count = 0;
    for (std::uint32_t mode = 0; mode < 5; ++mode) {
        for (int variant = 0; variant < 3; ++variant) {
            ConversionSettings settings;
            settings.screenMode = mode;
            settings.meshTile = variant == 1 ? 1 : 0;
            settings.interlace = variant == 2 ? 1 : 0;
            settings.resize = variant == 0 ? 1 : 0;
            settings.naturalImageAlgorithm = static_cast<std::uint32_t>(variant + 1);
            settings.zeroMode = static_cast<std::uint32_t>(variant);
            const SettingsBytes record = settingsToBytes(settings);
            write(root / "settings" / ("record" + std::to_string(count)), Bytes(record.begin(), record.end()));
            Bytes input(record.begin(), record.end());
            const Bytes& picture = pictures[count % 6];
            input.insert(input.end(), picture.begin(), picture.end());
            write(root / "conversion" / ("convert" + std::to_string(count)), input);
            // The same settings on a small source for the stage-by-stage target.
            Bytes stages(record.begin(), record.end());
            stages.push_back(static_cast<std::uint8_t>(count * 5));
            stages.push_back(static_cast<std::uint8_t>(count * 3));
            for (int i = 0; i < 3 * 48; ++i) {
                stages.push_back(static_cast<std::uint8_t>(i * 29 + count * 17));
            }
            write(root / "encoders" / ("stages" + std::to_string(count)), stages);
            ++count;
        }
    }
    for (int i = 0; i < 6; ++i) {
        Bytes file = {'B', 'M'};
        put(file, static_cast<std::uint32_t>(14 + pictures[i].size()), 4);
        put(file, 0, 4);
        put(file, 54, 4);
        file.insert(file.end(), pictures[i].begin(), pictures[i].end());
        write(root / "dib" / ("generated" + std::to_string(i) + ".bmp"), file);
    }
    write(root / "palette" / "graphsaurus", Bytes{0x75, 0x03, 0x77, 0x07, 0x00, 0x00});
    writeText(root / "palette" / "csv", ";MSX PALETTE DATA(&Hrb,&H0g)\r\n00,00,77,07\r\n");
    const char* expressions[] = {"10", "0AH", "1010B", "3MOD2", "5 ANDY", "-2147483648 / -1",
                                 "((((1))))", "1 OR 2 AND 3", "NOT 0 + 1", "~1 + 1", "7 % 0",
                                 "4294967295", "1 +\n2", "--------5", "(5)6"};
    for (int i = 0; i < 15; ++i) {
        writeText(root / "expression" / ("expression" + std::to_string(i)), expressions[i]);
    }
    return 0;
}
