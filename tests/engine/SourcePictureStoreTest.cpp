#include "engine/SourcePictureStore.h"

#include "engine/DibDecoder.h"
#include "support/BmpBuilder.h"
#include "support/RecordingFeedback.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace tarvelo {
namespace {

using Bytes = std::vector<std::uint8_t>;
using testing::RecordingFeedback;
using testing::TemporaryFolder;

const std::vector<RgbPixel> SmallPicture = {makeRgbPixel(1, 2, 3),    makeRgbPixel(4, 5, 6),
                                            makeRgbPixel(7, 8, 9),    makeRgbPixel(10, 11, 12),
                                            makeRgbPixel(13, 14, 15), makeRgbPixel(16, 17, 18)};

class SourcePictureStoreTest : public ::testing::Test {
protected:
    /// A 3 x 2 BMP file in the temporary folder.
    std::string smallBmp(const std::string& name = "small.bmp") {
        const std::string path = folder.file(name);
        testing::writeFile(path, testing::makeBmp24(3, 2, SmallPicture));
        return path;
    }

    TemporaryFolder folder;
    RecordingFeedback feedback;
    SourcePictureStore store;
};

TEST_F(SourcePictureStoreTest, KeepsTheFileWithoutItsFileHeader) {
    const std::string path = smallBmp();
    const Bytes file = testing::readFile(path);
    const int index = store.loadBmpFile(path, feedback);
    ASSERT_EQ(index, 0);
    const SourcePictureSlot& slot = store.slot(index);
    EXPECT_EQ(slot.dibBlock, Bytes(file.begin() + 14, file.end()));
    EXPECT_EQ(slot.path, path);
    EXPECT_EQ(slot.referenceCount, 1);
    EXPECT_EQ(slot.rowsOffset, 40u); // the file header says 54
    EXPECT_TRUE(feedback.messages.empty());

    const std::optional<Picture> picture = decodeDib(slot.dibBlock, slot.rowsOffset);
    ASSERT_TRUE(picture.has_value());
    EXPECT_EQ(picture->pixels, SmallPicture);
}

TEST_F(SourcePictureStoreTest, FileLengthMagicAndPixelOffset) {
    auto fileOf = [](std::size_t length, std::uint32_t offBits = 54) {
        Bytes bytes(length, 0);
        bytes[0] = 'B';
        bytes[1] = 'M';
        for (std::size_t i = 0; i < 4; ++i) {
            bytes[10 + i] = static_cast<std::uint8_t>(offBits >> (8 * i));
        }
        return bytes;
    };
    Bytes png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    png.resize(100, 0);
    Bytes reversed = fileOf(54);
    std::swap(reversed[0], reversed[1]);
    struct Case {
        const char* name;
        Bytes bytes;
        bool accepted;
        std::size_t blockSize;
        std::optional<std::uint32_t> rowsOffset;
    };
    const Case cases[] = {
        {"53 bytes", fileOf(53), false, 0, {}},
        {"54 bytes", fileOf(54), true, 40, 40},
        {"gap before the rows", fileOf(200, 1000), true, 186, 986},
        {"offset inside the file header", fileOf(60, 13), true, 46, std::nullopt},
        {"PNG", png, false, 0, {}},
        {"magic reversed", reversed, false, 0, {}},
        {"empty", Bytes{}, false, 0, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = folder.file("case.bmp");
        testing::writeFile(path, c.bytes);
        const int index = store.loadBmpFile(path, feedback);
        EXPECT_TRUE(feedback.messages.empty());
        if (!c.accepted) {
            EXPECT_EQ(index, -1);
            continue;
        }
        ASSERT_GE(index, 0);
        EXPECT_EQ(store.slot(index).dibBlock.size(), c.blockSize);
        EXPECT_EQ(store.slot(index).rowsOffset, c.rowsOffset);
        store.releaseSource(index);
    }
}

TEST_F(SourcePictureStoreTest, ReportsAFileThatCannotBeOpened) {
    for (const std::string& path : {folder.file("missing.bmp"), folder.path()}) {
        SCOPED_TRACE(path);
        feedback.messages.clear();
        EXPECT_EQ(store.loadBmpFile(path, feedback), -1);
        ASSERT_EQ(feedback.messages.size(), 1u);
        EXPECT_EQ(feedback.messages[0].text, path + " を開けません。");
        EXPECT_EQ(feedback.messages[0].caption, "Error");
        EXPECT_EQ(feedback.messages[0].owner, MessageOwner::None);
        EXPECT_EQ(feedback.messages[0].icon, MessageIcon::Warning);
    }
}

TEST_F(SourcePictureStoreTest, HoldsFiftyPicturesAndThenRefuses) {
    const std::string path = smallBmp();
    for (int k = 0; k < SourcePictureStore::SlotCount; ++k) {
        ASSERT_EQ(store.loadBmpFile(path, feedback), k);
    }
    EXPECT_EQ(store.findFreeSourceSlot(), -1);
    EXPECT_EQ(store.loadBmpFile(path, feedback), -1);
    Bytes clipboard = testing::makeDib24(1, 1, {makeRgbPixel(1, 2, 3)});
    const Bytes copy = clipboard;
    EXPECT_EQ(store.adoptDibBlock(clipboard), -1);
    EXPECT_EQ(clipboard, copy); // still the caller's
    EXPECT_TRUE(feedback.messages.empty());

    store.releaseSource(7);
    store.releaseSource(30);
    EXPECT_EQ(store.loadBmpFile(path, feedback), 7); // the lowest free slot
}

TEST_F(SourcePictureStoreTest, KeepsThePictureUntilTheLastHolderReleases) {
    const int index = store.loadBmpFile(smallBmp(), feedback);
    ASSERT_EQ(index, 0);
    const Bytes block = store.slot(index).dibBlock;
    store.addSourceReference(index); // a second preview made from the picture

    store.releaseSource(index);
    ASSERT_TRUE(store.isOccupied(index));
    EXPECT_EQ(store.slot(index).referenceCount, 1);
    EXPECT_EQ(store.slot(index).dibBlock, block);

    store.releaseSource(index);
    EXPECT_FALSE(store.isOccupied(index));
    EXPECT_TRUE(store.slot(index).dibBlock.empty());

    store.releaseSource(index); // a free slot is left alone
    EXPECT_EQ(store.slot(index).referenceCount, 0);
    store.releaseSource(-1);
    store.releaseSource(SourcePictureStore::SlotCount);
    EXPECT_EQ(store.findFreeSourceSlot(), 0);
}

TEST_F(SourcePictureStoreTest, AdoptsAClipboardBlockWithoutPath) {
    ASSERT_EQ(store.loadBmpFile(smallBmp(), feedback), 0);
    Bytes clipboard = testing::makeDib24(3, 2, SmallPicture);
    const Bytes copy = clipboard;
    const int index = store.adoptDibBlock(clipboard);
    ASSERT_EQ(index, 1);
    const SourcePictureSlot& slot = store.slot(index);
    EXPECT_EQ(slot.dibBlock, copy);
    EXPECT_TRUE(slot.path.empty());
    EXPECT_FALSE(slot.rowsOffset.has_value());
    EXPECT_EQ(slot.referenceCount, 1);
    EXPECT_TRUE(clipboard.empty()); // the store owns it now

    const std::optional<Picture> picture = decodeDib(slot.dibBlock, slot.rowsOffset);
    ASSERT_TRUE(picture.has_value());
    EXPECT_EQ(picture->pixels, SmallPicture);
}

} // namespace
} // namespace tarvelo
