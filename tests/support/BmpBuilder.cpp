#include "support/BmpBuilder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>

namespace tarvelo::testing {

namespace {

void put16(std::vector<std::uint8_t>& out, std::uint32_t value) {
    out.push_back(static_cast<std::uint8_t>(value));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

void put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    put16(out, value & 0xFFFF);
    put16(out, value >> 16);
}

} // namespace

std::vector<std::uint8_t> makeDib24(int width, int height, const std::vector<RgbPixel>& pixels) {
    const int stride = (3 * width + 3) / 4 * 4;
    std::vector<std::uint8_t> dib;
    put32(dib, 40);
    put32(dib, static_cast<std::uint32_t>(width));
    put32(dib, static_cast<std::uint32_t>(height));
    put16(dib, 1);
    put16(dib, 24);
    put32(dib, 0);
    put32(dib, static_cast<std::uint32_t>(stride * height));
    put32(dib, 2835);
    put32(dib, 2835);
    put32(dib, 0);
    put32(dib, 0);
    for (int row = height - 1; row >= 0; --row) {
        for (int x = 0; x < width; ++x) {
            const RgbPixel pixel = pixels[static_cast<std::size_t>(row * width + x)];
            dib.push_back(static_cast<std::uint8_t>(blueOf(pixel)));
            dib.push_back(static_cast<std::uint8_t>(greenOf(pixel)));
            dib.push_back(static_cast<std::uint8_t>(redOf(pixel)));
        }
        for (int pad = 3 * width; pad < stride; ++pad) {
            dib.push_back(0);
        }
    }
    return dib;
}

std::vector<std::uint8_t> makeBmp24(int width, int height, const std::vector<RgbPixel>& pixels) {
    const std::vector<std::uint8_t> dib = makeDib24(width, height, pixels);
    std::vector<std::uint8_t> file = {'B', 'M'};
    put32(file, static_cast<std::uint32_t>(14 + dib.size()));
    put32(file, 0);
    put32(file, 54);
    file.insert(file.end(), dib.begin(), dib.end());
    return file;
}

std::vector<RgbPixel> uniformPicture(int width, int height, RgbPixel colour) {
    return std::vector<RgbPixel>(static_cast<std::size_t>(width) * static_cast<std::size_t>(height),
                                 colour);
}

void writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    ASSERT_TRUE(out.good()) << path;
    out.write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    ASSERT_TRUE(out.good()) << path;
}

std::vector<std::uint8_t> readFile(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

TemporaryFolder::TemporaryFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "tarvelo-test-XXXXXX").string();
    char* made = ::mkdtemp(pattern.data());
    if (made == nullptr) {
        ADD_FAILURE() << "cannot make a temporary folder";
    }
    m_path = pattern;
}

TemporaryFolder::~TemporaryFolder() {
    std::error_code error;
    std::filesystem::permissions(m_path, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, error);
    std::filesystem::remove_all(m_path, error);
}

std::vector<std::string> TemporaryFolder::fileNames() const {
    std::vector<std::string> names;
    for (const auto& entry : std::filesystem::directory_iterator(m_path)) {
        names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string corpusDir() {
    if (const char* dir = std::getenv("TARVELO_CORPUS_DIR"); dir != nullptr && *dir != '\0') {
        return dir;
    }
    return "../shared/corpus";
}

} // namespace tarvelo::testing
