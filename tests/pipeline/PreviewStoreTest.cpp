#include "PipelineFixture.h"

#include "engine/PreviewRenderer.h"

namespace tarvelo {
namespace {

using testing::PipelineTest;

class PreviewStoreTest : public PipelineTest {
protected:
    int source = -1;
    void SetUp() override { source = loadUniform("PIC.BMP", 8, 8, makeRgbPixel(0, 255, 0)); }

    /// Stores an empty result in `index` the way the pipeline does, holding a source reference.
    void store(int index) {
        ASSERT_TRUE(previews.createPreviewBitmaps(index));
        sources.addSourceReference(source);
        previews.storeResult(index, std::vector<std::uint8_t>(128 * 212), ConversionSettings{},
                             source);
    }
};

TEST_F(PreviewStoreTest, NewPreviewTakesTheLowestFreeSlot) {
    store(1);
    store(2);
    EXPECT_EQ(previews.findFreePreviewSlot(), 0);
    store(0);
    EXPECT_EQ(previews.currentPreview(), 0);
    EXPECT_EQ(previews.previewPosition(0), 1);
    EXPECT_EQ(previews.previewCount(), 3);
}

TEST_F(PreviewStoreTest, SteppingWrapsAndFreeingMovesToTheNext) {
    store(3);
    store(7);
    EXPECT_EQ(previews.nextPreview(7), 3);
    EXPECT_EQ(previews.previousPreview(3), 7);
    EXPECT_EQ(previews.previewPosition(7), 2);
    previews.setCurrentPreview(7);
    previews.freePreview(7);
    EXPECT_EQ(previews.currentPreview(), 3);
    EXPECT_EQ(previews.nextPreview(3), 3); // one preview: it stays current
    previews.freePreview(3);
    EXPECT_EQ(previews.currentPreview(), -1);
    EXPECT_EQ(previews.previewPosition(-1), -1);
    // Both stored references are released again; the caller's own one remains.
    EXPECT_EQ(sources.slot(source).referenceCount, 1);
}

TEST_F(PreviewStoreTest, ReservedSlotsAreInvisibleAndCanBeAbandoned) {
    ASSERT_TRUE(previews.createPreviewBitmaps(0));
    EXPECT_FALSE(previews.createPreviewBitmaps(0));
    EXPECT_FALSE(previews.createPreviewBitmaps(-1));
    EXPECT_EQ(previews.findFreePreviewSlot(), 1);
    EXPECT_EQ(previews.previewCount(), 0);
    EXPECT_EQ(previews.nextPreview(0), -1);
    previews.abandonPreviewSlot(0);
    EXPECT_EQ(previews.findFreePreviewSlot(), 0);
}

TEST_F(PreviewStoreTest, FiftySlotsThenNoMore) {
    for (int i = 0; i < PreviewStore::SlotCount; ++i) {
        store(i);
    }
    EXPECT_EQ(previews.findFreePreviewSlot(), -1);
    EXPECT_FALSE(previews.createPreviewBitmaps(previews.findFreePreviewSlot()));
    previews.freeAllPreviews();
    EXPECT_EQ(previews.previewCount(), 0);
    EXPECT_EQ(previews.currentPreview(), -1);
}

TEST_F(PreviewStoreTest, SourceViewIsANearestNeighbourStretch) {
    ASSERT_TRUE(previews.createPreviewBitmaps(0));
    // 512 x 212: each line shown twice.
    std::vector<RgbPixel> wide(512 * 212);
    for (std::size_t i = 0; i < wide.size(); ++i) {
        wide[i] = static_cast<RgbPixel>(i);
    }
    previews.drawSourceView(0, wide, 512, 212);
    const auto& view = previews.slot(0).sourcePixels;
    EXPECT_EQ(view[1 * 512 + 5], wide[0 * 512 + 5]);
    EXPECT_EQ(view[423 * 512 + 511], wide[211 * 512 + 511]);
    // 256 x 424: each dot shown twice.
    std::vector<RgbPixel> tall(256 * 424);
    for (std::size_t i = 0; i < tall.size(); ++i) {
        tall[i] = static_cast<RgbPixel>(i);
    }
    previews.drawSourceView(0, tall, 256, 424);
    EXPECT_EQ(view[10 * 512 + 7], tall[10 * 256 + 3]);
}

} // namespace
} // namespace tarvelo
