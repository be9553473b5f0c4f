#include "ScriptTestSupport.h"

#include "support/BmpBuilder.h"

#include <algorithm>

namespace tarvelo {
namespace {

using testing::makeBmp24;
using testing::ScriptRunFixture;
using testing::TemporaryFolder;
using testing::writeFile;

/// Four vertical stripes of pure red, green, blue and white, 32 x 8 dots.
std::vector<RgbPixel> stripes() {
    const std::array<RgbPixel, 4> colours = {makeRgbPixel(255, 0, 0), makeRgbPixel(0, 255, 0),
                                             makeRgbPixel(0, 0, 255), makeRgbPixel(255, 255, 255)};
    std::vector<RgbPixel> pixels;
    for (int y = 0; y < 8; ++y) {
        for (int x = 0; x < 32; ++x) {
            pixels.push_back(colours[static_cast<std::size_t>(x / 8)]);
        }
    }
    return pixels;
}

class ConvertTest : public ScriptRunFixture {
protected:
    TemporaryFolder folder;
    std::string picture = folder.file("STRIPES.BMP");

    void SetUp() override {
        writeFile(picture, makeBmp24(32, 8, stripes()));
        current.screenMode = 0;
        current.resize = 0;
        current.autoFileName = 1;
    }
};

TEST_F(ConvertTest, APictureThatCannotBeLoaded) {
    const std::string missing = folder.file("MISSING.BMP");
    const ScriptRunResult result = run("CONVERT\nSCREEN 12", missing);
    EXPECT_TRUE(result.endedWithError);
    EXPECT_EQ(result.stopPosition, 7u);
    EXPECT_EQ(host.progressEvents, (std::vector<std::string>{"open " + missing, "close"}));
    ASSERT_FALSE(feedback.messages.empty());
    EXPECT_EQ(feedback.messages.back().text, SourceLoadFailedMessage);
    EXPECT_EQ(feedback.messages.back().owner, MessageOwner::None);
    EXPECT_FALSE(sources.isOccupied(0));
}

TEST_F(ConvertTest, FilesOnlyReleasesThePicture) {
    current.outputTarget = OutputToFiles;
    const ScriptRunResult result = run("CONVERT", picture);
    EXPECT_FALSE(result.endedWithError);
    EXPECT_TRUE(feedback.messages.empty()) << feedback.texts().front();
    EXPECT_EQ(host.progressEvents, (std::vector<std::string>{"open " + picture, "close"}));
    EXPECT_EQ(previews.previewCount(), 0);
    EXPECT_EQ(sources.findFreeSourceSlot(), 0); // the reference was given back
    EXPECT_GT(folder.fileNames().size(), 1u);   // the screen file beside the picture
}

TEST_F(ConvertTest, APreviewKeepsThePicture) {
    current.outputTarget = OutputToPreview;
    const ScriptRunResult converted = run("SCREEN 8 CONVERT", picture);
    EXPECT_FALSE(converted.endedWithError);
    ASSERT_EQ(previews.previewCount(), 1);
    const int slot = previews.currentPreview();
    EXPECT_TRUE(sources.isOccupied(previews.slot(slot).sourceIndex));
    EXPECT_EQ(previews.slot(slot).settings.screenMode, 2u);
    EXPECT_EQ(folder.fileNames(), std::vector<std::string>{"STRIPES.BMP"}); // no files asked for
}

TEST_F(ConvertTest, ASecondConversionStartsFromThePaletteTheFirstChose) {
    current.outputTarget = OutputToPreview;
    // The second conversion takes its 16 colours as they stand, choosing none.
    const ScriptRunResult result = run("CONVERT\nSETFLAG PALNOCHG=ON\nCONVERT", picture);
    EXPECT_FALSE(result.endedWithError);
    ASSERT_EQ(previews.previewCount(), 2);

    const std::array<PaletteEntry, 16>& chosen = result.settings.palette;
    EXPECT_NE(chosen, DefaultPalette);
    for (const PaletteEntry wanted : {PaletteEntry{.green = 0, .red = 7, .blue = 0},
                                      PaletteEntry{.green = 7, .red = 0, .blue = 0},
                                      PaletteEntry{.green = 0, .red = 0, .blue = 7},
                                      PaletteEntry{.green = 7, .red = 7, .blue = 7}}) {
        EXPECT_NE(std::find(chosen.begin(), chosen.end(), wanted), chosen.end())
            << wanted.red << wanted.green << wanted.blue;
    }
    EXPECT_EQ(previews.slot(0).settings.palette, chosen);
    EXPECT_EQ(previews.slot(1).settings.palette, chosen);
    EXPECT_EQ(current.palette, DefaultPalette); // the caller's record is untouched
}

} // namespace
} // namespace tarvelo
