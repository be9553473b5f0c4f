#pragma once

#include "engine/RgbPixel.h"

#include <cstdint>
#include <string>
#include <vector>

namespace tarvelo::testing {

/// A 24-bit bottom-up BMP file (14-byte file header + 40-byte info header + rows) of a picture
/// given top line first.
std::vector<std::uint8_t> makeBmp24(int width, int height, const std::vector<RgbPixel>& pixels);

/// The same picture as a packed DIB block (the file without its 14-byte header).
std::vector<std::uint8_t> makeDib24(int width, int height, const std::vector<RgbPixel>& pixels);

/// A uniform picture of one colour.
std::vector<RgbPixel> uniformPicture(int width, int height, RgbPixel colour);

/// Writes bytes to a file; fails the test when it cannot.
void writeFile(const std::string& path, const std::vector<std::uint8_t>& bytes);
std::vector<std::uint8_t> readFile(const std::string& path);

/// A fresh empty folder under the system's temporary folder, removed by the destructor.
class TemporaryFolder {
public:
    TemporaryFolder();
    ~TemporaryFolder();
    TemporaryFolder(const TemporaryFolder&) = delete;
    TemporaryFolder& operator=(const TemporaryFolder&) = delete;
    const std::string& path() const { return m_path; }
    std::string file(const std::string& name) const { return m_path + "/" + name; }
    /// Names of the files in the folder, sorted.
    std::vector<std::string> fileNames() const;

private:
    std::string m_path;
};

/// The shared test pictures folder (bmpsuite/ inside it).
std::string corpusDir();

} // namespace tarvelo::testing
