#include "engine/DibDecoder.h"
#include "engine/SourcePictureStore.h"

#include "support/BmpBuilder.h"
#include "support/RecordingFeedback.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <set>
#include <string>
#include <vector>

namespace tarvelo {
namespace {

using Bytes = std::vector<std::uint8_t>;

std::string suitePath(const std::string& name) {
    return testing::corpusDir() + "/bmpsuite/" + name;
}

/// Loads and decodes a file the way the program does.
std::optional<Picture> loadAndDecode(const std::string& name) {
    SourcePictureStore store;
    testing::RecordingFeedback feedback;
    const int index = store.loadBmpFile(suitePath(name), feedback);
    if (index < 0) {
        return std::nullopt;
    }
    const SourcePictureSlot& slot = store.slot(index);
    return decodeDib(slot.dibBlock, slot.rowsOffset);
}

/// The files that are turned away, and why.
const std::set<std::string> RefusedFiles = {
    "b/badbitcount.bmp",    // 30000 bits per pixel
    "b/badpalettesize.bmp", // a colour table far beyond the file
    "b/badrle.bmp",         // run-length
    "b/badwidth.bmp",       // negative width
    "b/reallybig.bmp",      // 3000000 x 2000000
    "b/rletopdown.bmp",     // run-length, top-down
    "b/shortfile.bmp",      // rows cut off
    "g/pal4rle.bmp",        // run-length
    "g/pal8os2.bmp",        // 12-byte header
    "g/pal8rle.bmp",        // run-length
    "g/pal8topdown.bmp",    // negative height
    "q/pal2.bmp",           // 2 bits per pixel
    "q/pal4rletrns.bmp",    // run-length
    "q/pal8os2sp.bmp",      // 12-byte header
    "q/pal8os2v2-16.bmp",   // 16-byte header
    "q/pal8rletrns.bmp",    // run-length
    "q/rgb24jpeg.bmp",      // embedded JPEG
    "q/rgb24png.bmp",       // embedded PNG
    "q/rgba32abf.bmp",      // alpha bit fields
};

TEST(BmpSuite, EveryFileIsDecodedOrRefusedAsExpected) {
    int files = 0;
    for (const char* folder : {"g", "q", "b"}) {
        for (const auto& entry : std::filesystem::directory_iterator(suitePath(folder))) {
            const std::string name = std::string(folder) + "/" + entry.path().filename().string();
            SCOPED_TRACE(name);
            ++files;
            const std::optional<Picture> picture = loadAndDecode(name);
            EXPECT_EQ(picture.has_value(), !RefusedFiles.contains(name));
            if (picture) {
                EXPECT_EQ(picture->pixels.size(), static_cast<std::size_t>(picture->width) *
                                                      static_cast<std::size_t>(picture->height));
            }
        }
    }
    EXPECT_EQ(files, 60) << "the BMP suite under " << testing::corpusDir() << " is incomplete";
}

void expectSamePicture(const Picture& actual, const Picture& expected) {
    ASSERT_EQ(actual.width, expected.width);
    ASSERT_EQ(actual.height, expected.height);
    const auto [a, e] = std::mismatch(actual.pixels.begin(), actual.pixels.end(),
                                      expected.pixels.begin(), expected.pixels.end());
    if (a != actual.pixels.end()) {
        const auto at = a - actual.pixels.begin();
        ADD_FAILURE() << "first difference at line " << at / actual.width << ", dot "
                      << at % actual.width << ": " << std::hex << *a << " instead of " << *e;
    }
}

TEST(BmpSuite, EncodingsOfOnePictureDecodeAlike) {
    struct Case {
        const char* reference;
        std::vector<const char*> others;
    };
    const Case cases[] = {
        {"g/rgb24.bmp",
         {"g/rgb24pal.bmp", "g/rgb32.bmp", "g/rgb32bf.bmp", "q/rgb24largepal.bmp",
          "q/rgb24lprof.bmp", "q/rgb24prof.bmp", "q/rgb32bf-xbgr.bmp", "q/rgb32fakealpha.bmp",
          "q/rgb32h52.bmp"}},
        {"g/pal8.bmp",
         {"g/pal8-0.bmp", "g/pal8v4.bmp", "g/pal8v5.bmp", "q/pal8offs.bmp", "q/pal8os2v2.bmp",
          "q/pal8oversizepal.bmp"}},
        {"g/pal1.bmp",
         {"g/pal1wb.bmp", "b/badbitssize.bmp", "b/baddens1.bmp", "b/baddens2.bmp",
          "b/badfilesize.bmp", "b/badheadersize.bmp", "b/badplanes.bmp"}},
        {"q/rgba32.bmp", {"q/rgba32h56.bmp"}},
    };
    for (const Case& c : cases) {
        const std::optional<Picture> reference = loadAndDecode(c.reference);
        ASSERT_TRUE(reference.has_value()) << c.reference;
        for (const char* other : c.others) {
            SCOPED_TRACE(std::string(other) + " against " + c.reference);
            const std::optional<Picture> picture = loadAndDecode(other);
            ASSERT_TRUE(picture.has_value());
            expectSamePicture(*picture, *reference);
        }
    }
}

std::uint32_t fileLe(const Bytes& file, std::size_t at, int bytes) {
    std::uint32_t value = 0;
    for (int i = bytes - 1; i >= 0; --i) {
        value = value << 8 | file.at(at + static_cast<std::size_t>(i));
    }
    return value;
}

/// Dot (x, y), counted from the top left, read straight from the bytes of a BMP file with a
/// 40-byte header: rows from the file header's offset, bottom line first, each row a whole
/// number of 32-bit words. 16-bit files are 5-5-5, or 5-6-5 when they have masks.
RgbPixel dotFromFile(const Bytes& file, int x, int y) {
    const std::uint32_t width = fileLe(file, 18, 4);
    const std::uint32_t height = fileLe(file, 22, 4);
    const std::uint32_t bits = fileLe(file, 28, 2);
    const std::size_t rowBytes = (width * bits + 31) / 32 * 4;
    const std::size_t row =
        fileLe(file, 10, 4) + (height - 1 - static_cast<std::uint32_t>(y)) * rowBytes;
    const std::size_t bitAt = static_cast<std::size_t>(x) * bits;
    const std::size_t at = row + bitAt / 8;
    if (bits == 24 || bits == 32) {
        return makeRgbPixel(file.at(at + 2), file.at(at + 1), file.at(at));
    }
    if (bits == 16) {
        const std::uint32_t v = fileLe(file, at, 2);
        if (fileLe(file, 30, 4) == 3) {
            return makeRgbPixel((v >> 11) * 255 / 31, ((v >> 5) & 63) * 255 / 63,
                                (v & 31) * 255 / 31);
        }
        return makeRgbPixel(((v >> 10) & 31) * 255 / 31, ((v >> 5) & 31) * 255 / 31,
                            (v & 31) * 255 / 31);
    }
    const unsigned index = (file.at(at) >> (8 - bits - bitAt % 8)) & ((1u << bits) - 1);
    const std::uint32_t listed = fileLe(file, 46, 4);
    if (index >= (listed == 0 ? 1u << bits : listed)) {
        return makeRgbPixel(0, 0, 0);
    }
    const std::size_t entry = 54 + 4 * std::size_t{index};
    return makeRgbPixel(file.at(entry + 2), file.at(entry + 1), file.at(entry));
}

TEST(BmpSuite, DotsMatchAReadingOfTheFileBytes) {
    for (const char* name :
         {"g/pal1.bmp", "g/pal1bg.bmp", "q/pal1p1.bmp", "g/pal4.bmp", "g/pal8.bmp",
          "g/pal8w124.bmp", "g/pal8w125.bmp", "g/pal8w126.bmp", "g/pal8nonsquare.bmp",
          "b/pal8badindex.bmp", "g/rgb16.bmp", "g/rgb16-565.bmp", "g/rgb16-565pal.bmp",
          "g/rgb24.bmp", "g/rgb32.bmp"}) {
        SCOPED_TRACE(name);
        const Bytes file = testing::readFile(suitePath(name));
        const std::optional<Picture> picture = loadAndDecode(name);
        ASSERT_TRUE(picture.has_value());
        EXPECT_EQ(picture->width, static_cast<std::int32_t>(fileLe(file, 18, 4)));
        EXPECT_EQ(picture->height, static_cast<std::int32_t>(fileLe(file, 22, 4)));
        Picture expected{picture->width, picture->height, {}};
        for (int y = 0; y < picture->height; ++y) {
            for (int x = 0; x < picture->width; ++x) {
                expected.pixels.push_back(dotFromFile(file, x, y));
            }
        }
        expectSamePicture(*picture, expected);
    }
}

TEST(BmpSuite, ElevenElevenTenMasksStayWithinOneStepOfTheEightBitPicture) {
    const std::optional<Picture> reference = loadAndDecode("g/rgb24.bmp");
    const std::optional<Picture> picture = loadAndDecode("q/rgb32-111110.bmp");
    ASSERT_TRUE(reference.has_value() && picture.has_value());
    ASSERT_EQ(picture->pixels.size(), reference->pixels.size());
    int largest = 0;
    for (std::size_t k = 0; k < picture->pixels.size(); ++k) {
        const RgbPixel p = picture->pixels[k];
        const RgbPixel r = reference->pixels[k];
        largest = std::max({largest, std::abs(redOf(p) - redOf(r)),
                            std::abs(greenOf(p) - greenOf(r)), std::abs(blueOf(p) - blueOf(r))});
    }
    EXPECT_LE(largest, 1);
}

TEST(BmpSuite, RowsAfterAGapNeedTheFileHeadersOffset) {
    // q/pal8offs.bmp has 100 unused bytes between its colour table and its rows.
    SourcePictureStore store;
    testing::RecordingFeedback feedback;
    const int index = store.loadBmpFile(suitePath("q/pal8offs.bmp"), feedback);
    ASSERT_GE(index, 0);
    const SourcePictureSlot& slot = store.slot(index);
    EXPECT_EQ(slot.rowsOffset, 1162u - 14u);
    const std::optional<Picture> withOffset = decodeDib(slot.dibBlock, slot.rowsOffset);
    const std::optional<Picture> withoutOffset = decodeDib(slot.dibBlock);
    const std::optional<Picture> plain = loadAndDecode("g/pal8.bmp");
    ASSERT_TRUE(withOffset.has_value() && withoutOffset.has_value() && plain.has_value());
    EXPECT_EQ(withOffset->pixels, plain->pixels);
    EXPECT_NE(withoutOffset->pixels, plain->pixels);
}

TEST(BmpSuite, TrueColourRowsFollowTheirColourTableWithoutAFileHeader) {
    // As a clipboard block carries them: no file header tells where the rows start.
    for (const char* name : {"g/rgb24pal.bmp", "g/rgb16-565pal.bmp", "q/rgb24largepal.bmp"}) {
        SCOPED_TRACE(name);
        SourcePictureStore store;
        testing::RecordingFeedback feedback;
        const int index = store.loadBmpFile(suitePath(name), feedback);
        ASSERT_GE(index, 0);
        const SourcePictureSlot& slot = store.slot(index);
        const std::optional<Picture> withOffset = decodeDib(slot.dibBlock, slot.rowsOffset);
        const std::optional<Picture> withoutOffset = decodeDib(slot.dibBlock);
        ASSERT_TRUE(withOffset.has_value() && withoutOffset.has_value());
        expectSamePicture(*withoutOffset, *withOffset);
    }
}

} // namespace
} // namespace tarvelo
