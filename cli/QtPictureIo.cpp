#include "cli/QtPictureIo.h"

#include "engine/AtomicFile.h"

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QImageReader>
#include <QString>

#include <cstdio>

namespace tarvelo {

namespace {

void put32(std::vector<std::uint8_t>& out, std::uint32_t value) {
    for (int i = 0; i < 4; ++i) {
        out.push_back(static_cast<std::uint8_t>((value >> (8 * i)) & 0xFFu));
    }
}

void put16(std::vector<std::uint8_t>& out, std::uint16_t value) {
    out.push_back(static_cast<std::uint8_t>(value & 0xFFu));
    out.push_back(static_cast<std::uint8_t>(value >> 8));
}

} // namespace

std::optional<std::vector<std::uint8_t>> readPictureAsDib(const std::string& path) {
    QImageReader reader(QString::fromStdString(path));
    reader.setAutoTransform(true);
    QImage image = reader.read();
    if (image.isNull()) {
        return std::nullopt;
    }
    // Transparent areas are composed over black, as a 24-bit picture has no alpha.
    image = image.convertToFormat(QImage::Format_RGB888);
    const int width = image.width();
    const int height = image.height();
    const std::size_t stride = (static_cast<std::size_t>(width) * 3 + 3) / 4 * 4;
    std::vector<std::uint8_t> dib;
    dib.reserve(40 + stride * static_cast<std::size_t>(height));
    put32(dib, 40);
    put32(dib, static_cast<std::uint32_t>(width));
    put32(dib, static_cast<std::uint32_t>(height));
    put16(dib, 1);
    put16(dib, 24);
    put32(dib, 0);
    put32(dib, static_cast<std::uint32_t>(stride * static_cast<std::size_t>(height)));
    put32(dib, 2835);
    put32(dib, 2835);
    put32(dib, 0);
    put32(dib, 0);
    for (int row = height - 1; row >= 0; --row) {
        const uchar* line = image.constScanLine(row);
        for (int x = 0; x < width; ++x) {
            dib.push_back(line[3 * x + 2]); // blue
            dib.push_back(line[3 * x + 1]); // green
            dib.push_back(line[3 * x]);     // red
        }
        dib.resize(dib.size() + stride - static_cast<std::size_t>(width) * 3, 0);
    }
    return dib;
}

bool savePng(const std::vector<RgbPixel>& pixels, int width, int height, const std::string& path) {
    QImage image(width, height, QImage::Format_RGB888);
    for (int y = 0; y < height; ++y) {
        uchar* line = image.scanLine(y);
        for (int x = 0; x < width; ++x) {
            const RgbPixel pixel = pixels[static_cast<std::size_t>(y) * static_cast<std::size_t>(width) +
                                          static_cast<std::size_t>(x)];
            line[3 * x] = static_cast<uchar>(redOf(pixel));
            line[3 * x + 1] = static_cast<uchar>(greenOf(pixel));
            line[3 * x + 2] = static_cast<uchar>(blueOf(pixel));
        }
    }
    QByteArray encoded;
    QBuffer buffer(&encoded);
    buffer.open(QIODevice::WriteOnly);
    if (!image.save(&buffer, "PNG")) {
        return false;
    }
    AtomicFile file(path);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(encoded.constData());
    return file.create() &&
           file.write(std::span(bytes, static_cast<std::size_t>(encoded.size()))) && file.commit();
}

} // namespace tarvelo
