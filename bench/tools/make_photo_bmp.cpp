// Writes a deterministic photo-like 24-bit BMP (smooth gradients, edges and fine texture) for
// benchmarks. Usage: make_photo_bmp WIDTH HEIGHT FILE
#include <cmath>
#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <vector>

namespace {

void put(std::vector<std::uint8_t>& out, std::uint32_t value, int width) {
    for (int i = 0; i < width; ++i) {
        out.push_back(static_cast<std::uint8_t>(value >> (8 * i)));
    }
}

std::uint8_t channel(double value) {
    return static_cast<std::uint8_t>(std::lround(std::fmin(255.0, std::fmax(0.0, value))));
}

} // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        return 2;
    }
    const int width = std::atoi(argv[1]);
    const int height = std::atoi(argv[2]);
    if (width <= 0 || height <= 0) {
        return 2;
    }
    const int stride = (3 * width + 3) / 4 * 4;
    std::vector<std::uint8_t> file = {'B', 'M'};
    put(file, static_cast<std::uint32_t>(54 + stride * height), 4);
    put(file, 0, 4);
    put(file, 54, 4);
    put(file, 40, 4);
    put(file, static_cast<std::uint32_t>(width), 4);
    put(file, static_cast<std::uint32_t>(height), 4);
    put(file, 1, 2);
    put(file, 24, 2);
    put(file, 0, 4);
    put(file, static_cast<std::uint32_t>(stride * height), 4);
    put(file, 2835, 4);
    put(file, 2835, 4);
    put(file, 0, 8);
    for (int row = height - 1; row >= 0; --row) {
        const double y = static_cast<double>(row) / height;
        for (int column = 0; column < width; ++column) {
            const double x = static_cast<double>(column) / width;
            const double ripple = std::sin(40.0 * x * y) * 30.0;
            const double disc = std::hypot(x - 0.6, y - 0.35) < 0.2 ? 60.0 : 0.0;
            file.push_back(channel(200.0 * (1.0 - y) + ripple));          // blue
            file.push_back(channel(120.0 + 100.0 * std::sin(6.0 * x) + disc)); // green
            file.push_back(channel(255.0 * x + disc - ripple));           // red
        }
        file.resize(file.size() + static_cast<std::size_t>(stride - 3 * width), 0);
    }
    std::ofstream(argv[3], std::ios::binary)
        .write(reinterpret_cast<const char*>(file.data()), static_cast<std::streamsize>(file.size()));
    return 0;
}
