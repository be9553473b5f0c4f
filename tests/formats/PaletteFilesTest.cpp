#include "formats/PaletteFiles.h"

#include "FileFaultGuard.h"
#include "support/BmpBuilder.h"
#include "support/RecordingFeedback.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace tarvelo {
namespace {

using testing::FileFaultCase;
using testing::FileFaultCases;
using testing::FileFaultGuard;
using testing::RecordingFeedback;
using testing::TemporaryFolder;

// A palette with a different colour in every entry: levels chosen so that no two channels of
// one entry are equal and every level 0..7 appears.
std::array<PaletteEntry, 16> distinctPalette() {
    std::array<PaletteEntry, 16> palette{};
    for (std::int32_t i = 0; i < 16; ++i) {
        palette[static_cast<std::size_t>(i)] = {
            .green = i % 8, .red = (i + 3) % 8, .blue = (7 - i + 8) % 8};
    }
    return palette;
}

std::vector<std::uint8_t> bytesOf(const std::string& text) { return {text.begin(), text.end()}; }

TEST(PaletteBytes, RedBlueThenGreenWithLevelsMasked) {
    struct Case {
        PaletteEntry entry;
        std::uint8_t redBlue;
        std::uint8_t green;
    };
    const Case cases[] = {
        {{.green = 3, .red = 7, .blue = 5}, 0x75, 0x03},
        {{.green = 0, .red = 0, .blue = 0}, 0x00, 0x00},
        {{.green = 7, .red = 1, .blue = 6}, 0x16, 0x07},
        // Out-of-range levels keep their low three bits and never spill into the other nibble.
        {{.green = 9, .red = 15, .blue = -1}, 0x77, 0x01},
        {{.green = 8, .red = 8, .blue = 8}, 0x00, 0x00},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(::testing::Message()
                     << "r" << c.entry.red << " g" << c.entry.green << " b" << c.entry.blue);
        std::array<PaletteEntry, 16> palette{};
        palette[9] = c.entry;
        const std::array<std::uint8_t, 32> bytes = paletteBytes(palette);
        EXPECT_EQ(bytes[18], c.redBlue);
        EXPECT_EQ(bytes[19], c.green);
        EXPECT_EQ(bytes[0], 0);
        EXPECT_EQ(bytes[31], 0);
    }
}

TEST(GraphSaurusPalette, EightCopiesAndReadsBack) {
    TemporaryFolder folder;
    RecordingFeedback feedback;
    ConversionSettings settings;
    settings.palette = distinctPalette();
    writeGraphSaurusPalette(MessageOwner::MainWindow, folder.file("A.PL5"), settings, feedback);
    EXPECT_TRUE(feedback.messages.empty());

    const std::vector<std::uint8_t> file = testing::readFile(folder.file("A.PL5"));
    ASSERT_EQ(file.size(), 256u);
    for (std::size_t i = 0; i < 16; ++i) {
        const PaletteEntry& e = settings.palette[i];
        for (std::size_t copy = 0; copy < 8; ++copy) {
            SCOPED_TRACE(::testing::Message() << "entry " << i << " copy " << copy);
            EXPECT_EQ(file[32 * copy + 2 * i], e.red * 16 + e.blue);
            EXPECT_EQ(file[32 * copy + 2 * i + 1], e.green);
        }
    }

    std::array<PaletteEntry, 16> read{};
    ASSERT_TRUE(readPaletteFile(folder.file("A.PL5"), read, feedback));
    EXPECT_EQ(read, settings.palette);
    EXPECT_EQ(folder.fileNames(), std::vector<std::string>{"A.PL5"});
}

TEST(CsvPalette, HeaderAndOneLineOfThirtyTwoFields) {
    TemporaryFolder folder;
    RecordingFeedback feedback;
    ConversionSettings settings;
    settings.palette.fill({});
    settings.palette[0] = {.green = 3, .red = 7, .blue = 5};
    settings.palette[1] = {.green = 2, .red = 1, .blue = 4};
    settings.palette[15] = {.green = 7, .red = 7, .blue = 7};
    writeCsvPalette(MessageOwner::ScriptWindow, folder.file("P.CSV"), settings, feedback);
    EXPECT_TRUE(feedback.messages.empty());

    std::string expected = ";MSX PALETTE DATA(&Hrb,&H0g)\r\n75,03,14,02,";
    for (int entry = 2; entry < 15; ++entry) {
        expected += "00,00,";
    }
    expected += "77,07\r\n";
    EXPECT_EQ(testing::readFile(folder.file("P.CSV")), bytesOf(expected));
}

TEST(ReadPaletteFile, ShortFilesMasksAndRawBytes) {
    const std::string csvHeader = ";MSX PALETTE DATA(&Hrb,&H0g)\r\n";
    struct Case {
        const char* name;
        std::vector<std::uint8_t> contents;
        std::size_t entry;
        PaletteEntry expected;
    };
    const Case cases[] = {
        // Two bytes: entry 0 from them, everything after reads as black.
        {"two bytes, entry 0", {0x75, 0x03}, 0, {.green = 3, .red = 7, .blue = 5}},
        {"two bytes, entry 1", {0x75, 0x03}, 1, {}},
        {"two bytes, entry 15", {0x75, 0x03}, 15, {}},
        // The second byte of the entry is missing: green 0.
        {"one byte", {0x42}, 0, {.green = 0, .red = 4, .blue = 2}},
        {"empty file", {}, 0, {}},
        // Bits 7 and 3 of the first byte and 7..3 of the second are not part of the levels.
        {"stray bits", {0xFF, 0xFF}, 0, {.green = 7, .red = 7, .blue = 7}},
        {"stray bits only", {0x88, 0xF8}, 0, {}},
        // A CSV file is not parsed: ';' = 0x3B, 'M' = 0x4D; "TE" = 0x54 0x45.
        {"csv entry 0", bytesOf(csvHeader + "75,03"), 0, {.green = 5, .red = 3, .blue = 3}},
        {"csv entry 5", bytesOf(csvHeader + "75,03"), 5, {.green = 5, .red = 5, .blue = 4}},
        // Byte 30 is the data line's '7' (0x37), byte 31 its '5' (0x35).
        {"csv entry 15", bytesOf(csvHeader + "75,03"), 15, {.green = 5, .red = 3, .blue = 7}},
    };
    ASSERT_EQ(csvHeader.size(), 30u);
    TemporaryFolder folder;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testing::writeFile(folder.file("IN.PL5"), c.contents);
        RecordingFeedback feedback;
        ConversionSettings settings; // the default palette has no black entry after 1
        ASSERT_TRUE(readPaletteFile(folder.file("IN.PL5"), settings.palette, feedback));
        EXPECT_EQ(settings.palette[c.entry], c.expected);
        EXPECT_TRUE(feedback.messages.empty());
    }
}

TEST(ReadPaletteFile, LongFileUsesOnlyTheFirstPalette) {
    TemporaryFolder folder;
    std::vector<std::uint8_t> contents(256, 0x11);
    contents[0] = 0x62;
    contents[1] = 0x04;
    testing::writeFile(folder.file("G.PL7"), contents);
    RecordingFeedback feedback;
    std::array<PaletteEntry, 16> palette{};
    ASSERT_TRUE(readPaletteFile(folder.file("G.PL7"), palette, feedback));
    EXPECT_EQ(palette[0], (PaletteEntry{.green = 4, .red = 6, .blue = 2}));
    EXPECT_EQ(palette[15], (PaletteEntry{.green = 1, .red = 1, .blue = 1}));
}

TEST(ReadPaletteFile, UnreadableFileIsReportedAndPaletteKept) {
    TemporaryFolder folder;
    const std::string names[] = {folder.file("MISSING.PL5"), folder.path()};
    for (const std::string& name : names) {
        SCOPED_TRACE(name);
        RecordingFeedback feedback;
        const std::array<PaletteEntry, 16> before = distinctPalette();
        std::array<PaletteEntry, 16> palette = before;
        EXPECT_FALSE(readPaletteFile(name, palette, feedback));
        EXPECT_EQ(palette, before);
        ASSERT_EQ(feedback.messages.size(), 1u);
        EXPECT_EQ(feedback.messages[0].text, name + " の読み込みに失敗しました。");
        EXPECT_EQ(feedback.messages[0].caption, "Error");
        EXPECT_EQ(feedback.messages[0].owner, MessageOwner::None);
        EXPECT_EQ(feedback.messages[0].icon, MessageIcon::Warning);
    }
}

// Every failure of a palette writer is told to the user, since the new file then does not
// exist; the earlier file of that name stays as it was and no temporary is left behind.
TEST(PaletteWriters, FailuresAreReportedAndKeepTheEarlierFile) {
    using Writer =
        void (*)(MessageOwner, const std::string&, const ConversionSettings&, UserFeedback&);
    const std::pair<const char*, Writer> writers[] = {
        {"graph saurus", writeGraphSaurusPalette},
        {"csv", writeCsvPalette},
    };
    const std::vector<std::uint8_t> earlier = {'o', 'l', 'd'};
    ConversionSettings settings;
    settings.palette = distinctPalette();
    for (const auto& [writerName, write] : writers) {
        for (const FileFaultCase& fault : FileFaultCases) {
            SCOPED_TRACE(::testing::Message() << writerName << ", " << fault.name);
            TemporaryFolder folder;
            testing::writeFile(folder.file("OLD.PL5"), earlier);
            RecordingFeedback feedback;
            {
                FileFaultGuard guard(fault.faults);
                write(MessageOwner::ScriptWindow, folder.file("OLD.PL5"), settings, feedback);
            }
            EXPECT_EQ(testing::readFile(folder.file("OLD.PL5")), earlier);
            EXPECT_EQ(folder.fileNames(), std::vector<std::string>{"OLD.PL5"});
            ASSERT_EQ(feedback.messages.size(), 1u);
            EXPECT_EQ(feedback.messages[0].text, "書き込みに失敗しました。");
            EXPECT_EQ(feedback.messages[0].caption, "Error");
            EXPECT_EQ(feedback.messages[0].owner, MessageOwner::ScriptWindow);
            EXPECT_EQ(feedback.messages[0].icon, MessageIcon::Warning);
        }
    }
}

} // namespace
} // namespace tarvelo
