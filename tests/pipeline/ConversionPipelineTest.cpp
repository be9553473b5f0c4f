#include "PipelineFixture.h"

#include "engine/ColourLevels.h"
#include "engine/PreviewRenderer.h"

namespace tarvelo {
namespace {

using testing::PipelineTest;

constexpr RgbPixel Red = makeRgbPixel(255, 0, 0);
constexpr RgbPixel Blue = makeRgbPixel(0, 0, 255);

/// The colour the source view shows for resampled dot (x, y) of a 256 x 212 screen.
RgbPixel sourceViewDot(const PreviewSlot& slot, int x, int y) {
    return slot.sourcePixels[static_cast<std::size_t>(2 * y * PreviewWidth + 2 * x)];
}

TEST_F(PipelineTest, StoresPreviewAndWritesTheJoinedScreenFile) {
    const int source = loadUniform("PIC.BMP", 16, 16, Red);
    ASSERT_GE(source, 0);
    ConversionSettings settings;
    settings.resize = 1; // the whole screen red: the only colour of the picture
    const int slot = convertPicture(settings, source, services);
    ASSERT_EQ(slot, 0);
    EXPECT_TRUE(feedback.messages.empty());
    EXPECT_EQ(previews.currentPreview(), 0);
    EXPECT_FALSE(previews.showSource());
    EXPECT_EQ(testing::readFile(folder.file("PIC.SC5")).size(), 30375u);
    // The chosen colours are in the caller's record and in the preview's copy.
    EXPECT_EQ(previews.slot(slot).settings, settings);
    EXPECT_EQ(settings.palette[0], (PaletteEntry{0, 7, 0}));
    EXPECT_EQ(previews.slot(slot).sourceIndex, source);
    EXPECT_EQ(previews.slot(slot).resultPixels[0], Red);
}

TEST_F(PipelineTest, FilesOnlyTouchesNoPreviewSlot) {
    const int source = loadUniform("PIC.BMP", 8, 8, Blue);
    ConversionSettings settings;
    settings.outputTarget = OutputToFiles;
    settings.screenMode = 2;
    EXPECT_EQ(convertPicture(settings, source, services), -1);
    EXPECT_EQ(previews.findFreePreviewSlot(), 0);
    EXPECT_EQ(previews.previewCount(), 0);
    // SCREEN8: 256 bytes per line.
    EXPECT_EQ(testing::readFile(folder.file("PIC.SC8")).size(), 7u + 256u * 212u);
}

TEST_F(PipelineTest, FullPreviewStoreIsRefusedBeforeDecoding) {
    const int source = loadUniform("PIC.BMP", 8, 8, Blue);
    ConversionSettings settings;
    settings.outputTarget = OutputToPreview;
    for (int i = 0; i < PreviewStore::SlotCount; ++i) {
        sources.addSourceReference(source);
        ASSERT_EQ(convertPicture(settings, source, services), i);
    }
    EXPECT_TRUE(feedback.messages.empty());
    ConversionSettings third = settings;
    third.outputTarget = 3;
    EXPECT_EQ(convertPicture(third, source, services), -1);
    ASSERT_EQ(feedback.messages.size(), 1u);
    EXPECT_EQ(feedback.messages[0].text, "これ以上プレビューを記憶できません。");
    EXPECT_EQ(feedback.messages[0].caption, "Warning");
    EXPECT_EQ(feedback.messages[0].owner, MessageOwner::MainWindow);
    EXPECT_EQ(folder.fileNames(), std::vector<std::string>{"PIC.BMP"});
    EXPECT_EQ(previews.previewCount(), 50);
}

TEST_F(PipelineTest, UndecodablePictureGivesTheReservedSlotBack) {
    std::vector<std::uint8_t> block(40, 0);
    block[0] = 40;
    block[4] = 8;
    block[8] = 8;
    block[14] = 2; // 2 bits per pixel: not supported
    const int source = sources.adoptDibBlock(block);
    ConversionSettings settings;
    EXPECT_EQ(convertPicture(settings, source, services), -1);
    ASSERT_EQ(feedback.texts(), std::vector<std::string>{"読み込めません。非対応の形式です。"});
    EXPECT_EQ(feedback.messages[0].caption, "Error");
    EXPECT_EQ(previews.findFreePreviewSlot(), 0);
    EXPECT_EQ(previews.currentPreview(), -1);
    EXPECT_EQ(sources.slot(source).referenceCount, 1); // the caller still holds it
}

TEST_F(PipelineTest, TooSmallOnlyWhenResizing) {
    const int source = loadUniform("PIC.BMP", 7, 100, Red);
    ConversionSettings settings;
    settings.outputTarget = OutputToPreview;
    settings.resize = 1;
    EXPECT_EQ(convertPicture(settings, source, services), -1);
    ASSERT_EQ(feedback.texts(), std::vector<std::string>{"画像が小さすぎます。"});
    EXPECT_EQ(feedback.messages[0].owner, MessageOwner::None);
    EXPECT_EQ(previews.findFreePreviewSlot(), 0);

    settings.resize = 0;
    const int slot = convertPicture(settings, source, services);
    ASSERT_EQ(slot, 0);
    const PreviewSlot& kept = previews.slot(slot);
    EXPECT_EQ(sourceViewDot(kept, 6, 99), Red);
    EXPECT_EQ(sourceViewDot(kept, 7, 0), 0u);
    EXPECT_EQ(sourceViewDot(kept, 0, 100), 0u);
}

TEST_F(PipelineTest, InterlaceChoosesTheResamplerByMode) {
    // Left half red, right half blue, 512 x 424.
    std::vector<RgbPixel> pixels(512 * 424);
    for (std::size_t i = 0; i < pixels.size(); ++i) {
        pixels[i] = (i % 512) < 256 ? Red : Blue;
    }
    const int source = loadPicture("PIC.BMP", 512, 424, pixels);
    ConversionSettings settings;
    settings.outputTarget = OutputToPreview;
    settings.interlace = 1;
    settings.screenMode = 0; // half width: the whole picture fills 256 x 424
    int slot = convertPicture(settings, source, services);
    ASSERT_GE(slot, 0);
    EXPECT_EQ(previews.slot(slot).sourcePixels[static_cast<std::size_t>(423 * 512 + 511)], Blue);

    sources.addSourceReference(source);
    settings.screenMode = 1; // SCREEN7 crops 512 x 424: also the whole picture
    slot = convertPicture(settings, source, services);
    ASSERT_GE(slot, 0);
    EXPECT_EQ(previews.slot(slot).sourcePixels[static_cast<std::size_t>(423 * 512 + 255)], Red);
    EXPECT_EQ(previews.slot(slot).sourcePixels[static_cast<std::size_t>(423 * 512 + 256)], Blue);
}

TEST_F(PipelineTest, ZeroColourTakenFromTheClampedPosition) {
    std::vector<RgbPixel> pixels(300 * 200, Red);
    pixels[199 * 300 + 0] = makeRgbPixel(1, 2, 3);
    const int source = loadPicture("PIC.BMP", 300, 200, pixels);
    ConversionSettings settings;
    settings.outputTarget = OutputToPreview;
    settings.zeroMode = 2;
    settings.zeroX = -5;
    settings.zeroY = 10000;
    ASSERT_GE(convertPicture(settings, source, services), 0);
    EXPECT_EQ(settings.zeroColor, makeRgbPixel(1, 2, 3));
}

TEST_F(PipelineTest, ZeroColourOfAnEmptyPictureStaysAsItWas) {
    const int source = loadPicture("EMPTY.BMP", 0, 0, {});
    ConversionSettings settings;
    settings.outputTarget = OutputToPreview;
    settings.zeroMode = 2;
    settings.zeroColor = makeRgbPixel(9, 9, 9);
    EXPECT_GE(convertPicture(settings, source, services), 0);
    EXPECT_EQ(settings.zeroColor, makeRgbPixel(9, 9, 9));
}

TEST_F(PipelineTest, TooFewUsableEntriesStopsTheConversion) {
    const int source = loadUniform("PIC.BMP", 8, 8, Red);
    ConversionSettings settings;
    settings.paletteEntryMode.fill(EntryNotUsed);
    settings.paletteEntryMode[5] = EntryAutomatic;
    EXPECT_EQ(convertPicture(settings, source, services), -1);
    ASSERT_EQ(feedback.messages.size(), 1u);
    EXPECT_EQ(feedback.messages[0].text,
              "画像を生成できません。\nパレットは２つ以上使用可能にしてください。");
    EXPECT_EQ(previews.findFreePreviewSlot(), 0);
    EXPECT_EQ(folder.fileNames(), std::vector<std::string>{"PIC.BMP"});
}

TEST_F(PipelineTest, OutputFolderKeepsThePictureName) {
    const int source = loadUniform("PIC.BMP", 8, 8, Red);
    testing::TemporaryFolder out;
    services.outputFolder = out.path();
    ConversionSettings settings;
    settings.outputTarget = OutputToFiles;
    settings.screenMode = 4;
    convertPicture(settings, source, services);
    EXPECT_EQ(out.fileNames(), std::vector<std::string>{"PIC.SCC"});
}

} // namespace
} // namespace tarvelo
